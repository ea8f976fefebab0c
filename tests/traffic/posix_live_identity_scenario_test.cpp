// Which live aircraft the simulator gets, against the stand-in: the live
// maximum keeps the nearest ones, twins and ghosts are created once, a blocked
// aircraft goes at once, a removal of one queued aircraft leaves its namesake
// alone, too many refused liveries stop the run, an identity change brings
// the aircraft back with its new livery or its new route (only while
// GUID_CHANGES is on), and titles reach the simulator in the bytes it knows.
#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "config/parameters.h"
#include "config/paths.h"
#include "foundation/geodesy.h"
#include "foundation/user_error.h"
#include "liveries/aircraft_cfg_file.h"
#include "liveries/liveries_scanned_file.h"
#include "liveries/livery_processing.h"
#include "liveries/livery_scan_fixture.h"
#include "simulator/installed_titles.h"
#include "support/scenario/traffic_scenario.h"
#include "traffic/failed_titles.h"
#include "traffic/flight_plans.h"
#include "traffic/sim_notice.h"
#include "traffic/traffic_lists.h"
#include "traffic/traffic_manager.h"

namespace zrb::test {
namespace {

constexpr int passesPerPoll = 500;
constexpr double userLat = 47.4647;
constexpr double userLon = 8.5492;

struct Placed {
    Flight flight;
    double lat = 0.0;
    double lon = 0.0;
};

// One poll: every aircraft a little further east at 6000 ft and 200 kt.
std::vector<TrafficRecord> poll(TrafficScenario& s, const std::vector<Placed>& aircraft, int k) {
    std::vector<TrafficRecord> batch;
    for (const Placed& p : aircraft) batch.push_back(s.record(p.flight, p.lat, p.lon + 0.0066 * k, 6000, 200, 90));
    return batch;
}

// Polls every 500 passes until the condition holds; false after maxPolls.
bool pollUntil(TrafficScenario& s, const std::vector<Placed>& aircraft, int& k, const std::function<bool()>& done,
               int maxPolls) {
    for (int i = 0; i < maxPolls; ++i, ++k) {
        if (done()) return true;
        if (!s.feedLive(poll(s, aircraft, k))) return false;
        s.passes(passesPerPoll);
    }
    return done();
}

std::vector<std::string> alive(TrafficScenario& s) {
    std::vector<std::string> callsigns;
    for (const auto& o : s.sim().aiObjects()) callsigns.push_back(o.atcId);
    std::sort(callsigns.begin(), callsigns.end());
    return callsigns;
}

std::size_t createdCount(TrafficScenario& s, const std::string& callsign) {
    const auto created = s.sim().creations();
    return static_cast<std::size_t>(
        std::count_if(created.begin(), created.end(), [&](const auto& c) { return c.atcId == callsign; }));
}

std::size_t activeCount() {
    return static_cast<std::size_t>(std::count_if(g_liveList.begin(), g_liveList.end(), [](const LiveAc& a) {
        return a.fs == LifecycleState::active;
    }));
}

// At `nm` nautical miles north of the user.
Placed north(std::uint32_t hexId, const std::string& callsign, double nm, const std::string& type = "A320") {
    return Placed{Flight{hexId, callsign, type, "", "", ""}, userLat + nm / 60.0, userLon};
}

TEST(LiveIdentityScenario, TheLiveMaximumKeepsTheNearestAndTwinsAreCreatedOnce) {
    TrafficScenario s;
    MAX_LIVE_SEL.value = 10;
    std::vector<Placed> aircraft;
    for (std::uint32_t i = 0; i < 8; ++i) aircraft.push_back(north(0x4C0000 + i, "AFR" + std::to_string(10 + i), 5 + i));
    aircraft.push_back(north(0x4C0010, "FAR1", 20));
    aircraft.push_back(north(0x4C0011, "FAR2", 22));
    // Another hex id with the callsign and type of one of them: the same flight twice.
    aircraft.push_back(Placed{Flight{0x4C0020, "AFR10", "A320", "", "", ""}, userLat + 5.2 / 60.0, userLon});
    int k = 0;
    ASSERT_TRUE(pollUntil(s, aircraft, k, [] { return activeCount() == 10; }, 20));
    EXPECT_EQ(createdCount(s, "AFR10"), 1u);

    // Two nearer aircraft push the two farthest out; a farther one never comes.
    aircraft.push_back(north(0x4C0030, "KLM1", 3));
    aircraft.push_back(north(0x4C0031, "KLM2", 4));
    ASSERT_TRUE(pollUntil(s, aircraft, k, [&] { return createdCount(s, "KLM2") == 1 && activeCount() == 10; }, 20));
    aircraft.push_back(north(0x4C0040, "FAR3", 30));
    for (int i = 0; i < 6; ++i, ++k) {
        ASSERT_TRUE(s.feedLive(poll(s, aircraft, k)));
        s.passes(passesPerPoll);
    }
    const std::vector<std::string> expected{"AFR10", "AFR11", "AFR12", "AFR13", "AFR14",
                                            "AFR15", "AFR16", "AFR17", "KLM1",  "KLM2"};
    EXPECT_EQ(alive(s), expected);
    EXPECT_EQ(createdCount(s, "FAR3"), 0u);
    EXPECT_EQ(s.sim().removals().size(), 2u);
    EXPECT_EQ(s.sim().creations().size(), 12u);
}

TEST(LiveIdentityScenario, GhostsBlockedAircraftAndNamesakesRemovedWhileQueued) {
    TrafficScenario s;
    const Placed ghost{Flight{0x4D0001, "ABC123_", "A320", "", "", ""}, 47.60, 8.40};
    const Placed real{Flight{0x4D0002, "ABC123", "A320", "", "", ""}, 47.62, 8.40};
    const Placed blocked{Flight{0x4D0003, "UAE5", "B77W", "", "", ""}, 47.64, 8.40};
    std::vector<Placed> aircraft{ghost, blocked};
    int k = 0;
    ASSERT_TRUE(pollUntil(s, aircraft, k, [] { return activeCount() == 2; }, 20));

    // The aircraft itself spawns: its ghost copy goes and stays away.
    aircraft.push_back(real);
    ASSERT_TRUE(pollUntil(s, aircraft, k, [&] { return createdCount(s, "ABC123") == 1; }, 20));
    s.passes(20);
    EXPECT_EQ(g_ghostList, std::vector<std::string>{"ABC123_"});
    aircraft.front().flight.hexId = 0x4D0004;  // the ghost again, under another hex id
    for (int i = 0; i < 8; ++i, ++k) {
        ASSERT_TRUE(s.feedLive(poll(s, aircraft, k)));
        s.passes(passesPerPoll);
    }
    EXPECT_EQ(createdCount(s, "ABC123_"), 1u);
    EXPECT_EQ(s.sim().removals().size(), 1u);
    EXPECT_TRUE(s.folder().logContains("ABC123_  is a ghost and will be removed, continue with ABC123"));

    // A blocked callsign goes within the removal pace.
    const LiveAc* uae = gf_findLive(blocked.flight.hexId);
    ASSERT_NE(uae, nullptr);
    const std::uint32_t uaeObject = uae->objectId;
    gf_pushSimNotice(SimNotice{0, blocked.flight.hexId, 0, static_cast<std::uint32_t>(SimNoticeKind::blocked)});
    s.passes(11);
    const auto removals = s.sim().removals();
    EXPECT_NE(std::find(removals.begin(), removals.end(), uaeObject), removals.end());

    // Two flights under one callsign (types differ): one removed while queued,
    // the other is created all the same.
    const Placed a320{Flight{0x4D0010, "DLH5", "A320", "", "", ""}, 47.50, 8.30};
    const Placed b738{Flight{0x4D0011, "DLH5", "B738", "", "", ""}, 47.52, 8.30};
    const std::vector<Placed> namesakes{a320, b738};
    const auto queued = [](std::uint32_t hexId) {
        return std::any_of(g_liveCreateDeque.begin(), g_liveCreateDeque.end(),
                           [hexId](const CreateAcRequest& r) { return r.hexId == hexId; });
    };
    for (int i = 0; i < 2; ++i, ++k) {
        ASSERT_TRUE(s.feedLive(poll(s, namesakes, k)));
        s.passes(passesPerPoll);
    }
    ASSERT_TRUE(s.feedLive(poll(s, namesakes, k++)));
    ASSERT_TRUE(s.passUntil([&] { return queued(a320.flight.hexId) && queued(b738.flight.hexId); }, 3000));
    const std::size_t before = createdCount(s, "DLH5");
    removeAircraftFromSim(*gf_findLive(a320.flight.hexId));
    ASSERT_TRUE(s.passUntil([&] { return createdCount(s, "DLH5") == before + 1; }, 200));
    const auto created = s.sim().creations().back();
    EXPECT_EQ(created.title, "Stand-in B738");
    s.passes(300);
    EXPECT_EQ(createdCount(s, "DLH5"), before + 1);
}

TEST(LiveIdentityScenario, TwentyDistinctRefusedLiveriesStopTheRunWithError81) {
    TrafficScenario s;
    LIGHT_AIRCRAFT.value = true;
    HELICOPTERS.value = true;
    HIGH_PERF_AIRCRAFT.value = true;
    const std::vector<std::string> types{"A319", "A320", "A20N", "A321", "A388", "B738", "B744",
                                         "B748", "B763", "B77L", "B77W", "MD11", "C172", "PA28",
                                         "C56X", "GLF5", "CRJ9", "EC35", "R44",  "F16"};
    std::vector<std::string> titles;
    std::vector<Placed> aircraft;
    for (std::uint32_t i = 0; i < types.size(); ++i) {
        titles.push_back("Stand-in " + types[i]);
        aircraft.push_back(north(0x4E0000 + i, "ZZA" + std::to_string(100 + i), 5 + 0.5 * i, types[i]));
    }
    s.sim().setRefusedTitles(titles);
    int k = 0;
    try {
        pollUntil(s, aircraft, k, [] { return false; }, 20);
        FAIL() << "the run went on with " << g_failedTitles.size() << " failed liveries";
    } catch (const UserErrorException& e) {
        EXPECT_EQ(std::string(e.what()), "81: There are too many liveries that could not be created by P3D!, see Log.txt");
    }
    EXPECT_EQ(g_failedTitles.size(), 20u);
    EXPECT_TRUE(s.folder().logContains("Error 81, There are too many liveries"));
    EXPECT_TRUE(s.folder().logContains("ZZA100 'Stand-in A319' could not be created by your Sim!"));
    EXPECT_TRUE(s.sim().aiObjects().empty());
}

TEST(LiveIdentityScenario, AnIdentityChangeRespawnsWithTheNewLiveryAndRouteOnlyWithGuidChanges) {
    TrafficScenario s;
    std::vector<Placed> aircraft{Placed{Flight{0x4F0001, "BAW12", "A320", "G-EUUA", "EGLL", "LSZH"}, 47.60, 8.30},
                                 Placed{Flight{0x4F0002, "KLM7", "B738", "", "", ""}, 47.65, 8.30}};
    int k = 0;
    ASSERT_TRUE(pollUntil(s, aircraft, k, [] { return activeCount() == 2; }, 20));
    ASSERT_EQ(s.sim().creations().size(), 2u);
    EXPECT_EQ(s.sim().creations()[0].title, "Stand-in A320");
    const std::uint32_t oldBaw = gf_findLive(0x4F0001)->objectId;
    const std::uint32_t oldKlm = gf_findLive(0x4F0002)->objectId;

    // Off: the identity changes in the feed, nothing happens in the simulator.
    GUID_CHANGES.value = false;
    aircraft[0].flight.registration = "G-XLEA";  // a BAW A388 in the database
    for (int i = 0; i < 3; ++i, ++k) {
        ASSERT_TRUE(s.feedLive(poll(s, aircraft, k)));
        s.passes(passesPerPoll);
    }
    EXPECT_TRUE(s.sim().removals().empty());
    EXPECT_EQ(gf_findLive(0x4F0001)->title, "Stand-in A320");

    // On: another registration of another type, and a route filled in.
    GUID_CHANGES.value = true;
    aircraft[0].flight.registration = "G-EUUA";
    for (int i = 0; i < 3; ++i, ++k) {
        ASSERT_TRUE(s.feedLive(poll(s, aircraft, k)));
        s.passes(passesPerPoll);
    }
    aircraft[0].flight.registration = "G-XLEA";
    aircraft[1].flight.departure = "EHAM";
    aircraft[1].flight.destination = "LSZH";
    LatLon lastOld{};
    ASSERT_TRUE(s.feedLive(poll(s, aircraft, k++)));
    ASSERT_TRUE(s.passUntil(
        [&] {
            for (const auto& o : s.sim().aiObjects())
                if (o.objectId == oldBaw) lastOld = LatLon{o.latitudeDeg, o.longitudeDeg};
            return gf_findLive(0x4F0001)->fs != LifecycleState::active;
        },
        500));
    ASSERT_TRUE(pollUntil(s, aircraft, k, [&] { return s.sim().creations().size() == 4 && activeCount() == 2; }, 20));
    const auto removals = s.sim().removals();
    EXPECT_EQ(removals.size(), 2u);
    EXPECT_NE(std::find(removals.begin(), removals.end(), oldBaw), removals.end());
    EXPECT_NE(std::find(removals.begin(), removals.end(), oldKlm), removals.end());
    const auto created = s.sim().creations();
    const auto baw = std::find_if(created.begin() + 2, created.end(), [](const auto& c) { return c.atcId == "BAW12"; });
    ASSERT_NE(baw, created.end());
    EXPECT_EQ(baw->title, "Stand-in A388");
    EXPECT_LT(gf_distanceNm(lastOld, LatLon{baw->latitudeDeg, baw->longitudeDeg}), 0.03)
        << "created again where it was, not back at its last sample nor ahead";
    EXPECT_TRUE(s.folder().logContains("respawns"));
    // The new object carries the route in its plan.
    const LiveAc* klm = gf_findLive(0x4F0002);
    ASSERT_NE(klm, nullptr);
    EXPECT_TRUE(std::filesystem::exists(lf_flightPlanPath(klm->objectId)));
    const auto plans = s.sim().flightPlans();
    ASSERT_FALSE(plans.empty());
    EXPECT_EQ(plans.back().objectId, klm->objectId);
    EXPECT_EQ(plans.back().departure, "EHAM");
}

// The stand-in knows the titles of the installed aircraft.cfg files byte for
// byte, as the simulator does: one file in the legacy code page, one in UTF-8
// with a character Windows-1252 lacks. Both are created by title, through the
// scan and its result file. Then a result file of an older version, with the
// legacy title, meets the user's registration file that names it in UTF-8.
TEST(LiveIdentityScenario, TitlesReachTheSimulatorInTheBytesOfTheirAircraftCfg) {
    TrafficScenario s;
    const std::filesystem::path objects = s.folder() / "SimObjects" / "Airplanes";
    const std::string ansiTitle = "DLH A320 K\xF6ln";
    const std::string utf8Title = "DLH B738 \xC5\x81\xC3\xB3" "d\xC5\xBA";
    const auto a320 = makeAircraftFolder(objects / "a320", generalSection("A320") + fltsim(0, ansiTitle, "DLH"));
    const auto b738 = makeAircraftFolder(objects / "b738", generalSection() + fltsim(0, utf8Title, "DLH"));
    s.sim().setLiveries(standin::gf_installedTitles({objects}));
    lf_resetScanLists();
    std::vector<LiveryData> scanned = lf_searchLiveriesinFile(1, a320);
    for (LiveryData& livery : lf_searchLiveriesinFile(1, b738)) scanned.push_back(std::move(livery));
    std::filesystem::create_directories(g_liveriesScannedFile.parent_path());
    ASSERT_TRUE(lf_writeLiveriesScannedXml(scanned, g_liveriesScannedFile));
    gf_buildLiveryTables(lf_readLiveriesScannedXml(g_liveriesScannedFile));

    std::vector<Placed> aircraft{Placed{Flight{0x4F1001, "DLH1", "A320", "", "", ""}, 47.60, 8.30},
                                 Placed{Flight{0x4F1002, "DLH2", "B738", "", "", ""}, 47.65, 8.30}};
    int k = 0;
    ASSERT_TRUE(pollUntil(s, aircraft, k, [] { return activeCount() == 2; }, 20));
    std::vector<std::string> titles;
    for (const auto& c : s.sim().creations()) titles.push_back(c.title);
    EXPECT_THAT(titles, ::testing::UnorderedElementsAre(ansiTitle, utf8Title));
    EXPECT_TRUE(g_failedTitles.empty());

    // Written by an older version: the legacy title in its bytes. Without the
    // registration, a B738 would get the other livery.
    writeFile(g_liveriesScannedFile,
              "<?xml version=\"1.0\"?>\n<meta><info name=\"author\" value=\"TLVR_P3D\"/><info name=\"date\" "
              "value=\"Mar 02, 2024\"/><info name=\"version\" value=\"1.0.0\"/></meta>\n<liveries><liv airl=\"DLH\" "
              "type=\"A320\" title=\"" + ansiTitle + "\"/><liv airl=\"DLH\" type=\"B738\" title=\"" + utf8Title +
              "\"/></liveries>\n");
    writeFile(g_myRegcodesFolder / "mine.txt", "DLH A320 K\xC3\xB6ln;D-AIQA\n");
    gf_buildLiveryTables(lf_readLiveriesScannedXml(g_liveriesScannedFile));
    aircraft = {Placed{Flight{0x4F1003, "DLH3", "B738", "D-AIQA", "", ""}, 47.70, 8.30}};
    ASSERT_TRUE(pollUntil(s, aircraft, k, [&] { return s.sim().creations().size() == 3; }, 20));
    EXPECT_EQ(s.sim().creations().back().title, ansiTitle);
    EXPECT_EQ(s.sim().aiObjects().back().title, ansiTitle) << "the stand-in created it";
    EXPECT_TRUE(g_failedTitles.empty());
}

}  // namespace
}  // namespace zrb::test
