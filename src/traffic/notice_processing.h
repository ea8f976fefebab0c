#pragma once
// The manager's side of the simulator's notices (sim_notice.h): the first step
// of every pass. Created objects wait 200 passes (2 s) in the new-object list
// before they are activated; a live one gets ALL_LIGHTS_TOGGLE after 0.5 s and
// 1 s on the way.
//
// Threads: worker thread. The notices are taken out of their list under
// g_noticeMutex in one swap; everything after that, the new-object list
// included, is the worker's own, so no lock is held while the steps call into
// the simulator link or the message line.

#include <cstdint>
#include <vector>

#include "traffic/sim_notice.h"

namespace zrb {

inline constexpr std::int32_t g_newObjectWaitPasses = 200;
inline constexpr std::int32_t g_firstLightsTogglePass = 50;
inline constexpr std::int32_t g_secondLightsTogglePass = 100;
inline constexpr std::uint32_t g_lowestAiObjectId = 3;  // ids below belong to the simulator and the user
inline constexpr double g_minCgHeightFt = 1.0;
inline constexpr double g_maxCgHeightFt = 35.0;
inline constexpr double g_defaultParkedPitchRad = 0.012217304763960306;  // 0.7°
inline constexpr double g_lowestParkedPitchRad = -0.017453292519943295;  // -1°: at or below is refused
inline constexpr double g_highestParkedPitchRad = 0.04363323129985824;   // 2.5°: above is refused
inline constexpr std::size_t g_newObjectReserve = 128;

// Created objects waiting for their activation.
extern std::vector<SimNotice> g_newObjects;

void gf_processSimNotices();
// The object is gone: a live record in liveryrespawn goes back to buffer to be
// spawned again, any other record is erased (a live one's flight plan first).
void gf_objectRemoved(std::uint32_t objectId);
// The feed blocked this hex id's callsign.
void lf_removeBlocked(std::uint32_t hexId);
void lf_activateNewObjects();

}  // namespace zrb
