#pragma once
// The manager's lists, the simulator layer's queues and the settings back at
// their start, in a logged temporary folder with the sample aircraft database.
// No simulator is connected: whatever the manager sends stays in the layer's
// queues, where the tests read it (gf_queuedClientEvents, gf_queuedCreates,
// gf_queuedRemovals).

#include <gtest/gtest.h>

#include <filesystem>

#include "airports/aircraft_from_livery.h"
#include "build_config.h"
#include "config/parameters.h"
#include "config/settings_fixture.h"
#include "config/paths.h"
#include "liveries/dbase.h"
#include "liveries/livery_fixture.h"
#include "shell/common/message_line.h"
#include "shell/common/run_control.h"
#include "simlink/sim_link.h"
#include "support/temp_folder.h"
#include "traffic/traffic_lists.h"
#include "traffic/traffic_manager.h"

namespace zrb::test {

class ManagerTest : public ::testing::Test {
protected:
    ManagerTest() {
        resetAllParameters();
        LOG.value = true;
        g_stopProgram = false;
        gf_resetStopState();
        gf_resetMessageLine();
        gf_resetSimLink(5);
        gf_resetTraffic();
        gf_reserveTrafficLists();  // references into the lists stay valid while a test adds records
        g_passTick = 0;
        gf_setProgramDataFolderForTest(m_folder.path() / "data");
        gf_readDbaseXml(std::filesystem::path(build::sourceDir) / "tests" / "data" / "dbase_sample.xml");
        buildLiveryTables({{"ZZZ", "A320", m_title}, {"ZZZ", "B738", m_title}});
        g_failedKeys.clear();
    }
    ~ManagerTest() override {
        resetLiveryTables();
        g_failedKeys.clear();
        gf_resetTraffic();
        gf_resetSimLink(5);
        gf_resetStopState();
        gf_setProgramDataFolderForTest({});
        resetAllParameters();
    }

    static AcIdentity identity(std::uint32_t hexId, const std::string& callsign, const std::string& type) {
        AcIdentityRecord source;
        source.type = type;
        source.callsign = callsign;
        source.text6 = callsign;
        source.airline = callsign.substr(0, 3);
        AcIdentity id = gf_aircraftFromLivery(source, hexId);
        id.title = m_title;
        return id;
    }

    // A live record in the list; airborne or on the ground at the position.
    static LiveAc& addLive(std::uint32_t hexId, const std::string& callsign, const std::string& type,
                           LifecycleState fs, double lat = 47.0, double lon = 8.0, bool airborne = true) {
        PosSample sample;
        sample.lat = lat;
        sample.lon = lon;
        sample.altitude = airborne ? 3000.0 : 0.0;
        sample.airborne = airborne ? 1 : 0;
        g_liveList.emplace_back(sample, identity(hexId, callsign, type), 0.0);
        LiveAc& a = g_liveList.back();
        a.fs = fs;
        a.block.latitudeDeg = lat;
        a.block.longitudeDeg = lon;
        if (fs == LifecycleState::active || fs == LifecycleState::removingfromsim) a.objectId = 100 + static_cast<std::uint32_t>(g_liveList.size());
        return a;
    }

    static AiAc& addStatic(std::uint32_t hexId, const std::string& callsign, LifecycleState fs, double lat = 47.0,
                           double lon = 8.0) {
        g_staticList.push_back(gf_initStaticAc(identity(hexId, callsign, "B738"), 0, lat, lon, 0.0, 0));
        AiAc& s = g_staticList.back();
        s.fs = fs;
        if (fs == LifecycleState::active) s.objectId = 500 + static_cast<std::uint32_t>(g_staticList.size());
        return s;
    }

    LoggedFolder m_folder;
    static inline const std::string m_title = "Stand-in livery";
};

}  // namespace zrb::test
