#include "traffic/new_samples.h"

#include <algorithm>
#include <exception>

#include "airports/aircraft_keys.h"
#include "config/parameters.h"
#include "config/paths.h"
#include "foundation/log.h"
#include "liveries/dbase.h"
#include "traffic/ac_events.h"
#include "traffic/feed_intake.h"
#include "traffic/ground_movement.h"
#include "traffic/leaving_stand.h"
#include "traffic/live_driver.h"
#include "traffic/removal.h"
#include "traffic/sample_geometry.h"
#include "traffic/sample_stepping.h"
#include "traffic/stand_observations.h"

namespace zrb {

namespace {

constexpr std::size_t trailingStopLookBack = 5;
constexpr std::uint32_t rollThrottle = 3;

std::int32_t lf_now() { return g_passTick.load(); }

void lf_logEmpty(const char* function) { gf_logLine("{} empty sz?", function); }

void lf_runwayLights(const AiAc& a) { gf_setAcLights(a, LightStates{1, 1, 1, 1, 1, 1, 0}); }

void lf_rollWindows(LiveAc& a) {
    a.lateWindow = g_lateWindowRollPasses;
    a.earlyWindow = g_windowResetPasses;
}

// A runway roll, landing or taking off: its power, spoilers and lights.
void lf_startRunwayRoll(LiveAc& a, std::uint32_t throttleIndex, std::uint32_t spoilers) {
    a.landed = 1;
    gf_setThrottle(a, throttleIndex);
    gf_setSpoilers(a, spoilers);
    gf_setFlaps(a, 1);
    a.approach = 0;
    a.turnaroundPending = 0;
    a.climbOut = 0;
    lf_runwayLights(a);
    lf_rollWindows(a);
}

// The simulator has the aircraft on the runway while the feed still reports
// it in the air: the landing roll starts now.
void lf_touchdownRoll(LiveAc& a) {
    a.st = MovementState::taxi;
    lf_startRunwayRoll(a, rollThrottle, g_fullSpoilers);
}

// On the ground, a stop at the end of the queue is trimmed when the aircraft
// moves again soon after, or close to where it stopped.
void lf_trimStops(LiveAc& a, const PosSample& s) {
    if (a.samples.empty()) return;
    const PosSample& last = a.samples.back();
    if (last.stationary == 0) return;
    if (s.stationary != 0) {
        const bool allStopped =
            std::all_of(a.samples.begin(), a.samples.end(), [](const PosSample& q) { return q.stationary != 0; });
        if (allStopped && a.samples.size() > 1) a.samples.erase(a.samples.begin() + 1, a.samples.end());
        return;
    }
    if (a.samples.size() < 3) return;
    const std::size_t size = a.samples.size();
    for (std::size_t back = 2; back <= std::min(trailingStopLookBack + 1, size); ++back) {
        const std::size_t i = size - back;
        const PosSample& moving = a.samples[i];
        if (moving.stationary != 0) continue;
        const bool soon = static_cast<std::int64_t>(last.duePass) - moving.duePass < g_trailingStopPasses;
        if (soon || gf_distanceNm(gf_samplePos(moving), gf_samplePos(s)) <= g_trailingStopNm)
            a.samples.erase(a.samples.begin() + static_cast<std::ptrdiff_t>(i) + 1, a.samples.end());
        return;
    }
}

void lf_runwayEvents(LiveAc& a, const PosSample& s) {
    if (a.landed != 0 || a.onGround == 0 || a.fs != LifecycleState::active || a.samples.empty()) return;
    const PosSample& last = a.samples.back();
    if (a.touchedDown != 0) {
        if (last.airborne != 0 && s.airborne != 0) lf_touchdownRoll(a);
        return;
    }
    if (a.st != MovementState::taxi) return;
    if (s.airborne != 0 ||
        (s.groundSpeed >= g_runwaySpeedKt && last.groundSpeed >= g_runwaySpeedKt))
        lf_towedTakeOff(a);
}

// The direction a sample ahead is judged against. On the ground the queue
// already holds the track up to 30 s ahead, turn-off and taxiway corners
// included, while the aircraft still rolls along the runway: measured against
// its heading, every sample past a right-angle corner would be dropped in turn
// and the queue would run dry before the aircraft reached the corner. There the
// track arriving at the last queued sample counts; in the air, the heading.
double lf_queuedTrack(const LiveAc& a) {
    const std::size_t size = a.samples.size();
    if (a.onGround == 0 || size < 2) return a.block.headingRad;
    const LatLon from = gf_samplePos(a.samples[size - 2]);
    const LatLon to = gf_samplePos(a.samples[size - 1]);
    if (gf_samePosition(from, to)) return a.block.headingRad;
    return gf_initialBearing(from, to);
}

void lf_decode(LiveAc& a, PosSample& s) {
    // The limit counts the sample that arrives: the 201st removes the aircraft.
    if (a.samples.size() >= g_maxQueuedSamples) {
        removeAircraftFromSim(a);
        return;
    }
    if (a.waiting != 0 && !a.samples.empty() &&
        gf_distanceNm(gf_samplePos(s), gf_samplePos(a.samples.front())) * g_metresPerNm >
            static_cast<double>(HOLDING_THRESHOLD_METERS.value)) {
        a.waiting = 0;
        a.waitingSince = 0;
        removeAircraftFromSim(a);
        return;
    }
    if (a.st == MovementState::birth) {
        if (a.samples.empty() || !lf_checkStationary(a, s)) return;
        if (a.samples.back().duePass >= s.duePass) s.duePass = gf_addPasses(a.samples.back().duePass, 1);
        a.samples.push_back(s);
        return;
    }
    if (!checkExtendingSituations(a, s)) return;
    if (s.airborne == 0) lf_trimStops(a, s);
    if (!a.samples.empty() && a.samples.back().duePass >= s.duePass) s.duePass = gf_addPasses(a.samples.back().duePass, 1);
    lf_runwayEvents(a, s);
    a.samples.push_back(s);
    if (a.samples.size() == 2 && a.samples[0].stationary != 0 && a.samples[1].stationary != 0) {
        a.samples[0].duePass = gf_addPasses(lf_now(), 1);
        a.samples[0].groundSpeed = a.samples[1].groundSpeed;
    }
}

}  // namespace

void decodeExisting(LiveAc& a, PosSample s) {
    try {
        lf_decode(a, s);
    } catch (const std::exception& e) {
        // One sample that cannot be handled costs that sample, not the run.
        gf_logLine("{} exception {}", "decodeExisting", e.what());
    }
}

bool checkExtendingSituations(LiveAc& a, PosSample& s) {
    switch (a.st) {
        case MovementState::parking:
        case MovementState::parked:
            if (a.fs == LifecycleState::buffer || a.fs == LifecycleState::adding2sim) return false;
            return lf_checkParkedMovement(a, s);
        case MovementState::pushingBack: lf_decidePushbackTurn(a, s); return false;
        case MovementState::pushedBack: return lf_waitAfterPushback(a, s);
        default: break;
    }
    if (a.approach != 0 || a.touchedDown != 0) return checkNewPosDuringLanding(a, s);
    if (!lf_checkStationary(a, s)) return false;
    if (a.holdMarker < 1) return true;
    if (a.samples.empty()) {
        lf_logEmpty("checkExtendingSituations");
        return false;
    }
    if (a.onGround == 0 &&
        gf_turnDegrees(gf_samplePos(a.samples.back()), gf_samplePos(s), a.block.headingRad) >= g_holdingTurnDeg)
        return false;
    a.holdMarker = 0;
    gf_resetWindows(a);
    a.samples.front().duePass = gf_addPasses(lf_now(), 1);
    a.waiting = 0;
    a.waitingSince = 0;
    return true;
}

bool checkNewPosDuringLanding(LiveAc& a, PosSample& s) {
    if (a.samples.empty()) {
        lf_logEmpty("checkNewPosDuringLanding");
        return false;
    }
    const LatLon here = gf_samplePos(s);
    if (gf_samePosition(gf_samplePos(a.samples.back()), here)) return false;
    const double heading = a.block.headingRad;
    if (a.samples.size() == 1) {
        const double turn = gf_turnDegrees(gf_samplePos(a.samples.front()), here, heading);
        if (a.approach != 0) {
            if (turn >= g_landingTurnDeg) return false;
        } else if (turn >= g_landingTurnAroundDeg && a.holdMarker > 0) {
            return false;
        } else {
            // Measured from where the aircraft is now, not from where it was.
            PosSample& front = a.samples.front();
            front.lat = a.block.latitudeDeg;
            front.lon = a.block.longitudeDeg;
            front.duePass = gf_addPasses(lf_now(), 1);
        }
    } else {
        const bool three = a.samples.size() >= 3;
        if (gf_turnDegrees(gf_samplePos(a.samples.back()), here, lf_queuedTrack(a)) >= g_landingTurnDeg) {
            a.samples.pop_back();
            if (three && gf_turnDegrees(gf_samplePos(a.samples.back()), here, lf_queuedTrack(a)) >= g_landingTurnDeg)
                a.samples.pop_back();
        }
    }
    if (a.holdMarker > 0) {
        a.holdMarker = 0;
        gf_resetWindows(a);
    }
    const PosSample& last = a.samples.back();
    if (gf_samePosition(gf_samplePos(last), here)) {
        s.stationary = 1;
        return true;
    }
    s.stationary = 0;
    if (s.groundSpeed > last.groundSpeed && s.groundSpeed > g_landingSpeedCapKt) s.groundSpeed = last.groundSpeed;
    return true;
}

void lf_towedTakeOff(LiveAc& a) {
    if (a.towed != 0) gf_logLine("towed aircraft takes-off? {}", gf_acLogKey(a));
    lf_startRunwayRoll(a, 0, 0);
    if (!a.airline.empty()) gf_learnLiveStand(a, true);
}

}  // namespace zrb
