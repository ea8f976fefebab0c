#pragma once
// Spawning live aircraft. A new aircraft waits in buffer until its first
// sample is nearly due; lf_spawnOrWait then decides whether it enters the
// simulator now, later or never (the user's aircraft in the way, too many
// creations queued, the live maximum, a blocked callsign, no livery), and
// spawnLiveAc gives it its livery, its first movement state (flying, parked at
// a stand near where it stands, or taxiing), its attitude and heading, and
// puts it on the spawn stack from which the pass builds its create request.
//
// Threads: worker thread.

#include <cstddef>
#include <cstdint>

#include "airports/stand.h"
#include "traffic/ai_aircraft.h"

namespace zrb {

inline constexpr std::int32_t g_spawnLeadPasses = 100;
inline constexpr std::int32_t g_spawnLeadRollingPasses = 300;  // a first sample rolling on the ground
inline constexpr std::size_t g_maxQueuedLiveCreates = 10;
inline constexpr double g_userGroundConflictNm = 0.08099352051835854;   // 150 m
inline constexpr double g_userGroundReleaseNm = 0.2699784017278618;     // 500 m
inline constexpr double g_userMovingKt = 8.0;
inline constexpr double g_userAirCandidateNm = 6.0;
inline constexpr double g_userAirCandidateFt = 3000.0;
inline constexpr double g_userAirLateralFt = 4000.0;
inline constexpr double g_userLowGroundCandidateNm = 1.5;
inline constexpr double g_userLowAglFt = 1000.0;
inline constexpr double g_userLowLateralFt = 500.0;
inline constexpr double g_standBirthAirportNm = 5.0;
inline constexpr double g_standBirthSearchNm = 0.029697624190064796;  // 55 m
inline constexpr double g_standBirthLastSampleNm = 0.018898488120950324;  // 35 m
inline constexpr double g_standBirthSlowKt = 5.0;
inline constexpr double g_neighbourClaimFactor = 1.1;

// Every pass for an aircraft in buffer: waits, drops it, or spawns it.
void lf_spawnOrWait(LiveAc& aircraft);
// Livery, first movement state, position block and attitude; adding2sim and
// onto the spawn stack. An aircraft without a livery is dropped.
void spawnLiveAc(LiveAc& aircraft);
// A live aircraft takes the stand: the static aircraft on it goes (removed,
// or its queued creation withdrawn), and so do those on neighbour stands whose
// wings would touch it.
void lf_makeWay(const LiveAc& aircraft, const Stand& stand);

}  // namespace zrb
