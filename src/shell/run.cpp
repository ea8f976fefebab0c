// The middle of a run: the simulator link, the user's aircraft, the login,
// the two feed threads, the first traffic, then the main loop.
#include <cmath>
#include <mutex>
#include <thread>

#include <gsl/narrow>

#include "config/parameters.h"
#include "foundation/log.h"
#include "shell/common/main_window_state.h"
#include "shell/common/run_control.h"
#include "shell/common/run_state.h"
#include "shell/run.h"
#include "shell/run_clock.h"
#include "shell/run_services.h"
#include "shell/window_text.h"
#include "traffic/feed_intake.h"

namespace zrb {

namespace {

// Owns g_simClient. Held while a thread is stopped and joined, never while
// anything else is locked.
std::mutex g_simClientMutex;
std::jthread g_simClient;

// Two SimClient threads must never share the link: the old one has been
// stopped and joined (lf_run) before the new one starts.
void lf_startSimClient() {
    std::lock_guard lock(g_simClientMutex);
    if (g_simClient.joinable()) {
        g_simClient.request_stop();
        g_simClient.join();
    }
    g_simClient = std::jthread([](std::stop_token stop) {
        try {
            gf_runServices().simClientThread(stop);
        } catch (const std::exception& e) {
            gf_logMarked("{}: {}", "gf_simClientThread", e.what());
        } catch (...) {
            gf_logMarked("{}: {}", "gf_simClientThread", "Unknown exception");
        }
    });
}

// Sleeps step ms up to `steps` times while `pending` holds; false on a stop.
template <typename Pending, typename AfterSleep>
bool lf_boundedWait(int steps, std::int64_t stepMs, Pending pending, AfterSleep afterSleep) {
    for (int i = 0; i < steps && pending(); ++i) {
        gf_sleepMs(stepMs);
        afterSleep();
        if (gf_stopUnderWay()) return false;
    }
    return !gf_stopUnderWay();
}

void lf_receiveWait() {
    auto& services = gf_runServices();
    const SteadyTime start = gf_steadyNow();
    while (!services.trafficReceiving()) {
        gf_sleepMs(g_trafficWaitStepMs);
        if (gf_stopUnderWay()) return;
        if (gf_steadyNow() - start > std::chrono::milliseconds(g_receiveTimeoutMs)) {
            gf_logLine("TrafficReader receiving timed out after 10 seconds?");
            gf_requestStop(ExitReason::readerError, g_readerErrorRestartSeconds);
            return;
        }
    }
}

}  // namespace

void gf_requestSimClientStop() {
    std::lock_guard lock(g_simClientMutex);
    if (g_simClient.joinable()) g_simClient.request_stop();
}

void gf_joinSimClient() {
    std::lock_guard lock(g_simClientMutex);
    if (g_simClient.joinable()) {
        g_simClient.request_stop();
        g_simClient.join();
    }
}

void gf_enableTimeShiftControls(bool enable) {
    for (const GuiControl* control :
         {static_cast<const GuiControl*>(&TIME_SHIFT_DAYS), static_cast<const GuiControl*>(&TIME_SHIFT_HOURS),
          static_cast<const GuiControl*>(&TIME_SHIFT_MINS), static_cast<const GuiControl*>(&SIM_TIME),
          static_cast<const GuiControl*>(&KEEP_SIM_TIME_PAR)})
        gf_enableControl(*control, enable);
}

bool lf_requestUserAircraft() {
    auto& services = gf_runServices();
    while (!g_simRunning || g_simConnectError) {
        gf_sleepMs(g_simWaitStepMs);
        if (gf_stopUnderWay()) return false;
    }
    if (!services.requestUserAcOnGround()) {
        gf_logMarked("SimConnect request ac gnd/air fails");
        services.simConnectRequestError();
    }
    while (!(g_userDataValid && gf_hasPosition(g_user.lat, g_user.lon))) {
        g_user = services.userAcPosition();
        gf_sleepMs(g_positionWait1StepMs);
        if (gf_stopUnderWay()) return false;
    }
    services.requestUserAcTitleAndModel();
    while (!gf_hasPosition(g_user.lat, g_user.lon)) {
        g_user = services.userAcPosition();
        gf_sleepMs(g_positionWait2StepMs);
        if (gf_stopUnderWay()) return false;
    }
    return !gf_stopUnderWay();
}

void lf_checkTrafficArrives() {
    auto& services = gf_runServices();
    const auto arrived = [&] {
        const double t = std::round(services.latestRecordTime());
        // A time stamp that fits no integer is no time stamp.
        if (!std::isfinite(t) || std::abs(t) > 9.0e15) return false;
        return gsl::narrow<std::int64_t>(t) != 0;
    };
    for (int i = 0; i < g_trafficArrivalSteps && !arrived(); ++i) {
        gf_sleepMs(g_trafficWaitStepMs);
        if (gf_stopUnderWay()) return;
    }
    if (!arrived()) gf_logLine("No traffic in this region?");
}

void lf_run() {
    auto& services = gf_runServices();
    auto& window = g_mainWindowState;
    window.session = false;
    window.simConnected = false;
    gf_invalidateBand(g_statusBand);
    services.reserveTrafficLists();
    services.reserveLiveryLists();
    // A SimClient thread of the run before, still inside Open or Close, would
    // write into the queues and the link of this run.
    gf_joinSimClient();
    services.resetSimQueues(P3D_VERSION.value);
    lf_startSimClient();
    if (!lf_requestUserAircraft() || gf_stopUnderWay()) return;
    window.serviceNotTried = false;  // the login follows
    gf_invalidateBand(g_statusBand);
    if (gf_stopUnderWay()) return;
    {
        std::lock_guard lock(g_runMutex);
        g_trafficActive = false;
    }
    services.updateTrafficBox();
    services.authenticater();
    window.trafficLight = g_lightIdle;
    window.weatherLight = g_lightIdle;
    gf_invalidateBand(g_statusBand);
    gf_enableTimeShiftControls(true);
    // The feed waits are bounded; a stop only shortens them.
    if (!lf_boundedWait(g_feedWaitSteps, g_feedWaitStepMs, [&] { return !services.sessionExists(); }, [] {}))
        return;
    services.startWeatherReader();
    g_weatherReaderStarted = true;
    if (!lf_boundedWait(g_feedWaitSteps, g_feedWaitStepMs, [&] { return services.qnh() == 0; },
                        [] { lf_handleReReadRequest(); }))
        return;
    services.startTrafficReader();
    g_trafficReaderStarted = true;
    gf_sleepMs(g_feedWaitStepMs);
    services.setReferencePosition(g_user.lat, g_user.lon);
    lf_checkTrafficArrives();
    gf_storeDaySlot();
    lf_receiveWait();
    lf_mainLoop();
}

}  // namespace zrb
