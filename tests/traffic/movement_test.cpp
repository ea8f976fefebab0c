// Moving a live aircraft between its samples: the stationary test before a
// sample is queued, what happens when the samples run out (dead reckoning in
// the air and on the runway, holding while taxiing, a week at the stand), the
// rates of an air step and the commands of its altitude band, the flare, and
// a step that keeps failing.
#include <cmath>
#include <limits>

#include <gsl/narrow>

#include "airports/park_airport.h"
#include "manager_fixture.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "traffic/air_movement.h"
#include "traffic/live_driver.h"
#include "traffic/sample_stepping.h"

namespace zrb::test {
namespace {

class Movement : public ManagerTest {
protected:
    Movement() {
        g_userAcCopy = UserAcData{};
        g_userAcCopy.lat = 47.0;
        g_userAcCopy.lon = 8.2;
    }
    // An active aircraft at the front sample, with more samples `dueStep` passes apart.
    static LiveAc& flying(double altitude, std::vector<double> altitudes = {}, std::int32_t dueStep = 500) {
        LiveAc& a = addLive(0x400001, "DLH1", "A320", LifecycleState::active, 47.0, 8.0, altitude > 0.0);
        a.st = altitude > 0.0 ? MovementState::flying : MovementState::taxi;
        a.onGround = altitude > 0.0 ? 0 : 1;
        PosSample& f = a.samples.front();
        f.altitude = altitude;
        f.groundSpeed = f.speed = altitude > 0.0 ? 250.0 : 20.0;
        a.block.altitudeFt = altitude;
        for (std::size_t i = 0; i < altitudes.size(); ++i) {
            PosSample n = a.samples.back();
            n.lon += 0.01;
            n.altitude = altitudes[i];
            n.airborne = altitudes[i] > 0.0 ? 1 : 0;
            n.duePass += dueStep;
            a.samples.push_back(n);
        }
        return a;
    }
    static std::vector<ClientEventRequest> events(std::uint32_t eventId) {
        std::vector<ClientEventRequest> found;
        for (const auto& e : gf_queuedClientEvents())
            if (e.eventId == eventId) found.push_back(e);
        return found;
    }
};

TEST_F(Movement, ASampleThatRepeatsTheLastPositionStandsOrIsRefused) {
    LiveAc& a = flying(0.0);
    a.landed = 1;
    a.samples.front().groundSpeed = 40.0;
    PosSample same = a.samples.front();
    same.groundSpeed = 10.0;
    EXPECT_FALSE(lf_checkStationary(a, same)) << "rolling out at 40 kt: a repeat is a stale position";
    a.samples.front().groundSpeed = 25.0;
    EXPECT_TRUE(lf_checkStationary(a, same));
    EXPECT_EQ(same.stationary, 1);
    EXPECT_EQ(same.groundSpeed, 0.0);

    a.landed = 0;
    PosSample barely = a.samples.front();
    barely.lat += 0.0001;
    barely.groundSpeed = 3.0;
    barely.duePass = 4321;
    EXPECT_TRUE(lf_checkStationary(a, barely));
    EXPECT_EQ(barely.lat, a.samples.front().lat) << "it stands where it stood";
    EXPECT_EQ(barely.stationary, 1);
    EXPECT_EQ(barely.duePass, 4321);

    LiveAc& air = flying(3000.0);
    air.hexId = 0x400002;
    PosSample hover = air.samples.front();
    EXPECT_FALSE(lf_checkStationary(air, hover)) << "no airliner stands in the air";
}

TEST_F(Movement, WhenTheSamplesRunOut) {
    // In the air near the user: eight legs of 8 s at 0.95 of the speed.
    LiveAc& a = flying(5000.0);
    a.block.headingRad = g_pi / 2;
    ASSERT_TRUE(lf_onQueueEnd(a));
    ASSERT_EQ(a.samples.size(), 2u);
    EXPECT_EQ(a.holdMarker, 8);
    const PosSample& e = a.samples[1];
    EXPECT_DOUBLE_EQ(e.groundSpeed, 250.0 * 0.95);
    EXPECT_EQ(e.duePass, a.samples[0].duePass + 800);
    EXPECT_NEAR(gf_distanceNm(LatLon{47.0, 8.0}, LatLon{e.lat, e.lon}), 237.5 * 8 / 3600.0, 1e-6);
    EXPECT_GT(e.lon, 8.0);
    // Far from the user it goes.
    g_userAcCopy.lat = 50.0;
    a.samples.pop_back();
    a.holdMarker = 0;
    EXPECT_FALSE(lf_onQueueEnd(a));

    // The landing roll slows down in ten steps of 3 s; the take-off roll speeds up.
    LiveAc& rolling = flying(0.0);
    rolling.st = MovementState::taxi;
    rolling.touchedDown = 1;
    rolling.samples.front().groundSpeed = 130.0;
    ASSERT_TRUE(lf_onQueueEnd(rolling));
    EXPECT_EQ(rolling.holdMarker, 10);
    EXPECT_DOUBLE_EQ(rolling.samples[1].groundSpeed, 80.0);
    EXPECT_EQ(rolling.samples[1].duePass, rolling.samples[0].duePass + 300);
    rolling.samples.pop_back();
    rolling.touchedDown = 0;
    rolling.landed = 1;
    rolling.samples.front().groundSpeed = 50.0;
    rolling.holdMarker = 0;
    ASSERT_TRUE(lf_onQueueEnd(rolling));
    EXPECT_DOUBLE_EQ(rolling.samples[1].groundSpeed, 80.0);

    // Taxiing: it holds with a stop sample until the holding time is over.
    MAX_HOLDING_MINUTES.value = 1;
    LiveAc& taxiing = flying(0.0);
    taxiing.block.latitudeDeg = taxiing.samples.front().lat = 47.1;  // away from the others
    g_passTick = 100;
    ASSERT_TRUE(lf_onQueueEnd(taxiing));
    EXPECT_EQ(taxiing.holdMarker, 1);
    EXPECT_EQ(taxiing.samples[1].duePass, 400);
    EXPECT_EQ(taxiing.samples[1].stationary, 1);
    taxiing.samples.pop_back();
    g_passTick = 100 + 6000;
    EXPECT_TRUE(lf_onQueueEnd(taxiing)) << "one whole minute is not more than one";
    taxiing.samples.pop_back();
    g_passTick = 100 + 12000;
    EXPECT_FALSE(lf_onQueueEnd(taxiing));

    // Parked: one sample a week ahead.
    LiveAc& parked = flying(0.0);
    parked.st = MovementState::parked;
    ASSERT_TRUE(lf_onQueueEnd(parked));
    EXPECT_EQ(parked.samples[1].duePass, parked.samples[0].duePass + 60480000);
    EXPECT_EQ(parked.samples[1].stationary, 1);
}

TEST_F(Movement, AnAirStepSetsItsRatesInsideTheLimits) {
    // 800 ft above the ground between samples at 600 ft: it never descends this low.
    LiveAc& a = flying(600.0, {600.0, 600.0});
    a.agl = 800.0;
    a.block.altitudeFt = 600.0;
    lf_stepSample(a);
    EXPECT_NEAR(a.altitudeRate, 0.2, 1e-12);
    EXPECT_EQ(a.samples.size(), 2u);

    // The leg after the next bears 350° while it heads north: a turn of -10°.
    LiveAc& b = flying(5000.0, {5000.0, 5000.0});
    b.hexId = 0x400002;
    b.block.headingRad = 0.0;
    b.samples[1].lat = 47.01;
    b.samples[1].lon = 8.0;
    const LatLon next = gf_destinationPoint(LatLon{47.01, 8.0}, 350.0 * g_degToRad, 6000.0);
    b.samples[2].lat = next.lat;
    b.samples[2].lon = next.lon;
    EXPECT_NEAR(lf_headingChange(b), -10.0 * g_degToRad, 1e-3);
    lf_stepSample(b);
    // N is retimed by its distance at 250 kt: 0.6 NM take 864 passes.
    const double dt = b.samples.front().duePass - g_passTick.load();
    EXPECT_EQ(dt, 864.0);
    EXPECT_NEAR(b.headingRate * dt, -10.0 * g_degToRad, 1e-3);
    EXPECT_NEAR(b.bankRate, 10.0 * g_degToRad / dt, 1e-12) << "banking left (positive) into the turn";
    EXPECT_LE(std::abs(b.pitchRate), 0.0075 * g_degToRad + 1e-15);
    EXPECT_NEAR(b.latRate * dt, 0.01, 1e-9);
    // A sharp turn after a short leg: the wings roll no faster than the type allows.
    LiveAc& c = flying(5000.0, {5000.0, 5000.0});
    c.hexId = 0x400003;
    c.samples[1].lat = 47.001;
    c.samples[1].lon = 8.0;
    c.samples[2].lat = 47.001;
    c.samples[2].lon = 7.99;
    lf_stepSample(c);
    EXPECT_NEAR(c.bankRate, 0.02 * g_degToRad, 1e-12);
}

TEST_F(Movement, AHelicopterHoversUpToItsSampleLevellingItsWingsAndComesDownOntoAPad) {
    const auto hoverOver = [](LiveAc& a, double altitude, std::int32_t due) {
        a.category = 5;
        PosSample s = a.samples.front();
        s.altitude = altitude;
        s.airborne = altitude > 0.0 ? 1 : 0;
        s.stationary = 1;
        s.duePass = due;
        a.samples.push_back(s);
    };
    const auto run = [](LiveAc& a, int passes) {
        for (int i = 0; i < passes; ++i) {
            updateLiveAc(a);
            g_passTick.store(g_passTick.load() + 1);
        }
    };
    LiveAc& a = flying(3000.0);
    a.block.bankRad = 0.3;
    hoverOver(a, 3500.0, 500);
    run(a, 400);
    EXPECT_NEAR(a.block.altitudeFt, 3400.0, 1e-6);
    EXPECT_NEAR(a.block.bankRad, 0.06, 1e-9);
    EXPECT_EQ(a.block.latitudeDeg, 47.0);

    // A sample on the ground has no height: down at touchdown rate, not to 0 ft.
    LiveAc& b = flying(1500.0);
    b.hexId = 0x400002;
    hoverOver(b, 0.0, g_passTick.load() + 1000);
    run(b, 100);
    EXPECT_NEAR(b.block.altitudeFt, 1500.0 - 100 * 601.0 / 6000.0, 1e-6);
}

TEST_F(Movement, TheCommandsOfTheAltitudeBands) {
    // Crossing 10000 ft upward: the high pattern once, climb power, gear and flaps up.
    LiveAc& a = flying(11000.0, {12000.0, 13000.0, 14000.0});
    a.agl = 9000.0;
    lf_stepSample(a);
    lf_stepSample(a);
    EXPECT_EQ(events(evNavLightsSet).size(), 1u);
    EXPECT_EQ(events(evLandingLightsSet).front().data, 0u);
    ASSERT_EQ(events(evThrottleSet).size(), 1u);
    EXPECT_EQ(events(evThrottleSet).front().data, 11468u);
    EXPECT_EQ(events(evGearSet).size(), 1u);
    EXPECT_EQ(events(evFlapsSet).front().data, 0u);

    // A helicopter descending to the ground never gets the gear command.
    gf_resetSimLink(5);
    LiveAc& heli = flying(800.0, {0.0, 0.0});
    heli.hexId = 0x400003;
    heli.category = 5;
    lf_stepSample(heli);
    EXPECT_TRUE(events(evGearSet).empty());
    EXPECT_NEAR(heli.altitudeRate, -601.0 / 6000.0, 1e-12) << "no park airport: 601 fpm down";
}

TEST_F(Movement, ApproachGoAroundAndFlare) {
    gf_setCurrentParkAirport(CurrentParkAirportData{"LSZH", "", 47.0, 8.05, 1400.0});
    LiveAc& a = flying(3000.0, {2900.0, 2800.0, 2700.0});
    a.agl = 1600.0;
    a.samples.front().verticalRate = -700.0;
    a.throttleIndex = 3;
    lf_stepSample(a);
    EXPECT_EQ(a.approach, 1);
    EXPECT_EQ(events(evThrottleSet).back().data, 4914u);
    EXPECT_EQ(events(evFlapsSet).back().data, 16383u);
    EXPECT_EQ(events(evGearSet).back().data, 1u);
    EXPECT_EQ(a.lateWindow, 3000);

    // The flare, stage by stage at 30, 20, 10 and 3 ft above the wheels.
    a.cgHeight = 8.0;
    a.block.altitudeFt = 1400.0 + 8.0 + 31.0;
    a.agl = 39.0;
    lf_flare(a);
    EXPECT_EQ(a.flareStage, 0);
    a.block.altitudeFt -= 1.0;
    a.agl = 38.0;
    lf_flare(a);
    EXPECT_EQ(a.flareStage, 1);
    EXPECT_DOUBLE_EQ(a.altitudeRate, -0.1);
    EXPECT_TRUE(g_fastRange);
    const std::size_t throttles = events(evThrottleSet).size();
    for (const double agl : {28.0, 18.0, 11.0}) {
        a.agl = agl + 0.5;
        lf_flare(a);
        a.agl = agl;
        lf_flare(a);
    }
    EXPECT_EQ(a.flareStage, 4);
    EXPECT_DOUBLE_EQ(a.altitudeRate, -0.025);
    ASSERT_EQ(events(evThrottleSet).size(), throttles + 1);
    EXPECT_EQ(events(evThrottleSet).back().data, 0u) << "power off at 10 ft";

    // Climbing away low: the go-around, once.
    LiveAc& b = flying(2000.0, {2500.0, 3000.0});
    b.hexId = 0x400002;
    b.agl = 600.0;
    b.approach = 1;
    b.samples.front().verticalRate = 1500.0;
    lf_stepSample(b);
    EXPECT_EQ(b.climbOut, 1);
    EXPECT_EQ(b.approach, 0);
    EXPECT_EQ(events(evThrottleSet).back().data, 16383u);
    const std::size_t commands = gf_queuedClientEvents().size();
    lf_stepSample(b);
    EXPECT_EQ(events(evThrottleSet).back().data, 16383u);
    EXPECT_EQ(gf_queuedClientEvents().size(), commands + 1) << "only the cabin lights again";
}

TEST_F(Movement, GroundSamplesWhileFlyingAndARespawnAtTheStand) {
    // Climbing away over samples still on the ground: it heads for the first
    // airborne one, and its rates point there, not at the samples it dropped.
    LiveAc& a = flying(0.0, {0.0, 1500.0, 2000.0});
    a.onGround = 0;
    a.st = MovementState::takeOff;
    a.block.altitudeFt = 800.0;
    for (PosSample& s : a.samples) s.verticalRate = 1200.0;
    a.agl = 700.0;
    lf_stepSample(a);
    ASSERT_EQ(a.samples.size(), 2u);
    EXPECT_EQ(a.samples.front().altitude, 1500.0);
    const double dt = a.samples.front().duePass - g_passTick.load();
    EXPECT_NEAR(a.lonRate * dt, a.samples.front().lon - 8.0, 1e-9);
    EXPECT_NEAR(a.altitudeRate, std::min(700.0 / dt, 0.6), 1e-12);
    ASSERT_FALSE(events(evGearSet).empty());
    EXPECT_EQ(events(evGearSet).front().data, 1u);

    // A parked aircraft whose only sample is a week ahead is created again now.
    LiveAc& parked = flying(0.0);
    parked.hexId = 0x400002;
    parked.st = MovementState::parked;
    parked.samples.front().duePass = 60480000;
    g_passTick = 500;
    liveryRespawn(parked);
    EXPECT_EQ(parked.fs, LifecycleState::liveryrespawn);
    EXPECT_EQ(parked.samples.size(), 1u);
    EXPECT_EQ(parked.samples.front().duePass, 500);
}

TEST_F(Movement, BrokenNumbersAndStepsThatKeepFailing) {
    EXPECT_THROW(gf_passCount(std::numeric_limits<double>::quiet_NaN()), gsl::narrowing_error);
    EXPECT_THROW(gf_passCount(3e9), gsl::narrowing_error);
    EXPECT_EQ(gf_passCount(486.4), 486);
    PosSample f;
    PosSample n;
    n.lon = 0.01;
    n.duePass = 100;
    EXPECT_NEAR(lf_sampleSpeed(f, n), gf_distanceNm(LatLon{0, 0}, LatLon{0, 0.01}) * 3600.0, 1e-9);

    // A step that throws every pass: logged once, and after a second the aircraft goes.
    LiveAc& a = flying(5000.0, {5000.0});
    a.category = 9;
    for (int i = 0; i < g_maxFailedPasses - 1; ++i) EXPECT_FALSE(updateLiveAc(a));
    EXPECT_EQ(a.fs, LifecycleState::active);
    updateLiveAc(a);
    EXPECT_EQ(a.fs, LifecycleState::removingfromsim);
    const auto lines = m_folder.logLines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.find("invalid unordered_map") != std::string::npos; }),
              1);

    // Active with nothing queued: the stream is empty.
    LiveAc& empty = flying(5000.0);
    empty.hexId = 0x400009;
    empty.samples.clear();
    updateLiveAc(empty);
    EXPECT_EQ(empty.fs, LifecycleState::removingfromsim);
    EXPECT_TRUE(m_folder.logContains("updateLiveAc stream empty ?"));
}

}  // namespace
}  // namespace zrb::test
