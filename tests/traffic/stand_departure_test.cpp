// Live aircraft and their stands: the search when they stop, the drive onto
// the stand, the arrival, the claims of aircraft born there, and leaving it
// again (the watch, towing, pull-out or pushback with its turn).
#include <gtest/gtest.h>

#include "ground_test_support.h"
#include "shell/common/run_state.h"
#include "traffic/removal.h"
#include "traffic/stand_search.h"
#include "traffic/ground_movement.h"
#include "traffic/leaving_stand.h"
#include "traffic/parking.h"
#include "traffic/sample_geometry.h"

namespace zrb::test {
namespace {

constexpr double standRadiusMetres = 20.0;

class StandDeparture : public GroundTest {
protected:
    StandDeparture() { g_currentDaySlot = gf_makeDaySlot(3, 20); }
    ~StandDeparture() override { g_currentDaySlot = 0; }

    // One stand at the reference point, heading north, and an aircraft parked on it.
    LiveAc& parkedAtStand(std::uint32_t hexId, const std::string& callsign, const std::string& type) {
        std::vector<Stand> table;
        addStand(table, "A1", 0.0, 0.0, standRadiusMetres);
        addStand(table, "A2", 0.0, 60.0, standRadiusMetres);
        useStands(std::move(table));
        LiveAc& a = taxiingAt(hexId, callsign, type);
        a.samples.front().groundSpeed = 0.0;
        a.samples.front().stationary = 1;
        a.lat = StandTable[0].lat;
        a.lon = StandTable[0].lon;
        a.heading = 0.0;
        a.standId = 1;
        StandTable[0].liveParked = 1;
        a.st = MovementState::parked;
        a.prevSt = MovementState::parking;
        a.holdMarker = 1;
        return a;
    }
    static double metresFrom(const PosSample& s, double north, double east) {
        return gf_distanceNm(gf_samplePos(s), offsetPoint(north, east)) * metresPerNm;
    }
};

TEST_F(StandDeparture, AStoppingAircraftFindsAStandThirtyMetresAwayOnlyWithTheWideSearch) {
    std::vector<Stand> table;
    addStand(table, "A1", 0.0, 30.0, standRadiusMetres, StandKind::main, 90.0);
    useStands(std::move(table));
    LiveAc& a = taxiingAt(0x400010, "DLH10", "A320", -50.0, 0.0);
    a.samples.push_back(groundSample(0.0, 0.0, 0.0, 1000, true));
    try2Park(a, false);
    EXPECT_EQ(a.st, MovementState::taxi);
    a.lastParkTry = LatLon{};  // a new try at the same place
    try2Park(a, true);
    ASSERT_EQ(a.st, MovementState::parking);
    EXPECT_EQ(a.standId, 1u);
    EXPECT_EQ(StandTable[0].liveParked, 1);
    ASSERT_EQ(a.samples.size(), 3u);
    EXPECT_LT(metresFrom(a.samples[1], 0.0, 30.0), 0.01);
    EXPECT_DOUBLE_EQ(a.samples[1].heading, 90.0);
    EXPECT_EQ(a.samples[2].duePass - a.samples[1].duePass, 50);
    EXPECT_EQ(a.samples[2].stationary, 1);

    // The stand is held: the next aircraft stopping there is not given it.
    LiveAc& b = taxiingAt(0x400011, "BAW11", "A320", -50.0, 0.0);
    b.samples.push_back(groundSample(0.0, 0.0, 0.0, 1000, true));
    try2Park(b, true);
    EXPECT_EQ(b.st, MovementState::taxi);
    EXPECT_EQ(b.standId, 0u);
}

TEST_F(StandDeparture, NoAircraftParksOnTheUsersStand) {
    std::vector<Stand> table;
    addStand(table, "A1", 0.0, 10.0, standRadiusMetres);
    addStand(table, "A2", 0.0, 45.0, standRadiusMetres);
    useStands(std::move(table));
    g_userOnGround = true;
    const LatLon user = offsetPoint(0.0, 12.0);
    g_userAcCopy.lat = user.lat;
    g_userAcCopy.lon = user.lon;
    LiveAc& a = taxiingAt(0x400012, "DLH12", "A320", -50.0, 0.0);
    a.samples.push_back(groundSample(0.0, 0.0, 0.0, 1000, true));
    try2Park(a, true);
    EXPECT_EQ(a.st, MovementState::taxi) << "A1 is the user's";
    gf_setReservedStand("A1");
    g_userAcCopy = UserAcData{};
    a.lastParkTry = LatLon{};
    try2Park(a, true);
    EXPECT_EQ(a.st, MovementState::taxi) << "A1 is the user's reserved stand";
    gf_setReservedStand("");
}

TEST_F(StandDeparture, TheDriveOntoAStandTenMetresAwayAtFourKnotsTakes486Passes) {
    LiveAc& a = taxiingAt(0x400013, "DLH13", "A320");
    a.standApproachSpeed = 4.0;
    a.samples.front().duePass = 700;
    drive2Stand(a, StandTarget{offsetPoint(10.0, 0.0), 0.5});
    ASSERT_EQ(a.samples.size(), 3u);
    EXPECT_EQ(a.samples[1].duePass, 700 + 486);
    EXPECT_EQ(a.samples[2].duePass, 700 + 486 + 50);
    EXPECT_EQ(a.samples[2].groundSpeed, 0.0);
    EXPECT_DOUBLE_EQ(a.pathBearing, 0.5);
}

TEST_F(StandDeparture, AnAircraftParksWithinTwoMetresOfItsStandAndTaxisOnFromThree) {
    LiveAc& a = parkedAtStand(0x400014, "DLH14", "A320");
    a.st = MovementState::parking;
    const LatLon off3 = offsetPoint(3.0, 0.0);
    a.block.latitudeDeg = off3.lat;
    a.block.longitudeDeg = off3.lon;
    lf_arrivedAtStand(a);
    EXPECT_EQ(a.st, MovementState::taxi);
    gf_setPhase(a, MovementState::parking);
    StandTable[0].cargo = 1;  // a cargo apron, as it was when chosen
    a.standCargo = 1;
    const std::uint32_t changed = g_changedStandCount.load();
    const LatLon off1 = offsetPoint(1.5, 0.0);
    a.block.latitudeDeg = off1.lat;
    a.block.longitudeDeg = off1.lon;
    lf_arrivedAtStand(a);
    EXPECT_EQ(a.st, MovementState::parked);
    EXPECT_EQ(a.day, 3u);
    EXPECT_EQ(a.slot, 20u);
    EXPECT_EQ(StandTable[0].liveParked, 1);
    EXPECT_EQ(StandTable[0].cargo, 1) << "one passenger aircraft on a cargo apron rewrites nothing the file keeps";
    EXPECT_EQ(StandTable[0].cargoChanged, 0);
    EXPECT_EQ(g_changedStandCount.load(), changed);
    EXPECT_TRUE(hasEvent(takeEvents(a.objectId), evEngineAutoShutdown, 0));
    EXPECT_TRUE(m_folder.logContains("A1      : DLH14    arrived at stand"));
    // A cargo aircraft whose stand was no cargo stand when chosen and is one now.
    a.cargo = 1;
    a.standCargo = 0;
    lf_setCargoFalse(a, StandTable[0]);
    EXPECT_EQ(StandTable[0].cargo, 0);
    EXPECT_EQ(StandTable[0].cargoChanged, 1);
    EXPECT_EQ(g_changedStandCount.load(), changed + 1);
    EXPECT_TRUE(m_folder.logContains("stand: A1, cargo attribute set to false, DLH14 parked here"));
}

TEST_F(StandDeparture, AnAircraftBornAtAStandTakesItFromItsOwnCopiesButNotFromItsOriginal) {
    LiveAc& e = parkedAtStand(0x400015, "DLH15", "A320");
    EXPECT_FALSE(lf_claimStandOnSpawn(1, "DLH15_")) << "a ghost of the aircraft standing there";
    EXPECT_EQ(e.fs, LifecycleState::active);
    EXPECT_TRUE(lf_claimStandOnSpawn(1, "DLH15"));
    EXPECT_EQ(e.fs, LifecycleState::removingfromsim);
    EXPECT_EQ(StandTable[0].liveParked, 0) << "the stand is free again";

    LiveAc& ghost = parkedAtStand(0x400016, "BAW16_", "A320");
    EXPECT_TRUE(lf_claimStandOnSpawn(1, "BAW16"));
    EXPECT_EQ(ghost.fs, LifecycleState::removingfromsim);
    EXPECT_TRUE(m_folder.logContains("ghost, replace by BAW16"));
    EXPECT_TRUE(lf_claimStandOnSpawn(2, "EZY1")) << "nobody on A2";
    // Another aircraft altogether: the new report wins the stand.
    LiveAc& other = parkedAtStand(0x400017, "AFR17", "A320");
    EXPECT_TRUE(lf_claimStandOnSpawn(1, "EZY1"));
    EXPECT_EQ(other.fs, LifecycleState::removingfromsim);
}

TEST_F(StandDeparture, SmallMovesAtTheStandAreNotADepartureAFarReportRemovesTheAircraft) {
    LiveAc& a = parkedAtStand(0x400017, "DLH17", "A320");
    PosSample s = groundSample(2.0, 0.0, 0.0, 100);
    EXPECT_FALSE(lf_checkParkedMovement(a, s));
    s = groundSample(0.0, 2.0, 0.0, 200);
    EXPECT_FALSE(lf_checkParkedMovement(a, s));
    EXPECT_EQ(a.departing, 0);
    EXPECT_EQ(a.atStandChecked, 1);
    // Growing in steps of 3 m to more than half a span: it departs.
    bool departed = false;
    for (double north : {6.0, 9.5, 13.0}) {
        s = groundSample(-north, 0.0, 2.0, 300);
        departed = lf_checkParkedMovement(a, s);
    }
    EXPECT_TRUE(departed);
    EXPECT_EQ(a.departing, 1);
    EXPECT_EQ(StandTable[0].liveParked, 0) << "the stand is released";

    // Reported right on the stand first (0 m): the watch starts there, and three
    // steps of 3.5 m make a departure.
    LiveAc& c = parkedAtStand(0x400019, "DLH19", "A320");
    departed = false;
    for (double north : {0.0, -3.5, -7.0, -10.5}) {
        s = groundSample(north, 0.0, 1.0, 400);
        departed = lf_checkParkedMovement(c, s);
    }
    EXPECT_TRUE(departed);

    LiveAc& b = parkedAtStand(0x400018, "DLH18", "A320");
    s = groundSample(300.0, 0.0, 0.0, 100);
    EXPECT_FALSE(lf_checkParkedMovement(b, s));
    EXPECT_EQ(b.fs, LifecycleState::removingfromsim);
}

TEST_F(StandDeparture, AStandLeftBehindStaysWithItsNewOccupantUntilThatOneDrivesOn) {
    LiveAc& a = parkedAtStand(0x400030, "DLH30", "A320");
    lf_leaveStand(a);
    EXPECT_EQ(StandTable[0].liveParked, 0);
    EXPECT_EQ(a.standId, 1u) << "it keeps the stand's number while it leaves";
    LiveAc& b = taxiingAt(0x400031, "BAW31", "A320", -40.0, 0.0);
    gf_claimStand(b, StandTable[0]);
    gf_setPhase(b, MovementState::parking);
    removeAircraftFromSim(a);
    EXPECT_EQ(StandTable[0].liveParked, 1) << "the former occupant's removal leaves the new claim";
    PosSample far = groundSample(-250.0, 0.0, 10.0, 900);
    EXPECT_TRUE(lf_checkParkedMovement(b, far));
    EXPECT_EQ(b.st, MovementState::taxi);
    EXPECT_EQ(StandTable[0].liveParked, 0) << "it drove on: the stand is free";
}

TEST_F(StandDeparture, ADepartureWithin89DegreesOfTheStandHeadingPullsOutFrom90ItIsPushedBack) {
    for (const double bearing : {89.0, 90.0}) {
        SCOPED_TRACE(bearing);
        g_liveList.clear();
        LiveAc& a = parkedAtStand(0x400019, "DLH19", "A320");
        a.departing = 1;
        const LatLon p = gf_destinationPoint(LatLon{a.lat, a.lon}, bearing * g_degToRad, 30.0 / 0.3048);
        PosSample s = a.samples.front();
        s.lat = p.lat;
        s.lon = p.lon;
        s.stationary = 0;
        s.duePass = 500;
        a.samples.push_back(s);
        lf_chooseWayOff(a);
        EXPECT_EQ(a.st, bearing < 90.0 ? MovementState::taxi : MovementState::pushingBack);
        if (bearing < 90.0) {
            ASSERT_EQ(a.samples.size(), 2u);
            EXPECT_NEAR(metresFrom(a.samples[1], 2.0 * a.halfSpan * metresPerNm, 0.0), 0.0, 0.05) << "one wingspan ahead";
        }
    }
}

TEST_F(StandDeparture, AHeavyLeavingWithinTheHourOfItsLandingIsTowed) {
    for (const int minutes : {50, 70}) {
        SCOPED_TRACE(minutes);
        g_liveList.clear();
        LiveAc& a = parkedAtStand(0x40001A, "BAW20", "B744");
        g_passTick = 500000;
        a.turnaroundPending = 1;
        // Parked since its landing: the sample it stands on is due a week after it came.
        a.samples.front().duePass = g_passTick.load() - minutes * 6000 + 60480000;
        lf_leaveStand(a);
        EXPECT_EQ(a.towed, minutes < 60 ? 1 : 0);
        EXPECT_EQ(a.turnaroundPending, 0);
        EXPECT_EQ(a.holdMarker, 0);
        EXPECT_EQ(a.samples.front().duePass, g_passTick.load() + 1);
    }
}

TEST_F(StandDeparture, ThePushbackEndsBehindTheStandTurningToTheSideTheFeedShows) {
    struct Case {
        bool straight;
        double feedHeadingDeg;
        double sideMetres;  // east of the point behind the stand; the stand heads north
    };
    const double behind = 2.5 * standRadiusMetres;
    for (const Case c : {Case{true, 20.0, 0.0}, Case{false, 20.0, -1.0}, Case{false, 340.0, 1.0}}) {
        SCOPED_TRACE(c.feedHeadingDeg);
        g_liveList.clear();
        STRAIGHT_PBS_ONLY.value = c.straight;
        LiveAc& a = parkedAtStand(0x40001B, "DLH21", "A320");
        a.departing = 1;
        a.samples.push_back(groundSample(-30.0, 0.0, 3.0, 500));
        lf_chooseWayOff(a);
        ASSERT_EQ(a.st, MovementState::pushingBack);
        ASSERT_EQ(a.pushStage, 2);
        a.samples.pop_front();  // the step that started the pushback consumed its front sample
        PosSample feed = groundSample(-40.0, 0.0, 3.0, 600);
        feed.heading = c.feedHeadingDeg;
        lf_decidePushbackTurn(a, feed);
        lf_pushedBack(a);
        ASSERT_EQ(a.pushStage, 1);
        const double half = a.halfSpan * metresPerNm;
        if (c.straight) {
            EXPECT_FALSE(gf_hasCurve(a));
            EXPECT_LT(metresFrom(a.samples.back(), -behind, 0.0), 0.05) << "straight behind, no offset";
        } else {
            ASSERT_TRUE(gf_hasCurve(a));
            EXPECT_NEAR(a.curve.endNorth, -behind, 0.2);
            EXPECT_NEAR(a.curve.endEast, c.sideMetres * half, 0.2) << "the tail swings out, the nose turns to the feed's side";
        }
        lf_pushedBack(a);
        EXPECT_EQ(a.st, MovementState::pushedBack);
        EXPECT_TRUE(hasEvent(takeEvents(a.objectId), evEngineAutoStart, 0));
    }
    STRAIGHT_PBS_ONLY.value = false;
}

}  // namespace
}  // namespace zrb::test
