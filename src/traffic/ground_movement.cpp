#include "traffic/ground_movement.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

#include "liveries/dbase.h"
#include "simlink/sim_requests.h"
#include "traffic/ac_events.h"
#include "traffic/air_movement.h"
#include "traffic/feed_intake.h"
#include "traffic/leaving_stand.h"
#include "traffic/new_samples.h"
#include "traffic/parking.h"
#include "traffic/sample_geometry.h"
#include "traffic/sample_stepping.h"

namespace zrb {

namespace {

constexpr std::array<double, 6> rotationSpeedsKt{90.0, 110.0, 140.0, 150.0, 220.0, 0.0};

constexpr double curveMinDeg = 3.0;         // smaller turns are flown straight
constexpr double midSampleTurnDeg = 45.0;   // a sharper turn first gets a sample midway
constexpr double curveMaxDeg = 160.0;       // sharper still: no curve, a speed check
constexpr double midSampleMinNm = 0.02699784017278618;  // 50 m
constexpr std::int32_t midSampleMinPasses = 600;
constexpr double parkingSearchSlowKt = 5.0;
constexpr double parkingSearchNearNm = 0.018898488120950324;  // 35 m
constexpr double headingOffDeg = 3.0;
constexpr double sharpTurnDeg = 90.0;
constexpr std::int32_t sharpTurnWindowPasses = 2000;
constexpr double turnRateKFloor = 1.2;
constexpr double turnRateDegreesPerK = 10.0;
constexpr double turnRateMetresPerK = 30.0;
constexpr double nmPerMetre = 1.0 / 1852.0;
constexpr double turnRateSharpDivisor = 30.0;
constexpr double curveMinMetres = 0.5;  // an end point this close: no path to follow

// Throttle of the take-off roll by speed, below 25 and 30 kt.
constexpr double rollThrottleFkt = 25.0;
constexpr double rollThrottleNkt = 30.0;
constexpr double throttle2Fkt = 20.0;
constexpr double throttle2Nkt = 25.0;
constexpr double throttle1Fkt = 15.0;
constexpr double throttle1Nkt = 20.0;

// Altitude of the climb-out as a share of the climb rate, by passes since the rotation.
constexpr double climbShareFirst = 0.1;   // c 0 .. −99
constexpr double climbShareSecond = 0.2;  // c −100 .. −199
constexpr double climbShareThird = 0.5;   // c −200 .. −299
constexpr std::int32_t climbBandPasses = 100;
constexpr std::uint32_t maxRotationPasses = 100000;  // far beyond any category's, far from overflow

bool lf_isRotorcraft(const AiAc& a) { return a.category == static_cast<std::uint32_t>(g_categoryRotorcraft); }

std::uint32_t lf_idleThrottle(const AiAc& a) { return lf_isRotorcraft(a) ? g_throttleFull : 0; }

// Local metres (north, east) of a point around the aircraft.
struct LocalMetres {
    double north = 0.0;
    double east = 0.0;
};

LocalMetres lf_localMetres(const LatLon& origin, const LatLon& p) {
    double dLon = p.lon - origin.lon;
    if (dLon > 180.0) dLon -= 360.0;
    if (dLon < -180.0) dLon += 360.0;
    return LocalMetres{(p.lat - origin.lat) * g_metresPerDegreeLat,
                       dLon * std::cos(origin.lat * g_degToRad) * g_metresPerDegreeLat};
}

// Only for the turn: how much the rate is scaled so that the turn fits the leg.
void lf_scaleTurnRate(LiveAc& a, double travel, double distanceNm) {
    const double turnDeg = a.headingOff != 0 ? a.headingOffDeg : a.curveTurnDeg;
    if (!(turnDeg > 0.0) || !(distanceNm > 0.0) || !(a.workingTurnStep > 0.0)) return;
    // Degrees over radians per pass, as the timing has always been tuned.
    const double p = std::round(turnDeg / a.workingTurnStep / 100.0);
    const double k = travel / std::max(p, 1.0);
    if (turnDeg <= midSampleTurnDeg) {
        if (k >= turnRateKFloor) {
            const double m = std::min(k * turnRateDegreesPerK / turnDeg, k * turnRateMetresPerK * nmPerMetre / distanceNm);
            if (m > 0.0) a.workingTurnStep *= 1.0 / m;
        } else if (k > 0.0) {
            a.workingTurnStep *= 1.0 / k;
        }
        return;
    }
    a.workingTurnStep *= std::min(k, std::min(turnDeg, sharpTurnDeg) / turnRateSharpDivisor);
    if (turnDeg >= sharpTurnDeg) {
        a.earlyWindow = std::max(a.earlyWindow, sharpTurnWindowPasses);
        a.lateWindow = std::max(a.lateWindow, sharpTurnWindowPasses);
    }
}

// Turns and speed changes toward a moving N.
void lf_shapeLeg(LiveAc& a) {
    if (a.samples.size() < 3 || a.samples[2].stationary != 0) {
        if (a.samples.size() >= 3 || a.holdMarker < 1) lf_checkSpeedChange(a);
        return;
    }
    const double turn = std::abs(lf_headingChange(a)) * g_radToDeg;
    if (turn <= curveMinDeg) {
        lf_checkSpeedChange(a);
        return;
    }
    const PosSample& f = a.samples[0];
    const PosSample& n = a.samples[1];
    if (turn > midSampleTurnDeg && gf_distanceNm(gf_samplePos(f), gf_samplePos(n)) > midSampleMinNm &&
        f.groundSpeed <= g_runwaySpeedKt && static_cast<std::int64_t>(n.duePass) - f.duePass >= midSampleMinPasses) {
        lf_insertMidSample(a);
    } else if (turn > curveMaxDeg || gf_samePosition(gf_samplePos(f), gf_samplePos(a.samples[2]))) {
        lf_checkSpeedChange(a);
    } else if (lf_setupCurve(a)) {
        a.curveTurnDeg = turn;
    }
}

// A taxiing aircraft that comes to a stop looks for a stand there.
void lf_lookForStand(LiveAc& a) {
    if (a.samples.back().stationary == 0 || a.st != MovementState::taxi || !gf_parkAirportActive()) return;
    const bool leftStand = a.prevSt == MovementState::parked || a.prevSt == MovementState::pushingBack ||
                           a.prevSt == MovementState::pushedBack;
    if (a.towed == 0 && leftStand) return;  // on its way out
    if (a.holdMarker < 1) {
        if (a.samples[1].groundSpeed <= parkingSearchSlowKt &&
            gf_distanceNm(gf_acPos(a), gf_samplePos(a.samples.back())) <= parkingSearchNearNm)
            try2Park(a, false);
        return;
    }
    try2Park(a, a.turnaroundPending != 0);
}

// Throttle by speed while the take-off roll is slow.
void lf_rollThrottle(LiveAc& a) {
    const double f = a.samples[0].groundSpeed;
    const double n = a.samples[1].groundSpeed;
    std::uint32_t index = g_throttleFull;
    if (!lf_isRotorcraft(a) && f < rollThrottleFkt && n < rollThrottleNkt) {
        if (f >= throttle2Fkt || n >= throttle2Nkt)
            index = 2;
        else if (f >= throttle1Fkt || n >= throttle1Nkt)
            index = 1;
        else
            index = 0;
    }
    gf_setThrottle(a, index);
}

// The take-off decision on the runway roll: the samples ahead fly away.
void lf_decideTakeOff(LiveAc& a, double dt) {
    const double rotation = gf_rotationSpeed(a.category);
    const auto ahead = a.samples.begin() + 1;
    const auto lowClimb = std::find_if(ahead, a.samples.end(),
                                       [](const PosSample& s) { return s.verticalRate <= g_takeOffVerticalRateFpm; });
    if (lowClimb != a.samples.end()) {
        const bool fastEnough =
            std::all_of(ahead, a.samples.end(), [rotation](const PosSample& s) { return s.groundSpeed >= rotation; });
        const bool allAirborne = std::all_of(ahead, a.samples.end(), [](const PosSample& s) { return s.airborne != 0; });
        if (!fastEnough || !allAirborne) return;
        a.altitudeRate = gf_climbLimit(a.category);
    } else if (std::any_of(ahead, a.samples.end(), [](const PosSample& s) { return s.airborne == 0; })) {
        a.altitudeRate = gf_climbLimit(a.category);
    } else {
        a.altitudeRate = std::max(a.samples[1].altitude - a.block.altitudeFt, 0.1) / dt;
    }
    lf_startTakeOff(a);
}

void lf_taxiLights(const AiAc& a) { gf_setAcLights(a, LightStates{1, 1, 0, 1, 0, 1, 1}); }

void lf_zeroAiControls(const AiAc& a) {
    if (a.category != static_cast<std::uint32_t>(g_categoryLight)) (void)gf_setAiControls(a.objectId, AiControlsBlock{0.0, 0.0, 0.0});
}

}  // namespace

double gf_rotationSpeed(std::uint32_t category) {
    if (category >= rotationSpeedsKt.size()) throw std::out_of_range("invalid unordered_map<K, T> key");
    return rotationSpeedsKt[category];
}

bool gf_hasCurve(const LiveAc& a) { return !std::isnan(a.curve.ctrlEast) && !std::isnan(a.curve.ctrlNorth); }

void lf_groundStep(LiveAc& a) {
    if (a.samples.size() < 2) return;
    if (a.st == MovementState::pushingBack) {
        lf_pushedBack(a);
    } else if (a.st == MovementState::parked) {
        lf_chooseWayOff(a);
    } else if (a.samples[1].stationary == 0) {
        lf_shapeLeg(a);
        if (!gf_hasCurve(a)) {
            const double diff = std::abs(gf_wrapPi(a.pathBearing - a.block.headingRad)) * g_radToDeg;
            a.headingOff = diff > headingOffDeg ? 1 : 0;
            a.headingOffDeg = diff;
        } else {
            a.headingOff = 0;
        }
    }
    if (a.samples.size() < 2) return;
    lf_lookForStand(a);
    if (a.samples.size() >= 2) lf_taxiTiming(a);
}

bool lf_setupCurve(LiveAc& a) {
    if (a.samples.size() < 3) return false;
    const LatLon origin = gf_acPos(a);
    const LocalMetres control = lf_localMetres(origin, gf_samplePos(a.samples[1]));
    const LocalMetres end = lf_localMetres(origin, gf_samplePos(a.samples[2]));
    if (std::hypot(end.north, end.east) < curveMinMetres && std::hypot(control.north, control.east) < curveMinMetres)
        return false;
    CurvePath curve;
    curve.startLat = origin.lat;
    curve.startLon = origin.lon;
    curve.t0 = 0.0;
    curve.t1 = 1.0;
    curve.endNorth = end.north;
    curve.endEast = end.east;
    curve.ctrlEast = control.east;
    curve.ctrlNorth = control.north;
    a.curve = curve;
    a.curveProgress = 0.0;
    a.samples.erase(a.samples.begin() + 1);
    return true;
}

void lf_taxiTiming(LiveAc& a) {
    if (a.samples.size() < 2) return;
    const PosSample& f = a.samples[0];
    PosSample& n = a.samples[1];
    const std::int64_t now = g_passTick.load();
    if (n.stationary != 0) {
        // A stop keeps its time after F.
        std::int64_t t = now + std::max<std::int64_t>(static_cast<std::int64_t>(f.duePass) - now +
                                                          std::max<std::int64_t>(static_cast<std::int64_t>(n.duePass) - f.duePass, g_minStepPasses),
                                                      g_minStepPasses);
        if (a.holdMarker < 1) {
            const std::int64_t late = static_cast<std::int64_t>(n.duePass) + a.lateWindow;
            t = t > late ? late : std::max<std::int64_t>(t, static_cast<std::int64_t>(n.duePass) - a.earlyWindow);
        }
        n.duePass = gf_passCount(static_cast<double>(std::max(t, now)));
        return;
    }
    a.workingTurnStep = a.turnStep;
    const double distance = gf_distanceNm(gf_samplePos(f), gf_samplePos(n));
    const std::int32_t travel =
        std::max(gf_passCount(distance * g_passesPerHour / lf_sampleSpeed(f, n)), g_minStepPasses);
    if (gf_hasCurve(a) || a.headingOff != 0) lf_scaleTurnRate(a, travel, distance);
    lf_retimeNext(a, travel);
}

void lf_startGroundMotion(LiveAc& a) {
    if (a.samples.size() < 2) return;
    if (a.st == MovementState::parked || a.st == MovementState::flying) {
        gf_setPhase(a, MovementState::taxi);
    } else if (a.landed != 0 && a.touchedDown == 0) {
        lf_rollThrottle(a);
    } else if (a.touchedDown == 0) {
        gf_setThrottle(a, lf_idleThrottle(a));
    } else {
        // Also after a touchdown roll (landed set): the landing roll ends at the turn-off.
        lf_rollOut(a);
    }
    if (a.touchedDown == 0 && a.landed == 0) gf_shrinkWindows(a);
    if (a.flareStage == 0 && a.st != MovementState::takeOff) {
        a.block.pitchRad = a.parkedPitch;
        a.pitchRate = 0.0;
        a.block.bankRad = 0.0;
        a.bankRate = 0.0;
    }
    const double dt = lf_stepPasses(a);
    // The pushback turn keeps its own pace.
    if (gf_hasCurve(a) && a.st != MovementState::pushingBack) a.curveStep = 1.0 / dt;
    const PosSample& n = a.samples[1];
    a.passGroundSpeed = a.st == MovementState::pushingBack ? -n.groundSpeed : n.groundSpeed;
    if (a.landed != 0 && a.st != MovementState::takeOff && a.samples[0].groundSpeed >= g_runwaySpeedKt)
        lf_decideTakeOff(a, dt);
}

void lf_rollOut(LiveAc& a) {
    const double off = std::abs(gf_wrapPi(a.block.headingRad - a.touchdownHeading)) * g_radToDeg;
    if (off >= g_turnOffDeg) {
        gf_setFlaps(a, 0);
        a.touchedDown = 0;
        // The landing roll is over: from here it taxis like any other aircraft
        // (holds when its feed stops, gets its runway events when it leaves).
        a.landed = 0;
        a.touchdownHeading = 0.0;
        gf_setThrottle(a, lf_idleThrottle(a));
        gf_setSpoilers(a, 0);
        lf_zeroAiControls(a);
        lf_taxiLights(a);
        return;
    }
    if (a.samples.empty() || a.samples[0].groundSpeed > g_rollOutSlowKt) return;
    gf_setSpoilers(a, 0);
    lf_zeroAiControls(a);
    gf_setFlaps(a, 1);
}

void lf_startTakeOff(LiveAc& a) {
    a.phaseCounter = static_cast<std::int32_t>(std::clamp<std::uint32_t>(a.rotationPasses, 1, maxRotationPasses));
    a.block.bankRad = 0.0;
    a.bankRate = 0.0;
    a.pitchRate = (a.rotationPitch - a.block.pitchRad) / a.phaseCounter;
    a.headingRate = 0.0;
    a.curve = CurvePath{};
    a.curveProgress = 0.0;
    if (a.landed == 0) lf_towedTakeOff(a);
    gf_setPhase(a, MovementState::takeOff);
    if (a.touchedDown == 0) return;
    // A touch-and-go: full power, and the spoilers of the touchdown go in again.
    a.touchedDown = 0;
    a.approach = 0;
    a.turnaroundPending = 0;
    gf_setThrottle(a, g_throttleFull);
    gf_setSpoilers(a, 0);
    gf_setFlaps(a, 1);
}

void lf_climbOut(LiveAc& a) {
    a.phaseCounter = std::max(a.phaseCounter - 1, g_lowestPhase);
    const std::int32_t c = a.phaseCounter;
    if (c >= 1) {
        a.onGround = 0;
        if (a.block.pitchRad > a.rotationPitch) a.block.pitchRad += a.pitchRate;
        return;
    }
    a.block.bankRad = std::clamp(a.block.bankRad + a.bankRate, -g_pi, g_pi);
    const bool climbPitchReached = !(a.block.pitchRad > a.climbPitch);
    if (!climbPitchReached) {
        const double passes = std::max<double>(a.climbPasses, 1.0);
        a.block.pitchRad += (a.climbPitch - a.rotationPitch) / passes;
    }
    double share = 1.0;
    if (c > -climbBandPasses)
        share = climbShareFirst;
    else if (c > -2 * climbBandPasses)
        share = climbShareSecond;
    else if (c > g_gearUpPhase)
        share = climbShareThird;
    a.block.altitudeFt += a.altitudeRate * share;
    if (c == g_gearUpPhase) gf_setGear(a, false);
    if (c >= g_gearUpPhase || !climbPitchReached) return;
    a.pitchRate = 0.0;
    if (a.agl < g_climbedOutAglFt) return;
    gf_setThrottle(a, lf_isRotorcraft(a) ? g_throttleFull : 3);
    gf_setPhase(a, MovementState::flying);
    a.phaseCounter = 1;
}

}  // namespace zrb
