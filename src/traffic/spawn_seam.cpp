// Spawning's least form (see the header).
#include "traffic/spawn_seam.h"

#include <algorithm>
#include <cmath>

#include "airports/aircraft_keys.h"
#include "config/parameters.h"
#include "foundation/geodesy.h"
#include "liveries/dbase.h"
#include "liveries/livery_matcher.h"
#include "traffic/feed_intake.h"
#include "traffic/livery_bookkeeping.h"
#include "traffic/removal.h"
#include "traffic/traffic_lists.h"

namespace zrb {

namespace {

constexpr double climbRateCapFpm = 2400.0;
constexpr double descentRateCapFpm = -3000.0;
constexpr double basePitchRad = -0.05235987755982989;  // -3°, negative is nose up
constexpr double pitchPer600FpmRad = 2.2 * g_degToRad;
constexpr double groundPitchRad = 0.6 * g_degToRad;

void lf_drop(LiveAc& a) { a.dropFromList = 1; }

double lf_airbornePitch(double verticalRateFpm) {
    const double v = verticalRateFpm < 0.0 ? std::max(verticalRateFpm, descentRateCapFpm) * 0.5
                                           : std::min(verticalRateFpm, climbRateCapFpm);
    return basePitchRad - v / 600.0 * pitchPer600FpmRad;
}

}  // namespace

void lf_spawnOrWait(LiveAc& a) {
    if (a.samples.empty()) return lf_drop(a);
    const PosSample& front = a.samples.front();
    const bool rolling = front.airborne == 0 && front.groundSpeed != 0.0;
    if (g_passTick.load() < front.duePass - (rolling ? g_spawnLeadRollingPasses : g_spawnLeadPasses)) return;
    if (a.samples.size() == 1) return lf_drop(a);
    const bool air = std::any_of(a.samples.begin(), a.samples.end(), [](const PosSample& s) { return s.airborne != 0; });
    const bool ground = std::any_of(a.samples.begin(), a.samples.end(), [](const PosSample& s) { return s.airborne == 0; });
    if (air && ground) {
        a.samples.pop_front();
        return;
    }
    if (g_liveCreateDeque.size() > g_maxQueuedLiveCreates && a.st == MovementState::birth) {
        a.samples.pop_front();
        return;
    }
    if (MAX_LIVE_SEL.value != g_maxLiveSelDefault) {
        const auto active = std::count_if(g_liveList.begin(), g_liveList.end(),
                                          [](const LiveAc& x) { return x.fs == LifecycleState::active; });
        const auto count = static_cast<std::int64_t>(active + g_spawnStack.size() + g_liveCreateDeque.size());
        if (count >= MAX_LIVE_SEL.value) {
            const double d = gf_distanceNm(LatLon{g_userAcCopy.lat, g_userAcCopy.lon}, LatLon{front.lat, front.lon});
            if (lf_removeFarthestLive(d)) return lf_drop(a);
        }
    }
    const std::string blocked = BLOCK_CALLSIGN.value.get();
    if (!blocked.empty() && blocked == a.callsign) return lf_drop(a);
    if (!a.registration.empty()) {
        if (const auto record = gf_findDbaseRecord(a.registration)) {
            a.airline = record->opr.empty() ? record->airl : record->opr;
            a.type = record->type;
            a.cargo = record->cargo ? 1 : 0;
            if (!gf_hasValidCallsign(a)) a.callsign = a.registration;
        }
    }
    if (a.airline.empty() && !gf_airlineFromCallsign(a)) a.airline = "PVT";
    if (!gf_hasValidCallsign(a)) return lf_drop(a);
    if (g_noMatchSet.contains(gf_airlineTypeRegKey(a))) return lf_drop(a);
    spawnLiveAc(a);
}

void spawnLiveAc(LiveAc& a) {
    if (a.samples.size() >= 2) a.samples.front().stationary = a.samples[1].stationary;
    if (a.st == MovementState::birth) {
        if (a.title.empty()) {
            a.title = lf_rememberedLivery(a.hexId);
            if (a.title.empty()) gf_matchLiveryLive(a);
        }
        if (a.title.empty()) {
            if (!a.registration.empty()) g_noMatchSet.insert(gf_airlineTypeRegKey(a));
            return lf_drop(a);
        }
        gf_rememberLivery(a.hexId, a.title);
        gf_setPhase(a, a.samples.front().airborne != 0 ? MovementState::flying : MovementState::taxi);
    }
    const PosSample& front = a.samples.front();
    a.block.latitudeDeg = front.lat;
    a.block.longitudeDeg = front.lon;
    a.block.altitudeFt = front.altitude;
    a.block.verticalSpeedFtPerS = front.verticalRate / 60.0;
    a.block.trueAirspeedKt = front.speed;
    a.block.bankRad = front.bankKnown != 0 ? front.bank : 0.0;
    a.block.pitchRad = front.airborne != 0 ? lf_airbornePitch(front.verticalRate) : groundPitchRad;
    double heading = front.heading * g_degToRad;
    if (a.headingOverrideSet != 0) {
        heading = a.headingOverride;
    } else if (a.samples.size() >= 2 && a.samples[1].stationary == 0) {
        heading = gf_initialBearing(LatLon{front.lat, front.lon}, LatLon{a.samples[1].lat, a.samples[1].lon});
    }
    heading = std::fmod(heading, g_twoPi);
    a.block.headingRad = heading < 0.0 ? heading + g_twoPi : heading;
    a.waitingForUser = 0;
    a.fs = LifecycleState::adding2sim;
    g_spawnStack.push_back(a.hexId);
}

}  // namespace zrb
