// When and how a live aircraft in buffer enters the simulator: the lead of
// its first sample, the queue of creations, attitude and airline, the user's
// aircraft in the way, the stand it is born at (which a static aircraft then
// leaves), and ghost copies.
#include <cmath>

#include "airports/park_airport.h"
#include "airports/stand.h"
#include "foundation/geodesy.h"
#include "manager_fixture.h"
#include "traffic/spawning.h"

namespace zrb::test {
namespace {

class Spawning : public ManagerTest {
protected:
    Spawning() {
        g_userAcCopy = UserAcData{};
        g_userAcCopy.lat = 46.0;  // far from everything
        g_userAcCopy.lon = 7.0;
        g_userAcCopy.onGround = true;
    }
    // A buffered aircraft with a second sample 5 s later, both airborne or both on the ground.
    static LiveAc& buffered(std::uint32_t hexId, const std::string& callsign, std::int32_t due, bool airborne,
                            double groundSpeed = 0.0, double verticalRate = 0.0) {
        LiveAc& a = addLive(hexId, callsign, "A320", LifecycleState::buffer, 47.0, 8.0, airborne);
        a.title = {};
        a.airline.clear();
        a.maxSpeedChange = 0.6;
        PosSample& f = a.samples.front();
        f.duePass = due;
        f.groundSpeed = groundSpeed;
        f.verticalRate = verticalRate;
        PosSample n = f;
        n.lon += 0.001;
        n.duePass = due + 500;
        a.samples.push_back(n);
        return a;
    }
};

TEST_F(Spawning, LeadAndQueueOfCreations) {
    g_passTick = 1000;
    LiveAc& standing = buffered(0x400001, "DLH1", 1101, false);
    LiveAc& rolling = buffered(0x400002, "DLH2", 1301, false, 3.0);
    lf_spawnOrWait(standing);
    lf_spawnOrWait(rolling);
    EXPECT_EQ(standing.fs, LifecycleState::buffer);
    EXPECT_EQ(rolling.fs, LifecycleState::buffer);
    g_passTick = 1001;
    lf_spawnOrWait(standing);
    lf_spawnOrWait(rolling);
    EXPECT_EQ(standing.fs, LifecycleState::adding2sim) << "100 passes ahead when it stands";
    EXPECT_EQ(rolling.fs, LifecycleState::adding2sim) << "300 passes ahead when it rolls";
    EXPECT_EQ(g_spawnStack, (std::vector<std::uint32_t>{0x400001, 0x400002}));
    EXPECT_EQ(standing.st, MovementState::taxi);
    EXPECT_NEAR(standing.block.pitchRad, 0.6 * g_degToRad, 1e-12);
    EXPECT_DOUBLE_EQ(standing.maxSpeedChange, 0.6) << "the climb limit of a later take-off stays";

    // Eleven creations queued: a new aircraft loses its front sample instead.
    g_liveCreateDeque.resize(11);
    LiveAc& waiting = buffered(0x400003, "DLH3", 0, true);
    lf_spawnOrWait(waiting);
    EXPECT_EQ(waiting.fs, LifecycleState::buffer);
    EXPECT_EQ(waiting.samples.size(), 1u);
    g_liveCreateDeque.resize(10);
    LiveAc& next = buffered(0x400004, "DLH4", 0, true);
    lf_spawnOrWait(next);
    EXPECT_EQ(next.fs, LifecycleState::adding2sim);
}

TEST_F(Spawning, AttitudeAirlineAndBlockedCallsign) {
    LiveAc& climbing = buffered(0x400011, "DLH11", 0, true, 250, 3000);
    LiveAc& descending = buffered(0x400012, "DLH12", 0, true, 250, -4000);
    LiveAc& privateOne = buffered(0x400013, "N123AB", 0, true, 120);
    LiveAc& blocked = buffered(0x400014, "BLK1", 0, true, 200);
    BLOCK_CALLSIGN.value = std::string("BLK1");
    for (LiveAc* a : {&climbing, &descending, &privateOne, &blocked}) lf_spawnOrWait(*a);
    EXPECT_NEAR(climbing.block.pitchRad * g_radToDeg, -11.8, 1e-9);
    EXPECT_NEAR(descending.block.pitchRad * g_radToDeg, 2.5, 1e-9);
    EXPECT_NEAR(climbing.block.headingRad, g_pi / 2, 0.01) << "toward the second sample";
    EXPECT_EQ(climbing.st, MovementState::flying);
    EXPECT_EQ(climbing.airline, "DLH");
    EXPECT_EQ(privateOne.airline, "PVT");
    EXPECT_EQ(blocked.dropFromList, 1);
}

TEST_F(Spawning, TheUsersAircraftKeepsNewAircraftAway) {
    // On the ground: nothing appears within 150 m of the user, until the user is 500 m away.
    g_passTick = 10000;  // every sample due
    g_userAcCopy.lat = 47.0;
    g_userAcCopy.lon = 8.0 - 100.0 / 75900.0;
    LiveAc& near = buffered(0x400021, "DLH21", 0, false);
    for (int i = 0; i < 3; ++i) near.samples.push_back(near.samples.back());
    lf_spawnOrWait(near);
    EXPECT_EQ(near.fs, LifecycleState::buffer);
    EXPECT_EQ(near.waitingForUser, 1);
    EXPECT_EQ(near.samples.size(), 4u) << "each pass it waits costs it its front sample";
    g_userAcCopy.lon = 8.0 - 300.0 / 75900.0;
    lf_spawnOrWait(near);
    EXPECT_EQ(near.fs, LifecycleState::buffer) << "still inside the 500 m it waits for";
    g_userAcCopy.lon = 8.0 - 600.0 / 75900.0;
    lf_spawnOrWait(near);
    EXPECT_EQ(near.fs, LifecycleState::adding2sim);
    EXPECT_EQ(near.waitingForUser, 0);

    // In the air: an aircraft ahead on a crossing track waits; a ground aircraft
    // at its first spawn is measured from nowhere and never waits.
    g_userAcCopy.onGround = false;
    g_userAcCopy.lat = 47.0;
    g_userAcCopy.lon = 7.95;
    g_userAcCopy.altitudeFt = 4000;
    g_userAcCopy.altitudeAglFt = 500;
    g_userAcCopy.heading = g_pi / 2;
    LiveAc& ahead = buffered(0x400022, "DLH22", 0, true, 250);
    ahead.samples.front().heading = 270.0;
    lf_spawnOrWait(ahead);
    EXPECT_EQ(ahead.waitingForUser, 1);
    LiveAc& onRunway = buffered(0x400023, "DLH23", 0, false);
    lf_spawnOrWait(onRunway);
    EXPECT_EQ(onRunway.fs, LifecycleState::adding2sim);
}

TEST_F(Spawning, AnAircraftBornAtAStandTakesItFromTheStaticOne) {
    gf_setCurrentParkAirport(CurrentParkAirportData{"LSZH", "", 47.0, 8.0, 1400.0});
    StandTable.emplace_back("B12", std::vector<StandOption>{}, 47.0001, 8.0001, 1.0, 40.0, 1, 1, 1);
    StandTable.back().number = 1;
    AiAc& parkedStatic = addStatic(5, "DLH7*", LifecycleState::active, 47.0001, 8.0001);
    parkedStatic.standId = 1;
    parkedStatic.registration = "D-AIZZ";
    LiveAc& a = buffered(0x400031, "DLH7", 0, false);
    a.registration = "D-AIZZ";
    a.samples[1] = a.samples[0];
    a.samples[1].stationary = 1;
    lf_spawnOrWait(a);
    ASSERT_EQ(a.fs, LifecycleState::adding2sim);
    EXPECT_EQ(a.st, MovementState::parked);
    EXPECT_EQ(a.standId, 1u);
    EXPECT_EQ(a.samples.size(), 1u);
    EXPECT_DOUBLE_EQ(a.block.latitudeDeg, 47.0001);
    EXPECT_DOUBLE_EQ(a.block.headingRad, 1.0);
    EXPECT_EQ(parkedStatic.fs, LifecycleState::removingfromsim);
    EXPECT_TRUE(m_folder.logContains("B12     : DLH7*    D-AIZZ makes way for the same live version DLH7 D-AIZZ"));

    // A queued static creation on a stand is withdrawn instead.
    StandTable.emplace_back("B13", std::vector<StandOption>{}, 47.0010, 8.0010, 1.0, 40.0, 1, 1, 1);
    StandTable.back().number = 2;
    AiAc& queuedStatic = addStatic(6, "KLM8*", LifecycleState::adding2sim, 47.0010, 8.0010);
    queuedStatic.standId = 2;
    CreateAcRequest request;
    request.callsign = "KLM8*";
    g_staticCreateDeque.push_back(request);
    lf_makeWay(a, StandTable.back());
    EXPECT_TRUE(g_staticCreateDeque.empty());
    EXPECT_EQ(g_staticList.size(), 1u) << "the cancelled record is erased";
}

TEST_F(Spawning, AGhostCopyGoesWhenItsAircraftSpawnsAndDoesNotComeBack) {
    LiveAc& ghost = addLive(0x400041, "ABC123_", "A320", LifecycleState::active);
    LiveAc& real = buffered(0x400042, "ABC123", 0, true, 250);
    lf_spawnOrWait(real);
    EXPECT_EQ(real.fs, LifecycleState::adding2sim);
    EXPECT_EQ(ghost.fs, LifecycleState::removingfromsim);
    EXPECT_EQ(g_ghostList, std::vector<std::string>{"ABC123_"});
    LiveAc& again = buffered(0x400043, "ABC123_", 0, true, 250);
    lf_spawnOrWait(again);
    EXPECT_EQ(again.dropFromList, 1);
}

}  // namespace
}  // namespace zrb::test
