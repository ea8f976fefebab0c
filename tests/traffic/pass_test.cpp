// The pacing of one pass: removals every 10 passes, creations every 50 (live
// first), two feed records per pass from the back, one create request from the
// spawn stack, read from the simulator layer's queues without a simulator.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "airports/static_parking_plan.h"
#include "airports/stand.h"
#include "manager_fixture.h"

namespace zrb::test {
namespace {

using Pass = ManagerTest;

CreateAcRequest request(std::uint32_t hexId) {
    CreateAcRequest r;
    r.hexId = hexId;
    r.callsign = "CS" + std::to_string(hexId);
    return r;
}

// Runs passes from tick 0 and notes at which tick each object id or hex id
// first reached the layer's queues.
std::map<std::uint32_t, std::int32_t> runAndNote(int count, bool creations) {
    std::map<std::uint32_t, std::int32_t> seen;
    for (int i = 0; i < count; ++i) {
        const std::int32_t tick = g_passTick.load();
        lf_handleAddingStack();
        if (creations) {
            for (const CreateAcRequest& r : gf_queuedCreates()) seen.emplace(r.hexId, tick);
        } else {
            for (const std::uint32_t id : gf_queuedRemovals()) seen.emplace(id, tick);
        }
    }
    return seen;
}

TEST_F(Pass, OneRemovalEveryTenPassesOneCreationEveryFiftyLiveFirst) {
    g_removalDeque = {201, 202, 203};
    EXPECT_EQ(runAndNote(25, false), (std::map<std::uint32_t, std::int32_t>{{201, 0}, {202, 10}, {203, 20}}));

    g_passTick = 0;
    g_staticCreateDeque = {request(7)};
    g_liveCreateDeque = {request(10001), request(10002)};
    EXPECT_EQ(runAndNote(120, true),
              (std::map<std::uint32_t, std::int32_t>{{10001, 0}, {10002, 50}, {7, 100}}));
}

TEST_F(Pass, WithNothingQueuedThePlannedStaticAircraftAreBuiltOnTheFiftiethPass) {
    StandTable.emplace_back("B12", std::vector<StandOption>{}, 47.001, 8.002, 1.0, 30.0, 1, 1, 1);
    StandTable.back().number = 3;
    StandTable.emplace_back("B14", std::vector<StandOption>{}, 47.003, 8.002, 1.0, 30.0, 1, 1, 1);
    StandTable.back().number = 4;
    PendingParking entry;
    entry.standId = 4;
    entry.airline = "DLH";
    entry.type = "A320";
    PendingParkingList = {entry, entry};
    PendingParkingList.back().standId = 3;
    g_passTick = 1;
    lf_handleAddingStack();
    EXPECT_EQ(PendingParkingList.size(), 2u) << "only on a multiple of 50";
    g_passTick = 50;
    lf_handleAddingStack();
    ASSERT_EQ(g_staticCreateDeque.size(), 1u);
    const CreateAcRequest& r = g_staticCreateDeque.front();
    EXPECT_EQ(r.callsign, "DLH1*");
    EXPECT_EQ(r.initPos.onGround, 1u);
    EXPECT_DOUBLE_EQ(r.initPos.latitudeDeg, 47.001);
    EXPECT_NEAR(r.initPos.headingDeg, 57.29577951308232, 1e-9);
    EXPECT_EQ(g_staticList.back().fs, LifecycleState::adding2sim);
    g_passTick = 100;
    lf_handleAddingStack();  // sends the queued one and prepares the next on the same pass
    EXPECT_EQ(gf_queuedCreates().size(), 1u);
    ASSERT_EQ(g_staticCreateDeque.size(), 1u);
    EXPECT_EQ(g_staticCreateDeque.front().callsign, "DLH2*");
}

TEST_F(Pass, TwoFeedRecordsPerPassFromTheBack) {
    {
        std::lock_guard lock(g_runMutex);
        for (std::uint32_t i = 0; i < 5; ++i) {
            TrafficRecord r;
            r.hexId = 0x400000 + i;
            r.callsign = "DLH" + std::to_string(i);
            r.type = "A320";
            r.sample.lat = 47.0;
            r.sample.lon = 8.0;
            r.sample.altitude = 3000;
            r.sample.airborne = 1;
            r.sample.duePass = 3000;  // not yet near: nothing spawns or drops them
            r.time = 1700000000;
            g_pendingTrafficRecords.push_back(r);
        }
    }
    const auto pending = [] {
        std::lock_guard lock(g_runMutex);
        return g_pendingTrafficRecords.size();
    };
    lf_handleAddingStack();
    EXPECT_EQ(pending(), 3u);
    EXPECT_EQ(g_liveList.front().hexId, 0x400004u);
    lf_handleAddingStack();
    EXPECT_EQ(pending(), 1u);
    lf_handleAddingStack();
    EXPECT_EQ(pending(), 0u);
    EXPECT_EQ(g_liveList.size(), 5u);
}

TEST_F(Pass, FeedRecordsOffTheGlobeLeaveNoRecord) {
    // Records with a time, so that only their position can drop them; the
    // sound one beside them shows that the rest of the intake would take them.
    const auto record = [](std::uint32_t hexId, double lat, double lon) {
        TrafficRecord r;
        r.hexId = hexId;
        r.callsign = "NAN" + std::to_string(hexId);
        r.type = "A320";
        r.sample.lat = lat;
        r.sample.lon = lon;
        r.sample.altitude = 3000;
        r.sample.airborne = 1;
        r.sample.duePass = 3000;
        r.time = 1700000000;
        return r;
    };
    {
        std::lock_guard lock(g_runMutex);
        g_pendingTrafficRecords = {record(0x400100, std::nan(""), 8.0), record(0x400101, 95.0, 8.0),
                                   record(0x400102, 47.0, 181.0), record(0x400103, 47.0, 8.0)};
    }
    for (int pass = 0; pass < 2; ++pass) lf_handleAddingStack();
    ASSERT_EQ(g_liveList.size(), 1u);
    EXPECT_EQ(g_liveList.front().hexId, 0x400103u);
    const auto lines = m_folder.logLines();
    EXPECT_LE(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.find("off the globe") != std::string::npos; }),
              1)
        << "logged once, not for every record";
}

TEST_F(Pass, TheSpawnStackBecomesCreateRequestsInDegreesUnlessTheCallsignCannotBeSent) {
    LiveAc& a = addLive(10001, "DLH4AB", "A320", LifecycleState::adding2sim, 47.5, 8.5, true);
    a.block.altitudeFt = 5000.0;
    a.block.headingRad = g_pi;
    a.block.pitchRad = -0.05;
    addLive(10002, "", "A320", LifecycleState::adding2sim);
    addLive(10003, "ABCDEFGHIJKL", "A320", LifecycleState::adding2sim);
    g_spawnStack = {10001, 10002, 10003};
    g_passTick = 1;
    lf_handleAddingStack();
    EXPECT_EQ(gf_findLive(10003)->dropFromList, 1) << "a callsign longer than 11 characters cannot be sent";
    lf_handleAddingStack();
    EXPECT_EQ(gf_findLive(10002)->dropFromList, 1);
    EXPECT_TRUE(m_folder.logContains("lf_handleAddingStack"));
    lf_handleAddingStack();
    ASSERT_EQ(g_liveCreateDeque.size(), 1u);
    const CreateAcRequest& r = g_liveCreateDeque.front();
    EXPECT_EQ(r.callsign, "DLH4AB");
    EXPECT_EQ(r.title, m_title);
    EXPECT_EQ(r.hexId, 10001u);
    EXPECT_DOUBLE_EQ(r.initPos.headingDeg, 180.0);
    EXPECT_DOUBLE_EQ(r.initPos.altitudeFt, 5000.0);
    EXPECT_NEAR(r.initPos.pitchDeg, -0.05 * 57.29577951308232, 1e-12);
    EXPECT_EQ(r.initPos.onGround, 0u);
    EXPECT_EQ(r.initPos.airspeedKt, 0u);
    lf_handleAddingStack();
    EXPECT_EQ(g_liveList.size(), 1u) << "the two that cannot be created are gone";
}

}  // namespace
}  // namespace zrb::test
