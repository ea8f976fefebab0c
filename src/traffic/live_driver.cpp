#include "traffic/live_driver.h"

#include <cmath>
#include <exception>

#include "airports/aircraft_keys.h"
#include "foundation/log.h"
#include "liveries/dbase.h"
#include "simlink/sim_queues.h"
#include "traffic/ac_events.h"
#include "traffic/air_movement.h"
#include "traffic/feed_intake.h"
#include "traffic/removal.h"
#include "traffic/sample_stepping.h"
#include "traffic/spawning.h"
#include "traffic/stand_observations.h"

namespace zrb {

namespace {

constexpr double nearDeg = 0.00015;
constexpr double stationaryRefusalKt = 30.0;
constexpr double nearRefusalKt = 50.0;
// Steps of one pass: every round consumes or appends a sample, so a queue
// that neither grows nor shrinks ends the loop long before this.
constexpr int maxRounds = 16;

// A step threw: the first failure of a run of them is logged; an aircraft
// that keeps failing is given up.
void lf_stepFailed(const char* function, const std::exception& e, LiveAc& a) {
    if (a.failedPasses == 0)
        gf_logMarked("{}: {} {}, sz:{}, fs:{}, st:{}", function, e.what(), gf_acLogKey(a), a.samples.size(),
                     gf_liveStateName(a.fs), gf_phaseName(a.st));
    if (++a.failedPasses < g_maxFailedPasses) return;
    gf_logMarked("{} {} removed after {} failing passes", function, gf_acLogKey(a), a.failedPasses);
    a.failedPasses = 0;
    removeAircraftFromSim(a);
}

void lf_streamEmpty(LiveAc& a) {
    gf_logMarked("{} stream empty ? {}, hexid:{}, objectid:{}, alt:{:.0f} ft, lalo:{:.6f},{:.6f}, TAS:{:.0f}",
                 "updateLiveAc", gf_acLogKey(a), a.hexId, a.objectId, a.block.altitudeFt, a.block.latitudeDeg,
                 a.block.longitudeDeg, a.block.trueAirspeedKt);
    removeAircraftFromSim(a);
}

void lf_moveAndSend(LiveAc& a) {
    const std::int32_t now = g_passTick.load();
    if (now >= a.samples.front().duePass) {
        lf_updateActiveAc(a);
        if (a.samples.empty()) return;
        const PosSample& front = a.samples.front();
        a.block.verticalSpeedFtPerS = front.verticalRate / 60.0;
        a.block.trueAirspeedKt = front.stationary != 0 ? 0.0 : front.speed;
    }
    if (a.fs != LifecycleState::active || a.samples.empty()) return;
    if (a.samples.front().stationary == 0)
        lf_followCurve(a);
    else
        lf_hover(a);
    if (a.objectId != 0)
        gf_writePosUpdate(PosUpdate{a.block, a.objectId});
    else
        gf_logMarked("{} objectid=0? hexid: {},cs:{}, reg:{}, aimo:{} sz:{}", "updateLiveAc", a.hexId, a.callsign,
                     a.registration, gf_airlineTypeKey(a), a.samples.size());
}

}  // namespace

bool updateLiveAc(LiveAc& a) {
    const std::int32_t failedBefore = a.failedPasses;
    try {
        if (a.fs == LifecycleState::buffer) {
            lf_spawnOrWait(a);
        } else if (a.fs == LifecycleState::active) {
            if (a.samples.empty())
                lf_streamEmpty(a);
            else
                lf_moveAndSend(a);
        }
    } catch (const std::exception& e) {
        lf_stepFailed("updateLiveAc", e, a);
    }
    if (a.failedPasses == failedBefore) a.failedPasses = 0;
    return a.dropFromList != 0 || a.cancelled != 0;
}

void lf_updateActiveAc(LiveAc& a) {
    try {
        for (int round = 0; round < maxRounds; ++round) {
            if (a.samples.size() >= 2) {
                // In the air a sample that stands still is no place to fly to.
                if (a.onGround != 0 || a.samples[1].stationary == 0 ||
                    a.category == static_cast<std::uint32_t>(g_categoryRotorcraft)) {
                    lf_stepSample(a);
                    return;
                }
                a.samples.erase(a.samples.begin() + 1);
                continue;
            }
            const std::size_t before = a.samples.size();
            if (!lf_onQueueEnd(a)) {
                if (a.st != MovementState::parked) gf_learnLiveStand(a, a.st != MovementState::flying);
                removeAircraftFromSim(a);
                return;
            }
            // Staying without a new sample (waiting at a stand): nothing to step.
            if (a.fs != LifecycleState::active || a.samples.size() <= before) return;
        }
    } catch (const std::exception& e) {
        lf_stepFailed("lf_updateActiveAc", e, a);
    }
}

void lf_activateAc(LiveAc& a) {
    gf_startPattern(a);
    a.fs = LifecycleState::active;
}

bool lf_checkStationary(const LiveAc& a, PosSample& s) {
    if (a.samples.empty()) return true;
    const PosSample& last = a.samples.back();
    const double dLat = std::abs(s.lat - last.lat);
    const double dLon = std::abs(s.lon - last.lon);
    s.stationary = dLat < g_samePositionDeg && dLon < g_samePositionDeg ? 1 : 0;
    if (a.category == static_cast<std::uint32_t>(g_categoryRotorcraft)) return true;
    const auto refused = [&](double lastSpeedKt) {
        if (s.airborne != 0 || (a.fs == LifecycleState::active && a.onGround == 0)) return true;
        return a.landed != 0 && s.groundSpeed > 0.0 && last.groundSpeed >= lastSpeedKt;
    };
    if (s.stationary != 0) {
        if (refused(stationaryRefusalKt)) return false;
        s.groundSpeed = 0.0;
        return true;
    }
    if (dLat < nearDeg && dLon < nearDeg) {
        if (refused(nearRefusalKt)) return false;
        // Barely moved: it stands where it stood, at the time of the new sample.
        const std::int32_t due = s.duePass;
        s = last;
        s.duePass = due;
        s.groundSpeed = 0.0;
        s.stationary = 1;
        return true;
    }
    if (s.groundSpeed != 0.0 || std::isnan(s.groundSpeed)) return true;
    if (a.landed == 0 && s.airborne == 0) return true;
    return last.groundSpeed < nearRefusalKt;
}

}  // namespace zrb
