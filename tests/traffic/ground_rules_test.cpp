// The ground rules of live aircraft, step by step: turns and speed changes,
// the take-off decision and climb-out, the runway events and the cleaning of
// the queue as new samples arrive.
#include <gtest/gtest.h>

#include "ground_test_support.h"
#include "traffic/ground_movement.h"
#include "traffic/new_samples.h"
#include "traffic/sample_geometry.h"

namespace zrb::test {
namespace {

using GroundRules = GroundTest;

TEST_F(GroundRules, AModerateTaxiTurnIsACurveASharpOneIsNot) {
    for (const double turnDeg : {30.0, 170.0}) {
        SCOPED_TRACE(turnDeg);
        g_liveList.clear();
        LiveAc& a = taxiingAt(0x400001, "DLH1", "A320");
        a.samples.push_back(groundSample(40.0, 0.0, 10.0, 500));
        const LatLon n = offsetPoint(40.0, 0.0);
        const LatLon after = gf_destinationPoint(n, turnDeg * g_degToRad, 40.0 / 0.3048);
        PosSample third = a.samples.back();
        third.lat = after.lat;
        third.lon = after.lon;
        third.duePass = 1000;
        a.samples.push_back(third);
        a.pathBearing = 0.0;
        lf_groundStep(a);
        if (turnDeg < 90.0) {
            ASSERT_TRUE(gf_hasCurve(a));
            EXPECT_EQ(a.samples.size(), 2u) << "the sample at the turn is the curve's control point";
            EXPECT_NEAR(a.curveTurnDeg, 30.0, 0.1);
            EXPECT_EQ(a.headingOff, 0);
        } else {
            EXPECT_FALSE(gf_hasCurve(a));
            EXPECT_EQ(a.samples.size(), 3u);
        }
    }
}

TEST_F(GroundRules, ASpeedChangeOverALongLegGetsAMidwaySample) {
    LiveAc& a = taxiingAt(0x400001, "DLH1", "A320");
    a.samples.front().groundSpeed = 10.0;
    a.samples.push_back(groundSample(150.0, 0.0, 2.0, 4000));
    lf_groundStep(a);
    ASSERT_EQ(a.samples.size(), 3u);
    const PosSample& mid = a.samples[1];
    EXPECT_NEAR(mid.groundSpeed, 6.0, 1e-9);
    EXPECT_GT(mid.duePass, 0);  // midway in time, then retimed by its taxi speed
    EXPECT_LT(mid.duePass, a.samples[2].duePass);
    EXPECT_NEAR(gf_distanceNm(offsetPoint(75.0, 0.0), LatLon{mid.lat, mid.lon}) * metresPerNm, 0.0, 0.5);
}

TEST_F(GroundRules, TheTakeOffStartsOnlyWhenEverySampleAheadFliesFastEnough) {
    for (const double slowest : {155.0, 145.0}) {
        SCOPED_TRACE(slowest);
        g_liveList.clear();
        LiveAc& a = taxiingAt(0x400002, "BAW9", "B744");
        ASSERT_EQ(a.category, 3u);
        a.landed = 1;
        a.samples.front().groundSpeed = 45.0;
        for (int i = 1; i <= 3; ++i) {
            PosSample s = groundSample(300.0 * i, 0.0, i == 2 ? slowest : 155.0, 300 * i);
            s.airborne = 1;
            s.altitude = 100.0 * i;
            s.verticalRate = 200.0;
            a.samples.push_back(s);
        }
        lf_startGroundMotion(a);
        EXPECT_EQ(a.st == MovementState::takeOff, slowest >= 150.0);
    }
}

TEST_F(GroundRules, TheGearComesUp300PassesAfterTheRotationAndTheClimbOutEndsAt800Feet) {
    LiveAc& a = taxiingAt(0x400002, "BAW9", "B744");
    a.landed = 1;
    a.altitudeRate = 0.5;
    lf_startTakeOff(a);
    ASSERT_EQ(a.st, MovementState::takeOff);
    (void)takeEvents(a.objectId);
    int rotated = -1;
    int gearUp = -1;
    for (int pass = 0; pass < 5000 && gearUp < 0; ++pass) {
        lf_climbOut(a);
        if (rotated < 0 && a.phaseCounter < 1) rotated = pass;
        if (hasEvent(takeEvents(a.objectId), evGearSet, 0)) gearUp = pass;
    }
    ASSERT_GE(rotated, 0);
    EXPECT_EQ(gearUp - rotated, 300);
    EXPECT_EQ(a.onGround, 0);
    a.agl = 790.0;
    for (int pass = 0; pass < 3000; ++pass) lf_climbOut(a);
    EXPECT_EQ(a.st, MovementState::takeOff) << "not yet 800 ft above ground";
    EXPECT_GE(a.phaseCounter, g_lowestPhase);
    a.agl = 800.0;
    lf_climbOut(a);
    EXPECT_EQ(a.st, MovementState::flying);
    EXPECT_TRUE(hasEvent(takeEvents(a.objectId), evThrottleSet, 11468));

    // A touch-and-go: full power, and the touchdown's spoilers go in again.
    LiveAc& b = taxiingAt(0x400008, "DLH8", "A320");
    b.landed = 1;
    b.touchedDown = 1;
    lf_startTakeOff(b);
    EXPECT_EQ(b.touchedDown, 0);
    const std::vector<Event> events = takeEvents(b.objectId);
    EXPECT_TRUE(hasEvent(events, evThrottleSet, 16383));
    EXPECT_TRUE(hasEvent(events, evSpoilersSet, 0));
    EXPECT_FALSE(hasEvent(events, evSpoilersSet, 16383));
}

TEST_F(GroundRules, APathOfNoLengthIsNoCurve) {
    LiveAc& a = taxiingAt(0x400009, "DLH9", "A320");
    a.samples.push_back(groundSample(0.2, 0.0, 5.0, 500));
    a.samples.push_back(groundSample(0.0, 0.2, 5.0, 1000));
    EXPECT_FALSE(lf_setupCurve(a));
    EXPECT_FALSE(gf_hasCurve(a));
    EXPECT_EQ(a.samples.size(), 3u);
}

TEST_F(GroundRules, TwoRunwaySpeedSamplesStartTheRunwayRollOnce) {
    LiveAc& a = taxiingAt(0x400003, "DLH3", "A320");
    a.throttleIndex = 2;
    decodeExisting(a, groundSample(100.0, 0.0, 45.0, 100));
    EXPECT_EQ(a.landed, 0) << "one fast sample is not a runway roll yet";
    decodeExisting(a, groundSample(200.0, 0.0, 45.0, 200));
    EXPECT_EQ(a.landed, 1);
    std::vector<Event> expected{{evThrottleSet, 0}, {evSpoilersSet, 0}, {evFlapsSet, 3072}};
    const std::vector<Event> lights = lightEvents(1, 1, 1, 1, 1, 1, 0);
    expected.insert(expected.end(), lights.begin(), lights.end());
    EXPECT_EQ(takeEvents(a.objectId), expected);
    decodeExisting(a, groundSample(300.0, 0.0, 60.0, 300));
    EXPECT_TRUE(takeEvents(a.objectId).empty()) << "once";
    EXPECT_EQ(a.samples.size(), 4u);
}

TEST_F(GroundRules, TheTwoHundredFirstQueuedSampleRemovesTheAircraft) {
    LiveAc& a = taxiingAt(0x400004, "DLH4", "A320");
    for (int i = 1; i < 200; ++i) decodeExisting(a, groundSample(20.0 * i, 0.0, 10.0, 10 * i));
    ASSERT_EQ(a.samples.size(), 200u);
    EXPECT_EQ(a.fs, LifecycleState::active);
    decodeExisting(a, groundSample(4020.0, 0.0, 10.0, 2010));
    EXPECT_EQ(a.fs, LifecycleState::removingfromsim);
    EXPECT_EQ(a.samples.size(), 200u);
}

TEST_F(GroundRules, StopsAtTheEndOfTheQueueGoWhenTheAircraftMovesOnSoonAfter) {
    LiveAc& a = taxiingAt(0x400005, "DLH5", "A320");
    decodeExisting(a, groundSample(50.0, 0.0, 10.0, 1000));
    decodeExisting(a, groundSample(50.0, 0.0, 0.0, 1500));
    decodeExisting(a, groundSample(50.0, 0.0, 0.0, 2000));
    ASSERT_EQ(a.samples.size(), 4u);
    EXPECT_EQ(a.samples.back().stationary, 1);
    decodeExisting(a, groundSample(100.0, 0.0, 10.0, 2500));
    ASSERT_EQ(a.samples.size(), 3u) << "the two stops went";
    EXPECT_EQ(a.samples[1].stationary, 0);
    EXPECT_EQ(a.samples[2].duePass, 2500);
}

TEST_F(GroundRules, ALandingAircraftNeverTurnsBackNorSpeedsUpByItsSamples) {
    LiveAc& a = taxiingAt(0x400006, "DLH6", "A320");
    a.touchedDown = 1;
    a.samples.front().groundSpeed = 60.0;
    a.samples.push_back(groundSample(300.0, 0.0, 50.0, 500));
    decodeExisting(a, groundSample(600.0, 0.0, 70.0, 1000));
    ASSERT_EQ(a.samples.size(), 3u);
    EXPECT_DOUBLE_EQ(a.samples.back().groundSpeed, 50.0) << "not above 40 kt by a sample";
    // A report behind the aircraft drops the samples ahead that it makes obsolete.
    decodeExisting(a, groundSample(450.0, 0.0, 30.0, 1500));
    ASSERT_EQ(a.samples.size(), 3u);
    EXPECT_NEAR(gf_distanceNm(gf_samplePos(a.samples[1]), offsetPoint(300.0, 0.0)), 0.0, 1e-9);
    EXPECT_NEAR(gf_distanceNm(gf_samplePos(a.samples[2]), offsetPoint(450.0, 0.0)), 0.0, 1e-9);
}

TEST_F(GroundRules, TheRollOutEndsAtTheTurnOffAndTheAircraftThenTaxisLikeAnyOther) {
    LiveAc& a = taxiingAt(0x400007, "DLH7", "A320");
    a.touchedDown = 1;
    a.landed = 1;  // the feed reported it in the air after the touchdown
    a.samples.front().groundSpeed = 60.0;
    a.samples.push_back(groundSample(100.0, 0.0, 50.0, 500));
    lf_startGroundMotion(a);
    EXPECT_TRUE(containsRun(takeEvents(a.objectId), {{evSpoilersSet, 0}, {evFlapsSet, 3072}}));
    a.block.headingRad = 20.0 * g_degToRad;  // off the runway
    lf_startGroundMotion(a);
    EXPECT_EQ(a.touchedDown, 0);
    EXPECT_EQ(a.landed, 0);
    const std::vector<Event> events = takeEvents(a.objectId);
    EXPECT_TRUE(hasEvent(events, evFlapsSet, 0));
    EXPECT_TRUE(hasEvent(events, evThrottleSet, 0));
    EXPECT_TRUE(containsRun(events, lightEvents(1, 1, 0, 1, 0, 1, 1)));
}

}  // namespace
}  // namespace zrb::test
