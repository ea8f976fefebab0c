// Removal by lifecycle state, the capacity rules and the overlap with static
// aircraft, read from the manager's deques and the simulator layer's queues.
#include <gtest/gtest.h>

#include <algorithm>

#include "airports/static_parking_plan.h"
#include "foundation/geodesy.h"
#include "foundation/time.h"
#include "shell/common/run_state.h"
#include "manager_fixture.h"

namespace zrb::test {
namespace {

using Removal = ManagerTest;

CreateAcRequest request(std::uint32_t hexId, const std::string& callsign) {
    CreateAcRequest r;
    r.hexId = hexId;
    r.callsign = callsign;
    return r;
}

TEST_F(Removal, ByStateDropWithdrawDeferOrQueueAndNeverTwice) {
    LiveAc& buffered = addLive(10001, "BUF1", "A320", LifecycleState::buffer);
    removeAircraftFromSim(buffered);
    EXPECT_EQ(buffered.dropFromList, 1);

    // Two live aircraft may share a callsign: withdrawing one keeps the other's request.
    LiveAc& queued = addLive(10002, "TWIN", "A320", LifecycleState::adding2sim);
    addLive(10003, "TWIN", "B738", LifecycleState::adding2sim);
    g_liveCreateDeque = {request(10002, "TWIN"), request(10003, "TWIN")};
    removeAircraftFromSim(g_liveList[1]);
    EXPECT_EQ(g_liveList[1].cancelled, 1);
    ASSERT_EQ(g_liveCreateDeque.size(), 1u);
    EXPECT_EQ(g_liveCreateDeque.front().hexId, 10003u);
    (void)queued;

    LiveAc& onStack = addLive(10004, "STK1", "A320", LifecycleState::adding2sim);
    g_spawnStack = {10004};
    removeAircraftFromSim(onStack);
    EXPECT_EQ(onStack.cancelled, 1);
    EXPECT_TRUE(g_spawnStack.empty());

    LiveAc& handedOver = addLive(10005, "SENT", "A320", LifecycleState::adding2sim);
    removeAircraftFromSim(handedOver);
    EXPECT_EQ(handedOver.removeWhenCreated, 1);
    EXPECT_EQ(handedOver.cancelled, 0);

    LiveAc& active = addLive(10006, "ACT1", "A320", LifecycleState::active);
    removeAircraftFromSim(active);
    removeAircraftFromSim(active);
    EXPECT_EQ(active.fs, LifecycleState::removingfromsim);
    EXPECT_EQ(g_removalDeque, std::deque<std::uint32_t>{active.objectId});

    LiveAc& respawning = addLive(10007, "RSP1", "A320", LifecycleState::liveryrespawn);
    respawning.objectId = 777;
    removeAircraftFromSim(respawning);
    EXPECT_EQ(respawning.fs, LifecycleState::removingfromsim) << "the record goes when its object is reported gone";
    EXPECT_EQ(g_removalDeque.size(), 1u);

    lf_updateAllLive();
    EXPECT_FALSE(std::any_of(g_liveList.begin(), g_liveList.end(), [](const LiveAc& a) {
        return a.callsign == "BUF1" || a.callsign == "STK1" || a.hexId == 10002;
    }));
    EXPECT_EQ(g_liveList.size(), 4u);
    EXPECT_TRUE(gf_queuedRemovals().empty()) << "removals leave only with the pass's pacing";
}

TEST_F(Removal, TrimToMaxRemovesTheFarthestActiveAircraft) {
    g_userAcCopy.lat = 47.0;
    g_userAcCopy.lon = 8.0;
    for (std::uint32_t i = 0; i < 12; ++i)
        addLive(10001 + i, "AC" + std::to_string(i), "A320", LifecycleState::active, 47.0 + 0.05 * i, 8.0);
    MAX_LIVE_SEL.value = 500;
    gf_trimLiveToMax();
    EXPECT_TRUE(g_removalDeque.empty());
    MAX_LIVE_SEL.value = 10;
    gf_trimLiveToMax();
    EXPECT_EQ(g_removalDeque, (std::deque<std::uint32_t>{g_liveList[11].objectId, g_liveList[10].objectId}));

    // Nobody lies more than 0.1 NM beyond d: nothing goes.
    const double farthest = gf_distanceNm({47.0, 8.0}, {47.0 + 0.05 * 9, 8.0});
    EXPECT_TRUE(lf_removeFarthestLive(farthest - 0.05));
    EXPECT_TRUE(lf_removeFarthestLive(std::nan("")));
    EXPECT_EQ(g_removalDeque.size(), 2u);
    EXPECT_FALSE(lf_removeFarthestLive(farthest - 0.2));
}

TEST_F(Removal, TheParkMaximumRemovesTheLongestParkedLiveAndTheOldestStatic) {
    for (std::uint32_t i = 0; i < 3; ++i) {
        LiveAc& a = addLive(10001 + i, "PRK" + std::to_string(i), "A320", LifecycleState::active);
        a.st = MovementState::parked;
        a.parkTimeS = gf_systemNow() - 600 * (i + 1);  // PRK2 stands longest
    }
    lf_checkMaxPark(0);  // no stands, so no parking is wanted: nothing goes
    EXPECT_TRUE(g_removalDeque.empty());
    EXPECT_EQ(lf_listParkedLive().front().hexId, 10003u);
    EXPECT_EQ(lf_listParkedLive().front().minutes, 30);

    // Half of four stands: two parked aircraft are wanted, three live ones stand.
    std::vector<Stand> table;
    for (int i = 0; i < 4; ++i)
        table.emplace_back("G" + std::to_string(i + 1), std::vector<StandOption>{}, 47.0 + 0.001 * i, 8.0, 0.0, 20.0,
                           1, 1, 1);
    gf_replaceStandTable(std::move(table));
    parking_percentage.value = 50;
    // Monday's second half-hour: Sunday evening's static aircraft is the oldest, not Monday's first.
    g_currentDaySlot = gf_makeDaySlot(1, 2);
    AiAc& sundayEvening = addStatic(1, "BAW1*", LifecycleState::active);
    sundayEvening.day = 7;
    sundayEvening.slot = 40;
    AiAc& mondayMorning = addStatic(2, "KLM2*", LifecycleState::active);
    mondayMorning.day = 1;
    mondayMorning.slot = 1;
    RT_PARKTRAFFIC_ONLY.value = true;
    lf_checkMaxPark(0);
    EXPECT_TRUE(g_removalDeque.empty()) << "only parked feed traffic: the maximum is the feed's";
    RT_PARKTRAFFIC_ONLY.value = false;
    lf_checkMaxPark(0);
    EXPECT_EQ(g_removalDeque, (std::deque<std::uint32_t>{g_liveList[2].objectId, sundayEvening.objectId}));
    EXPECT_EQ(mondayMorning.fs, LifecycleState::active);
    EXPECT_TRUE(m_folder.logContains("PRK2 live max park exceeded, removed"));
    EXPECT_TRUE(m_folder.logContains("BAW1* static max park exceeded, removed"));

    gf_removeLiveParked(1);  // the longest parked of those still standing
    EXPECT_EQ(g_removalDeque.back(), g_liveList[1].objectId);
    EXPECT_TRUE(m_folder.logContains("live parked"));
}

TEST_F(Removal, ALiveAircraftOverAStaticOneRemovesItUnlessLandingOrSameCallsign) {
    AiAc& same = addStatic(1, "DLH4AB", LifecycleState::active, 47.0, 8.0);
    AiAc& other = addStatic(2, "BAW1*", LifecycleState::active, 47.0, 8.0001);
    AiAc& far = addStatic(3, "KLM2*", LifecycleState::active, 47.01, 8.0);
    LiveAc& live = addLive(10001, "DLH4AB", "A320", LifecycleState::active, 47.0, 8.0, false);
    live.landed = 1;
    gf_collisionAvoidanceRemove(0);
    EXPECT_TRUE(g_removalDeque.empty());
    live.landed = 0;
    gf_collisionAvoidanceRemove(0);
    EXPECT_EQ(g_removalDeque, std::deque<std::uint32_t>{other.objectId});
    EXPECT_EQ(same.fs, LifecycleState::active);
    EXPECT_EQ(far.fs, LifecycleState::active);
    EXPECT_DOUBLE_EQ(live.lastCheckLat, 47.0);
}

TEST_F(Removal, QueuedStaticCreatesAreWithdrawnByCallsign) {
    std::deque<CreateAcRequest> deque{request(1, "A*"), request(2, "B*"), request(3, "A*")};
    EXPECT_TRUE(gf_dropQueuedStaticCreate(deque, "A*"));
    ASSERT_EQ(deque.size(), 1u);
    EXPECT_EQ(deque.front().callsign, "B*");
    EXPECT_FALSE(gf_dropQueuedStaticCreate(deque, "C*"));

    AiAc& s = addStatic(4, "D*", LifecycleState::adding2sim);
    g_staticCreateDeque = {request(4, "D*")};
    gf_removeAllStatic();
    EXPECT_TRUE(g_staticList.empty()) << "the withdrawn static record is erased";
    EXPECT_TRUE(g_staticCreateDeque.empty());
    (void)s;
}

}  // namespace
}  // namespace zrb::test
