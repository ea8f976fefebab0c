#pragma once
// One run on the worker thread: start-up (worker_main.cpp, run_start.cpp),
// the run (run.cpp), the main loop and its schedule (main_loop.cpp,
// per_second.cpp) and closing down (closing_down.cpp). The functions are
// declared here so the run's parts and their tests can reach them.
//
// Everything here belongs to the worker thread unless it says otherwise.

#include <atomic>
#include <cstdint>
#include <string>

#include "simlink/sim_link.h"

namespace zrb {

inline constexpr std::int64_t g_passMs = 10;                 // main-loop pass
inline constexpr std::int64_t g_simWaitStepMs = 100;         // waiting for the simulator
inline constexpr std::int64_t g_positionWait1StepMs = 500;   // waiting for the user's position
inline constexpr std::int64_t g_positionWait2StepMs = 200;
inline constexpr std::int64_t g_feedWaitStepMs = 300;        // session and QNH waits
inline constexpr int g_feedWaitSteps = 10;
inline constexpr std::int64_t g_trafficWaitStepMs = 100;     // first traffic, receiving
inline constexpr int g_trafficArrivalSteps = 150;            // 15 s
inline constexpr std::int64_t g_receiveTimeoutMs = 10000;
inline constexpr std::int64_t g_userCloseWaitStepMs = 500;   // after a SYSTEM ERROR
inline constexpr std::int64_t g_readerWaitStepMs = 100;      // readers' stopped reports
// Each reader ends within about a second of its stop flag, a transfer in
// progress included; one that has not ended after ten is stuck, and the
// program ends instead of starting a run beside it.
inline constexpr std::int64_t g_readerWaitLimitMs = 10000;
// At the end of the Windows session the whole closing down has a few seconds:
// the readers get two of them, so that the learned parking and the settings
// are still saved when one of them is stuck.
inline constexpr std::int64_t g_sessionEndReaderWaitLimitMs = 2000;
// Set by closing down when they did not: the end of the program then waits
// for them no more (any thread reads it).
inline std::atomic<bool> g_readersStuck{false};
// How long the error band says so before the program ends (unless the user
// closes the window sooner).
inline constexpr std::int64_t g_stuckReadersPauseMs = 10000;
inline constexpr std::int64_t g_holdSeconds = 2;             // the service cannot be revisited sooner
inline constexpr std::int64_t g_holdStepMs = 100;
inline constexpr std::int64_t g_newFlightPauseMs = 10000;
inline constexpr int g_notRunningPasses = 100;               // 1 s of passes

// The user aircraft as the worker last copied it.
inline UserAcData g_user;

// ---------------------------------------------------------------- start-up
void lf_workerMain();
void lf_initRun();
void gf_setupParameters();
void lf_removeOldFiles();
void lf_applySimTimeSetting();
void lf_enableStartControls();
// Seconds to hold before the service may be visited again, from
// "LAST_EPOCH_TIME:" (capped: a time in the future holds at most g_holdSeconds).
std::int64_t lf_holdSeconds(std::int64_t nowSeconds, std::int64_t lastVisitSeconds);

// ---------------------------------------------------------------- the run
void lf_run();
bool lf_requestUserAircraft();
void lf_checkTrafficArrives();
// EnableWindow on the three time-shift edits and the SIM_TIME and KEEP_SIM_TIME_PAR boxes.
void gf_enableTimeShiftControls(bool enable);
// The program-wide "SimClient" thread: closing down asks it to stop and joins
// it before anything of the simulator layer is reset; the next run and the
// end of the program join it too, before anything new starts.
void gf_requestSimClientStop();
void gf_joinSimClient();
// Which feed threads this run started (closing down waits only for those).
inline bool g_weatherReaderStarted = false;
inline bool g_trafficReaderStarted = false;

// ---------------------------------------------------------------- main loop
void lf_mainLoop();
bool lf_mainTick();
void lf_everySecond();
void lf_every15Seconds(std::uint32_t n);
void lf_handleReReadRequest();
void lf_flightNotRunning();
void gf_setTrafficRunning(bool running);
// Minutes to the next 20-minute renewal at second n (a multiple of 60).
std::int32_t gf_minutesToRenewal(std::uint32_t n);
// Back to the start of a loop: paused flag, countdown, renewal step, remembered
// simulator time.
void lf_resetMainLoopState();
bool gf_flightPaused();
// Clears the flight-paused flag (the per-second work, on resume).
void lf_resetMainLoopPause();

// ---------------------------------------------------------------- closing down
void lf_closingDown();
void lf_restartCountdown(std::uint32_t seconds);
// False when the user closed the window meanwhile (no new run then).
bool lf_resetForNewFlight();
void lf_resetTimeShiftParameters();

// ---------------------------------------------------------------- shared with the controls
// Applies a time shift of m minutes (see time_shift.cpp).
void gf_timeShift(std::int32_t minutes, bool quiet);
void lf_showTimeShift(std::int32_t minutes);
// DESTINATION = code (saved, shown, "New destination: {}"), the airport first
// in the park-airport list, Re-read disabled.
void gf_applyDestination(const std::string& icao, double lat, double lon);
// The automatic traffic range from the flight phase.
void gf_setAutoRange();
// The simulator time the SIM_TIME rule last saw (s since 1970, 0 = take the next).
inline std::atomic<std::int64_t> g_rememberedSimTime{0};  // worker and GUI thread
// Counts of the status display, once a second.
void gf_updateDisplayCounts();

}  // namespace zrb
