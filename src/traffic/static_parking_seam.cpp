// Static creation's least form (see the header).
#include "traffic/static_parking_seam.h"

#include <fmt/format.h>

#include "airports/aircraft_from_livery.h"
#include "airports/manager_needs_seam.h"
#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "liveries/livery_matcher.h"
#include "shell/common/run_state.h"
#include "traffic/traffic_lists.h"

namespace zrb {

namespace {

// Worker thread: the last static number handed out.
std::uint32_t g_staticNumber = 0;

std::uint32_t lf_nextStaticNumber() {
    g_staticNumber = g_staticNumber + 1 >= g_staticNumbers ? 1 : g_staticNumber + 1;
    return g_staticNumber;
}

std::string lf_detcs(const PendingParking& entry) {
    const std::string& first = entry.staysNextHalfHour != 0 ? entry.callsign : entry.coupledCallsign;
    const std::string& second = entry.staysNextHalfHour != 0 ? entry.coupledCallsign : entry.callsign;
    const std::string& chosen = first.empty() ? second : first;
    return chosen.empty() ? std::string() : lf_starCallsign(chosen);
}

// The day and slot of the observation: now, moved back by its age.
DaySlot lf_observedAt(std::uint32_t ageSlots) {
    DaySlot time = g_currentDaySlot.load();
    for (std::uint32_t i = 0; i < ageSlots % g_slotsPerWeek; ++i) time = gf_previousSlot(time);
    return time;
}

}  // namespace

std::string lf_starCallsign(std::string_view callsign) {
    while (!callsign.empty() && callsign.back() == '_') callsign.remove_suffix(1);
    if (!callsign.empty() && callsign.back() == '*') return std::string(callsign);
    return fmt::format("{}{}", callsign, "*");
}

void lf_findStaticParking() {
    if (PendingParkingList.empty() || StandTable.empty()) return;
    const PendingParking entry = PendingParkingList.back();
    PendingParkingList.pop_back();
    const Stand* stand = gf_standById(entry.standId);
    if (stand == nullptr) {
        gf_logMarked("stand with id {} not found", entry.standId);
        return;
    }
    const std::uint32_t n = lf_nextStaticNumber();
    std::string callsign = entry.callsign.empty() && entry.coupledCallsign.empty()
                               ? fmt::format("{}{}{}", entry.airline, n, "*")
                               : lf_detcs(entry);
    AcIdentityRecord source;
    source.airline = entry.airline;
    source.type = entry.type;
    source.callsign = callsign;
    source.registration = entry.registration;
    AiAc aircraft = gf_initStaticAc(gf_aircraftFromLivery(source, n), entry.standId, stand->lat, stand->lon,
                                    stand->heading, stand->cargo);
    if (!gf_matchLiveryStatic(aircraft, *stand)) return;
    const DaySlot observed = lf_observedAt(entry.ageSlots);
    aircraft.planKind = entry.planKind;
    aircraft.day = gf_dayOf(observed);
    aircraft.slot = gf_slotOf(observed);
    aircraft.liveHexId = entry.liveHexId;
    aircraft.fs = LifecycleState::adding2sim;
    CreateAcRequest request;
    request.initPos.latitudeDeg = stand->lat;
    request.initPos.longitudeDeg = stand->lon;
    request.initPos.headingDeg = stand->heading * g_radToDeg;
    request.initPos.onGround = 1;
    request.callsign = aircraft.callsign;
    request.title = std::string(aircraft.title);
    request.hexId = aircraft.hexId;
    g_staticList.push_back(std::move(aircraft));
    g_staticCreateDeque.push_back(std::move(request));
}

void gf_lockUi() {}
void gf_unlockUi() {}
bool gf_staticParkingComputing() { return g_uiBusy.load(); }

void lf_resetStaticParking() {
    g_staticNumber = 0;
    g_uiBusy = false;
}

}  // namespace zrb
