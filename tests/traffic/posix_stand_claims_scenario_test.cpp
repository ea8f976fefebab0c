// Creations and their answers against the stand-in: a stand claimed by an
// aircraft born there that never reached the simulator (its livery refused,
// the simulator full, blocked, removed as a ghost, a time shift) is given to
// the next aircraft reported there; twins under one callsign keep their own
// objects, and a creation never answered holds its twin back only for a
// while, its object removed should it come late, and its callsign waits before
// it is tried again; an object the simulator lost
// goes with its removal and comes back with the feed.
#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <fmt/format.h>

#include <algorithm>
#include <functional>
#include <string>

#include "airports/park_airport.h"
#include "airports/stand.h"
#include "simconnect/protocol.h"
#include "simlink/sim_object_lists.h"
#include "simlink/sim_queues.h"
#include "support/scenario/traffic_scenario.h"
#include "traffic/creation_backoff.h"
#include "traffic/ghosts_and_respawn.h"
#include "traffic/livery_bookkeeping.h"
#include "traffic/manager_views.h"
#include "traffic/sim_notice.h"
#include "traffic/traffic_lists.h"
#include "traffic/traffic_manager.h"

namespace zrb::test {
namespace {

constexpr double standLat = 47.4700;
constexpr double standLon = 8.5600;

void loadAirport() {
    gf_setCurrentParkAirport(CurrentParkAirportData{"LSZH", "", 47.4647, 8.5492, 1416.0});
    StandTable.clear();
    StandTable.emplace_back("G1", std::vector<StandOption>{}, standLat, standLon, 1.0, 40.0, 1, 1, 1);
    StandTable.back().number = 1;
}

LifecycleState stateOf(std::uint32_t hexId) {
    const LiveAc* a = gf_findLive(hexId);
    return a == nullptr ? LifecycleState::removingfromsim : a->fs;
}

// The feed shows the aircraft standing at G1: two records, then passes until it is spawned.
void reportedAtStand(TrafficScenario& s, const Flight& flight) {
    ASSERT_TRUE(s.feedLive({s.record(flight, standLat, standLon, 0, 0, 90)}));
    s.passes(2000);
    ASSERT_TRUE(s.feedLive({s.record(flight, standLat, standLon, 0, 0, 90)}));
    const auto spawned = [&] { return gf_findLive(flight.hexId) && stateOf(flight.hexId) != LifecycleState::buffer; };
    ASSERT_TRUE(s.passUntil(spawned, 2000));
}

// Created parked at G1, holding it.
void createdParkedAtStand(TrafficScenario& s, const Flight& flight) {
    ASSERT_TRUE(s.passUntil([&] { return stateOf(flight.hexId) == LifecycleState::active; }, 500)) << flight.callsign;
    const auto created = s.sim().creations();
    const auto c =
        std::find_if(created.begin(), created.end(), [&](const auto& x) { return x.atcId == flight.callsign; });
    ASSERT_NE(c, created.end());
    EXPECT_TRUE(c->onGround);
    EXPECT_NEAR(c->latitudeDeg, standLat, 1e-9);
    EXPECT_NEAR(c->longitudeDeg, standLon, 1e-9);
    EXPECT_NEAR(c->headingDeg, 1.0 * 180.0 / 3.141592653589793, 1e-9);
    const LiveAc* a = gf_findLive(flight.hexId);
    EXPECT_EQ(a->st, MovementState::parked);
    EXPECT_EQ(a->standId, 1u);
    EXPECT_EQ(StandTable[0].liveParked, 1);
}

TEST(StandClaimsScenario, AStandClaimedByAnAircraftThatNeverReachedTheSimulatorGoesToTheNext) {
    enum class Way { refusedLivery, simulatorFull, blocked, ghost, timeShift };
    const char* const names[] = {"refused livery", "simulator full", "blocked", "ghost", "time shift"};
    for (const Way way : {Way::refusedLivery, Way::simulatorFull, Way::blocked, Way::ghost, Way::timeShift}) {
        SCOPED_TRACE(names[static_cast<int>(way)]);
        TrafficScenario s;
        loadAirport();
        if (way == Way::refusedLivery) s.sim().setRefusedTitles({"Stand-in A320"});
        if (way == Way::simulatorFull) s.sim().failNextCreates(1, 11);
        const Flight first{0x4B2001, way == Way::ghost ? "SWR8_" : "SWR8", "A320", "", "", ""};
        ASSERT_NO_FATAL_FAILURE(reportedAtStand(s, first));
        ASSERT_EQ(stateOf(first.hexId), LifecycleState::adding2sim);
        EXPECT_EQ(StandTable[0].liveParked, 1) << "claimed at its spawn";
        // While its create request is still queued:
        if (way == Way::blocked)
            gf_pushSimNotice(SimNotice{0, first.hexId, 0, static_cast<std::uint32_t>(SimNoticeKind::blocked)});
        if (way == Way::ghost) lf_removeGhost("SWR8");
        if (way == Way::timeShift) gf_clearTrafficForTimeShift();
        ASSERT_TRUE(s.passUntil([&] { return gf_findLive(first.hexId) == nullptr; }, 300)) << "its record waits on";
        EXPECT_EQ(StandTable[0].liveParked, 0);
        EXPECT_TRUE(lf_pendingCreates().empty());

        const Flight next{0x4B2002, "EDW9", "B738", "", "", ""};
        ASSERT_NO_FATAL_FAILURE(reportedAtStand(s, next));
        ASSERT_NO_FATAL_FAILURE(createdParkedAtStand(s, next));
        if (way == Way::simulatorFull) {
            EXPECT_TRUE(g_failedTitles.empty()) << "a full simulator is no fault of the livery";
            EXPECT_TRUE(s.folder().logContains("SimConnect: too many objects (max 1000)"));
        }
    }
}

// The simulator names a new object by its callsign alone. Two flights under
// one callsign (types differ) and a third aircraft, all handed over in one
// frame: the third's answer comes first and each twin still gets its own object.
TEST(StandClaimsScenario, TwinsUnderOneCallsignKeepTheirOwnObjects) {
    ScenarioOptions options;
    options.passesPerFrame = 1 << 30;  // frames only when the test sends them
    TrafficScenario s(options);
    const Flight other{0x4B2101, "SWR1", "A320", "", "", ""};
    const Flight a320{0x4B2102, "DLH5", "A320", "", "", ""};
    const Flight b738{0x4B2103, "DLH5", "B738", "", "", ""};
    for (int poll = 0; poll < 3; ++poll) {
        const double lon = 8.40 + 0.01 * poll;
        ASSERT_TRUE(s.feedLive({s.record(other, 47.55, lon, 6000, 200, 90, 0, 0),
                                s.record(a320, 47.56, lon, 6000, 200, 90, 0, 1),
                                s.record(b738, 47.57, lon, 6000, 200, 90, 0, 2)}));
        s.passes(500);
    }
    ASSERT_TRUE(s.passUntil([] { return gf_queuedCreates().size() == 3; }, 3000));
    EXPECT_EQ(gf_queuedCreates().front().callsign, "SWR1");
    for (int i = 0; i < 1000; ++i) {
        if (stateOf(a320.hexId) == LifecycleState::active && stateOf(b738.hexId) == LifecycleState::active) break;
        s.frame();
        s.pass();
    }
    const auto titleOf = [&](std::uint32_t hexId) {
        const std::uint32_t objectId = gf_findLive(hexId)->objectId;
        for (const auto& o : s.sim().aiObjects())
            if (o.objectId == objectId) return o.title;
        return std::string("none");
    };
    ASSERT_EQ(stateOf(a320.hexId), LifecycleState::active);
    ASSERT_EQ(stateOf(b738.hexId), LifecycleState::active);
    EXPECT_EQ(titleOf(a320.hexId), "Stand-in A320");
    EXPECT_EQ(titleOf(b738.hexId), "Stand-in B738");
    EXPECT_EQ(titleOf(other.hexId), "Stand-in A320");
    EXPECT_EQ(s.sim().creations().size(), 3u);
}

// A creation never answered (its object removed before a range reply saw it,
// refused under a send id the link did not know, or made only later) holds
// its twin back for 100 range requests, not for good: then it ends as refused,
// its livery not blamed, and the twin is created at once. When its object does
// come, before the twin's own or after it, the twin flies the first and the
// other is removed.
TEST(StandClaimsScenario, ATwinWaitsForACreationNeverAnsweredOnlyAHundredRangeRequests) {
    enum class Way { removed, unknownSendId, lateBeforeTwin, lateAfterTwin };
    const char* const names[] = {"removed", "unknown send id", "late before the twin's", "late after the twin's"};
    for (const Way way : {Way::removed, Way::unknownSendId, Way::lateBeforeTwin, Way::lateAfterTwin}) {
        SCOPED_TRACE(names[static_cast<int>(way)]);
        const bool late = way == Way::lateBeforeTwin || way == Way::lateAfterTwin;
        ScenarioOptions options;
        options.passesPerFrame = 1 << 30;
        TrafficScenario s(options);
        const Flight a320{0x4B2102, "DLH5", "A320", "", "", ""};
        const Flight b738{0x4B2103, "DLH5", "B738", "", "", ""};
        for (int poll = 0; poll < 3; ++poll) {
            const double lon = 8.40 + 0.01 * poll;
            ASSERT_TRUE(s.feedLive(
                {s.record(a320, 47.56, lon, 6000, 200, 90, 0, 1), s.record(b738, 47.57, lon, 6000, 200, 90, 0, 2)}));
            s.passes(500);
        }
        ASSERT_TRUE(s.passUntil([] { return gf_queuedCreates().size() == 2; }, 3000));
        if (way == Way::unknownSendId) s.sim().failNextCreates(1);
        if (late) s.sim().delayNextCreates(way == Way::lateBeforeTwin ? 2 : 1);  // before: the twin's waits too
        lf_onFrameFlushQueues();  // the harness dispatches on this thread
        ASSERT_EQ(lf_pendingCreates().size(), 1U);
        const PendingCreate first = lf_pendingCreates()[0];
        if (way == Way::unknownSendId) lf_pendingCreates()[0].sendId = 0;  // as when the link could not tell it
        s.settle();
        if (way == Way::removed) {
            gf_queueRemoval(s.sim().creations().at(0).objectId);
            s.frame();
        }
        const auto requests = [&] { return g_rangeRequestsSent.load() - first.rangeRequests; };
        ASSERT_EQ(lf_pendingCreates().size(), 1U);
        ASSERT_TRUE(s.passUntil([&] { return requests() == 100; }, 20000));
        s.frame();
        EXPECT_TRUE(gf_queuedCreates().empty()) << "the twin goes in the same frame";
        s.pass();
        EXPECT_EQ(gf_findLive(first.hexId), nullptr);
        EXPECT_TRUE(g_failedTitles.empty());
        const auto line =
            fmt::format("create not answered within 100 range requests, hexid:{}, callsign: 'DLH5'", first.hexId);
        EXPECT_THAT(s.folder().logLines(), ::testing::Contains(::testing::HasSubstr(line)).Times(1));
        const std::uint32_t twin = first.hexId == a320.hexId ? b738.hexId : a320.hexId;
        if (way == Way::lateAfterTwin)
            ASSERT_TRUE(s.passUntil([&] { return stateOf(twin) == LifecycleState::active; }, 1000));
        if (late) s.sim().releaseDelayedCreates();
        EXPECT_TRUE(s.passUntil([&] { return stateOf(twin) == LifecycleState::active; }, 1000));
        if (!late) continue;

        // Every object left in the simulator is one the manager flies.
        const auto owned = [&] {
            const auto objects = s.sim().aiObjects();
            return std::all_of(objects.begin(), objects.end(), [](const auto& o) {
                return std::any_of(g_liveList.begin(), g_liveList.end(),
                                   [&o](const LiveAc& a) { return a.objectId == o.objectId; });
            });
        };
        for (int i = 0; i < 1000 && !owned(); ++i) {
            s.frame();
            s.pass();
        }
        EXPECT_TRUE(owned());
        const auto made = s.sim().creations();
        ASSERT_EQ(made.size(), 2U);
        EXPECT_EQ(s.sim().aiObjects().size(), 1U);
        EXPECT_EQ(stateOf(twin), LifecycleState::active);
        EXPECT_EQ(gf_findLive(twin)->objectId, made[0].objectId) << "the first to come";
        EXPECT_EQ(s.sim().removals(), std::vector<std::uint32_t>{made[1].objectId});
        const auto removedLine = fmt::format("! Simcon object {} came for a creation given up", made[1].objectId);
        EXPECT_THAT(s.folder().logLines(), ::testing::Contains(::testing::HasSubstr(removedLine)).Times(1));
        EXPECT_THAT(s.folder().logLines(), ::testing::Contains(::testing::HasSubstr("given up")).Times(1));
        EXPECT_THAT(s.folder().logLines(), ::testing::Not(::testing::Contains(::testing::HasSubstr("just spawned"))));
    }
}

// A simulator that never answers: after the creation is given up, no other is
// sent under its callsign for ten minutes, then twenty after the next one is
// given up. Another program's aircraft that comes under the callsign in
// between is logged and left alone, then and after the next try.
TEST(StandClaimsScenario, ACallsignTheSimulatorNeverAnswersWaitsAndAnotherProgramsAircraftUnderItIsLeftAlone) {
    ScenarioOptions options;
    options.passesPerFrame = 1 << 30;
    TrafficScenario s(options);
    const Flight dlh{0x4B2102, "DLH5", "A320", "", "", ""};
    s.sim().delayNextCreates(1000);
    const auto creations = [&] {
        const auto log = s.sim().packetLog();
        const auto create = [](const auto& e) { return e.fromClient && e.id == simconnect::opAICreateNonATCAircraft; };
        return std::count_if(log.begin(), log.end(), create);
    };
    const auto linesWith = [&](const std::string& text) {
        const auto lines = s.folder().logLines();
        return std::count_if(lines.begin(), lines.end(), [&](const auto& l) { return l.find(text) != l.npos; });
    };
    // One poll (5 s, five range requests) at a time, until the condition holds.
    int poll = 0;
    const auto pollUntil = [&](const std::function<bool()>& done, int polls) {
        for (int i = 0; i < polls && !done(); ++i, ++poll) {
            EXPECT_TRUE(s.feedLive({s.record(dlh, 47.56, 8.40 + 0.001 * poll, 6000, 200, 90, 0, 1)}));
            s.passes(500);
            s.frame();
        }
        return done();
    };
    const std::string givenUp = "create not answered within 100 range requests, hexid:4923650, callsign: 'DLH5'";
    const std::string waits = "DLH5 not created again for 10 min: the simulator left its creation unanswered";
    ASSERT_TRUE(pollUntil([&] { return linesWith(waits) == 1; }, 60));
    EXPECT_EQ(linesWith(givenUp), 1);
    EXPECT_FALSE(pollUntil([&] { return creations() > 1; }, 60)) << "five minutes of polls";

    lf_ageGivenUpCreatesForTest(g_givenUpCreateLifetime);
    const std::uint32_t otherId = s.sim().addForeignAircraft(standin::SimAircraft{
        .title = "Another program's A320", .atcId = "DLH5", .latitudeDeg = 47.56, .longitudeDeg = 8.45,
        .altitudeFt = 6000, .onGround = false});
    const std::string spawnedElsewhere =
        fmt::format("just spawned, but not by TLVR_P3D, oid: {}, callsign 'DLH5'", otherId);
    ASSERT_TRUE(pollUntil([&] { return linesWith(spawnedElsewhere) == 1; }, 4));

    gf_ageCreationBackoffForTest(g_unansweredCreationBackoff);
    ASSERT_TRUE(pollUntil([&] { return creations() == 2; }, 10));
    ASSERT_TRUE(pollUntil([&] { return linesWith("DLH5 not created again for 20 min") == 1; }, 60));
    EXPECT_EQ(linesWith(givenUp), 2);
    gf_ageCreationBackoffForTest(g_unansweredCreationBackoff);
    EXPECT_FALSE(pollUntil([&] { return creations() > 2; }, 10)) << "half of the second wait";

    const auto objects = s.sim().aiObjects();
    const auto o = std::find_if(objects.begin(), objects.end(), [&](const auto& x) { return x.objectId == otherId; });
    ASSERT_NE(o, objects.end());
    EXPECT_FALSE(o->released || o->frozenLatLon || o->frozenAltitude || o->frozenAttitude);
    EXPECT_EQ(o->positionUpdates, 0U);
    EXPECT_TRUE(s.sim().removals().empty());
    EXPECT_EQ(linesWith("just spawned"), 1);
}

// The removal of an object the simulator no longer knows is answered
// UNRECOGNIZED_ID: the record goes all the same, and the aircraft, still
// reported, is created again.
TEST(StandClaimsScenario, AnObjectTheSimulatorLostGoesWithItsRemovalAndComesBackWithTheFeed) {
    TrafficScenario s;
    loadAirport();
    const Flight parked{0x4B2201, "EZY3", "A320", "", "", ""};
    ASSERT_NO_FATAL_FAILURE(reportedAtStand(s, parked));
    ASSERT_NO_FATAL_FAILURE(createdParkedAtStand(s, parked));
    s.sim().forgetObject(gf_findLive(parked.hexId)->objectId);
    removeAircraftFromSim(*gf_findLive(parked.hexId));
    ASSERT_TRUE(s.passUntil([&] { return gf_findLive(parked.hexId) == nullptr; }, 100)) << "it waits for good";
    EXPECT_TRUE(s.folder().logContains("SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID"));
    ASSERT_NO_FATAL_FAILURE(reportedAtStand(s, parked));
    ASSERT_NO_FATAL_FAILURE(createdParkedAtStand(s, parked));
    EXPECT_EQ(s.sim().creations().size(), 2u);
}

}  // namespace
}  // namespace zrb::test
