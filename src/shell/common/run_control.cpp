#include "shell/common/run_control.h"

#include <array>
#include <mutex>
#include <utility>

#include "foundation/log.h"
#include "foundation/program_id.h"
#include "foundation/time.h"
#include "shell/common/message_line.h"

namespace zrb {

namespace {

// Owns g_exitReasonValue and g_restartDelayValue. Held only for the few
// instructions of a stop request; nothing is logged or shown under it.
std::mutex g_stopMutex;
ExitReason g_exitReasonValue = ExitReason::notYetSet;
std::uint32_t g_restartDelayValue = 0;

constexpr std::array<std::pair<ExitReason, std::string_view>, 8> g_exitReasonNames{{
    {ExitReason::notYetSet, "NOT YET SET"},
    {ExitReason::simWasClosed, "SIM WAS CLOSED"},
    {ExitReason::newFlight, "NEW FLIGHT"},
    {ExitReason::newSettings, "NEW SETTINGS"},
    {ExitReason::userClosedSim, "USER CLOSED SIM"},
    {ExitReason::simConnectError, "SIMCONNECT ERROR"},
    {ExitReason::readerError, "READER ERROR"},
    {ExitReason::systemError, "SYSTEM ERROR"},
}};

// Both flags, and the reason only when none is set yet: the user's close never
// hides why a run had already stopped.
void lf_stopProgramUnconditionally() {
    std::lock_guard lock(g_stopMutex);
    g_stopProgram.store(true, std::memory_order_release);
    g_stopRun.store(true, std::memory_order_release);
    if (g_exitReasonValue == ExitReason::notYetSet) g_exitReasonValue = ExitReason::userClosedSim;
}

}  // namespace

std::string_view gf_exitReasonName(ExitReason reason) {
    for (const auto& [value, name] : g_exitReasonNames)
        if (value == reason) return name;
    return "UNKNOWN";
}

bool gf_isRestartReason(ExitReason reason) {
    return reason == ExitReason::newSettings || reason == ExitReason::simConnectError ||
           reason == ExitReason::readerError;
}

bool gf_requestStop(ExitReason reason, std::uint32_t restartDelaySeconds) {
    std::lock_guard lock(g_stopMutex);
    if (g_stopRun.exchange(true, std::memory_order_acq_rel)) return false;
    g_exitReasonValue = reason;
    g_restartDelayValue = restartDelaySeconds;
    return true;
}

void gf_userClosedWindow() {
    gf_showMessage(fmt::format("Close window button clicked, closing {} ...", g_programId), false);
    lf_stopProgramUnconditionally();
}

void gf_sessionEnds() {
    g_sessionEnding.store(true, std::memory_order_release);
    lf_stopProgramUnconditionally();
}

void gf_stopForUserClose() {
    std::lock_guard lock(g_stopMutex);
    if (g_exitReasonValue == ExitReason::notYetSet) g_exitReasonValue = ExitReason::userClosedSim;
    // A restart asked for while the run was starting (a setting changed during
    // a scan) still restarts: only the user's own close ends the program, and
    // closing down quits whenever g_stopProgram is set.
    if (!gf_isRestartReason(g_exitReasonValue)) g_stopProgram.store(true, std::memory_order_release);
    g_stopRun.store(true, std::memory_order_release);
}

void gf_threadStoppedWithError(const std::string& threadName, bool restart) {
    gf_showMessage(fmt::format("The {} has stopped with an error", threadName), true);
    if (restart)
        gf_requestStop(ExitReason::readerError, g_readerErrorRestartSeconds);
    else
        gf_requestStop(ExitReason::systemError, 0);
}

bool gf_simNoLongerConnected() {
    if (g_stopRun.load(std::memory_order_acquire)) return true;
    gf_logLine("{} Flight Simulator no longer connected, {} will stop ...", gf_timeOfDayText(), g_programId);
    // Another stop may have come in between; the first one still wins.
    return !gf_requestStop(ExitReason::simWasClosed, 0);
}

ExitReason gf_exitReason() {
    std::lock_guard lock(g_stopMutex);
    return g_exitReasonValue;
}

std::uint32_t gf_restartDelaySeconds() {
    std::lock_guard lock(g_stopMutex);
    return g_restartDelayValue;
}

bool gf_resetStopState() {
    std::lock_guard lock(g_stopMutex);
    if (g_stopProgram.load(std::memory_order_acquire)) return false;
    g_exitReasonValue = ExitReason::notYetSet;
    g_restartDelayValue = 0;
    g_stopProgram.store(false, std::memory_order_release);
    g_stopRun.store(false, std::memory_order_release);
    return true;
}

}  // namespace zrb
