#pragma once
// What a run needs of the simulator layer, until that layer is built: the
// "SimClient" thread, the flags it keeps, the user aircraft's state and the
// few requests the run makes. The minimal implementation (sim_link_seam.cpp)
// never connects: it behaves as the real layer does while no simulator runs.
// The simulator-layer issue replaces both files.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <stop_token>

namespace zrb {

// The simulator runs and is not paused ("Sim" running). SimClient thread writes.
inline std::atomic<bool> g_simRunning{false};
// A SimConnect request failed; no simulator traffic until the next run.
inline std::atomic<bool> g_simConnectError{false};
// Set by the SimClient thread on each per-second reply about the user
// aircraft; consumed by the main loop (compare-exchange true -> false).
inline std::atomic<bool> g_secondTick{false};
// A user-aircraft reply with a position arrived in this run.
inline std::atomic<bool> g_userDataValid{false};
// True until the first successful open of a run.
inline std::atomic<bool> g_simNotConnected{true};

// Owns the outgoing queues, the position double buffer and the user-aircraft
// record, and serialises direct SimConnect calls from other threads.
inline std::mutex g_simConnectMutex;

// The user aircraft as the worker keeps it (copied from the SimClient
// thread's record by gf_getUserAcPosition).
struct UserAcData {
    double lat = 0.0;            // degrees
    double lon = 0.0;            // degrees
    double pitch = 0.0;          // radians
    double bank = 0.0;           // radians
    double heading = 0.0;        // radians
    double altitudeFt = 0.0;     // feet
    double altitudeAglFt = 0.0;  // feet above ground
    double groundSpeedKt = 0.0;  // knots
    bool onGround = true;
    double halfSpanNm = 0.0;     // half wing span, nautical miles
};

// The "SimClient" thread of a run: opens SimConnect every 100 ms until it
// succeeds, then dispatches until the token asks it to stop.
void gf_simClientThread(std::stop_token stop);
// Empties the outgoing queues and clears the request-error flag.
void gf_resetSimQueues(std::int32_t simVersion);
// SimConnect_RequestDataOnSimObject(108, 409, user, SECOND) under
// g_simConnectMutex: the per-second on-ground reply that sets g_secondTick.
// False when the request fails.
bool gf_requestUserAcOnGround();
// A copy of the latest user-aircraft record.
UserAcData gf_getUserAcPosition();
// Asks for the user aircraft's title and model.
void gf_requestUserAcTitleAndModel();
// A failed request: "SimConnect request error", the error flag, SIMCONNECT ERROR.
void gf_simConnectRequestError();
// Empties both position-update buffers (under g_simConnectMutex).
void gf_clearPositionBuffers();
// The simulator's UTC time, seconds since 1970 (0 while unknown).
std::int64_t gf_simUtcTime();
// Puts the layer back to its start values for a new run.
void gf_resetSimLink(std::int32_t simVersion);

}  // namespace zrb
