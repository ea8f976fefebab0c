#pragma once
// The per-pass driver of a live aircraft: in buffer it waits for its spawn;
// once active it consumes the samples that have become due, moves along its
// rates or its ground path and writes its position update for the next Frame.
// Also its activation after creation and the test every new sample passes
// before it is queued (lf_checkStationary).
//
// Threads: worker thread.

#include <cstdint>

#include "traffic/ai_aircraft.h"

namespace zrb {

// Passes in a row whose step may throw before the aircraft is given up: a
// fault that recurs every pass would otherwise fill the log at 100 lines a
// second and leave a frozen aircraft in the simulator.
inline constexpr std::int32_t g_maxFailedPasses = 100;

// One pass of one aircraft; true when it is flagged to be erased.
bool updateLiveAc(LiveAc& aircraft);
// Consumes the due samples of an active aircraft.
void lf_updateActiveAc(LiveAc& aircraft);
// After the 2 s wait of a new object: the start pattern, then active.
void lf_activateAc(LiveAc& aircraft);
// Before a new sample is queued: marks it stationary when it repeats the
// newest queued position; false when it is not to be queued. May turn a
// sample that barely moved into a stationary copy of the newest one.
bool lf_checkStationary(const LiveAc& aircraft, PosSample& sample);

}  // namespace zrb
