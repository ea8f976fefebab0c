// Static aircraft built from the planned list: free and taken stands, their
// callsigns, observation times, static numbers and liveries, and the
// predicates the schedule search asks.
#include <gtest/gtest.h>

#include <atomic>

#include "airports/static_parking_plan.h"
#include "airports/stand.h"
#include "foundation/time.h"
#include "manager_fixture.h"
#include "traffic/static_parking.h"

namespace zrb::test {
namespace {

constexpr Seconds mondayHalfPastMidnight = 1717374600;  // Mon 3 June 2024 00:30 UTC: day 1, slot 1
std::atomic<Seconds> g_now{mondayHalfPastMidnight};
Seconds lf_clock() { return g_now.load(); }

class StaticParking : public ManagerTest {
protected:
    StaticParking() {
        gf_setSystemClock(&lf_clock);
        // A1 and A2 overlap; B1 stands apart.
        addStand("A1", 47.4660, 8.5500, {2});
        addStand("A2", 47.4661, 8.5502, {1});
        addStand("B1", 47.4700, 8.5600, {});
    }
    ~StaticParking() override { gf_setSystemClock(nullptr); }

    static void addStand(const std::string& name, double lat, double lon, std::vector<std::uint32_t> neighbours) {
        StandTable.emplace_back(name, std::vector<StandOption>{}, lat, lon, 1.5, 40.0, 1, 1, 1);
        StandTable.back().number = static_cast<std::uint32_t>(StandTable.size());
        StandTable.back().neighbours = std::move(neighbours);
    }

    static PendingParking plan(std::uint32_t standId, const std::string& callsign = "", const std::string& type = "A320") {
        PendingParking p;
        p.standId = standId;
        p.airline = "DLH";
        p.type = type;
        p.callsign = callsign;
        return p;
    }

    // Plans one entry and lets the manager take it.
    static void take(const PendingParking& entry) {
        PendingParkingList.push_back(entry);
        lf_findStaticParking();
    }
};

TEST_F(StaticParking, AFreeStandGetsAStarredAircraftOnTheGroundAtItsPositionAndHeading) {
    PendingParking entry = plan(3, "AB123_");
    entry.coupledCallsign = "AB124";
    entry.staysNextHalfHour = 1;
    entry.registration = "D-AIZA";
    entry.liveHexId = 0x3C6444;
    entry.planKind = 0;
    entry.ageSlots = 3;
    take(entry);
    ASSERT_EQ(g_staticList.size(), 1u);
    const AiAc& s = g_staticList.front();
    EXPECT_EQ(s.callsign, "AB123*");
    EXPECT_EQ(s.text6, "AB123_") << "the option's callsigns are kept for the doubles rule";
    EXPECT_EQ(s.text7, "AB124");
    EXPECT_EQ(s.hexId, 1u) << "the static number";
    EXPECT_EQ(s.liveHexId, 0x3C6444u);
    EXPECT_EQ(s.planKind, 0u);
    EXPECT_EQ(s.fs, LifecycleState::adding2sim);
    EXPECT_EQ(s.title, m_title);
    EXPECT_EQ(s.day, 7u) << "three half-hours before Monday 00:30";
    EXPECT_EQ(s.slot, 46u);
    ASSERT_EQ(g_staticCreateDeque.size(), 1u);
    const CreateAcRequest& r = g_staticCreateDeque.front();
    EXPECT_EQ(r.callsign, "AB123*");
    EXPECT_EQ(r.hexId, 1u);
    EXPECT_EQ(r.initPos.onGround, 1u);
    EXPECT_DOUBLE_EQ(r.initPos.altitudeFt, 0.0);
    EXPECT_DOUBLE_EQ(r.initPos.latitudeDeg, 47.4700);
    EXPECT_NEAR(r.initPos.headingDeg, 1.5 * g_radToDeg, 1e-9);

    // Not staying into the next half-hour: the coupled callsign is shown.
    entry.staysNextHalfHour = 0;
    EXPECT_EQ(lf_detcs(entry), "AB124*");
    entry.coupledCallsign.clear();
    EXPECT_EQ(lf_detcs(entry), "AB123*");
    EXPECT_EQ(lf_starCallsign("AB123*"), "AB123*");
    entry.callsign.clear();
    EXPECT_EQ(lf_detcs(entry), "");
    EXPECT_TRUE(m_folder.logContains("lf_detcs callsign is empty.."));
}

TEST_F(StaticParking, ATakenOrOverlappedStandDropsTheEntryWithoutARequest) {
    LiveAc& live = addLive(10001, "SWR1", "A320", LifecycleState::active, 47.4660, 8.5500, false);
    live.st = MovementState::parked;
    live.standId = 1;
    take(plan(2, "DLH7"));
    take(plan(1, "DLH8"));
    EXPECT_TRUE(g_staticList.empty());
    EXPECT_TRUE(g_staticCreateDeque.empty());
    EXPECT_TRUE(m_folder.logContains("A2      : no static parking for DLH7, live aircraft SWR1 is adjacent at A1, possibly colliding"));
    EXPECT_TRUE(m_folder.logContains("A1      : no static parking for DLH8, live aircraft SWR1 standing here"));

    // A static aircraft holds its stand and its neighbours, unless it is on its way out.
    live.st = MovementState::taxi;
    take(plan(1, "DLH9"));
    take(plan(2, "DLH10"));
    EXPECT_EQ(g_staticList.size(), 1u);
    EXPECT_TRUE(m_folder.logContains("no static parking for DLH10, static aircraft DLH9* is adjacent at A1"));
    g_staticList.front().fs = LifecycleState::removingfromsim;
    take(plan(2, "DLH11"));
    EXPECT_EQ(g_staticList.size(), 2u);

    take(plan(9, "DLH12"));
    EXPECT_TRUE(m_folder.logContains("stand with id 9 not found"));
    EXPECT_EQ(g_staticList.size(), 2u);

    // A callsign the simulator's field cannot hold would come back as a failed livery.
    take(plan(3, "ABCDEFGHIJK"));
    EXPECT_EQ(g_staticList.size(), 2u);
    EXPECT_EQ(g_staticCreateDeque.size(), 2u);
    EXPECT_TRUE(m_folder.logContains("callsign 'ABCDEFGHIJK*' cannot be sent, no static aircraft at B1"));
}

TEST_F(StaticParking, NumbersAreConsumedWithoutALiveryAndNeverShared) {
    take(plan(1, "", "C172"));  // no livery of that type: number 1 is spent
    EXPECT_TRUE(g_staticList.empty());
    take(plan(3));
    ASSERT_EQ(g_staticList.size(), 1u);
    EXPECT_EQ(g_staticList.back().callsign, "DLH2*");

    // Far into a long session the numbers wrap, past those still standing.
    addStatic(1, "OLD1*", LifecycleState::active);
    for (std::uint32_t n = 3; n < g_staticNumbers; ++n) take(plan(1, "", "C172"));
    take(plan(1));
    EXPECT_EQ(g_staticList.back().hexId, 3u) << "0 is no static number, 1 and 2 still stand";
    EXPECT_EQ(g_staticList.back().callsign, "DLH3*");
}

TEST_F(StaticParking, TheSearchPredicatesNeverMatchEmptyTexts) {
    StandOption option;
    option.callsign = "DLH100";
    AiAc& s = addStatic(5, "DLH100*", LifecycleState::active);
    s.text6 = "DLH100";
    EXPECT_TRUE(lf_staticHasOptionCallsign(s, option, ""));
    s.text6.clear();
    EXPECT_FALSE(lf_staticHasOptionCallsign(s, option, "")) << "empty coupled callsign, empty registrations";
    s.registration = "D-ABCD";
    EXPECT_TRUE(lf_staticHasOptionCallsign(s, option, "D-ABCD"));
    PendingParking entry;
    EXPECT_FALSE(lf_pendingHasOptionCallsign(entry, option));
    entry.callsign = "DLH100";
    EXPECT_TRUE(lf_pendingHasOptionCallsign(entry, option));
}

TEST_F(StaticParking, RemovingAQueuedStaticAircraftWithdrawsOnlyItsOwnRequest) {
    take(plan(1, "DLH7"));
    take(plan(3, "DLH7"));  // planned twice under one callsign
    ASSERT_EQ(g_staticCreateDeque.size(), 2u);
    removeAircraftFromSim(g_staticList.front());
    EXPECT_EQ(g_staticList.front().cancelled, 1);
    ASSERT_EQ(g_staticCreateDeque.size(), 1u);
    EXPECT_EQ(g_staticCreateDeque.front().hexId, g_staticList.back().hexId);
}

}  // namespace
}  // namespace zrb::test
