#pragma once
// Test helpers of the park airport and its planner: an installation folder
// with a small airport list, the manager's lists emptied, the simulator's
// weekday and half-hour fixed (Saturday 12:00 UTC), the service's parked
// traffic answered from the test's own records, and stand tables built in
// memory.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "airport_test_support.h"
#include "airports/aircraft_from_livery.h"
#include "airports/airport_list.h"
#include "airports/airport_list_test_hook.h"
#include "airports/park_airport_choice.h"
#include "airports/parked_traffic_test_hook.h"
#include "airports/static_parking_plan.h"
#include "config/settings_fixture.h"
#include "feed/feed_shared.h"
#include "foundation/stop_flags.h"
#include "foundation/time.h"
#include "liveries/download.h"
#include "shell/common/main_window_state.h"
#include "shell/common/message_line.h"
#include "shell/common/run_control.h"
#include "shell/common/run_state.h"
#include "simlink/sim_state.h"
#include "traffic/traffic_lists.h"
#include "traffic/traffic_manager.h"

namespace zrb::test {

inline constexpr double metreDeg = 1.0 / 1852.0 / 60.0;  // degrees of latitude per metre
inline constexpr std::uint32_t saturday = 6;
inline constexpr std::uint32_t noon = 24;

// An "opt" of a stand: a real option of that aircraft on Saturday in the half-hours from..to.
inline StandOption option(const std::string& callsign, const std::string& reg, std::uint32_t from, std::uint32_t to,
                          std::uint32_t real = 1, const std::string& type = "A320") {
    StandOption o;
    o.airline = callsign.substr(0, 3);
    o.type = type;
    o.callsign = callsign;
    o.registration = reg;
    for (std::uint32_t s = from; s <= to; ++s) o.halfHours |= HourBits{1} << s;
    o.day = static_cast<std::int32_t>(saturday);
    o.real = real;
    return o;
}

class ParkingTest : public ::testing::Test {
protected:
    static constexpr double baseLat = 50.0333;  // EDDF
    static constexpr double baseLon = 8.5706;

    ParkingTest() {
        resetAllParameters();
        resetParkingSettings();
        LOG.value = true;
        gf_resetStopState();
        gf_resetMessageLine();
        gf_resetTraffic();
        gf_reserveTrafficLists();
        gf_forgetAirportListForTest();
        gf_setDownloadSiteForTest("none://", "");  // no archive: every file is local
        std::filesystem::create_directories(g_inputFolder);
        writeFile(g_inputFolder / "airports_p3d.xml",
                  "<airports>" + airport("EDDF", baseLat, baseLon, "FRA") + airport("EDDS", 48.6899, 9.2220, "STR") +
                      airport("KJFK", 40.6398, -73.7789, "JFK") + airport("AAAA", 50.25, 8.5) +
                      airport("ZZZZ", 50.75, 8.5) + airport("EGLL", 51.47, -0.46, "LHR") + "</airports>");
        gf_readAirports("airports_p3d.xml");
        g_currentDaySlot = gf_makeDaySlot(saturday, noon);
        s_parked.clear();
        s_parkedAnswers = true;
        gf_setParkedTrafficSource(&lf_parkedTraffic);
        g_userAcCopy = UserAcData{};
        g_userOnGround = false;
        g_userDataValid = false;
        (void)gf_takeFeedIds();
    }
    ~ParkingTest() override {
        gf_setParkedTrafficSource(nullptr);
        ParkAirportList.clear();
        gf_resetTraffic();
        g_parkingDataLoaded = false;
        g_uiBusy = false;
        g_userOnGround = false;
        g_userDataValid = false;
        g_userAcCopy = UserAcData{};
        g_learnedUpdates = 0;
        g_learnSoftAutoOff = false;
        g_apfChanged = false;
        g_currentDaySlot = 0;
        gf_resetDownloadSiteForTest();
        gf_forgetAirportListForTest();
        resetAllParameters();
        resetParkingSettings();
    }

    static std::string airport(const std::string& code, double lat, double lon, const std::string& iata = "") {
        return fmt::format(R"(<airport code="{}" iata="{}" lat="{}" lon="{}" alt="364"/>)", code, iata, lat, lon);
    }

    // Stands "S1".. in rows of ten, 40 m apart (or spacing), radius 20 m (no
    // two overlap), numbered; options(i) gives the options of the stand i (0-based).
    template <typename Options>
    static void stands(std::size_t n, Options options, double spacingM = 40.0) {
        std::vector<Stand> table;
        for (std::size_t i = 0; i < n; ++i) {
            std::vector<StandOption> opts = options(i);
            for (std::size_t k = 0; k < opts.size(); ++k) opts[k].optionId = static_cast<std::uint32_t>(k + 1);
            table.emplace_back(fmt::format("S{}", i + 1), std::move(opts),
                               baseLat + static_cast<double>(i / 10) * spacingM * metreDeg,
                               baseLon + static_cast<double>(i % 10) * spacingM * metreDeg / std::cos(baseLat * 0.01745),
                               0.0, 20.0, 1, 1, 1);
            table.back().number = static_cast<std::uint32_t>(i + 1);
        }
        gf_replaceStandTable(std::move(table));
    }
    static void emptyStands(std::size_t n, double spacingM = 40.0) {
        stands(n, [](std::size_t) { return std::vector<StandOption>{}; }, spacingM);
    }

    // A parked-traffic record at the stand (0-based), its age in half-hours.
    static ParkedTrafficRecord parked(std::uint32_t hexId, const std::string& callsign, std::size_t stand,
                                      std::int32_t age, const std::string& reg = "") {
        ParkedTrafficRecord r;
        r.airline = callsign.substr(0, 3);
        r.type = "A320";
        r.callsign = callsign;
        r.registration = reg;
        r.hexId = hexId;
        r.lat = StandTable.at(stand).lat;
        r.lon = StandTable.at(stand).lon;
        r.slot = age;
        r.stand = StandTable.at(stand).id;
        return r;
    }

    // An active static aircraft of the plan at the stand (0-based).
    static AiAc& standing(std::uint32_t number, std::uint32_t planKind, const PendingParking& p, std::size_t stand,
                          std::uint32_t seenAgo) {
        AcIdentityRecord source;
        source.airline = p.airline;
        source.type = p.type;
        source.callsign = p.callsign + "*";
        source.text6 = p.callsign;
        source.text7 = p.coupledCallsign;
        source.registration = p.registration;
        const Stand& s = StandTable.at(stand);
        g_staticList.push_back(gf_initStaticAc(gf_aircraftFromLivery(source, number), s.number, s.lat, s.lon, 0.0, 0));
        AiAc& a = g_staticList.back();
        a.fs = LifecycleState::active;
        a.objectId = 500 + number;
        a.planKind = planKind;
        a.liveHexId = p.liveHexId;
        DaySlot seen = g_currentDaySlot.load();
        for (std::uint32_t k = 0; k < seenAgo; ++k) seen = gf_previousSlot(seen);
        a.day = gf_dayOf(seen);
        a.slot = gf_slotOf(seen);
        return a;
    }

    // airports/my_thirdparty/<icao>.xml with n stands like stands() makes, each
    // with a Saturday-noon option, and the header's parameters.
    static void parkingFileOf(const std::string& icao, std::size_t n,
                              std::vector<std::pair<std::string, std::string>> extra = {}) {
        std::vector<std::pair<std::string, std::string>> parameters{{"airport_name", icao + " Airport"},
                                                                    {"publisher", "My Pub"}, {"altitude", "364"}};
        parameters.insert(parameters.end(), extra.begin(), extra.end());
        const auto a = gf_findAirport(icao);
        std::string text;
        for (std::size_t i = 0; i < n; ++i) {
            const double lat = a->lat + static_cast<double>(i / 10) * 40 * metreDeg;
            const double lon = a->lon + static_cast<double>(i % 10) * 40 * metreDeg / std::cos(a->lat * 0.01745);
            text += parkpos(fmt::format("S{}", i + 1), lat, lon, 20.0, "",
                            fmt::format(R"(<opt reg="D-A{:03}" airl="DLH" type="A320" day="6" hh="23,24,25" cs="DLH{}"/>)", i, i));
        }
        writeFile(g_myThirdpartyFolder / (icao + ".xml"), parkingFile(parameters, text));
    }

    static std::vector<std::string> plannedCallsigns() {
        std::vector<std::string> callsigns;
        for (const PendingParking& p : PendingParkingList) callsigns.push_back(p.callsign);
        return callsigns;
    }

    AirportFolder folder{""};
    static inline std::vector<ParkedTrafficRecord> s_parked;
    static inline bool s_parkedAnswers = true;

private:
    static bool lf_parkedTraffic(std::vector<ParkedTrafficRecord>& records) {
        records = s_parked;
        return s_parkedAnswers;
    }
};

}  // namespace zrb::test
