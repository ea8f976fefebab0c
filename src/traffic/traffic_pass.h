#pragma once
// One pass of the manager (10 ms of simulation), in this order: the
// simulator's notices, one step of every live aircraft with the swap of the
// position buffers, the paced removals (one every 10 passes) and creations
// (one every 50, live before static), a share of the history's records or at
// most two live feed records, one create request from the spawn stack, the
// range request (every 100 passes, every 20 while a landing flares; its radius
// also reaches every creation still waiting for its object), the copy
// of the user aircraft (every 100 passes), and the pass tick. Pacing is by pass count only, never by the clock.
//
// Threads: worker thread.

#include <cstddef>
#include <cstdint>

namespace zrb {

inline constexpr std::int32_t g_removalEveryPasses = 10;
inline constexpr std::int32_t g_createEveryPasses = 50;
inline constexpr std::int32_t g_rangeEveryPasses = 100;
inline constexpr std::int32_t g_fastRangeEveryPasses = 20;
inline constexpr std::int32_t g_userCopyEveryPasses = 100;
// SimConnect refuses a range request of a larger radius.
inline constexpr double g_maxSearchRadiusM = 200000.0;
inline constexpr std::size_t g_recordsPerPass = 2;
inline constexpr std::size_t g_historyRecordsPerPass = 100;

// The manager's pass while the simulation runs.
void lf_handleAddingStack();
// Every live aircraft one step; the records flagged to go are erased; the
// pass's position updates become the ones the next Frame sends.
void lf_updateAllLive();
// The paced removal and creation of this pass.
void lf_popTimedQueues();

// Once per process, before the first run: room in the lists.
void gf_reserveTrafficLists();
// Start of a run and a new flight: empties everything the manager keeps.
void gf_resetTraffic();

}  // namespace zrb
