#pragma once
// Requests from the window to the worker. The window never waits for the
// worker and never touches the manager's lists: its handlers set these flags
// and the main loop serves them on the worker thread (once a second, or once
// a second while the simulator is not running).

#include <atomic>
#include <cstdint>
#include <string>

namespace zrb {

// "Re-read": re-read the park airports; served by lf_handleReReadRequest.
inline std::atomic<bool> g_reReadRequest{false};
// "Flush static": remove every static aircraft; served by the per-second work.
inline std::atomic<bool> g_flushStaticRequest{false};
// A renewal of the static parking (every 20 minutes, after a time shift, by the user).
inline std::atomic<bool> g_parkingRenewalRequest{false};
// The new RT_PARKTRAFFIC_ONLY value handed to the next renewal's adjustments.
inline std::atomic<bool> g_parkedTrafficOnlyChange{false};
// BLOCK_CALLSIGN changed: remove the active live aircraft that carries it.
inline std::atomic<bool> g_blockCallsignRequest{false};
// A time shift was applied from the window: clear the traffic in the simulator.
inline std::atomic<bool> g_timeShiftTrafficRequest{false};
// NAV_LIGHTS_WHILE_PARKED changed: 0 none, 1 switch off, 2 switch on.
inline std::atomic<std::uint8_t> g_navLightsRequest{0};
// MAX_LIVE_SEL lowered: trim the live aircraft to the new maximum.
inline std::atomic<bool> g_trimLiveRequest{false};
// A DESTINATION typed in the window (upper case, 4 characters): the worker
// looks it up in the airport list and makes it the first park airport, whose
// list belongs to the worker. An empty code withdraws a request not yet served.
// Any thread; the code is owned by a mutex inside.
void gf_requestDestination(std::string code);
// The code asked for, once (empty when none).
std::string gf_takeDestinationRequest();
// AUTO_RANGE switched on: the worker chooses the range from the flight phase
// and the park-airport list.
inline std::atomic<bool> g_autoRangeRequest{false};

// Serves the requests above that are not the manager's (destination, automatic
// range). Worker thread, once a second and while the simulator is not running.
void gf_serveWindowRequests();

}  // namespace zrb
