// The worker's heartbeat for the rest of a run: a pass every 10 ms; while the
// simulator runs, the manager's pass and, on the simulator's own second tick,
// the per-second work and its 15/16/30/60/61/1200/86400-second schedule.
#include <chrono>

#include "config/parameters.h"
#include "foundation/log.h"
#include "foundation/time.h"
#include "platform/platform.h"
#include "shell/collision_avoidance.h"
#include "shell/common/main_window_state.h"
#include "shell/common/message_line.h"
#include "shell/common/run_control.h"
#include "shell/common/run_state.h"
#include "shell/gui_requests.h"
#include "shell/run.h"
#include "shell/run_clock.h"
#include "shell/run_services.h"
#include "shell/user_copy.h"
#include "shell/window_text.h"
#include "traffic/feed_intake.h"

namespace zrb {

namespace {

constexpr std::uint32_t every15 = 15;
constexpr std::uint32_t every16 = 16;
constexpr std::uint32_t every30 = 30;
constexpr std::uint32_t every60 = 60;
constexpr std::uint32_t every61 = 61;
constexpr std::uint32_t every1200 = 1200;
constexpr std::uint32_t everyDay = 86400;
constexpr std::int32_t renewalMinutes = 20;

// Worker thread only.
bool g_flightPausedFlag = false;
int g_notRunningCountdown = g_notRunningPasses;
bool g_renewalStep = false;  // the first of the two renewal steps is done

// Removes at most one active static aircraft that stands for an active live
// aircraft on the ground (its callsign followed by "*", or its registration).
void lf_removeOneStaticDouble() {
    auto& services = gf_runServices();
    const auto statics = services.staticAircraft();
    if (statics.empty()) return;
    for (const AircraftView& live : services.liveAircraft()) {
        if (live.state != LifecycleState::active || !live.onGround) continue;
        const std::string key = live.callsign + "*";
        for (std::size_t j = 0; j < statics.size(); ++j) {
            const AircraftView& s = statics[j];
            const bool same = s.callsign == key || (!live.registration.empty() && s.registration == live.registration);
            if (same && s.state == LifecycleState::active) {
                services.removeStaticAt(j);
                return;
            }
        }
    }
}

// The 10 ms grid: whole milliseconds, rounded up, at most a day per sleep.
void lf_sleepToDeadline(SteadyTime deadline) {
    const SteadyTime now = gf_steadyNow();
    if (deadline - now < std::chrono::milliseconds(1)) return;
    auto wait = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
    wait = std::min<std::chrono::milliseconds>(wait, std::chrono::hours(24));
    gf_sleepUntil(now + wait);
}

struct TimerResolution {
    TimerResolution() { platform::beginHighTimerResolution(); }
    ~TimerResolution() { platform::endHighTimerResolution(); }
    TimerResolution(const TimerResolution&) = delete;
    TimerResolution& operator=(const TimerResolution&) = delete;
};

}  // namespace

std::int32_t gf_minutesToRenewal(std::uint32_t n) {
    return renewalMinutes * (static_cast<std::int32_t>(n / every1200) + 1) - static_cast<std::int32_t>(n / every60);
}

bool gf_flightPaused() { return g_flightPausedFlag; }

void lf_resetMainLoopPause() { g_flightPausedFlag = false; }

void lf_resetMainLoopState() {
    g_flightPausedFlag = false;
    g_notRunningCountdown = g_notRunningPasses;
    g_renewalStep = false;
    g_parkingRenewalRequest = false;
    g_blockCallsignRequest = false;
    g_secondCounter = 0;
    lf_resetUserCopy();
}

void gf_setTrafficRunning(bool running) {
    std::lock_guard lock(g_runMutex);
    g_trafficActive = running;
}

void lf_handleReReadRequest() {
    auto& services = gf_runServices();
    if (!g_reReadRequest || services.staticParkingComputing()) return;
    std::string message;
    if (services.reloadParkAirports(true, message)) gf_showMessage(message, true);
    gf_enableControl(REREAD_BUTTON, true);
    gf_enableControl(DESTINATION, true);
    g_reReadRequest = false;
}

void lf_every15Seconds(std::uint32_t n) {
    auto& services = gf_runServices();
    if (g_parkingRenewalRequest) {
        if (!g_renewalStep) {
            g_renewalStep = true;
            services.lockUi();
            services.collectFeedIds(true);
        } else {
            g_renewalStep = false;
            gf_clearError();
            gf_clearMessage();
            // The change waits for adjustments that can take it: without a park
            // airport it would be lost.
            if (services.parkAirportIsSet() && services.parkAirportHasStands())
                services.parkingAdjustments(g_parkedTrafficOnlyChange.exchange(false));
            else
                services.collectFeedIds(false);  // nobody takes the ids: stop gathering them
            g_parkingRenewalRequest = false;
        }
    }
    if (n % every30 != 0) return;
    if (AUTO_RANGE.value) gf_setAutoRange();
    if (n % every60 != 0) return;
    g_mainWindowState.minutesToRenewal = gf_minutesToRenewal(n);
    gf_invalidateBand(g_middleBand);
    if (n % every1200 != 0) return;
    services.logNoMatches();
    if (g_parkingDataLoaded && (!INITIAL_LOAD_ONLY.value || RT_PARKTRAFFIC_ONLY.value) && !g_parkingRenewalRequest)
        g_parkingRenewalRequest = true;
    if (n % everyDay != 0) return;
    g_secondCounter = 0;
    services.logLiveryMatchingSummary();
    services.clearRememberedLiveries();
}

void lf_flightNotRunning() {
    auto& services = gf_runServices();
    if (!g_flightPausedFlag) {
        gf_setTrafficRunning(false);
        g_flightPausedFlag = true;
        g_notRunningCountdown = g_notRunningPasses;
        services.clearPositionBuffers();
        gf_logLine("{} Flight not running", gf_timeOfDayText());
    }
    services.processSimNotices();
    --g_notRunningCountdown;
    if (g_notRunningCountdown % g_notRunningPasses == 0) {
        lf_handleReReadRequest();
        gf_serveWindowRequests();
        services.updateTrafficBox();
    }
    if (g_notRunningCountdown < 1) {
        g_notRunningCountdown = g_notRunningPasses;
        gf_updateDisplayCounts();
        gf_storeDaySlot();
    }
}

bool lf_mainTick() {
    // Every pass, so that a close ends the loop even when the simulator stops
    // sending its second ticks while it still counts as running.
    if (gf_stopUnderWay()) return false;
    auto& services = gf_runServices();
    if (!g_simRunning || g_simConnectError) {
        lf_flightNotRunning();
        return !gf_stopUnderWay();
    }
    services.handleAddingStack();
    lf_refreshUserCopy();
    bool tick = true;
    if (!g_secondTick.compare_exchange_strong(tick, false)) return true;
    lf_everySecond();
    if (gf_stopUnderWay()) return false;
    const std::uint32_t n = g_secondCounter;
    if (n % every15 != 0) {
        if (n % every16 == 0 && !g_renewalStep) services.checkStaticParking(false);
        if (n % every61 == 0) lf_removeOneStaticDouble();
        return true;
    }
    services.updateRtLights();
    services.setReferencePosition(g_user.lat, g_user.lon);
    services.updateTrafficBox();
    if (services.reservedStandSet()) services.clearReservedStand();
    lf_handleReReadRequest();
    lf_every15Seconds(n);
    return true;
}

void lf_mainLoop() {
    auto& services = gf_runServices();
    services.checkStaticParking(true);
    services.updateRtLights();
    g_secondCounter = 0;
    SteadyTime deadline = gf_steadyNow() + std::chrono::milliseconds(g_passMs);
    gf_storeDaySlot();
    gf_setTrafficRunning(true);
    const TimerResolution resolution;
    while (lf_mainTick()) {
        lf_sleepToDeadline(deadline);
        // The grid restarts when the simulator's second is seen, so the
        // per-second work follows the simulator's clock.
        if (g_secondTick) deadline = gf_steadyNow();
        deadline += std::chrono::milliseconds(g_passMs);
    }
}

}  // namespace zrb
