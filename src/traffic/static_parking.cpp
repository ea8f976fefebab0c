#include "traffic/static_parking.h"

#include <algorithm>
#include <exception>

#include <fmt/format.h>

#include "airports/aircraft_from_livery.h"
#include "config/parameters.h"
#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "foundation/time.h"
#include "liveries/livery_matcher.h"
#include "traffic/coupled_callsigns.h"
#include "traffic/creation_backoff.h"
#include "traffic/traffic_lists.h"

namespace zrb {

namespace {

// Worker thread: the last static number handed out.
std::uint32_t g_staticNumber = 0;

// The next static number no static record holds: in a long session the
// numbers wrap past 9999 while early aircraft may still stand, and two
// records with one hex id would mix up the simulator's notices. 0 when every
// number is taken (never: there are far fewer stands).
std::uint32_t lf_nextStaticNumber() {
    for (std::uint32_t tries = 0; tries < 2 * g_staticNumbers; ++tries) {
        g_staticNumber = (g_staticNumber + 1) % g_staticNumbers;
        if (g_staticNumber != 0 && gf_findStatic(g_staticNumber) == nullptr) return g_staticNumber;
    }
    return 0;
}

bool lf_onOrNextTo(const Stand& stand, std::uint32_t otherStandId) {
    if (otherStandId == 0) return false;
    return otherStandId == stand.number ||
           std::find(stand.neighbours.begin(), stand.neighbours.end(), otherStandId) != stand.neighbours.end();
}

// Aircraft already on their way out of the simulator do not hold a stand: a
// renewal removes and re-plans a stand in one go, and the removals (one every
// 10 passes) may still be queued when the new aircraft's turn comes.
bool lf_holdsStand(const AiAc& a) {
    return a.fs != LifecycleState::removingfromsim && a.dropFromList == 0 && a.cancelled == 0;
}

// A live or static aircraft stands on the stand or an overlapping one (logged).
bool lf_standTaken(const Stand& stand, const PendingParking& entry) {
    for (const LiveAc& a : g_liveList) {
        if (a.st != MovementState::parking && a.st != MovementState::parked) continue;
        if (!lf_holdsStand(a) || !lf_onOrNextTo(stand, a.standId)) continue;
        if (LOG.value) {
            if (a.standId == stand.number)
                gf_logLine("{:8}: no static parking for {}, live aircraft {} standing here", stand.id, entry.callsign,
                           a.callsign);
            else
                gf_logLine("{:8}: no static parking for {}, live aircraft {} is adjacent at {}, possibly colliding",
                           stand.id, entry.callsign, a.callsign, lf_standName(a.standId));
        }
        return true;
    }
    for (const AiAc& s : g_staticList) {
        if (!lf_holdsStand(s) || !lf_onOrNextTo(stand, s.standId)) continue;
        if (LOG.value)
            gf_logLine("{:8}: no static parking for {}, static aircraft {} is adjacent at {}, possibly colliding",
                       stand.id, entry.callsign, s.callsign, lf_standName(s.standId));
        return true;
    }
    return false;
}

void lf_createStatic(const PendingParking& entry, const Stand& stand) {
    const std::uint32_t n = lf_nextStaticNumber();
    if (n == 0) return;
    AcIdentityRecord source;
    source.airline = entry.airline;
    source.type = entry.type;
    source.callsign = entry.callsign.empty() ? fmt::format("{}{}{}", entry.airline, n, "*") : lf_detcs(entry);
    source.text6 = entry.callsign;
    source.text7 = entry.coupledCallsign;
    source.registration = entry.registration;
    if (source.callsign.empty() || source.callsign.size() > g_maxCallsignChars) {
        // The simulator would refuse it as a failed livery.
        gf_logMarked("{} callsign '{}' cannot be sent, no static aircraft at {}", "lf_findStaticParking",
                     source.callsign, stand.id);
        return;
    }
    AiAc aircraft = gf_initStaticAc(gf_aircraftFromLivery(source, n), stand.number, stand.lat, stand.lon,
                                    stand.heading, stand.cargo);
    if (gf_creationBackedOff(aircraft.callsign)) return;
    if (!gf_matchLiveryStatic(aircraft, stand)) return;
    const DaySlot observed = gf_daySlotBefore(gf_slotAndWeekday(), entry.ageSlots);
    aircraft.planKind = entry.planKind;
    aircraft.day = gf_dayOf(observed);
    aircraft.slot = gf_slotOf(observed);
    aircraft.liveHexId = entry.liveHexId;
    aircraft.fs = LifecycleState::adding2sim;
    CreateAcRequest request;
    request.initPos.latitudeDeg = stand.lat;
    request.initPos.longitudeDeg = stand.lon;
    request.initPos.altitudeFt = 0.0;
    request.initPos.pitchDeg = 0.0;
    request.initPos.bankDeg = 0.0;
    request.initPos.headingDeg = stand.heading * g_radToDeg;
    request.initPos.onGround = 1;
    request.initPos.airspeedKt = 0;
    request.callsign = aircraft.callsign;
    request.title = std::string(aircraft.title);
    request.hexId = aircraft.hexId;
    g_staticList.push_back(std::move(aircraft));
    lf_pushCreateRequest(g_staticCreateDeque, request);
}

bool lf_sameText(std::string_view a, std::string_view b) { return !a.empty() && a == b; }

}  // namespace

std::string lf_starCallsign(std::string_view callsign) {
    callsign = gf_withoutCopyMark(callsign);
    if (!callsign.empty() && callsign.back() == '*') return std::string(callsign);
    return fmt::format("{}{}", callsign, "*");
}

std::string lf_detcs(const PendingParking& entry) {
    const bool stays = entry.staysNextHalfHour != 0;
    const std::string& first = stays ? entry.callsign : entry.coupledCallsign;
    const std::string& other = stays ? entry.coupledCallsign : entry.callsign;
    const std::string& chosen = first.empty() ? other : first;
    if (chosen.empty()) {
        gf_logMarked("{} callsign is empty..", "lf_detcs");
        return {};
    }
    return lf_starCallsign(chosen);
}

void lf_findStaticParking() {
    if (PendingParkingList.empty() || StandTable.empty()) return;
    const PendingParking entry = std::move(PendingParkingList.back());
    PendingParkingList.pop_back();
    try {
        // The stand first: its neighbours are read next.
        const Stand* stand = gf_standById(entry.standId);
        if (stand == nullptr) {
            gf_logMarked("stand with id {} not found", entry.standId);
            return;
        }
        if (lf_standTaken(*stand, entry)) return;
        lf_createStatic(entry, *stand);
    } catch (const std::exception& e) {
        gf_logMarked("{}: {}", "lf_findStaticParking", e.what());
    }
}

void lf_pushCreateRequest(std::deque<CreateAcRequest>& deque, const CreateAcRequest& request) {
    deque.push_back(request);
}

void lf_freeCreateDeque(std::deque<CreateAcRequest>& deque) { std::deque<CreateAcRequest>().swap(deque); }

bool lf_staticHasOptionCallsign(const AiAc& aircraft, const StandOption& option, std::string_view registration) {
    return lf_sameText(aircraft.text6, option.callsign) || lf_sameText(aircraft.text6, option.coupledCallsign) ||
           lf_sameText(registration, aircraft.registration);
}

bool lf_pendingHasOptionCallsign(const PendingParking& entry, const StandOption& option) {
    return lf_sameText(entry.callsign, option.callsign) || lf_sameText(entry.callsign, option.coupledCallsign);
}

void lf_resetStaticParking() { g_staticNumber = 0; }

}  // namespace zrb
