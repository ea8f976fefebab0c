#pragma once
// The simulator link's shared state: the connection handle, the flags the run
// and the main loop read, and the one mutex of the layer.
//
// Ownership:
// - g_simConnectMutex owns the connection handle for every thread but the
//   "SimClient" thread (its only writer, which writes it under the mutex and
//   may read it without), the outgoing queues (sim_queues.h), the user-aircraft
//   record and the user's stand (user_aircraft.h, user_stand.h). Lock order:
//   the notice mutex before g_simConnectMutex; nothing else is taken under it
//   but the log. No call into the window is made while it is held.
// - Everything else here is atomic and may be read from any thread.

#include <atomic>
#include <cstdint>
#include <mutex>

#include "simconnect/simconnect.h"

namespace zrb {

inline std::mutex g_simConnectMutex;

// The connection of this run; null before the first open and again from the
// moment the SimClient thread lets it go. Every user checks it under
// g_simConnectMutex: a closed link sends nothing and reports no request error.
inline SimConnectHandle g_hSimConnect = nullptr;

// The simulator runs and is not paused ("Sim" event). SimClient thread writes.
inline std::atomic<bool> g_simRunning{false};
// True from the start of a run until the first successful open.
inline std::atomic<bool> g_simNotConnected{true};
// A SimConnect request failed: nothing is sent until the next run.
inline std::atomic<bool> g_simConnectError{false};
// Set by each per-second reply about the user aircraft; the main loop takes it
// (compare-exchange true -> false).
inline std::atomic<bool> g_secondTick{false};
// A per-second on-ground reply arrived after the user's position was known.
inline std::atomic<bool> g_userDataValid{false};
// The user aircraft is on the ground (per-second reply).
inline std::atomic<bool> g_userOnGround{false};
// Object id of the user aircraft: ids at or below it are never AI objects.
inline constexpr std::uint32_t g_firstUserObjectId = 2;
inline std::atomic<std::uint32_t> g_userObjectId{g_firstUserObjectId};
// Frames per second, stored at every 30th Frame event.
inline std::atomic<float> g_simFrameRate{0.0F};
// The simulator major version of this run (5 or 6), from gf_resetSimQueues.
inline std::atomic<std::int32_t> g_simVersion{5};

}  // namespace zrb
