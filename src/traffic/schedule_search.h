#pragma once
// The planner's question to the stand options: which recorded aircraft should
// stand at which free stand at a given weekday and half-hour. One call is one
// round of the planner's widening search: it looks at the half-hour offset
// half-hours before the time, and gives each free stand at most one option
// whose aircraft is neither live, nor standing, nor planned already.
//
// Threads: worker thread (the stand table, the lists and the random engine
// are its own).

#include <cstddef>
#include <cstdint>
#include <vector>

#include "airports/static_parking_plan.h"
#include "airports/stand.h"

namespace zrb {

// Modes: soft options, real options; any other value takes both.
inline constexpr std::uint32_t g_searchSoft = 0;
inline constexpr std::uint32_t g_searchReal = 1;
inline constexpr std::size_t g_optionIdsReserve = 256;

// For every stand that is not excluded, occupied or blocked (helipads only
// with HELICOPTERS on): the options of the mode that hold the searched
// half-hour (on its weekday unless WEEK is on) and do not overlap a static
// aircraft on a neighbour stand; one of them is chosen (the option of a static
// aircraft already standing here first, else at random), and unless its
// aircraft is already present it is appended to the result (live hex id 0,
// plan kind 1, age = offset, stays into the next half-hour or not), its stand
// occupied and the stand's neighbours blocked.
//
// An option whose aircraft is present leaves its stand free for the round and
// is passed over in the later rounds of the same widening; offset 0 begins a
// new widening. The option itself stays as it is (the learned file keeps it).
void lf_searchStands(DaySlot time, std::uint32_t mode, std::uint32_t offset, std::vector<PendingParking>& result);

}  // namespace zrb
