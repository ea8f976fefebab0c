#include "traffic/spawning.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "airports/aircraft_keys.h"
#include "airports/park_airport.h"
#include "config/parameters.h"
#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "foundation/time.h"
#include "liveries/dbase.h"
#include "liveries/livery_matcher.h"
#include "shell/common/run_state.h"
#include "traffic/air_movement.h"
#include "traffic/creation_backoff.h"
#include "traffic/doubles_check_queue.h"
#include "traffic/feed_intake.h"
#include "traffic/ghosts_and_respawn.h"
#include "traffic/parking.h"
#include "traffic/livery_bookkeeping.h"
#include "traffic/removal.h"
#include "traffic/sample_stepping.h"
#include "traffic/stand_observations.h"
#include "traffic/stand_search.h"
#include "traffic/traffic_lists.h"

namespace zrb {

namespace {

constexpr double feetPerNm = 6076.11549;
constexpr double groundPitchRad = 0.6 * g_degToRad;

void lf_drop(LiveAc& a) { a.dropFromList = 1; }

LatLon lf_pos(const PosSample& s) { return LatLon{s.lat, s.lon}; }
LatLon lf_userPos() { return LatLon{g_userAcCopy.lat, g_userAcCopy.lon}; }

bool lf_endsInUnderscore(const std::string& callsign) { return !callsign.empty() && callsign.back() == '_'; }

// Lateral distance (ft) of a point d NM away on bearing-difference a.
double lf_lateralFt(double d, double a) { return d * std::abs(std::sin(a)) * feetPerNm; }

// The user is on the ground: the aircraft may not appear right beside it.
bool lf_groundUserConflict(LiveAc& a, const PosSample& f) {
    const double d = gf_distanceNm(lf_userPos(), lf_pos(f));
    if (a.waitingForUser != 0) {
        const bool stillInWay = g_userAcCopy.groundSpeedKt > g_userMovingKt ||
                                (f.airborne == 0 && (f.groundSpeed > g_userMovingKt || d < g_userGroundReleaseNm));
        if (stillInWay) return true;
    }
    if (f.airborne != 0 || !COLLISION_USER_GND.value) return false;
    if (d >= g_userGroundConflictNm) return false;
    a.waitingForUser = 1;
    return true;
}

// The user flies: the aircraft may not appear on or across its way.
bool lf_airUserConflict(LiveAc& a, const PosSample& f) {
    const LatLon user = lf_userPos();
    bool candidate = false;
    double lateral = 0.0;
    double limit = 0.0;
    if (f.airborne != 0) {
        const double d = gf_distanceNm(user, lf_pos(f));
        candidate = d <= g_userAirCandidateNm && std::abs(f.altitude - g_userAcCopy.altitudeFt) < g_userAirCandidateFt;
        // The aircraft's own track: its feed track when known, else its heading.
        const double track = f.trackKnown != 0 ? f.track : f.heading * g_degToRad;
        lateral = lf_lateralFt(d, track - gf_initialBearing(user, lf_pos(f)));
        limit = g_userAirLateralFt;
    } else {
        // Measured from where the aircraft was last shown: far away (0, 0)
        // before its first spawn.
        const LatLon shown{a.block.latitudeDeg, a.block.longitudeDeg};
        const double d = gf_distanceNm(user, shown);
        candidate = d <= g_userLowGroundCandidateNm && g_userAcCopy.altitudeAglFt < g_userLowAglFt;
        lateral = lf_lateralFt(d, gf_initialBearing(user, shown) - g_userAcCopy.heading);
        limit = g_userLowLateralFt;
    }
    if (candidate && lateral <= limit) a.waitingForUser = 1;
    return a.waitingForUser != 0;
}

// True: wait (the front sample is dropped).
bool lf_conflictsWithUser(LiveAc& a) {
    const PosSample& f = a.samples.front();
    bool conflict = false;
    if (g_userAcCopy.onGround)
        conflict = lf_groundUserConflict(a, f);
    else if (COLLISION_USER_AIR.value)
        conflict = lf_airUserConflict(a, f);
    if (conflict) a.samples.pop_front();
    return conflict;
}

// Active and queued live aircraft, and those the simulator has created but
// not yet handed over, so that the maximum is not overshot. A creation the
// simulator never reported does not count: it would take a place for good.
std::int64_t lf_liveCount() {
    const auto known = std::count_if(g_liveList.begin(), g_liveList.end(), [](const LiveAc& x) {
        return x.fs == LifecycleState::active || (x.fs == LifecycleState::adding2sim && x.objectId != 0);
    });
    return known + static_cast<std::int64_t>(g_spawnStack.size() + g_liveCreateDeque.size());
}

bool lf_neighbourConflict(const LiveAc& a, const Stand& stand) {
    for (const std::uint32_t id : stand.neighbours) {
        const Stand* neighbour = gf_standById(id);
        if (neighbour == nullptr) continue;
        for (const LiveAc& o : g_liveList) {
            if (o.standId != id || o.fs != LifecycleState::active || o.callsign == a.callsign) continue;
            if (o.st != MovementState::parked && o.st != MovementState::pushingBack) continue;
            const double reach = g_neighbourClaimFactor * (o.halfSpan + a.halfSpan);
            if (gf_distanceNm(LatLon{neighbour->lat, neighbour->lon}, LatLon{stand.lat, stand.lon}) <= reach)
                return true;
        }
    }
    return false;
}

void lf_clearNeighbourStand(const LiveAc& a, std::uint32_t id, const Stand& stand) {
    for (AiAc& s : g_staticList) {
        if (s.fs != LifecycleState::active || s.standId != id) continue;
        const double reach = g_neighbourClaimFactor * (gf_wingspan(a.type) + gf_wingspan(s.type));
        if (gf_distanceNm(LatLon{s.lat, s.lon}, LatLon{stand.lat, stand.lon}) > reach) continue;
        if (LOG.value)
            gf_logLine("{:8}: {:8} makes way for {} parking at excluded stand {}", lf_standName(s.standId), s.callsign,
                       a.callsign, lf_standName(stand.number));
        removeAircraftFromSim(s);
        return;
    }
}

// A stand where an aircraft born on the ground stands, or none. An aircraft
// that may not have the stand it stands on is dropped.
Stand* lf_findStandForLiveAc(LiveAc& a) {
    if (StandTable.empty()) return nullptr;
    const CurrentParkAirportData park = gf_currentParkAirport();
    if (park.icao.empty()) return nullptr;
    const PosSample& f = a.samples.front();
    if (gf_distanceNm(LatLon{park.lat, park.lon}, lf_pos(f)) > g_standBirthAirportNm) return nullptr;
    LatLon search = lf_pos(f);
    if (f.stationary == 0) {
        // Moving off: only when it comes to a stop right there.
        if (a.samples.size() < 2 || a.samples[1].groundSpeed > g_standBirthSlowKt) return nullptr;
        if (gf_distanceNm(lf_pos(a.samples.back()), lf_pos(f)) > g_standBirthLastSampleNm) return nullptr;
        search = lf_pos(a.samples.back());
    }
    const auto found = gf_findNearestFreeStand(search, a, g_standBirthSearchNm, false);
    if (found == StandTable.end()) return nullptr;
    Stand& stand = *found;
    if (stand.id == gf_reservedStand() || stand.id == gf_getUserStand(lf_userPos())) return nullptr;
    if (!lf_claimStandOnSpawn(stand.number, a.callsign) || lf_neighbourConflict(a, stand)) {
        lf_drop(a);
        return nullptr;
    }
    lf_makeWay(a, stand);
    PosSample& front = a.samples.front();
    front.stationary = 1;
    front.groundSpeed = 0.0;
    return &stand;
}

void lf_learnAtStand(LiveAc& a) {
    const DaySlot now = g_currentDaySlot.load();
    if (lt_addStandOption(a.standId, a, 0, now, 0) != 0) gf_rememberLearnedLive(a.hexId, gf_slotOf(now));
}

void lf_bornAtStand(LiveAc& a, Stand& stand) {
    // Held from now on: no other aircraft is given it while this one is created.
    gf_claimStand(a, stand);
    gf_setPhase(a, MovementState::parked);
    a.parkTimeS = gf_systemNow();
    a.lastMoveDistance = 0.0;
    a.firstMoveDistance = 0.0;
    a.moveCount = 0;
    lf_setCargoFalse(a, stand);
    a.samples.resize(1);
    PosSample& front = a.samples.front();
    front.lat = stand.lat;
    front.lon = stand.lon;
    front.heading = stand.heading * g_radToDeg;
    lf_learnAtStand(a);
    lf_checkMaxPark(1);
}

// Livery and first movement state of a new aircraft; false when it is dropped.
bool lf_birth(LiveAc& a) {
    if (a.title.empty()) {
        a.title = lf_rememberedLivery(a.hexId);
        if (a.title.empty()) gf_matchLiveryLive(a);
    }
    if (a.title.empty()) {
        if (!a.registration.empty()) g_noMatchSet.insert(gf_airlineTypeRegKey(a));
        lf_drop(a);
        return false;
    }
    gf_rememberLivery(a.hexId, a.title);
    if (a.samples.front().airborne != 0) {
        gf_setPhase(a, MovementState::flying);
        return true;
    }
    Stand* stand = lf_findStandForLiveAc(a);
    if (a.dropFromList != 0) return false;
    if (stand != nullptr)
        lf_bornAtStand(a, *stand);
    else
        gf_setPhase(a, MovementState::taxi);
    return true;
}

}  // namespace

void lf_spawnOrWait(LiveAc& a) {
    if (a.samples.empty()) return lf_drop(a);
    {
        const PosSample& front = a.samples.front();
        const bool rolling = front.airborne == 0 && front.groundSpeed != 0.0;
        const std::int64_t lead = rolling ? g_spawnLeadRollingPasses : g_spawnLeadPasses;
        if (static_cast<std::int64_t>(g_passTick.load()) < static_cast<std::int64_t>(front.duePass) - lead) return;
    }
    if (a.samples.size() == 1) return lf_drop(a);
    if (lf_endsInUnderscore(a.callsign) &&
        std::find(g_ghostList.begin(), g_ghostList.end(), a.callsign) != g_ghostList.end())
        return lf_drop(a);
    const bool air = std::any_of(a.samples.begin(), a.samples.end(), [](const PosSample& s) { return s.airborne != 0; });
    const bool ground = std::any_of(a.samples.begin(), a.samples.end(), [](const PosSample& s) { return s.airborne == 0; });
    if (air && ground) {
        a.samples.pop_front();
        return;
    }
    if (lf_conflictsWithUser(a)) return;
    if (g_liveCreateDeque.size() > g_maxQueuedLiveCreates && a.st == MovementState::birth) {
        a.samples.pop_front();
        return;
    }
    if (MAX_LIVE_SEL.value != g_maxLiveSelDefault && lf_liveCount() >= MAX_LIVE_SEL.value) {
        const double d = gf_distanceNm(lf_userPos(), lf_pos(a.samples.front()));
        if (lf_removeFarthestLive(d)) return lf_drop(a);
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
    if (lf_endsInUnderscore(a.callsign) && lf_liveCopySourceExists(a.callsign)) return lf_drop(a);
    if (gf_creationBackedOff(a.callsign)) return lf_drop(a);
    spawnLiveAc(a);
}

void spawnLiveAc(LiveAc& a) {
    if (a.samples.size() < 2) gf_logMarked("{} sz:{}", "spawnLiveAc", gf_acLogKey(a), a.samples.size());
    if (a.samples.empty()) return lf_drop(a);
    if (a.samples.size() >= 2) {
        PosSample& second = a.samples[1];
        PosSample& front = a.samples.front();
        if (second.stationary != 0) {
            front.stationary = 1;
            front.groundSpeed = 0.0;
            second.groundSpeed = 0.0;
            if (a.samples.size() >= 3 && a.samples[2].stationary != 0) a.samples[2].groundSpeed = 0.0;
        } else {
            front.stationary = 0;
        }
    }
    if (a.st == MovementState::birth && !lf_birth(a)) return;
    lf_queueDoublesCheck(a.hexId);
    const PosSample& f = a.samples.front();
    a.block.latitudeDeg = f.lat;
    a.block.longitudeDeg = f.lon;
    a.block.altitudeFt = f.altitude;
    a.block.verticalSpeedFtPerS = f.verticalRate / 60.0;
    a.block.trueAirspeedKt = f.speed;
    a.block.bankRad = f.bankKnown != 0 ? f.bank : 0.0;
    a.block.pitchRad = f.airborne != 0 ? gf_pitchForVerticalRate(f.verticalRate) : groundPitchRad;
    double heading = f.heading * g_degToRad;
    if (a.headingOverrideSet != 0)
        heading = a.headingOverride;
    else if (a.st == MovementState::parked)
        heading = a.heading;
    else if (a.samples.size() >= 2 && a.samples[1].stationary == 0)
        heading = gf_initialBearing(lf_pos(f), lf_pos(a.samples[1]));
    a.block.headingRad = gf_normaliseRadians(heading);
    // The speed-change value is not zeroed on the ground: it is also the
    // climb limit of the aircraft's next take-off.
    a.waitingForUser = 0;
    a.fs = LifecycleState::adding2sim;
    g_spawnStack.push_back(a.hexId);
    if (!lf_endsInUnderscore(a.callsign)) lf_removeGhost(a.callsign);
}

void lf_makeWay(const LiveAc& a, const Stand& stand) {
    bool cancelled = false;
    for (AiAc& s : g_staticList) {
        if (s.standId != stand.number || stand.number == 0) continue;
        const bool sameAircraft = s.text6 == a.callsign || (!s.registration.empty() && s.registration == a.registration);
        const char* same = sameAircraft ? " the same live version" : "";
        if (s.fs == LifecycleState::active) {
            if (LOG.value)
                gf_logLine("{:8}: {:8} {} makes way for{} {} {}", stand.id, s.callsign, s.registration, same,
                           a.callsign, a.registration);
            removeAircraftFromSim(s);
        } else if (s.fs == LifecycleState::adding2sim && s.cancelled == 0 && s.removeWhenCreated == 0) {
            if (gf_dropQueuedStaticCreate(g_staticCreateDeque, s.callsign)) {
                s.cancelled = 1;
                cancelled = true;
                if (LOG.value)
                    gf_logLine("queued {:8}: {:8} {} makes way for{} {} {}", stand.id, s.callsign, s.registration,
                               same, a.callsign, a.registration);
            } else {
                s.removeWhenCreated = 1;
            }
        }
    }
    if (cancelled) lf_eraseFlaggedStatic();
    for (const std::uint32_t id : stand.neighbours) lf_clearNeighbourStand(a, id, stand);
}

}  // namespace zrb
