#include "traffic/coupled_callsigns.h"

#include <algorithm>

#include "foundation/time.h"
#include "liveries/dbase.h"
#include "traffic/traffic_lists.h"

namespace zrb {

namespace {

constexpr std::int32_t lastSlot = static_cast<std::int32_t>(g_slotsPerDay) - 1;

// The half-hours from..to (inclusive, within 0..47) as bits.
HourBits lf_slotRange(std::int32_t from, std::int32_t to) {
    from = std::max(from, 0);
    to = std::min(to, lastSlot);
    if (from > to) return 0;
    return ((HourBits{1} << (to + 1)) - 1) & ~((HourBits{1} << from) - 1);
}

bool lf_sameAircraft(const StandOption& option, const AcIdentityRecord& aircraft, std::uint32_t day) {
    return option.optionId != 0 && option.day == static_cast<std::int32_t>(day) &&
           option.registration == aircraft.registration && option.airline == aircraft.airline &&
           option.type == aircraft.type;
}

}  // namespace

std::string_view gf_withoutCopyMark(std::string_view callsign) {
    while (!callsign.empty() && callsign.back() == '_') callsign.remove_suffix(1);
    return callsign;
}

void lf_searchForCoupledCsAroundThisTime(DaySlot time, LiveAc& aircraft) {
    if (!gf_isDaySlot(time)) return;
    const std::string_view callsign = gf_withoutCopyMark(aircraft.callsign);
    if (callsign.empty()) return;
    const auto slot = static_cast<std::int32_t>(gf_slotOf(time));
    const std::int32_t window = aircraft.category == g_categoryHeavy ? g_coupledWindowSlotsHeavy : g_coupledWindowSlots;
    const HourBits around = lf_slotRange(slot - window, slot + window);
    const auto day = static_cast<std::int32_t>(gf_dayOf(time));
    for (const Stand& stand : StandTable) {
        for (const StandOption& option : stand.options) {
            if (option.optionId == 0 || option.day != day || (option.halfHours & around) == 0) continue;
            if (option.airline != aircraft.airline || option.coupledCallsign.empty()) continue;
            if (option.callsign != callsign && option.coupledCallsign != callsign) continue;
            aircraft.text6 = option.callsign;
            aircraft.text7 = option.coupledCallsign;
            return;
        }
    }
}

bool gf_coupledSearchDone(std::uint32_t hexId) {
    const LiveAc* a = gf_findLive(hexId);
    return a == nullptr || a->coupledSearched != 0;
}

void gf_searchCoupledCallsigns(std::uint32_t hexId) {
    LiveAc* a = gf_findLive(hexId);
    if (a == nullptr) return;
    lf_searchForCoupledCsAroundThisTime(gf_slotAndWeekday(), *a);
    a->coupledSearched = 1;
}

bool gf_coupledInSlotsBefore(const StandOption& option, const AcIdentityRecord& aircraft, DaySlot time,
                             std::int32_t window, std::int32_t& previousDaySlots) {
    previousDaySlots = -1;
    if (!gf_isDaySlot(time)) return false;
    const auto slot = static_cast<std::int32_t>(gf_slotOf(time));
    window = std::max(window, 0);
    if (slot - window < 0) previousDaySlots = window - slot;
    return lf_sameAircraft(option, aircraft, gf_dayOf(time)) &&
           (option.halfHours & lf_slotRange(slot - window, slot)) != 0;
}

bool gf_coupledInLastSlotsOfDay(const StandOption& option, const AcIdentityRecord& aircraft, std::uint32_t day,
                                std::int32_t count) {
    if (count <= 0) return false;
    return lf_sameAircraft(option, aircraft, day) && (option.halfHours & lf_slotRange(lastSlot - count + 1, lastSlot)) != 0;
}

}  // namespace zrb
