#pragma once
// What a new feed sample of a known live aircraft does to its queue: queued,
// dropped, or the aircraft removed. By the aircraft's state it goes to the
// watch at the stand, the pushback, the wait after it, the stationary rules,
// or the cleaning of the queue during a landing; trailing stop samples are
// trimmed when the aircraft moves on; and the runway events are raised (the
// touchdown roll when the feed still reports a landed aircraft in the air,
// the runway roll of a departure).
//
// Threads: worker thread (called by the intake).

#include <cstddef>

#include "traffic/ai_aircraft.h"

namespace zrb {

inline constexpr std::size_t g_maxQueuedSamples = 200;
inline constexpr double g_trailingStopNm = 0.011879049676025918;  // 22 m
inline constexpr std::int32_t g_trailingStopPasses = 1500;
inline constexpr double g_landingTurnDeg = 90.0;
inline constexpr double g_landingTurnAroundDeg = 150.0;
inline constexpr double g_landingSpeedCapKt = 40.0;
inline constexpr double g_holdingTurnDeg = 100.0;

// Never throws: a sample that cannot be handled is logged and dropped.
void decodeExisting(LiveAc& aircraft, PosSample sample);
// Whether the sample is to be queued, by the aircraft's state.
bool checkExtendingSituations(LiveAc& aircraft, PosSample& sample);
// During an approach or after touchdown: whether the sample is queued;
// samples that would turn the aircraft around are dropped, as are the queued
// ones they make obsolete, and speeds above 40 kt never rise.
bool checkNewPosDuringLanding(LiveAc& aircraft, PosSample& sample);
// The runway roll begins.
void lf_towedTakeOff(LiveAc& aircraft);

}  // namespace zrb
