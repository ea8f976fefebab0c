#pragma once
// The live aircraft update driver in its least form, until it is built: each
// pass a live aircraft in buffer waits for its spawn, and an active one moves
// in a straight line towards its next sample, reaching it when it is due, and
// sends its position. When its samples run out it holds its last position for
// a minute and is then removed. The steps that bring a created aircraft to
// life (parking it, activating it) and the touchdown bookkeeping are here too.
// The driver's issue replaces both files and keeps the names.
//
// Threads: worker thread.

#include <cstdint>

#include "traffic/ai_aircraft.h"

namespace zrb {

inline constexpr std::int32_t g_queueEndHoldPasses = 6000;
inline constexpr std::int32_t g_minStepPasses = 25;

// One pass of one aircraft; true when it is flagged to be erased.
bool updateLiveAc(LiveAc& aircraft);
// From the created notice, for an aircraft whose front sample is on the ground.
void lf_park(LiveAc& aircraft);
// After the 2 s wait of a new object: the start pattern, then active.
void lf_activateAc(LiveAc& aircraft);
// Touchdown, from the simulator's ground data during a flare or an approach.
void lf_setOnGroundSlots(LiveAc& aircraft);

}  // namespace zrb
