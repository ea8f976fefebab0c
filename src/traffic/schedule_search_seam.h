#pragma once
// The static schedule search in its least form, until it is built: no
// scheduled options are found and no coupled callsigns are learned. The
// schedule-search issue replaces both files and keeps the names.
//
// Threads: worker thread.

#include <cstdint>
#include <vector>

#include "airports/manager_needs_seam.h"
#include "airports/stand.h"
#include "traffic/ai_aircraft.h"

namespace zrb {

// Assigns scheduled options of the mode (1 real, 0 soft) to free stands for
// the time moved back by offset half-hours, appending one entry per stand.
void lf_searchStands(DaySlot time, std::uint32_t mode, std::uint32_t offset, std::vector<PendingParking>& result);
// Fills the aircraft's option callsign and coupled callsign from a matching option.
void lf_searchForCoupledCsAroundThisTime(DaySlot time, LiveAc& aircraft);

}  // namespace zrb
