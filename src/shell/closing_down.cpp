// The end of every run: the run's threads stopped, the service logged out,
// the simulator and the settings that must not outlive a run cleaned up, then
// a restart after a countdown or the end of the program.
#include <algorithm>

#include "config/parameter_controls.h"
#include "config/parameter_store.h"
#include "config/parameters.h"
#include "config/paths.h"
#include "foundation/log.h"
#include "foundation/number_text.h"
#include "foundation/program_id.h"
#include "foundation/time.h"
#include "platform/window.h"
#include "shell/collision_avoidance.h"
#include "shell/common/main_window_state.h"
#include "shell/common/message_line.h"
#include "shell/common/run_control.h"
#include "shell/common/run_state.h"
#include "shell/run.h"
#include "shell/run_clock.h"
#include "shell/run_services.h"
#include "shell/window_text.h"
#include "traffic/feed_intake.h"

namespace zrb {

namespace {

constexpr std::int64_t countdownStepMs = 100;
constexpr std::int64_t msPerSecond = 1000;

// What closing down shows it also logs itself: the log's rule drops the
// message line's lines while a stop is under way, and closing down always
// runs under one.
void lf_showAndLog(const std::string& text) {
    gf_showMessage(text, false);
    gf_logLine(text);
}

// Sleeps ms in short steps; false as soon as the user closes the window.
bool lf_sleepUnlessClosed(std::int64_t ms) {
    while (ms > 0) {
        if (g_stopProgram) return false;
        const std::int64_t step = std::min(ms, countdownStepMs);
        gf_sleepMs(step);
        ms -= step;
    }
    return !g_stopProgram;
}

// True once both feed threads that this run started have ended. At the bound
// it is logged and shown in the error band, and closing down goes on without
// them, but the program ends then: a new run would reset the reader objects
// under a thread that still uses them. The end of the program does not wait
// for them a second time.
bool lf_stopReaders() {
    auto& services = gf_runServices();
    services.stopReaders();
    const auto finished = [&] {
        return (!g_weatherReaderStarted || services.weatherReaderStopped()) &&
               (!g_trafficReaderStarted || services.trafficReaderStopped());
    };
    const std::int64_t limitMs = g_sessionEnding ? g_sessionEndReaderWaitLimitMs : g_readerWaitLimitMs;
    std::int64_t waited = 0;
    while (!finished()) {
        if (waited >= limitMs) {
            const std::string why = fmt::format("The feed readers did not stop within {} seconds, {} will close",
                                                limitMs / msPerSecond, g_programId);
            gf_logMarked("{}", why);
            gf_showError(why);
            g_readersStuck = true;
            return false;
        }
        gf_sleepMs(g_readerWaitStepMs);
        waited += g_readerWaitStepMs;
    }
    return true;
}

void lf_waitForUserClose() {
    while (!g_stopProgram) gf_sleepMs(g_userCloseWaitStepMs);
    lf_showAndLog(fmt::format("User closed {}", g_programId));
}

void lf_switchScansOff() {
    for (BoolCheckParameter* scan : {&SCAN_LIVERIES, &SCAN_AIRPORTS}) {
        scan->value = false;
        gf_saveBoolParameter(*scan);
        gf_setCheckBox(*scan);
    }
}

// Stops the run's threads, logs out, clears what must not outlive the run and
// decides between a restart and the end; true when a new run is to follow.
bool lf_closeRun() {
    auto& services = gf_runServices();
    const ExitReason reason = gf_exitReason();
    gf_logLine("Exiting: {}", gf_exitReasonName(reason));
    gf_setTrafficRunning(false);
    gf_requestSimClientStop();
    // Before anything of the park airport is cleared: a new flight or the end of
    // the link may have left the user standing on a stand worth remembering.
    services.checkUserStandChanged();
    bool readersEnded = true;
    if (g_weatherReaderStarted || g_trafficReaderStarted || services.sessionExists()) readersEnded = lf_stopReaders();
    if (services.sessionExists()) services.deauthenticate();
    // Under the stop a transfer ends within about a second.
    services.stopArchiveFetcher();
    if (reason == ExitReason::systemError) lf_waitForUserClose();
    if (services.parkAirportIsSet()) services.clearParkAirportTraffic();
    services.clearRememberedLiveries();
    services.removeFlightPlanFolder();
    // Their edits show what the next run starts with.
    gf_setStringParameter(DESTINATION, "");
    gf_showTextParameter(DESTINATION);
    gf_setStringParameter(BLOCK_CALLSIGN, "");
    gf_showTextParameter(BLOCK_CALLSIGN);
    gf_enableControl(UNBLOCK_BUTTON, false);
    g_dataTimeFlag = false;
    if (!KEEP_SIM_TIME_PAR.value) {
        SIM_TIME.value = false;
        gf_saveBoolParameter(SIM_TIME);
        lf_resetTimeShiftParameters();
    } else if (SIM_TIME.value) {
        lf_resetTimeShiftParameters();
    }
    services.clearSharedStringList();
    services.logLiveryMatchingSummary();
    services.logNoMatches();

    // The user's close always wins: a run that was going to restart ends the
    // program instead. So does a feed reader that did not end.
    if (gf_isRestartReason(reason) && !g_stopProgram && readersEnded) {
        gf_clearError();
        gf_clearMessage();
        lf_showAndLog("Prepare for a restart ...");
        if (reason != ExitReason::newSettings) lf_switchScansOff();
        lf_restartCountdown(gf_restartDelaySeconds());
        if (g_stopProgram) return false;
        return lf_resetForNewFlight();
    }
    if (reason == ExitReason::newFlight) {
        lf_showAndLog(fmt::format("New flight detected, {} will close, please restart manually ...", g_programId));
        lf_sleepUnlessClosed(g_newFlightPauseMs);
    } else if (!readersEnded) {
        // The error band says why the program ends; leave it there a while.
        lf_sleepUnlessClosed(g_stuckReadersPauseMs);
    }
    return false;
}

}  // namespace

void lf_resetTimeShiftParameters() {
    for (IntEditParameter* p : {&TIME_SHIFT_DAYS, &TIME_SHIFT_HOURS, &TIME_SHIFT_MINS}) {
        p->value = std::clamp(0, p->min, p->max);
        gf_saveIntParameter(*p);
    }
}

void lf_restartCountdown(std::uint32_t seconds) {
    if (seconds < 1) return;
    gf_logLine("Restarting after {} seconds\n\n\n\n\n", seconds);
    for (std::uint32_t k = seconds; k >= 1; --k) {
        if (g_stopProgram) return;
        gf_showMessage(fmt::format("Restarting after {} second{}", k, gf_plural(static_cast<std::int64_t>(k))), false);
        if (!lf_sleepUnlessClosed(msPerSecond)) return;
    }
}

bool lf_resetForNewFlight() {
    auto& services = gf_runServices();
    // Asked to stop at the start of closing down; it must have ended before
    // the link, the user aircraft and the queues it writes are reset.
    gf_joinSimClient();
    services.resetRtReaders();
    services.resetTraffic();
    services.resetSimLink(P3D_VERSION.value);
    g_user = {};
    gf_setStockAirportsPath({});
    gf_resetMainWindowState();
    g_secondTick = false;
    lf_resetMainLoopState();
    lf_resetCollisionState();
    g_weatherReaderStarted = false;
    g_trafficReaderStarted = false;
    RANGE.value = std::clamp<std::int32_t>(RANGE.value, RANGE.min, RANGE.max);
    gf_setWorkingRange(RANGE.value);
    return gf_resetStopState();
}

void lf_closingDown() {
    bool restart = false;
    try {
        restart = lf_closeRun();
    } catch (const std::exception& e) {
        gf_logLine("{} exception {}", "lf_closingDown", e.what());
        gf_showMessage(fmt::format("{} exception {}", "lf_closingDown", e.what()), false);
        restart = false;
    } catch (...) {
        gf_logLine("{} exception {}", "lf_closingDown", "Unknown exception");
        restart = false;
    }
    // The run's last act, on every path: without it the program could neither
    // restart nor end.
    g_restartPending = restart;
    if (restart)
        platform::postStartRun();
    else
        platform::postEndProgram();
}

}  // namespace zrb
