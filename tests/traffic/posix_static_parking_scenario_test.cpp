// Static parking on the stand-in simulator: a plan from the stand options is
// created 50 passes apart, starred, on the ground at the stands, and shut
// down; a live aircraft born at a static one's stand, or at an overlapping
// one, takes its place; a live aircraft with a static one's registration
// removes it at the doubles check of the per-second work; parked live
// aircraft are counted and go after their time; leaving the park airport
// leaves no static aircraft in the simulator, whatever state its creation was
// in; and a park airport beyond a small traffic radius gets its aircraft
// recognised all the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "airports/park_airport.h"
#include "airports/stand.h"
#include "airports/static_parking_plan.h"
#include "config/parameters.h"
#include "config/paths.h"
#include "foundation/time.h"
#include "shell/common/main_window_state.h"
#include "shell/run.h"
#include "support/scenario/traffic_scenario.h"
#include "traffic/traffic_lists.h"
#include "traffic/traffic_manager.h"

namespace zrb::test {
namespace {

void addStand(const std::string& name, double lat, double lon, std::vector<StandOption> options = {}) {
    StandTable.emplace_back(name, std::move(options), lat, lon, 0.5 * static_cast<double>(StandTable.size()), 40.0, 1,
                            1, 1);
    StandTable.back().number = static_cast<std::uint32_t>(StandTable.size());
}

// Three stands 200 m apart, each with an option for the harness's Saturday noon.
void loadAirport(const std::string& prefix, double lat) {
    const std::vector<std::string> callsigns{"DLH100", "DLH200", "DLH300"};
    StandTable.clear();
    for (std::size_t i = 0; i < callsigns.size(); ++i) {
        StandOption o;
        o.airline = "DLH";
        o.type = "A320";
        o.callsign = callsigns[i];
        o.registration = "D-AI" + callsigns[i].substr(3);
        o.halfHours = HourBits{1} << 24;
        o.optionId = 1;
        o.day = 6;
        o.real = 1;
        addStand(prefix + std::to_string(i + 1), lat, 8.55 + 0.0027 * static_cast<double>(i), {o});
    }
}

// The planner's part: plan the stands and lock the controls.
void plan() {
    lf_searchStands(gf_slotAndWeekday(), g_searchReal, 0, PendingParkingList);
    gf_lockUi();
}

std::vector<std::pair<std::string, std::uint32_t>> eventsOf(TrafficScenario& s, std::uint32_t objectId) {
    std::vector<std::pair<std::string, std::uint32_t>> events;
    for (const auto& e : s.sim().events())
        if (e.objectId == objectId && e.eventName.rfind("FREEZE", 0) != 0) events.emplace_back(e.eventName, e.data);
    return events;
}

// The feed shows the aircraft standing at the stand, two polls.
void standingAt(TrafficScenario& s, const Flight& flight, const Stand& stand) {
    for (int poll = 0; poll < 2; ++poll) {
        ASSERT_TRUE(s.feedLive({s.record(flight, stand.lat, stand.lon, 0, 0, 90)}));
        s.passes(2000);
    }
}

bool removedFromSim(TrafficScenario& s, std::uint32_t objectId) {
    const auto removals = s.sim().removals();
    return std::find(removals.begin(), removals.end(), objectId) != removals.end();
}

TEST(StaticParkingScenario, APlanIsCreatedShutDownCountedMakesWayAndADoubleGoes) {
    TrafficScenario s;
    s.everySecond = [] { lf_everySecond(); };
    loadAirport("A", 47.4660);
    // The park maximum is the planner's wanted count: with a fourth stand and
    // every stand wanted, the live aircraft born below does not push a static one out.
    std::vector<Stand> table = StandTable;
    table.emplace_back("A4", std::vector<StandOption>{}, 47.4660, 8.55 + 0.0081, 0.0, 40.0, 1, 1, 1);
    table.back().number = 4;
    gf_replaceStandTable(std::move(table));
    CUSTOM_PARKING_PERCENTAGE.value = 100;
    plan();
    ASSERT_EQ(PendingParkingList.size(), 3u);

    std::vector<std::int32_t> createdAt;
    ASSERT_TRUE(s.passUntil(
        [&] {
            if (s.sim().creations().size() > createdAt.size()) createdAt.push_back(s.tick());
            return createdAt.size() == 3;
        },
        400));
    EXPECT_TRUE(PendingParkingList.empty());
    const auto created = s.sim().creations();
    for (std::size_t i = 0; i < created.size(); ++i) {
        if (i > 0) {
            EXPECT_EQ(createdAt[i] - createdAt[i - 1], 50);
        }
        const Stand& stand = StandTable[std::stoul(created[i].atcId.substr(3, 1)) - 1];
        EXPECT_EQ(created[i].atcId.back(), '*') << created[i].atcId;
        EXPECT_TRUE(created[i].onGround);
        EXPECT_NEAR(created[i].latitudeDeg, stand.lat, 1e-9);
        EXPECT_NEAR(created[i].longitudeDeg, stand.lon, 1e-9);
        EXPECT_NEAR(created[i].headingDeg, stand.heading * 180.0 / 3.141592653589793, 1e-9);
        EXPECT_EQ(created[i].title, "Stand-in A320");
    }
    // Each is shut down 200 passes after the simulator reported it.
    s.passes(400);
    for (const auto& c : created) {
        const auto events = eventsOf(s, c.objectId);
        ASSERT_GE(events.size(), 3u) << c.atcId;
        EXPECT_EQ(events[2], std::make_pair(std::string("ENGINE_AUTO_SHUTDOWN"), 0u)) << c.atcId;
    }
    // The window counts them with a fit of half an hour (planned for now).
    s.passes(100);
    EXPECT_EQ(g_mainWindowState.parkedStatic.load(), 3u);
    EXPECT_FLOAT_EQ(g_mainWindowState.staticAverageFit.load(), 0.5F);

    // A live aircraft born at A2 (the feed shows it standing there): DLH200* makes way.
    gf_setCurrentParkAirport(CurrentParkAirportData{"LSZH", "", 47.4647, 8.5492, 1416.0});
    const auto b = std::find_if(created.begin(), created.end(), [](const auto& a) { return a.atcId == "DLH200*"; });
    ASSERT_NE(b, created.end());
    const Flight bornThere{0x4B1801, "SWR5", "A320", "", "", ""};
    ASSERT_NO_FATAL_FAILURE(standingAt(s, bornThere, StandTable[1]));
    ASSERT_TRUE(s.passUntil([&] { return removedFromSim(s, b->objectId); }, 2000));
    EXPECT_TRUE(s.folder().logContains("A2      : DLH200*  D-AI200 makes way for SWR5"));
    EXPECT_EQ(gf_findLive(bornThere.hexId)->st, MovementState::parked);

    // A live aircraft with DLH300*'s registration: the next doubles check removes it.
    const auto c = std::find_if(created.begin(), created.end(), [](const auto& a) { return a.atcId == "DLH300*"; });
    ASSERT_NE(c, created.end());
    const Flight live{0x3C4A11, "BAW9", "A320", "D-AI300", "", ""};
    for (int poll = 0; poll < 6; ++poll) {
        ASSERT_TRUE(s.feedLive({s.record(live, 47.55, 8.40 + 0.0051 * poll, 5000, 250, 90)}));
        s.passes(500);
    }
    // Queued for the check at its spawn, checked within the second.
    ASSERT_TRUE(s.passUntil([&] { return gf_findLive(live.hexId)->fs != LifecycleState::buffer; }, 1000));
    ASSERT_TRUE(s.passUntil([&] { return removedFromSim(s, c->objectId); }, 150));
    EXPECT_TRUE(s.folder().logContains("DLH300*  D-AI300 removed, new airborne 'BAW9' has same regcode D-AI300"));
    s.passes(100);
    EXPECT_EQ(g_mainWindowState.parkedStatic.load(), 1u);
    EXPECT_EQ(g_mainWindowState.parkedLive.load(), 1u);
    EXPECT_EQ(s.sim().aiObjects().size(), 3u) << "DLH100* and two live aircraft";

    // A live aircraft parks at A5, which overlaps A1 (30 m apart): DLH100* makes way.
    std::vector<Stand> withA5 = StandTable;
    withA5.emplace_back("A5", std::vector<StandOption>{}, withA5[0].lat, withA5[0].lon + 0.0004, 0.0, 40.0, 1, 1, 1);
    withA5.back().number = 5;
    withA5.back().neighbours = {1};
    withA5[0].neighbours.push_back(5);
    gf_replaceStandTable(std::move(withA5));
    const auto a = std::find_if(created.begin(), created.end(), [](const auto& x) { return x.atcId == "DLH100*"; });
    ASSERT_NE(a, created.end());
    const Flight nextDoor{0x4B1802, "SWR6", "A320", "", "", ""};
    ASSERT_NO_FATAL_FAILURE(standingAt(s, nextDoor, StandTable[4]));
    ASSERT_TRUE(s.passUntil([&] { return removedFromSim(s, a->objectId); }, 2000));
    EXPECT_EQ(gf_findLive(nextDoor.hexId)->standId, 5u);
    s.passes(100);
    EXPECT_EQ(g_mainWindowState.parkedStatic.load(), 0u);
    EXPECT_EQ(g_mainWindowState.parkedLive.load(), 2u);
}

TEST(StaticParkingScenario, ParkedLiveAircraftGoAfterTheirTimeAndAnAirportLeftTakesItsStaticsAlong) {
    ScenarioOptions options;
    options.passesPerFrame = 10;  // minutes of standing still
    TrafficScenario s(options);
    s.everySecond = [] { lf_everySecond(); };
    gf_setCurrentParkAirport(CurrentParkAirportData{"LSZH", "", 47.4647, 8.5492, 1416.0});
    loadAirport("A", 47.4660);
    addStand("L4", 47.4700, 8.5600);
    addStand("L5", 47.4710, 8.5600);
    // Two live aircraft standing at L4 and L5: born parked there. The feed stops reporting
    // the early one after three records; the late one it keeps reporting.
    const Flight early{0x3C4A21, "EWG1", "A320", "", "", ""};
    const Flight late{0x3C4A22, "EWG2", "A320", "", "", ""};
    for (int poll = 0; poll < 15; ++poll) {
        // Standing still: the intake takes a record every 15 s at most.
        std::vector<TrafficRecord> batch{s.record(late, 47.4710, 8.5600, 0, 0, 90)};
        if (poll < 3) batch.push_back(s.record(early, 47.4700, 8.5600, 0, 0, 90));
        ASSERT_TRUE(s.feedLive(batch));
        s.passes(poll < 3 ? 2000 : 3000);  // a second record before the first is due
    }
    ASSERT_EQ(g_liveList.size(), 2u);
    for (const LiveAc& a : g_liveList) {
        EXPECT_EQ(a.fs, LifecycleState::active) << a.callsign;
        EXPECT_EQ(a.st, MovementState::parked) << a.callsign;
        EXPECT_EQ(a.standId, a.hexId == early.hexId ? 4u : 5u);
    }
    // Both parked three hours ago.
    for (LiveAc& a : g_liveList) a.parkTimeS -= 180 * 60;
    s.passes(100);
    EXPECT_EQ(g_mainWindowState.parkedLive.load(), 2u);
    gf_collectParkedLive();  // as the planner does at each renewal
    ASSERT_EQ(ParkedLiveList.size(), 1u) << "the early one's records stopped six minutes ago";
    EXPECT_EQ(ParkedLiveList[0].callsign, "EWG2") << "still reported at its stand: 0 minutes";
    EXPECT_EQ(ParkedLiveList[0].minutes, 0);
    EXPECT_EQ(ParkedLiveList[0].standId, 5u);
    const std::uint32_t earlyObject = gf_findLive(early.hexId)->objectId;
    ASSERT_TRUE(s.passUntil([&] { return removedFromSim(s, earlyObject); }, 20));
    s.passes(100);
    EXPECT_EQ(g_mainWindowState.parkedLive.load(), 1u);

    // The park airport: one static aircraft active, one handed to the simulator, one still queued.
    std::vector<PendingParking> found;
    lf_searchStands(gf_slotAndWeekday(), g_searchReal, 0, found);
    // The stand arrivals were recorded as options: EWG1's stand is free again, EWG2 still stands.
    ASSERT_EQ(found.size(), 4u);
    EXPECT_TRUE(std::any_of(found.begin(), found.end(),
                            [](const PendingParking& p) { return p.callsign == "EWG1" && p.standId == 4; }));
    std::vector<PendingParking> planned;
    std::copy_if(found.begin(), found.end(), std::back_inserter(planned),
                 [](const PendingParking& p) { return p.standId <= 3; });
    ASSERT_EQ(planned.size(), 3u);
    PendingParkingList = {planned[0]};
    ASSERT_TRUE(s.passUntil([&] { return !g_staticList.empty() && g_staticList[0].fs == LifecycleState::active; }, 500));
    PendingParkingList = {planned[1]};
    ASSERT_TRUE(s.passUntil([&] { return s.sim().creations().size() == 4; }, 200));  // two live, two static
    PendingParkingList = {planned[2]};
    ASSERT_TRUE(s.passUntil([&] { return g_staticCreateDeque.size() == 1; }, 60));
    EXPECT_EQ(g_staticList[1].fs, LifecycleState::adding2sim);
    // Left for another airport, as the airports side does it.
    gf_removeAllStatic();
    PendingParkingList.clear();
    gf_unlockUi();
    loadAirport("B", 47.5000);
    EXPECT_EQ(g_staticList.size(), 2u) << "the queued one is withdrawn and gone";
    s.passes(400);
    EXPECT_TRUE(g_staticList.empty());
    EXPECT_EQ(s.sim().creations().size(), 4u) << "the queued one was never created";
    for (const auto& object : s.sim().aiObjects()) EXPECT_NE(object.atcId.back(), '*') << object.atcId;
    s.passes(100);
    EXPECT_EQ(g_mainWindowState.parkedStatic.load(), 0u);
    EXPECT_FLOAT_EQ(g_mainWindowState.staticAverageFit.load(), -1.0F);
}

// On the ground the traffic radius may be a few miles while the park airport
// lies up to its own range away: its static aircraft are still recognised when
// the simulator reports them, then shut down, counted and removable.
TEST(StaticParkingScenario, AParkAirportBeyondTheTrafficRadiusHasItsStaticsRecognised) {
    TrafficScenario s;
    s.everySecond = [] { lf_everySecond(); };
    RANGE.value = 2;
    gf_setWorkingRange(RANGE.value);  // the simulator searches 13.7 km around the user
    loadAirport("F", 47.6500);        // 20.6 km north of the user
    plan();
    ASSERT_TRUE(s.passUntil([&] { return s.sim().creations().size() == 3; }, 400));
    ASSERT_TRUE(s.passUntil(
        [] {
            return std::all_of(g_staticList.begin(), g_staticList.end(),
                               [](const AiAc& a) { return a.fs == LifecycleState::active; });
        },
        300))
        << "a creation the range reply never lists stays adding2sim";
    s.passes(300);
    for (const auto& c : s.sim().creations()) {
        const auto events = eventsOf(s, c.objectId);
        ASSERT_GE(events.size(), 3u) << c.atcId;
        EXPECT_EQ(events[2], std::make_pair(std::string("ENGINE_AUTO_SHUTDOWN"), 0u)) << c.atcId;
    }
    EXPECT_EQ(g_mainWindowState.parkedStatic.load(), 3u);
    gf_removeAllStatic();
    s.passes(100);
    EXPECT_TRUE(s.sim().aiObjects().empty());
    EXPECT_TRUE(g_staticList.empty());

    // A live aircraft created out there (the user has moved on since its records came).
    const Flight far{0x3C4A31, "DLH77", "A320", "", "", ""};
    for (int poll = 0; poll < 2; ++poll) {
        ASSERT_TRUE(s.feedLive({s.record(far, 47.65, 8.40 + 0.01 * poll, 5000, 250, 90)}));
        s.passes(1000);
    }
    ASSERT_TRUE(s.passUntil([&] { return s.sim().creations().size() == 4; }, 3000));
    ASSERT_TRUE(s.passUntil([&] { return gf_findLive(far.hexId)->fs == LifecycleState::active; }, 300));
}

}  // namespace
}  // namespace zrb::test
