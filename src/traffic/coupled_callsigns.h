#pragma once
// The stand options know which callsigns belong to one aircraft: a flight
// that parked (its callsign) and the flight the same aircraft flew next or
// before (its coupled callsign). For a live aircraft the manager looks up
// these two around the current half-hour once, before the static-doubles
// check; the planner asks whether an aircraft's options cover the half-hours
// before now.
//
// Threads: worker thread (the stand table is its own).

#include <cstdint>
#include <string_view>

#include "airports/aircraft_identity.h"
#include "airports/stand.h"
#include "traffic/ai_aircraft.h"

namespace zrb {

// Half-hours either side of now in which a live aircraft's options are looked for.
inline constexpr std::int32_t g_coupledWindowSlots = 10;
inline constexpr std::int32_t g_coupledWindowSlotsHeavy = 14;

// The callsign without the trailing '_' that marks a second feed copy of a
// live callsign.
std::string_view gf_withoutCopyMark(std::string_view callsign);

// The first option of the stand table (stands and options in table order) of
// the time's weekday, of the aircraft's airline, with a coupled callsign and
// a half-hour within the window around the time, whose callsign or coupled
// callsign is the aircraft's callsign (without a trailing '_'), gives the
// aircraft its option callsign (text6) and option coupled callsign (text7).
void lf_searchForCoupledCsAroundThisTime(DaySlot time, LiveAc& aircraft);

// The doubles check's first step for a live aircraft: whether its search has
// run (also true when the aircraft is gone), and the search at the current
// half-hour, after which it counts as done.
bool gf_coupledSearchDone(std::uint32_t hexId);
void gf_searchCoupledCallsigns(std::uint32_t hexId);

// The option is the aircraft's (same registration, airline and type) on the
// time's weekday and has one of the half-hours slot, slot - 1, ...,
// max(slot - window, 0). previousDaySlots is set to -1, or, when the window
// reaches back past midnight, to the number of half-hours it reaches into the
// day before (which gf_coupledInLastSlotsOfDay then checks).
bool gf_coupledInSlotsBefore(const StandOption& option, const AcIdentityRecord& aircraft, DaySlot time,
                             std::int32_t window, std::int32_t& previousDaySlots);
// The same test on that weekday over its last count half-hours (47 backwards).
bool gf_coupledInLastSlotsOfDay(const StandOption& option, const AcIdentityRecord& aircraft, std::uint32_t day,
                                std::int32_t count);

}  // namespace zrb
