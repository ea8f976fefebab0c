#pragma once
// Static doubles and parked live aircraft in their least form, until they are
// built: the doubles check finds no doubles, and the parked counts carry no
// average fit. "Flush static" removes every static aircraft. The issue that
// builds these rules replaces both files and keeps the names.
//
// Threads: worker thread.

#include <cstdint>

#include "traffic/ai_aircraft.h"
#include "traffic/doubles_check_queue.h"
#include "traffic/manager_views.h"

namespace zrb {

bool gf_coupledSearchDone(std::uint32_t hexId);
// The coupled-callsign search of the aircraft, then it counts as searched.
void gf_searchCoupledCallsigns(std::uint32_t hexId);
void gf_removeStaticDoubles(std::uint32_t hexId, bool onGround);
// Rebuilds the parked-live list of the planner, removing live aircraft parked
// too long.
void gf_collectParkedLive();
// Every static aircraft: active ones removed, queued ones withdrawn or marked.
void gf_removeAllStatic();
void gf_clearReservedStand();
ParkedCount gf_countStaticParked(bool withFit = false);
ParkedCount gf_countLiveParked(bool withFit = false);

}  // namespace zrb
