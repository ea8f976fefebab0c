#pragma once
// Why and how a run ends: the two stop flags, the exit reason with its restart
// delay, and the restart-pending mark.
//
// Any thread may ask for a stop. The first stop of a run wins: a setter sets
// g_stopRun by exchange and writes the reason and the delay only when it found
// the flag clear. The window's close alone sets both flags unconditionally.
//
// The two stop flags themselves live in foundation/stop_flags.h (included
// here), so that lower libraries can test them without linking the shell.

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/stop_flags.h"

namespace zrb {

enum class ExitReason : std::uint32_t {
    notYetSet = 0,
    simWasClosed = 1,
    newFlight = 2,
    newSettings = 3,
    userClosedSim = 4,
    simConnectError = 5,
    readerError = 6,
    systemError = 7,
};

// "NOT YET SET", "SIM WAS CLOSED", ... as "Exiting: {}" prints them.
std::string_view gf_exitReasonName(ExitReason reason);

// True for the reasons after which a new run starts (NEW SETTINGS, SIMCONNECT
// ERROR, READER ERROR); every other reason ends the program.
bool gf_isRestartReason(ExitReason reason);

// Restart delays of the stop table, in seconds.
inline constexpr std::uint32_t g_readerErrorRestartSeconds = 15;
inline constexpr std::uint32_t g_simConnectErrorRestartSeconds = 9;
inline constexpr std::uint32_t g_installPathRestartSeconds = 3;
inline constexpr std::uint32_t g_scanRequestRestartSeconds = 2;

// Set by closing down when a new run follows; read by the next start-up to skip
// the data-file check. Worker thread writes, any thread reads.
inline std::atomic<bool> g_restartPending{false};

// The first-stop-wins setter: when g_stopRun was clear, sets it and records the
// reason and delay, and returns true; otherwise changes nothing and returns false.
bool gf_requestStop(ExitReason reason, std::uint32_t restartDelaySeconds = 0);

// The window's close button: shows "Close window button clicked, closing {} ..."
// (not logged), sets g_stopProgram and g_stopRun, and USER CLOSED SIM when no
// reason is set yet.
void gf_userClosedWindow();

// Windows ends the session (logoff, shutdown): g_sessionEnding, then the same
// stop as the close button, without its message (the window goes with the
// session).
void gf_sessionEnds();

// A stop found during start-up: both flags, and USER CLOSED SIM when no reason
// is set yet; a restart reason already recorded keeps its restart (only
// g_stopRun is set then).
void gf_stopForUserClose();

// A feed thread ended with an error: "The {} has stopped with an error" (shown
// and logged), then READER ERROR with 15 s (restart) or SYSTEM ERROR.
void gf_threadStoppedWithError(const std::string& threadName, bool restart);

// The simulator is gone: when no stop is under way, logs "{} Flight Simulator
// no longer connected, {} will stop ..." and stops with SIM WAS CLOSED.
// Returns the previous value of g_stopRun.
bool gf_simNoLongerConnected();

// The recorded reason and delay (read under the stop mutex, so a reason is
// never seen half-written after its flag).
ExitReason gf_exitReason();
std::uint32_t gf_restartDelaySeconds();

// Puts flags, reason and delay back to their start values (the reset before a
// new run). When the user has closed the window meanwhile nothing is reset and
// the result is false: no new run may start then.
bool gf_resetStopState();

}  // namespace zrb
