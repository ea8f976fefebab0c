#include "traffic/parking.h"

#include <algorithm>

#include "airports/static_parking_plan.h"
#include "airports/park_airport.h"
#include "airports/park_airport_file.h"
#include "config/parameters.h"
#include "foundation/log.h"
#include "foundation/time.h"
#include "liveries/dbase.h"
#include "shell/common/run_state.h"
#include "simlink/sim_requests.h"
#include "traffic/ac_events.h"
#include "traffic/doubles_check_queue.h"
#include "traffic/feed_intake.h"
#include "traffic/removal.h"
#include "traffic/sample_geometry.h"
#include "traffic/sample_stepping.h"
#include "traffic/spawning.h"
#include "traffic/stand_observations.h"
#include "traffic/stand_search.h"
#include "traffic/traffic_lists.h"

namespace zrb {

namespace {

constexpr std::uint32_t touchdownSpoilers = 16383;

bool lf_standsOn(const LiveAc& e, std::uint32_t standId) {
    return standId != 0 && e.standId == standId && e.fs == LifecycleState::active;
}

// Another live aircraft holds the stand: it parks or drives onto it.
bool lf_takenByAnother(const LiveAc& a) {
    return std::any_of(g_liveList.begin(), g_liveList.end(), [&a](const LiveAc& e) {
        return &e != &a && lf_standsOn(e, a.standId) &&
               (e.st == MovementState::parked || e.st == MovementState::parking);
    });
}

void lf_dropPendingParkings(std::uint32_t standId) {
    std::erase_if(PendingParkingList, [standId](const PendingParking& p) { return p.standId == standId; });
}

bool lf_isGhostOf(const std::string& copy, const std::string& original) {
    return !copy.empty() && copy.size() == original.size() + 1 && copy.compare(0, original.size(), original) == 0;
}

}  // namespace

bool gf_parkAirportActive() { return g_parkingDataLoaded.load() && !StandTable.empty(); }

void try2Park(LiveAc& a, bool wide) {
    if (a.samples.empty()) {
        gf_logLine("{} empty sz?", "try2Park");
        return;
    }
    const LatLon last = gf_samplePos(a.samples.back());
    if (gf_samePosition(last, a.lastParkTry)) return;
    a.lastParkTry = last;
    const StandIterator found =
        gf_findNearestFreeStand(last, a, wide ? g_userStandRadiusNm : g_nearStandNm, wide);
    if (found == StandTable.end()) return;
    Stand& stand = *found;
    if (stand.id == gf_reservedStand() || stand.id == gf_getUserStand(LatLon{g_userAcCopy.lat, g_userAcCopy.lon})) return;
    for (LiveAc& e : g_liveList) {
        if (&e == &a || !lf_standsOn(e, stand.number) || e.st != MovementState::parked) continue;
        if (LOG.value) gf_logLine("{:8}: {:8} removed, {} wants to park there", stand.id, e.callsign, a.callsign);
        removeAircraftFromSim(e);
    }
    for (const std::uint32_t id : stand.neighbours) lf_clearAdjacentStand(id, a, stand);
    lf_makeWay(a, stand);
    gf_claimStand(a, stand);
    if (a.samples.size() > 1) a.samples.erase(a.samples.begin() + 1, a.samples.end());
    gf_setPhase(a, MovementState::parking);
    a.standWatchStarted = 0;
    drive2Stand(a, StandTarget{LatLon{stand.lat, stand.lon}, stand.heading});
}

void drive2Stand(LiveAc& a, const StandTarget& target) {
    if (a.samples.empty()) {
        gf_logLine("{} empty sz?", "drive2Stand");
        return;
    }
    const double s = a.standApproachSpeed > 0.0 ? a.standApproachSpeed : 1.0;
    PosSample& last = a.samples.back();
    const double d = gf_distanceNm(gf_samplePos(last), target.position);
    const std::int32_t passes = std::max(gf_passCount(d * g_passesPerHour / s), g_minDriveToStandPasses);
    last.groundSpeed = s;
    PosSample onStand;
    onStand.lat = target.position.lat;
    onStand.lon = target.position.lon;
    onStand.altitude = a.block.altitudeFt;
    onStand.groundSpeed = s;
    onStand.speed = s;
    onStand.heading = target.headingRad * g_radToDeg;
    onStand.verticalRate = 0.0;
    onStand.duePass = gf_addPasses(a.samples.front().duePass, passes);
    onStand.airborne = 0;
    onStand.stationary = gf_samePosition(gf_samplePos(last), target.position) ? 1 : 0;
    onStand.precise = a.samples.front().precise;
    onStand.bank = a.block.bankRad;
    onStand.bankKnown = 1;
    onStand.trackKnown = 0;
    a.samples.push_back(onStand);
    PosSample stop = onStand;
    stop.groundSpeed = 0.0;
    stop.speed = 0.0;
    stop.stationary = 1;
    stop.duePass = gf_addPasses(onStand.duePass, g_stopAfterDrivePasses);
    a.samples.push_back(stop);
    a.pathBearing = target.headingRad;
    if (a.holdMarker >= 1) {
        a.holdMarker = 0;
        gf_resetWindows(a);
    }
}

void lf_arrivedAtStand(LiveAc& a) {
    Stand* stand = gf_standById(a.standId);
    if (stand != nullptr && lf_takenByAnother(a)) {
        a.holdMarker = 1;
        removeAircraftFromSim(a);
        stand->liveParked = 1;  // still the other one's
        return;
    }
    if (gf_distanceNm(gf_acPos(a), gf_standCopyPos(a)) > g_arrivedNm) {
        gf_setPhase(a, MovementState::taxi);
        return;
    }
    gf_setPhase(a, MovementState::parked);
    const DaySlot now = g_currentDaySlot.load();
    a.day = gf_dayOf(now);
    a.slot = gf_slotOf(now);
    if (a.towed != 0 && LOG.value) gf_logLine("          towed aircraft {} parks", a.callsign);
    if (!a.samples.empty()) a.samples.front().stationary = 1;
    a.parkTimeS = gf_systemNow();
    a.lastMoveDistance = 0.0;
    a.moveCount = 0;
    a.standWatchStarted = 0;
    if (stand != nullptr) {
        stand->liveParked = 1;
        lf_setCargoFalse(a, *stand);
        lf_dropPendingParkings(stand->number);
    }
    gf_shutDownAc(a);
    if (LOG.value) gf_logLine("{:8}: {:8} arrived at stand", lf_standName(a.standId), a.callsign);
    lf_queueDoublesCheck(a.hexId);
    if (!a.airline.empty() && a.standCargo == a.cargo && lt_addStandOption(a.standId, a, 0, now, 0) != 0)
        gf_rememberLearnedLive(a.hexId, gf_slotOf(now));
    lf_checkMaxPark(0);
}

bool lf_claimStandOnSpawn(std::uint32_t standId, const std::string& callsign) {
    const auto existing = std::find_if(g_liveList.begin(), g_liveList.end(), [standId](const LiveAc& e) {
        return lf_standsOn(e, standId) && (e.st == MovementState::parked || e.st == MovementState::pushingBack ||
                                           e.st == MovementState::pushedBack);
    });
    if (existing == g_liveList.end()) return true;
    LiveAc& e = *existing;
    const std::string standName = lf_standName(standId);
    if (callsign == e.callsign) {
        if (LOG.value)
            gf_logLine("{:8}: {:8} ac with same callsign {} wants it, remove existing ... ", standName, e.callsign, callsign);
    } else if (lf_isGhostOf(callsign, e.callsign)) {
        return false;  // the new one is only a copy of the one standing there
    } else if (lf_isGhostOf(e.callsign, callsign)) {
        if (LOG.value) gf_logLine("{:8}: {:8} ghost, replace by {}", standName, e.callsign, callsign);
    } else if (LOG.value) {
        // Two aircraft cannot stand on one stand; the new report wins, whether
        // the feed still reports the old one there or has gone quiet on it.
        gf_logLine("{:8}: {:8} removed because another live {} wants the stand ...", standName, e.callsign, callsign);
    }
    removeAircraftFromSim(e);
    return true;
}

void lf_clearAdjacentStand(std::uint32_t standId, const LiveAc& a, const Stand& stand) {
    const Stand* adjacent = gf_standById(standId);
    if (adjacent == nullptr || (adjacent->lat == 0.0 && adjacent->lon == 0.0)) return;
    const double apart = gf_distanceNm(LatLon{adjacent->lat, adjacent->lon}, LatLon{stand.lat, stand.lon});
    for (LiveAc& e : g_liveList) {
        if (&e == &a || !lf_standsOn(e, standId)) continue;
        if (e.st != MovementState::parked && e.st != MovementState::pushingBack) continue;
        if ((gf_wingspan(e.type) + gf_wingspan(a.type)) * g_adjacentClaimFactor < apart) continue;
        if (LOG.value)
            gf_logLine("{:8}: {:8} removed by parking {} at adjacent and possibly colliding stand {}", adjacent->id,
                       e.callsign, a.callsign, stand.id);
        removeAircraftFromSim(e);
    }
}

void lf_setCargoFalse(LiveAc& a, Stand& stand) {
    // What the learned file keeps about a stand is not rewritten by one
    // aircraft that happens to park there: a passenger aircraft on a cargo
    // apron leaves it a cargo apron.
    if (a.cargo == 0 || a.standCargo != 0 || stand.cargo == 0 || a.airline.empty() || a.airline == "PVT") return;
    stand.cargo = 0;
    stand.cargoChanged = 1;
    a.standCargo = 0;
    gf_countChangedStand();
    gf_logLine("{} stand: {}, cargo attribute set to false, {} parked here", gf_currentParkAirport().icao, stand.id,
               a.callsign);
}

void lf_park(LiveAc& a) {
    // The speed-change value stays: it is also the climb limit of the next take-off.
    a.onGround = 1;
    a.phaseCounter = 1;
    if (a.st != MovementState::parked) return;
    const DaySlot now = g_currentDaySlot.load();
    a.day = gf_dayOf(now);
    a.slot = gf_slotOf(now);
    if (LOG.value) gf_logLine("{:8}: {:8} parks", lf_standName(a.standId), a.callsign);
    if (a.standId == 0) return;
    lf_dropPendingParkings(a.standId);
    for (AiAc& s : g_staticList) {
        if (s.standId != a.standId || s.fs != LifecycleState::active) continue;
        if (LOG.value) gf_logLine("{:8}: {:8} parks over static {} ", lf_standName(a.standId), a.callsign, s.callsign);
        removeAircraftFromSim(s);
    }
    if (Stand* stand = gf_standById(a.standId)) stand->liveParked = 1;
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
        const double v = a.fsltl != 0 ? -g_touchdownControlsPercent : g_touchdownControlsPercent;
        (void)gf_setAiControls(a.objectId, AiControlsBlock{g_touchdownControlsPercent, v, v});
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
