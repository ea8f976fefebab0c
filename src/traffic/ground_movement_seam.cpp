// The ground movement's least form (see the header).
#include "traffic/ground_movement_seam.h"

#include <algorithm>
#include <cmath>

#include "config/parameters.h"
#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "foundation/time.h"
#include "liveries/dbase.h"
#include "shell/common/run_state.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_requests.h"
#include "traffic/ac_events.h"
#include "traffic/air_movement.h"
#include "traffic/doubles_check_queue.h"
#include "traffic/feed_intake.h"
#include "traffic/live_driver.h"
#include "traffic/removal.h"
#include "traffic/sample_stepping.h"
#include "traffic/traffic_lists.h"

namespace zrb {

namespace {

constexpr std::size_t maxQueuedSamples = 200;
constexpr double standWatchNm = 0.0458963282937365;  // 85 m
constexpr double arrivalNm = 0.0010799136069114472;  // 2 m
constexpr double headingOffRad = 3.0 * g_degToRad;
constexpr std::int32_t lowestPhaseCounter = -1000;
constexpr std::int32_t gearUpPhase = -300;
constexpr double climbedOutAglFt = 800.0;
constexpr std::uint32_t touchdownSpoilers = 16383;
constexpr double aiControlsPercent = 100.0;

}  // namespace

void decodeExisting(LiveAc& a, PosSample s) {
    if (a.samples.size() > maxQueuedSamples) {
        removeAircraftFromSim(a);
        return;
    }
    if (a.st == MovementState::birth) {
        if (a.samples.empty() || !lf_checkStationary(a, s)) return;
    } else if (a.st == MovementState::parked || a.st == MovementState::parking) {
        if (a.fs == LifecycleState::buffer || a.fs == LifecycleState::adding2sim) return;
        a.atStandChecked = 1;
        if (gf_distanceNm(LatLon{a.lat, a.lon}, LatLon{s.lat, s.lon}) <= standWatchNm) return;
        gf_setPhase(a, MovementState::taxi);
        s.stationary = 0;
    } else if (a.approach == 0 && a.touchedDown == 0) {
        if (!lf_checkStationary(a, s)) return;
        if (a.holdMarker >= 1) {
            if (a.samples.empty()) return;
            a.holdMarker = 0;
            gf_resetWindows(a);
            a.samples.front().duePass = gf_addPasses(g_passTick.load(), 1);
            a.waiting = 0;
            a.waitingSince = 0;
        }
    } else {
        if (!a.samples.empty() && gf_samePosition(a.samples.back(), s)) return;
        if (a.holdMarker > 0) {
            a.holdMarker = 0;
            gf_resetWindows(a);
        }
    }
    if (!a.samples.empty() && a.samples.back().duePass >= s.duePass) s.duePass = gf_addPasses(a.samples.back().duePass, 1);
    a.samples.push_back(s);
    if (a.st != MovementState::birth && a.samples.size() == 2 && a.samples[0].stationary != 0 &&
        a.samples[1].stationary != 0) {
        a.samples[0].duePass = gf_addPasses(g_passTick.load(), 1);
        a.samples[0].groundSpeed = a.samples[1].groundSpeed;
    }
}

void lf_groundStep(LiveAc& a) {
    if (a.samples.size() < 2) return;
    const PosSample& f = a.samples[0];
    const PosSample& n = a.samples[1];
    if (n.stationary != 0) return;
    const double diff = gf_wrapPi(a.pathBearing - a.block.headingRad);
    a.headingOff = std::abs(diff) > headingOffRad ? 1 : 0;
    a.headingOffDeg = std::abs(diff) * g_radToDeg;
    a.workingTurnStep = a.turnStep;
    const double travel = gf_distanceNm(LatLon{f.lat, f.lon}, LatLon{n.lat, n.lon}) * g_passesPerHour /
                          lf_sampleSpeed(f, n);
    lf_retimeNext(a, std::max(gf_passCount(travel), g_minStepPasses));
}

void lf_startGroundMotion(LiveAc& a) {
    if (a.samples.size() < 2) return;
    if (a.st == MovementState::parked || a.st == MovementState::flying) gf_setPhase(a, MovementState::taxi);
    if (a.touchedDown == 0 && a.landed == 0) gf_shrinkWindows(a);
    if (a.flareStage == 0 && a.st != MovementState::takeOff) {
        a.block.pitchRad = a.parkedPitch;
        a.pitchRate = 0.0;
        a.block.bankRad = 0.0;
        a.bankRate = 0.0;
    }
    const PosSample& f = a.samples[0];
    const PosSample& n = a.samples[1];
    a.passGroundSpeed = a.st == MovementState::pushingBack ? -n.groundSpeed : n.groundSpeed;
    if (a.st == MovementState::takeOff || a.touchedDown != 0 || f.airborne != 0 || n.airborne == 0) return;
    gf_setPhase(a, MovementState::takeOff);
    a.phaseCounter = std::max<std::int32_t>(static_cast<std::int32_t>(a.rotationPasses), 1);
    a.altitudeRate = gf_climbLimit(a.category);
    a.pitchRate = (a.rotationPitch - a.block.pitchRad) / a.phaseCounter;
    a.bankRate = 0.0;
    a.headingRate = 0.0;
}

void lf_climbOut(LiveAc& a) {
    a.phaseCounter = std::max(a.phaseCounter - 1, lowestPhaseCounter);
    const std::int32_t c = a.phaseCounter;
    if (c >= 1) {
        a.onGround = 0;
        if (a.block.pitchRad > a.rotationPitch) a.block.pitchRad += a.pitchRate;
        return;
    }
    a.block.altitudeFt += a.altitudeRate;
    if (a.block.pitchRad > a.climbPitch)
        a.block.pitchRad += (a.climbPitch - a.rotationPitch) / std::max<double>(a.climbPasses, 1.0);
    if (c == gearUpPhase) gf_setGear(a, false);
    if (c < gearUpPhase && a.agl >= climbedOutAglFt) {
        gf_setThrottle(a, a.category == static_cast<std::uint32_t>(g_categoryRotorcraft) ? g_throttleFull : 3);
        gf_setPhase(a, MovementState::flying);
        a.phaseCounter = 1;
    }
}

void lf_arrivedAtStand(LiveAc& a) {
    if (gf_distanceNm(LatLon{a.block.latitudeDeg, a.block.longitudeDeg}, LatLon{a.lat, a.lon}) > arrivalNm) {
        gf_setPhase(a, MovementState::taxi);
        return;
    }
    gf_setPhase(a, MovementState::parked);
    const DaySlot now = g_currentDaySlot.load();
    a.day = gf_dayOf(now);
    a.slot = gf_slotOf(now);
    if (!a.samples.empty()) a.samples.front().stationary = 1;
    a.parkTimeS = gf_systemNow();
    gf_shutDownAc(a);
    if (LOG.value) gf_logLine("{:8}: {:8} arrived at stand", lf_standName(a.standId), a.callsign);
}

bool lf_claimStandOnSpawn(std::uint32_t /*standId*/, const std::string& /*callsign*/) { return true; }

void lf_setCargoFalse(LiveAc& /*aircraft*/, Stand& /*stand*/) {}

void lf_park(LiveAc& a) {
    // The speed-change value stays: it is also the climb limit of the next take-off.
    a.onGround = 1;
    a.phaseCounter = 1;
    if (a.st != MovementState::parked) return;
    const DaySlot now = g_currentDaySlot.load();
    a.day = gf_dayOf(now);
    a.slot = gf_slotOf(now);
    if (LOG.value) gf_logLine("{:8}: {:8} parks", lf_standName(a.standId), a.callsign);
}

void lf_setOnGroundSlots(LiveAc& a) {
    a.touchedDown = 1;
    a.touchedDownOnce = 1;
    a.approach = 0;
    a.turnaroundPending = 1;
    g_fastRange = false;
    a.touchdownHeading = a.block.headingRad;
    gf_setSpoilers(a, touchdownSpoilers);
    if (a.category != static_cast<std::uint32_t>(g_categoryLight)) {
        const double v = a.fsltl != 0 ? -aiControlsPercent : aiControlsPercent;
        (void)gf_setAiControls(a.objectId, AiControlsBlock{aiControlsPercent, v, v});
    }
    const auto n = static_cast<double>(a.groundSlots);
    if (n <= 0.0) {
        gf_logLine("{} ! onGround slots {:.1f}", a.callsign, n);
        a.pitchRate = a.parkedPitch;
        a.bankRate = 0.0;
    } else {
        a.pitchRate = (a.parkedPitch - a.block.pitchRad) / n;
        a.bankRate = -a.block.bankRad / n;
    }
    lf_queueDoublesCheck(a.hexId);
}

}  // namespace zrb
