// The live driver's least form (see the header).
#include "traffic/live_driver_seam.h"

#include <algorithm>
#include <cmath>

#include "airports/aircraft_keys.h"
#include "airports/stand.h"
#include "config/parameters.h"
#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "shell/common/run_state.h"
#include "simlink/sim_queues.h"
#include "traffic/ac_events.h"
#include "traffic/feed_intake.h"
#include "traffic/removal.h"
#include "traffic/spawn_seam.h"
#include "traffic/traffic_lists.h"

namespace zrb {

namespace {

constexpr double secondsPerMinute = 60.0;

// The front sample is due: the rates that bring the aircraft to the next
// sample when that one is due, then the front is consumed.
void lf_stepToNext(LiveAc& a, std::int32_t now) {
    while (a.samples.size() >= 2 && a.samples[1].duePass <= now) a.samples.pop_front();
    if (a.samples.size() < 2) {
        a.latRate = a.lonRate = a.altitudeRate = 0.0;
        return;
    }
    const PosSample& next = a.samples[1];
    const double dt = std::max<double>(next.duePass - now, g_minStepPasses);
    a.latRate = (next.lat - a.block.latitudeDeg) / dt;
    a.lonRate = (next.lon - a.block.longitudeDeg) / dt;
    // On the ground the simulator's ground data set the altitude.
    a.altitudeRate = next.airborne != 0 ? (next.altitude - a.block.altitudeFt) / dt : 0.0;
    const LatLon from{a.block.latitudeDeg, a.block.longitudeDeg};
    const LatLon to{next.lat, next.lon};
    if (gf_distanceNm(from, to) > 0.0) a.block.headingRad = gf_initialBearing(from, to);
    a.block.verticalSpeedFtPerS = next.verticalRate / secondsPerMinute;
    a.block.trueAirspeedKt = next.stationary != 0 ? 0.0 : next.speed;
    a.samples.pop_front();
}

}  // namespace

bool updateLiveAc(LiveAc& a) {
    try {
        if (a.fs == LifecycleState::buffer) {
            lf_spawnOrWait(a);
        } else if (a.fs == LifecycleState::active) {
            if (a.samples.empty()) {
                gf_logMarked("{} stream empty ? {}, hexid:{}, objectid:{}, alt:{:.0f} ft, lalo:{:.6f},{:.6f}, TAS:{:.0f}",
                             "updateLiveAc", gf_acLogKey(a), a.hexId, a.objectId, a.block.altitudeFt,
                             a.block.latitudeDeg, a.block.longitudeDeg, a.block.trueAirspeedKt);
                removeAircraftFromSim(a);
            } else {
                const std::int32_t now = g_passTick.load();
                if (now >= a.samples.front().duePass) lf_stepToNext(a, now);
                if (a.samples.size() == 1 && now - a.samples.front().duePass > g_queueEndHoldPasses) {
                    removeAircraftFromSim(a);
                } else {
                    a.block.latitudeDeg += a.latRate;
                    a.block.longitudeDeg += a.lonRate;
                    a.block.altitudeFt += a.altitudeRate;
                    if (a.objectId != 0)
                        gf_writePosUpdate(PosUpdate{a.block, a.objectId});
                    else
                        gf_logMarked("{} objectid=0? hexid: {},cs:{}, reg:{}, aimo:{} sz:{}", "updateLiveAc", a.hexId,
                                     a.callsign, a.registration, gf_airlineTypeKey(a), a.samples.size());
                }
            }
        }
    } catch (const std::exception& e) {
        gf_logMarked("{}: {} {}, sz:{}, fs:{}, st:{}", "updateLiveAc", e.what(), gf_acLogKey(a), a.samples.size(),
                     static_cast<std::uint32_t>(a.fs), static_cast<std::uint32_t>(a.st));
    }
    return a.dropFromList != 0 || a.cancelled != 0;
}

void lf_park(LiveAc& a) {
    a.onGround = 1;
    a.phaseCounter = 1;
    if (a.st != MovementState::parked) return;
    const DaySlot now = g_currentDaySlot.load();
    a.day = gf_dayOf(now);
    a.slot = gf_slotOf(now);
    if (LOG.value) gf_logLine("{:8}: {:8} parks", lf_standName(a.standId), a.callsign);
}

void lf_activateAc(LiveAc& a) {
    gf_startPattern(a);
    a.fs = LifecycleState::active;
}

void lf_setOnGroundSlots(LiveAc& a) {
    a.touchedDown = 1;
    a.touchedDownOnce = 1;
    a.approach = 0;
    a.turnaroundPending = 1;
    g_fastRange = false;
    a.touchdownHeading = a.block.headingRad;
}

}  // namespace zrb
