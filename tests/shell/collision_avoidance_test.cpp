#include "shell/collision_avoidance.h"

#include <cmath>
#include <numbers>

#include "config/parameters.h"
#include "foundation/geodesy.h"
#include "shell_test_support.h"

namespace zrb::test {
namespace {

constexpr double userLat = 50.0;
constexpr double userLon = 8.0;

AircraftView lf_aircraftAt(double bearing, double distanceNm, double headingRad, double altitudeFt, bool onGround) {
    // From wherever the user is now.
    const LatLon p = gf_destinationPoint({g_user.lat, g_user.lon}, bearing, distanceNm * g_feetPerNm);
    AircraftView a;
    a.hexId = 0x4000;
    a.lat = p.lat;
    a.lon = p.lon;
    a.headingRad = headingRad;
    a.altitudeFt = altitudeFt;
    a.onGround = onGround;
    a.halfSpanNm = 0.01;
    a.state = LifecycleState::active;
    a.movement = onGround ? MovementState::taxi : MovementState::flying;
    return a;
}

class Collision : public ShellTest {
protected:
    Collision() {
        g_user.lat = userLat;
        g_user.lon = userLon;
        g_user.heading = 0.0;  // north
        g_user.halfSpanNm = 0.01;
        gf_runServices().liveAircraft = [this] { return live; };
        gf_runServices().staticAircraft = [this] { return statics; };
    }
    void airborne(double altitudeFt, double aglFt) {
        g_user.onGround = false;
        g_user.altitudeFt = altitudeFt;
        g_user.altitudeAglFt = aglFt;
    }
    bool removedLive() {
        calls.clear();
        lf_userCollisionAvoidance();
        return calls.count("removeLive 0") == 1;
    }

    std::vector<AircraftView> live;
    std::vector<AircraftView> statics;
};

TEST_F(Collision, GroundTrafficAheadOnlyWhileTheUserIsLow) {
    live = {lf_aircraftAt(0.0, 0.5, 0.0, 0.0, true)};
    airborne(2300.0, 300.0);
    EXPECT_TRUE(removedLive());
    airborne(2600.0, 600.0);
    EXPECT_FALSE(removedLive());
    // Beside the heading line, not ahead on it.
    live = {lf_aircraftAt(0.5, 0.5, 0.0, 0.0, true)};
    airborne(2300.0, 300.0);
    EXPECT_FALSE(removedLive());
}

TEST_F(Collision, CrossingTrafficIsMeasuredFromItsHeadingLine) {
    airborne(5000.0, 4000.0);
    const double passes600 = std::asin(600.0 / (3.0 * g_feetPerNm));
    const double passes2000 = std::asin(2000.0 / (3.0 * g_feetPerNm));
    // 3 NM north of the user, heading almost south: its line passes 600 ft away.
    live = {lf_aircraftAt(0.0, 3.0, std::numbers::pi + passes600, 4200.0, false)};
    EXPECT_TRUE(removedLive());
    live = {lf_aircraftAt(0.0, 3.0, std::numbers::pi + passes600, 4000.0, false)};  // 1000 ft apart
    EXPECT_FALSE(removedLive());
    live = {lf_aircraftAt(0.0, 3.0, std::numbers::pi + passes2000, 4200.0, false)};
    EXPECT_FALSE(removedLive());
    live = {lf_aircraftAt(0.0, 3.0, std::numbers::pi + passes600, 4200.0, false)};
    live[0].state = LifecycleState::adding2sim;  // not yet in the simulator
    EXPECT_FALSE(removedLive());
    COLLISION_USER_AIR.value = false;
    live[0].state = LifecycleState::active;
    EXPECT_FALSE(removedLive());
}

TEST_F(Collision, OnTheGroundByHalfSpans) {
    g_user.onGround = true;
    live = {lf_aircraftAt(1.0, 0.0229, 0.0, 0.0, true)};  // (0.01 + 0.01) × 1.15 = 0.023
    EXPECT_TRUE(removedLive());
    live = {lf_aircraftAt(1.0, 0.024, 0.0, 0.0, true)};
    EXPECT_FALSE(removedLive());

    // Static aircraft: 1.1 × the spans, and only once the user has moved.
    live.clear();
    statics = {lf_aircraftAt(1.0, 0.0215, 0.0, 0.0, true)};
    calls.clear();
    lf_userCollisionAvoidance();  // the user has not moved since the test above
    EXPECT_EQ(calls.count("removeStatic 0"), 0);
    g_user.lat += 0.0001;
    statics = {lf_aircraftAt(1.0, 0.0215, 0.0, 0.0, true)};
    lf_userCollisionAvoidance();
    EXPECT_EQ(calls.count("removeStatic 0"), 1);
    g_user.lat += 0.0001;
    statics = {lf_aircraftAt(1.0, 0.0225, 0.0, 0.0, true)};
    calls.clear();
    lf_userCollisionAvoidance();
    EXPECT_EQ(calls.count("removeStatic 0"), 0);
}

TEST_F(Collision, AtMostOneRemovalPerSecond) {
    g_user.onGround = true;
    live = {lf_aircraftAt(1.0, 0.01, 0.0, 0.0, true), lf_aircraftAt(2.0, 0.01, 0.0, 0.0, true)};
    statics = {lf_aircraftAt(1.0, 0.01, 0.0, 0.0, true)};
    calls.clear();
    lf_userCollisionAvoidance();
    EXPECT_EQ(calls.calls(), std::vector<std::string>{"removeLive 0"});
}

}  // namespace
}  // namespace zrb::test
