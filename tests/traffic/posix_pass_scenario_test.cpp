// The manager's pass against the stand-in simulator: a created aircraft's way
// to activation with its light toggles and start pattern, its position
// updates, flight plan and removal; refused liveries; the pacing of live and
// static creations; the cadence of the range request; and a reset that leaves
// nothing behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "airports/static_parking_plan.h"
#include "airports/stand.h"
#include "simconnect/protocol.h"
#include "support/scenario/traffic_scenario.h"
#include "traffic/flight_plans.h"
#include "traffic/traffic_lists.h"
#include "traffic/traffic_manager.h"

namespace zrb::test {
namespace {

const Flight dlh{0x3C6444, "DLH4AB", "A320", "D-AIZA", "EDDF", "LSZH"};

// The client events an object received, without the layer's own freezes.
std::vector<std::pair<std::string, std::uint32_t>> eventsOf(TrafficScenario& s, std::uint32_t objectId) {
    std::vector<std::pair<std::string, std::uint32_t>> events;
    for (const auto& e : s.sim().events())
        if (e.objectId == objectId && e.eventName.rfind("FREEZE", 0) != 0) events.emplace_back(e.eventName, e.data);
    return events;
}

// One poll every 500 passes (5 s): the flight eastward at 250 kt, descending.
void flyPolls(TrafficScenario& s, const Flight& f, int polls, double startLon = 8.55) {
    for (int i = 0; i < polls; ++i) {
        const double lon = startLon + 0.0051 * i;
        ASSERT_TRUE(s.feedLive({s.record(f, 47.50, lon, 5000 - 70 * i, 250, 90, -800)}));
        s.passes(500);
    }
}

std::size_t rangeRequests(TrafficScenario& s) {
    const auto log = s.sim().packetLog();
    return static_cast<std::size_t>(std::count_if(log.begin(), log.end(), [](const standin::PacketLogEntry& e) {
        return e.fromClient && e.id == simconnect::opRequestDataOnSimObjectType;
    }));
}

TEST(PassScenario, ACreatedAircraftTogglesItsLightsStartsFliesAndFilesItsPlan) {
    TrafficScenario s;
    flyPolls(s, dlh, 6);  // due 30 s after each poll: the first is due at pass 3000
    ASSERT_TRUE(s.passUntil([&] { return !s.sim().creations().empty(); }, 1000));
    const standin::SimAircraft created = s.sim().creations().front();
    EXPECT_EQ(created.atcId, "DLH4AB");
    EXPECT_EQ(created.title, "Stand-in A320");
    EXPECT_FALSE(created.onGround);
    EXPECT_NEAR(created.pitchDeg, -3.0 + 400.0 / 600.0 * 2.2, 1e-9) << "-800 fpm: half of it counts";
    EXPECT_NEAR(created.headingDeg, 90.0, 0.1);
    const std::int32_t createdAt = s.tick();
    s.passes(150);
    EXPECT_EQ(s.sim().aiObjects().front().positionUpdates, 0u) << "nothing is sent before the activation";

    // Two toggles on the way, then the start pattern at 2 s.
    ASSERT_TRUE(s.passUntil([&] { return gf_findLive(dlh.hexId)->fs == LifecycleState::active; }, 300));
    EXPECT_LE(s.tick() - createdAt, 202);
    const std::vector<std::pair<std::string, std::uint32_t>> expected{
        {"ALL_LIGHTS_TOGGLE", 0}, {"ALL_LIGHTS_TOGGLE", 0}, {"ENGINE_AUTO_START", 0}, {"SPOILERS_SET", 0},
        {"NAV_LIGHTS_SET", 1},    {"BEACON_LIGHTS_SET", 1}, {"LANDING_LIGHTS_SET", 1}, {"TAXI_LIGHTS_SET", 0},
        {"STROBES_SET", 1},       {"LOGO_LIGHTS_SET", 1},   {"CABIN_LIGHTS_SET", 1}};
    s.passes(1);
    // Then the first air step: the lights of the low band.
    const auto events = eventsOf(s, created.objectId);
    ASSERT_GE(events.size(), expected.size());
    EXPECT_EQ(decltype(expected)(events.begin(), events.begin() + static_cast<long>(expected.size())), expected);

    // The plan went with the object id and waits in the folder.
    const auto plans = s.sim().flightPlans();
    ASSERT_EQ(plans.size(), 1u);
    EXPECT_TRUE(plans[0].accepted);
    EXPECT_EQ(plans[0].objectId, created.objectId);
    EXPECT_EQ(plans[0].departure, "EDDF");
    EXPECT_EQ(plans[0].destination, "LSZH");
    EXPECT_TRUE(std::filesystem::exists(lf_flightPlanPath(created.objectId)));

    // Every pass one position update, and the aircraft moves east.
    auto object = [&] { return s.sim().aiObjects().front(); };
    const std::uint64_t updates = object().positionUpdates;
    const double lon = object().longitudeDeg;
    s.passes(100);
    EXPECT_EQ(object().positionUpdates, updates + 100);
    EXPECT_GT(object().longitudeDeg, lon);

    // Removed: within 10 passes, the record and the plan go when the simulator says so.
    removeAircraftFromSim(*gf_findLive(dlh.hexId));
    s.passes(10);
    EXPECT_EQ(s.sim().removals(), std::vector<std::uint32_t>{created.objectId});
    s.passes(1);
    EXPECT_EQ(gf_findLive(dlh.hexId), nullptr);
    EXPECT_FALSE(std::filesystem::exists(lf_flightPlanPath(created.objectId)));
    EXPECT_FALSE(s.folder().logContains("UNRECOGNIZED_ID")) << "nothing was sent to the removed object";
}

TEST(PassScenario, ALiveryTheSimulatorRefusesIsForgottenAndNotTriedAgain) {
    TrafficScenario s;
    s.sim().setRefusedTitles({"Stand-in A320"});
    flyPolls(s, dlh, 7);
    ASSERT_TRUE(s.passUntil([&] { return !g_failedTitles.empty(); }, 1000));
    // Later samples of the feed start the aircraft anew, in the buffer.
    const LiveAc* again = gf_findLive(dlh.hexId);
    EXPECT_TRUE(again == nullptr || again->fs == LifecycleState::buffer);
    EXPECT_TRUE(s.folder().logContains("DLH4AB 'Stand-in A320' could not be created by your Sim!"));
    EXPECT_TRUE(s.sim().creations().empty());

    // The feed goes on: the aircraft is not created with that title again.
    flyPolls(s, dlh, 8, 8.6);
    s.passes(3000);
    EXPECT_TRUE(s.sim().creations().empty());
    EXPECT_EQ(g_failedTitles.size(), 1u);
    const auto attempts = s.sim().packetLog();
    EXPECT_EQ(std::count_if(attempts.begin(), attempts.end(),
                            [](const auto& e) { return e.fromClient && e.id == simconnect::opAICreateNonATCAircraft; }),
              1);
}

TEST(PassScenario, CreationsLeaveFiftyPassesApartLiveBeforeStatic) {
    TrafficScenario s;
    StandTable.emplace_back("A1", std::vector<StandOption>{}, 47.4660, 8.5500, 1.2, 40.0, 1, 1, 1);
    StandTable.back().number = 1;
    StandTable.emplace_back("A2", std::vector<StandOption>{}, 47.4662, 8.5505, 1.2, 40.0, 1, 1, 1);
    StandTable.back().number = 2;
    const std::vector<Flight> flights{{0x400001, "BAW1", "A320", "", "", ""},
                                      {0x400002, "KLM2", "B738", "", "", ""},
                                      {0x400003, "AFR3", "A321", "", "", ""}};
    for (int poll = 0; poll < 2; ++poll) {
        std::vector<TrafficRecord> batch;
        for (std::size_t i = 0; i < flights.size(); ++i)
            batch.push_back(s.record(flights[i], 47.6 + 0.01 * i, 8.5 + 0.005 * poll, 6000, 250, 90));
        ASSERT_TRUE(s.feedLive(batch));
        s.passes(500);
    }
    const bool three = s.passUntil([&] { return g_liveCreateDeque.size() + s.sim().creations().size() == 3; }, 3000);
    ASSERT_TRUE(three);
    PendingParking entry;
    entry.airline = "DLH";
    entry.type = "A320";
    entry.standId = 1;
    PendingParkingList.push_back(entry);
    entry.standId = 2;
    entry.callsign = "DLH7_";
    PendingParkingList.push_back(entry);

    std::vector<std::int32_t> createdAt;
    ASSERT_TRUE(s.passUntil(
        [&] {
            if (s.sim().creations().size() > createdAt.size()) createdAt.push_back(s.tick());
            return createdAt.size() == 5;
        },
        1000)) << createdAt.size() << " live deque " << g_liveCreateDeque.size() << " static deque "
                  << g_staticCreateDeque.size() << " pending " << PendingParkingList.size() << " statics " << g_staticList.size();
    for (std::size_t i = 1; i < createdAt.size(); ++i) EXPECT_GE(createdAt[i] - createdAt[i - 1], 50);
    const auto created = s.sim().creations();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(created[i].atcId.back() != '*', true) << created[i].atcId;
    EXPECT_EQ(created[3].atcId, "DLH7*") << "the planned callsign, starred";
    EXPECT_EQ(created[4].atcId, "DLH2*") << "no callsign planned: airline and static number";
    EXPECT_TRUE(created[3].onGround);
    EXPECT_DOUBLE_EQ(created[3].altitudeFt, 0.0);

    // 200 passes after its creation a static aircraft is shut down.
    s.passes(205);
    const auto events = eventsOf(s, created[3].objectId);
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[0], std::make_pair(std::string("THROTTLE_SET"), 0u));
    EXPECT_EQ(events[1], std::make_pair(std::string("FLAPS_SET"), 0u));
    EXPECT_EQ(events[2], std::make_pair(std::string("ENGINE_AUTO_SHUTDOWN"), 0u));
    EXPECT_TRUE(s.folder().logContains("A2      : DLH7*    parked"));
}

TEST(PassScenario, TheRangeRequestComesEveryHundredPassesEveryTwentyWhileALandingFlares) {
    TrafficScenario s;
    s.sim().clearPacketLog();
    s.passes(500);
    EXPECT_EQ(rangeRequests(s), 5u);

    flyPolls(s, dlh, 7);
    ASSERT_TRUE(s.passUntil([&] { return gf_findLive(dlh.hexId)->fs == LifecycleState::active; }, 1000));
    gf_findLive(dlh.hexId)->flareStage = 1;
    g_fastRange = true;
    s.sim().clearPacketLog();
    s.passes(100);
    EXPECT_EQ(rangeRequests(s), 5u);
    // The flare ended without a touchdown (a go-around): the fast cadence ends too.
    gf_findLive(dlh.hexId)->flareStage = 0;
    s.sim().clearPacketLog();
    s.passes(200);
    EXPECT_EQ(rangeRequests(s), 2u);
    EXPECT_FALSE(g_fastRange);
}

TEST(PassScenario, AResetAfterABusyRunLeavesEveryListEmpty) {
    TrafficScenario s;
    flyPolls(s, dlh, 7);
    ASSERT_TRUE(s.passUntil([&] { return gf_findLive(dlh.hexId)->fs == LifecycleState::active; }, 1000));
    const Flight second{0x400010, "UAE5", "B77W", "", "", ""};
    ASSERT_TRUE(s.feedLive({s.record(second, 47.3, 8.3, 9000, 300, 45)}));
    s.passes(5);
    gf_pushSimNotice(SimNotice{4000, 0, 0, static_cast<std::uint32_t>(SimNoticeKind::removed)});  // unknown object
    gf_pushSimNotice(SimNotice{4001, 0x123456, 0, 0});  // an object nobody asked for
    s.passes(1);
    EXPECT_TRUE(s.folder().logContains("object 4001 (hexid 1193046) has no aircraft record, removed"));
    g_liveCreateDeque.push_back(CreateAcRequest{});
    g_spawnStack.push_back(1);

    gf_resetTraffic();
    EXPECT_TRUE(g_liveList.empty() && g_staticList.empty() && g_spawnStack.empty() && g_noMatchSet.empty() &&
                g_ghostList.empty() && LearnedLiveList.empty() && g_liveCreateDeque.empty() &&
                g_staticCreateDeque.empty() && g_removalDeque.empty() && g_newObjects.empty() &&
                g_rememberedLiveries.empty() && g_failedTitles.empty() && PendingParkingList.empty() &&
                StandTable.empty());
    {
        std::lock_guard lock(g_noticeMutex);
        EXPECT_TRUE(g_simNotices.empty());
    }
    std::lock_guard lock(g_runMutex);
    EXPECT_TRUE(g_pendingTrafficRecords.empty());
}

}  // namespace
}  // namespace zrb::test
