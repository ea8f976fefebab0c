#include "traffic/leaving_stand.h"

#include <cmath>

#include "airports/stand.h"
#include "config/parameters.h"
#include "foundation/log.h"
#include "foundation/time.h"
#include "liveries/dbase.h"
#include "shell/common/run_state.h"
#include "simlink/sim_ids.h"
#include "traffic/ac_events.h"
#include "traffic/feed_intake.h"
#include "traffic/ground_movement.h"
#include "traffic/removal.h"
#include "traffic/sample_geometry.h"
#include "traffic/sample_stepping.h"
#include "traffic/stand_observations.h"
#include "traffic/stand_search.h"
#include "traffic/traffic_lists.h"

namespace zrb {

namespace {

constexpr std::uint32_t weekPasses = 60480000;
constexpr std::uint32_t heavyTurnaroundPasses = 360000;   // 1 hour
constexpr std::uint32_t largeTurnaroundPasses = 150000;   // 25 minutes
constexpr std::uint32_t buzjetTurnaroundPasses = 90000;   // 15 minutes
constexpr double pullOutLimitDeg = 90.0;
constexpr double quarterTurnDeg = 90.0;
constexpr double pushbackTurnDeg = 90.0;

std::uint32_t lf_turnaroundPasses(std::uint32_t category) {
    switch (category) {
        case static_cast<std::uint32_t>(g_categoryHeavy): return heavyTurnaroundPasses;
        case static_cast<std::uint32_t>(g_categoryLarge): return largeTurnaroundPasses;
        case static_cast<std::uint32_t>(g_categoryBuzjets): return buzjetTurnaroundPasses;
        default: return 0;
    }
}

std::int32_t lf_now() { return g_passTick.load(); }

// Passes to cover the distance at the speed, from now.
std::int32_t lf_dueAfter(double distanceNm, double speedKt) {
    return gf_addPasses(lf_now(), gf_passCount(distanceNm / speedKt * g_passesPerHour));
}

double lf_approachSpeed(const AiAc& a) { return a.standApproachSpeed > 0.0 ? a.standApproachSpeed : 1.0; }

void lf_cutToFront(LiveAc& a) {
    if (a.samples.size() > 1) a.samples.erase(a.samples.begin() + 1, a.samples.end());
}

void lf_departureLights(const AiAc& a) { gf_setAcLights(a, LightStates{1, 1, 0, 1, 0, 1, 0}); }

// Engines on, idle, flaps for the taxi.
void lf_readyToTaxi(AiAc& a) {
    gf_sendAcEvent(a, evEngineAutoStart, 0);
    gf_setThrottle(a, 0);
    gf_setFlaps(a, 1);
}

void lf_depart(LiveAc& a, PosSample& s) {
    s.stationary = 0;
    a.departing = 1;
    if (a.prevSt == MovementState::parked) return;
    lf_leaveStand(a);
    gf_setPhase(a, MovementState::parked);
}

}  // namespace

bool lf_checkParkedMovement(LiveAc& a, PosSample& s) {
    a.atStandChecked = 1;
    const double d = gf_distanceNm(gf_standCopyPos(a), gf_samplePos(s));
    const double watch = a.prevSt == MovementState::parking ? 2.0 * g_standWatchNm : g_standWatchNm;
    if (d <= watch) {
        a.parkTimeS = gf_systemNow();
        if (a.standWatchStarted == 0) {
            // An explicit start: a first report right on the stand (0 m) must
            // not keep the watch starting over.
            a.standWatchStarted = 1;
            a.firstMoveDistance = d;
            a.lastMoveDistance = d;
            a.moveCount = 0;
            a.departing = 0;
            return false;
        }
        if (d >= a.lastMoveDistance + g_standMoveStepNm) {
            ++a.moveCount;
            a.lastMoveDistance = d;
            const double moved = d - a.firstMoveDistance;
            if ((a.moveCount >= 3 && moved >= a.halfSpan / 2.0) || moved > a.halfSpan) {
                lf_depart(a, s);
                return true;
            }
        } else if (d <= a.lastMoveDistance - g_standMoveStepNm) {
            a.moveCount = 0;
        }
        a.departing = 0;
        return false;
    }
    if (a.st == MovementState::parking) {
        // It never reached the stand and drives on: the stand is free for others.
        gf_releaseStand(a);
        gf_setPhase(a, MovementState::taxi);
        s.stationary = 0;
        return true;
    }
    if (d > g_standLostNm) {
        removeAircraftFromSim(a);
        return false;
    }
    lf_depart(a, s);
    return true;
}

void lf_leaveStand(LiveAc& a) {
    if (a.holdMarker >= 1) {
        if (a.st == MovementState::parked && a.turnaroundPending != 0 && !a.samples.empty()) {
            const std::uint32_t limit = lf_turnaroundPasses(a.category);
            // Unsigned across the week, as the tick itself wraps.
            const auto parked = static_cast<std::uint32_t>(lf_now()) -
                                static_cast<std::uint32_t>(a.samples.front().duePass) + weekPasses;
            if (limit != 0 && parked < limit) a.towed = 1;
        }
        a.turnaroundPending = 0;
        if (!a.samples.empty()) a.samples.front().duePass = gf_addPasses(lf_now(), 1);
        a.holdMarker = 0;
        gf_resetWindows(a);
    }
    if (!a.airline.empty() && a.standCargo == a.cargo) {
        const DaySlot now = g_currentDaySlot.load();
        if (lt_addStandOption(a.standId, a, 0, now, 0) != 0) gf_rememberLearnedLive(a.hexId, gf_slotOf(now));
    }
    if (a.standId != 0) gf_releaseStand(a);
    a.standWatchStarted = 0;
}

void lf_chooseWayOff(LiveAc& a) {
    gf_resetWindows(a);
    if (a.departing == 0 || a.samples.empty()) return;
    const double bearing = gf_initialBearing(gf_standCopyPos(a), gf_samplePos(a.samples.back()));
    const double off = std::round(gf_wrapDegrees((bearing - a.heading) * g_radToDeg));
    if (std::abs(off) < pullOutLimitDeg)
        lf_pullOut(a);
    else
        lf_startPushback(a);
}

void lf_pullOut(LiveAc& a) {
    if (a.samples.empty()) return;
    a.departing = 0;
    a.holdMarker = 0;
    const double s = lf_approachSpeed(a);
    const LatLon target = gf_destinationPoint(gf_standCopyPos(a), a.heading, 2.0 * a.halfSpan * g_feetPerNm);
    PosSample& front = a.samples.front();
    front.groundSpeed = s;
    PosSample t = front;
    t.lat = target.lat;
    t.lon = target.lon;
    t.altitude = 0.0;
    t.airborne = 0;
    t.stationary = 0;
    t.groundSpeed = s;
    t.heading = a.heading * g_radToDeg;
    t.verticalRate = 0.0;
    t.duePass = lf_dueAfter(gf_distanceNm(gf_acPos(a), target), s);
    lf_cutToFront(a);
    a.samples.push_back(t);
    gf_setPhase(a, MovementState::taxi);
    a.pathBearing = a.block.headingRad;
    lf_departureLights(a);
    lf_readyToTaxi(a);
    if (LOG.value) gf_logLine("{:8}: {:8} pulling out", lf_standName(a.standId), a.callsign);
}

void lf_startPushback(LiveAc& a) {
    const Stand* stand = gf_standById(a.standId);
    if (stand == nullptr || a.samples.empty()) return;
    a.holdMarker = 0;
    const double behind = std::fmod(a.heading + g_pi, g_twoPi);
    const double r = behind < 0.0 ? behind + g_twoPi : behind;
    const double s = lf_approachSpeed(a);
    const LatLon p1 = gf_destinationPoint(gf_acPos(a), r, g_pushbackRadii * stand->radius * g_feetPerNm);
    const double d1 = gf_distanceNm(gf_acPos(a), p1);
    const std::int32_t t1 = gf_passCount(d1 / s * g_passesPerHour);
    PosSample s1;
    s1.lat = p1.lat;
    s1.lon = p1.lon;
    s1.groundSpeed = s;
    s1.duePass = gf_addPasses(lf_now(), t1);
    a.samples.front().groundSpeed = s;
    a.pathBearing = a.block.headingRad;
    lf_cutToFront(a);
    a.samples.push_back(s1);
    lf_insertMidSample(a);
    // The tail swings to one side or the other of the end point.
    const auto sidePoint = [&](double bearing) {
        const double b = std::fmod(bearing + g_twoPi, g_twoPi);
        const LatLon p = gf_destinationPoint(p1, b, a.halfSpan * g_feetPerNm);
        PosSample side = s1;
        side.lat = p.lat;
        side.lon = p.lon;
        side.speed = 0.0;
        side.stationary = 0;
        side.duePass = gf_addPasses(lf_now(), t1 / 2 + gf_passCount(gf_distanceNm(p1, p) / s * g_passesPerHour));
        return side;
    };
    a.pushSidePoint = sidePoint(r + g_pi / 2.0);
    a.samples.push_back(sidePoint(r - g_pi / 2.0));
    lf_departureLights(a);
    gf_setPhase(a, MovementState::pushingBack);
    a.pushStage = 2;
}

void lf_pushedBack(LiveAc& a) {
    --a.pushStage;
    if (a.pushStage == 1) {
        if (a.turnDecided == 0) {
            // Straight back: the end of the turn is not needed.
            if (a.samples.size() > 2) a.samples.pop_back();
            return;
        }
        if (a.turnRight != 0 && a.samples.size() > 2) a.samples.back() = a.pushSidePoint;
        if (lf_setupCurve(a)) {
            double passes = std::round(quarterTurnDeg / a.turnStep / 100.0);
            if (!std::isfinite(passes) || passes < 1.0) passes = 1.0;
            a.curveStep = 1.0 / passes;
            a.curveTurnDeg = pushbackTurnDeg;
        }
        return;
    }
    if (a.pushStage >= 1) return;
    a.pathBearing = a.block.headingRad;
    lf_readyToTaxi(a);
    gf_setPhase(a, MovementState::pushedBack);
    a.pushStage = 1;
    a.lastWaitDistance = g_waitDistanceStart;
    a.holdMarker = 0;
    a.departing = 0;
}

void lf_decidePushbackTurn(LiveAc& a, const PosSample& s) {
    if (STRAIGHT_PBS_ONLY.value || a.pushStage != 2) return;
    double diff = 0.0;
    if (s.trackKnown != 0)
        diff = s.track - a.block.headingRad;
    else if (s.heading != 0.0)
        diff = s.heading * g_degToRad - a.block.headingRad;
    else
        return;  // a heading of 0 says nothing
    a.turnRight = gf_wrapPi(diff) > 0.0 ? 1 : 0;
    a.turnDecided = 1;
}

bool lf_waitAfterPushback(LiveAc& a, PosSample& s) {
    const double d = gf_distanceNm(gf_acPos(a), gf_samplePos(s));
    const bool away = (d > g_waitReleaseSpans * a.halfSpan && d > a.lastWaitDistance) ||
                      d > g_waitReleaseFarSpans * a.halfSpan;
    if (!away) {
        if (a.waiting == 0) {
            a.waiting = 1;
            a.waitingSince = lf_now();
        }
        a.lastWaitDistance = d;
        return false;
    }
    s.stationary = 0;
    if (a.holdMarker > 0) {
        if (!a.samples.empty()) a.samples.front().duePass = gf_addPasses(lf_now(), 1);
        a.holdMarker = 0;
        gf_resetWindows(a);
    }
    a.turnDecided = 0;
    a.pushStage = 0;
    gf_setPhase(a, MovementState::taxi);
    a.lat = 0.0;
    a.lon = 0.0;
    a.heading = 0.0;
    a.standId = 0;
    a.standCargo = 0;
    a.waiting = 0;
    a.waitingSince = 0;
    return true;
}

}  // namespace zrb
