#pragma once
// Spawning live aircraft in its least form, until it is built: an aircraft in
// buffer waits until its first sample is nearly due, gets a livery from the
// livery matcher and goes onto the spawn stack, from which the pass builds its create
// request. No stand search, no waiting for the user, no ghost rule. The
// spawning issue replaces both files and keeps the names.
//
// Threads: worker thread.

#include <cstddef>
#include <cstdint>

#include "traffic/ai_aircraft.h"

namespace zrb {

inline constexpr std::int32_t g_spawnLeadPasses = 100;
inline constexpr std::int32_t g_spawnLeadRollingPasses = 300;  // a first sample rolling on the ground
inline constexpr std::size_t g_maxQueuedLiveCreates = 10;

// Every pass for an aircraft in buffer: waits, drops it, or spawns it.
void lf_spawnOrWait(LiveAc& aircraft);
// Livery, first movement state, position block and attitude; adding2sim and
// onto the spawn stack.
void spawnLiveAc(LiveAc& aircraft);

}  // namespace zrb
