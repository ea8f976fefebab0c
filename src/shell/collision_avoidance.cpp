#include "shell/collision_avoidance.h"

#include <cmath>
#include <numbers>

#include "config/parameters.h"
#include "foundation/geodesy.h"
#include "shell/run.h"
#include "shell/run_services.h"

namespace zrb {

namespace {

constexpr double pi = std::numbers::pi;
constexpr double degreesPerRadian = 180.0 / pi;

// Worker thread only: the user's position at the last static-aircraft test.
double g_lastStaticTestLat = 0.0;
double g_lastStaticTestLon = 0.0;

double lf_normalise(double angle) {
    angle = std::remainder(angle, 2.0 * pi);
    return angle;  // -pi..pi
}

double lf_distanceNm(const UserAcData& user, const AircraftView& aircraft) {
    return gf_distanceNm({user.lat, user.lon}, {aircraft.lat, aircraft.lon});
}

double lf_bearing(const UserAcData& user, const AircraftView& aircraft) {
    return gf_initialBearing({user.lat, user.lon}, {aircraft.lat, aircraft.lon});
}

}  // namespace

bool gf_groundAircraftAhead(const UserAcData& user, const AircraftView& aircraft) {
    const double d = lf_distanceNm(user, aircraft);
    if (d > g_groundAheadRangeNm) return false;
    const double a = lf_normalise(lf_bearing(user, aircraft) - user.heading);
    return std::abs(std::sin(a)) * d * g_feetPerNm <= g_groundAheadOffsetFt;
}

bool gf_crossingAircraft(const UserAcData& user, const AircraftView& aircraft) {
    const double d = lf_distanceNm(user, aircraft);
    if (d > g_crossingRangeNm || std::abs(aircraft.altitudeFt - user.altitudeFt) >= g_crossingHeightFt) return false;
    const double bDegrees = lf_normalise(aircraft.headingRad - lf_bearing(user, aircraft)) * degreesPerRadian;
    const double cDegrees = std::abs(90.0 - std::abs(bDegrees));
    // cos(90° - |b|) = |sin b|: the user's distance from the aircraft's heading line.
    return std::cos(cDegrees / degreesPerRadian) * d * g_feetPerNm <= g_crossingOffsetFt;
}

bool gf_wingsTouch(const UserAcData& user, const AircraftView& aircraft, double factor) {
    return (user.halfSpanNm + aircraft.halfSpanNm) * factor >= lf_distanceNm(user, aircraft);
}

void lf_userCollisionAvoidance() {
    auto& services = gf_runServices();
    const UserAcData& user = g_user;
    if (!user.onGround && COLLISION_USER_AIR.value) {
        const auto live = services.liveAircraft();
        for (std::size_t i = 0; i < live.size(); ++i) {
            const AircraftView& aircraft = live[i];
            if (aircraft.state != LifecycleState::active) continue;
            const bool groundAhead =
                aircraft.onGround && user.altitudeAglFt < g_lowUserAglFt && gf_groundAircraftAhead(user, aircraft);
            if (groundAhead || gf_crossingAircraft(user, aircraft)) {
                services.removeLiveAt(i);
                return;
            }
        }
    } else if (user.onGround && COLLISION_USER_GND.value) {
        const auto live = services.liveAircraft();
        for (std::size_t i = 0; i < live.size(); ++i) {
            const AircraftView& aircraft = live[i];
            if (aircraft.onGround && aircraft.state == LifecycleState::active &&
                gf_wingsTouch(user, aircraft, g_liveSpanFactor)) {
                services.removeLiveAt(i);
                return;
            }
        }
        if (std::abs(user.lat - g_lastStaticTestLat) < g_movedDegrees &&
            std::abs(user.lon - g_lastStaticTestLon) < g_movedDegrees)
            return;
        g_lastStaticTestLat = user.lat;
        g_lastStaticTestLon = user.lon;
        const auto statics = services.staticAircraft();
        for (std::size_t i = 0; i < statics.size(); ++i) {
            if (statics[i].state == LifecycleState::active && gf_wingsTouch(user, statics[i], g_staticSpanFactor)) {
                services.removeStaticAt(i);
                return;
            }
        }
    }
}

void lf_resetCollisionState() {
    g_lastStaticTestLat = 0.0;
    g_lastStaticTestLon = 0.0;
}

}  // namespace zrb
