// The simulator layer's least form: a SimClient thread that finds no
// simulator, as the real one does while none runs. It never pretends a
// connection, so a run waits for the simulator until it is stopped.
#include "simlink/sim_link_seam.h"

#include <chrono>
#include <thread>

#include "foundation/log.h"
#include "shell/common/message_line.h"
#include "shell/common/run_control.h"

namespace zrb {

namespace {

constexpr auto retryInterval = std::chrono::milliseconds(100);

// Owned by g_simConnectMutex.
UserAcData g_userAc;

}  // namespace

void gf_simClientThread(std::stop_token stop) {
    try {
        gf_logLine("SimClient: no simulator link in this build, waiting for a stop");
        while (!stop.stop_requested()) std::this_thread::sleep_for(retryInterval);
    } catch (const std::exception& e) {
        gf_logMarked("{}: {}", "gf_simClientThread", e.what());
    }
    g_simRunning = false;
}

void gf_resetSimQueues(std::int32_t /*simVersion*/) { g_simConnectError = false; }

bool gf_requestUserAcOnGround() { return false; }

UserAcData gf_getUserAcPosition() {
    std::lock_guard lock(g_simConnectMutex);
    return g_userAc;
}

void gf_requestUserAcTitleAndModel() {}

void gf_simConnectRequestError() {
    gf_showMessage("SimConnect request error", true);
    g_simConnectError = true;
    gf_requestStop(ExitReason::simConnectError, g_simConnectErrorRestartSeconds);
}

void gf_clearPositionBuffers() {}

std::int64_t gf_simUtcTime() { return 0; }

void gf_resetSimLink(std::int32_t simVersion) {
    g_simNotConnected = true;
    g_userDataValid = false;
    g_simRunning = false;
    g_simConnectError = false;
    g_secondTick = false;
    {
        std::lock_guard lock(g_simConnectMutex);
        g_userAc = {};
    }
    gf_resetSimQueues(simVersion);
}

}  // namespace zrb
