// The simulator's notices as the manager handles them, pushed straight into
// the notice list; what the manager sends stays in the layer's queues.
#include <gtest/gtest.h>

#include <filesystem>

#include "foundation/user_error.h"
#include "manager_fixture.h"
#include "shell/common/message_line.h"
#include "simlink/sim_ids.h"
#include "stand_table_fixture.h"
#include "traffic/stand_search.h"
#include "traffic/traffic_pass.h"

namespace zrb::test {
namespace {

constexpr double degree = 0.017453292519943295;

void push(SimNoticeKind kind, std::uint32_t objectId, std::uint32_t hexId, double a = 0.0, double b = 0.0) {
    gf_pushSimNotice(SimNotice{objectId, hexId, 0, static_cast<std::uint32_t>(kind), a, b});
}

void passes(int count) {
    for (int i = 0; i < count; ++i) gf_processSimNotices();
}

using Notices = ManagerTest;

TEST_F(Notices, ACreatedLiveAircraftWaitsTwoSecondsThenStartsAndGoesIfRemovedMeanwhile) {
    LiveAc& a = addLive(10001, "DLH1", "A320", LifecycleState::adding2sim, 47.0, 8.0, false);
    a.st = MovementState::taxi;
    push(SimNoticeKind::liveCreated, 2, 10001);  // the user's id range: ignored
    push(SimNoticeKind::liveCreated, 120, 10001, 0.0, 8.5);
    push(SimNoticeKind::liveCreated, 120, 10001, 0.0, 8.5);  // the same object reported twice
    gf_processSimNotices();
    EXPECT_EQ(a.objectId, 120u);
    EXPECT_DOUBLE_EQ(a.agl, 8.5);
    EXPECT_EQ(a.onGround, 1) << "a ground aircraft is parked on creation";
    EXPECT_EQ(g_newObjects.size(), 1u);
    passes(198);
    EXPECT_EQ(a.fs, LifecycleState::adding2sim);
    EXPECT_TRUE(gf_queuedClientEvents().empty());
    passes(1);
    EXPECT_EQ(a.fs, LifecycleState::active);
    EXPECT_TRUE(g_newObjects.empty());
    const auto events = gf_queuedClientEvents();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events[1].eventId, static_cast<std::uint32_t>(evEngineAutoStart));

    LiveAc& b = addLive(10002, "DLH2", "A320", LifecycleState::adding2sim);
    removeAircraftFromSim(b);  // its create was handed over already
    push(SimNoticeKind::liveCreated, 121, 10002, 0.0, 3000.0);
    passes(200);
    EXPECT_EQ(gf_findLive(10002)->fs, LifecycleState::removingfromsim);
    EXPECT_EQ(g_removalDeque, std::deque<std::uint32_t>{121});
}

TEST_F(Notices, ObjectsWithoutARecordAreRemovedNotOrphaned) {
    push(SimNoticeKind::liveCreated, 130, 10099);  // nobody asked for it
    LiveAc& a = addLive(10003, "DLH3", "A320", LifecycleState::adding2sim);
    push(SimNoticeKind::liveCreated, 131, 10003);
    gf_processSimNotices();
    EXPECT_EQ(g_removalDeque, std::deque<std::uint32_t>{130});
    lf_eraseAc(a);  // the record goes during the wait (not by the object's removal)
    passes(200);
    EXPECT_EQ(g_removalDeque, (std::deque<std::uint32_t>{130, 131}));
    EXPECT_TRUE(g_newObjects.empty());

    // Created and removed before the manager saw either: nothing stays.
    addLive(10004, "DLH4", "A320", LifecycleState::adding2sim);
    push(SimNoticeKind::removed, 132, 0);
    push(SimNoticeKind::liveCreated, 132, 10004);
    push(SimNoticeKind::removed, 999, 0);  // unknown: nothing
    gf_processSimNotices();
    EXPECT_EQ(gf_findLive(10004), nullptr);
    EXPECT_TRUE(g_newObjects.empty());
    EXPECT_EQ(g_removalDeque.size(), 2u);
}

TEST_F(Notices, CentreOfGravityAndParkedPitchAreKeptOnlyWhenPlausible) {
    LiveAc& a = addLive(10001, "DLH1", "A320", LifecycleState::active);
    a.cgHeight = 9.0;
    const auto cg = [&](double height, double pitch) {
        push(SimNoticeKind::centreOfGravity, a.objectId, 0, height, pitch);
        gf_processSimNotices();
    };
    cg(0.5, 3 * degree);
    EXPECT_DOUBLE_EQ(a.cgHeight, 9.0);
    EXPECT_DOUBLE_EQ(a.parkedPitch, g_defaultParkedPitchRad);
    cg(12.0, -0.99 * degree);
    EXPECT_DOUBLE_EQ(a.cgHeight, 12.0);
    EXPECT_DOUBLE_EQ(a.parkedPitch, -0.99 * degree);
    cg(std::nan(""), -1 * degree);
    EXPECT_DOUBLE_EQ(a.cgHeight, 12.0);
    EXPECT_DOUBLE_EQ(a.parkedPitch, g_defaultParkedPitchRad);
    cg(40.0, std::nan(""));
    EXPECT_DOUBLE_EQ(a.parkedPitch, g_defaultParkedPitchRad);
}

TEST_F(Notices, GroundDataMarkTheTouchdownAndSetTheAltitudeOnTheGround) {
    LiveAc& a = addLive(10001, "DLH1", "A320", LifecycleState::active);
    a.flareStage = 3;
    a.cgHeight = 8.0;
    a.st = MovementState::flying;
    g_fastRange = true;
    const double climbLimit = a.maxSpeedChange = 0.6;
    push(SimNoticeKind::groundData, a.objectId, 0, 1400.0, 30.0);
    gf_processSimNotices();
    EXPECT_EQ(a.onGround, 0);
    EXPECT_DOUBLE_EQ(a.agl, 30.0);
    push(SimNoticeKind::groundData, a.objectId, 1, 1400.0, 1.0);
    gf_processSimNotices();
    EXPECT_EQ(a.onGround, 1);
    EXPECT_EQ(a.touchedDown, 1);
    EXPECT_FALSE(g_fastRange);
    EXPECT_DOUBLE_EQ(a.block.altitudeFt, 1408.0);
    EXPECT_DOUBLE_EQ(a.maxSpeedChange, climbLimit) << "the climb limit of the next take-off stays";
}

TEST_F(Notices, RemovalsEraseRecordsOrReturnRespawnsToTheBuffer) {
    LiveAc& respawn = addLive(10001, "DLH1", "A320", LifecycleState::liveryrespawn);
    respawn.objectId = 140;
    respawn.throttleIndex = 2;
    respawn.flapsIndex = 1;
    LiveAc& active = addLive(10002, "DLH2", "A320", LifecycleState::active);
    active.objectId = 141;
    std::filesystem::create_directories(gf_flightPlanFolder());
    writeFile(lf_flightPlanPath(140), "old");
    writeFile(lf_flightPlanPath(141), "plan");
    respawn.flightPlanWritten = 1;
    active.flightPlanWritten = 1;
    push(SimNoticeKind::removed, 140, 0);
    push(SimNoticeKind::removed, 141, 0);
    gf_processSimNotices();
    ASSERT_EQ(g_liveList.size(), 1u);
    const LiveAc& back = g_liveList[0];
    EXPECT_EQ(back.fs, LifecycleState::buffer);
    EXPECT_EQ(back.objectId, 0u);
    EXPECT_EQ(back.throttleIndex, 5u);
    EXPECT_EQ(back.flapsIndex, 4u);
    EXPECT_FALSE(std::filesystem::exists(lf_flightPlanPath(140))) << "a respawn's old plan does not stay behind";
    EXPECT_FALSE(std::filesystem::exists(lf_flightPlanPath(141)));
}

TEST_F(Notices, FailedCreationsAndBlockedCallsigns) {
    addStatic(7, "DLH7*", LifecycleState::adding2sim);
    push(SimNoticeKind::creationFailed, 0, 7);
    addLive(10001, "DLH1", "A320", LifecycleState::adding2sim);
    push(SimNoticeKind::creationFailed, 0, 10001);
    addLive(10002, "BLK1", "A320", LifecycleState::buffer);
    addLive(10003, "BLK2", "A320", LifecycleState::active);
    push(SimNoticeKind::blocked, 0, 10002);
    push(SimNoticeKind::blocked, 0, 10003);
    gf_processSimNotices();
    EXPECT_TRUE(g_staticList.empty());
    EXPECT_EQ(gf_findLive(10001), nullptr);
    EXPECT_TRUE(gf_queuedClientEvents().empty() && gf_queuedCreates().empty() && gf_queuedRemovals().empty());
    EXPECT_EQ(g_failedTitles, std::vector<std::string_view>{m_title}) << "the same livery failing twice counts once";
    EXPECT_TRUE(m_folder.logContains("DLH1 'Stand-in livery' could not be created by your Sim!"));
    EXPECT_EQ(gf_failedLiveryLines(), (std::vector<std::string>{"  A320 DLH", "  B738 DLH"}));
    // Erasing moved records: they are looked up again.
    EXPECT_EQ(gf_findLive(10002)->dropFromList, 1);
    EXPECT_EQ(gf_findLive(10003)->fs, LifecycleState::removingfromsim);

    // The window and Log.txt show a title in the legacy bytes of its aircraft.cfg as UTF-8.
    static const std::string legacy = "Stand-in M\xFCller";
    addLive(10004, "DLH4", "A320", LifecycleState::adding2sim).title = legacy;
    push(SimNoticeKind::creationFailed, 0, 10004);
    gf_processSimNotices();
    const std::string shown = "DLH4 'Stand-in M\xC3\xBCller' could not be created by your Sim!";
    EXPECT_EQ(gf_messageLineView().message, shown);
    EXPECT_TRUE(m_folder.logContains(shown));
    EXPECT_TRUE(m_folder.logIsUtf8());
}

// Each way a live record leaves the list lets go of the stand it claimed,
// whatever state it was in; another aircraft's claim stays.
TEST_F(Notices, EveryWayOutOfTheLiveListLetsGoOfTheStand) {
    std::vector<Stand> table;
    for (int i = 0; i < 6; ++i) addStand(table, "S" + std::to_string(i + 1), 100.0 * i, 0.0, 30.0);
    gf_replaceStandTable(std::move(table));
    const auto bornAt = [](std::uint32_t hexId, const std::string& callsign, std::size_t stand, LifecycleState fs) {
        LiveAc& a = addLive(hexId, callsign, "A320", fs, 47.0, 8.0, false);
        gf_claimStand(a, StandTable[stand]);
        a.st = MovementState::parked;
        a.onGround = 1;
        return a.hexId;
    };
    // The simulator removes a parked aircraft on its own.
    const std::uint32_t gone = bornAt(10001, "DLH1", 0, LifecycleState::active);
    push(SimNoticeKind::removed, gf_findLive(gone)->objectId, 0);
    // Created and removed again before the manager saw either.
    bornAt(10002, "DLH2", 1, LifecycleState::adding2sim);
    push(SimNoticeKind::removed, 150, 0);
    push(SimNoticeKind::liveCreated, 150, 10002);
    // Refused for too many objects: dropped, its livery not blamed.
    bornAt(10003, "DLH3", 2, LifecycleState::adding2sim);
    push(SimNoticeKind::creationRefused, 0, 10003);
    // A respawn whose old object goes: back to the buffer, still holding its stand.
    const std::uint32_t respawn = bornAt(10004, "DLH4", 3, LifecycleState::liveryrespawn);
    gf_findLive(respawn)->objectId = 160;
    push(SimNoticeKind::removed, 160, 0);
    gf_processSimNotices();
    EXPECT_EQ(g_liveList.size(), 1u);
    EXPECT_TRUE(g_failedTitles.empty());
    EXPECT_TRUE(m_folder.logContains("DLH3") && m_folder.logContains("was not created by the simulator, dropped"));
    EXPECT_EQ(StandTable[3].liveParked, 1);

    // Dropped in the buffer, and a create request the simulator could not take.
    gf_findLive(respawn)->dropFromList = 1;
    bornAt(10005, "DLH500000005", 4, LifecycleState::adding2sim);
    g_spawnStack.push_back(10005);
    // A stand another aircraft drove onto after this one left it stays that one's.
    LiveAc& left = addLive(10006, "DLH6", "A320", LifecycleState::active, 47.0, 8.0, false);
    left.standId = StandTable[5].number;
    left.st = MovementState::taxi;
    bornAt(10007, "DLH7", 5, LifecycleState::active);
    removeAircraftFromSim(*gf_findLive(10006));
    push(SimNoticeKind::removed, gf_findLive(10006)->objectId, 0);
    g_passTick = 1;
    lf_handleAddingStack();
    lf_handleAddingStack();
    for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(StandTable[i].liveParked, 0) << StandTable[i].id;
    EXPECT_EQ(StandTable[5].liveParked, 1);
    ASSERT_EQ(g_liveList.size(), 1u);
    EXPECT_EQ(g_liveList[0].hexId, 10007u);
}

TEST_F(Notices, TheTwentiethDistinctFailedLiveryStopsTheRunWithError81) {
    static std::vector<std::string> titles;
    titles.clear();
    for (int i = 0; i < 20; ++i) titles.push_back("Broken livery " + std::to_string(i));
    for (int i = 0; i < 19; ++i) {
        LiveAc& a = addLive(10001 + i, "DLH" + std::to_string(i), "A320", LifecycleState::adding2sim);
        a.title = titles[i];
        push(SimNoticeKind::creationFailed, 0, a.hexId);
    }
    gf_processSimNotices();
    EXPECT_EQ(g_failedTitles.size(), 19u);
    LiveAc& last = addLive(10100, "DLH99", "A320", LifecycleState::adding2sim);
    last.title = titles[19];
    push(SimNoticeKind::creationFailed, 0, last.hexId);
    try {
        gf_processSimNotices();
        FAIL() << "no error 81";
    } catch (const UserErrorException& e) {
        EXPECT_STREQ(e.what(), "81: There are too many liveries that could not be created by P3D!, see Log.txt");
    }
    EXPECT_TRUE(m_folder.logContains("===> Error 81, There are too many liveries"));
    EXPECT_EQ(gf_findLive(10100), nullptr) << "the record went before the error";
}

}  // namespace
}  // namespace zrb::test
