// The work of every simulator second: the message clock, the counts, the
// SIM_TIME rule, one entry of the check queue, the window's requests and the
// collision avoidance round the user.
#include <algorithm>
#include <cmath>

#include "config/parameter_controls.h"
#include "config/parameters.h"
#include "foundation/log.h"
#include "foundation/time.h"
#include "shell/collision_avoidance.h"
#include "shell/common/main_window_state.h"
#include "shell/common/message_line.h"
#include "shell/common/run_state.h"
#include "shell/gui_requests.h"
#include "shell/run.h"
#include "shell/run_clock.h"
#include "shell/run_services.h"

namespace zrb {

namespace {

constexpr std::int64_t simTimeJumpSeconds = 30;

void lf_applySimTime() {
    if (!SIM_TIME.value) return;
    const std::int64_t sim = gf_runServices().simUtcTime();
    if (std::abs(sim - g_rememberedSimTime.load()) >= simTimeJumpSeconds) {
        const std::int64_t minutes = (gf_systemSeconds() - sim) / 60;
        gf_timeShift(static_cast<std::int32_t>(std::clamp<std::int64_t>(minutes, 0, INT32_MAX)), false);
    }
    g_rememberedSimTime = sim;
}

// One entry of the queue of live aircraft to check. An entry whose aircraft
// has left the list is dropped, so it never holds up the entries behind it.
void lf_checkOneQueuedAircraft() {
    auto& services = gf_runServices();
    const auto hexId = services.checkQueueFront();
    if (!hexId) return;
    const auto live = services.liveAircraft();
    const auto it = std::find_if(live.begin(), live.end(), [&](const AircraftView& a) { return a.hexId == *hexId; });
    if (it != live.end()) {
        if (!services.coupledSearchDone(*hexId)) services.searchCoupledCallsigns(*hexId);
        services.removeStaticDoubles(*hexId, it->onGround);
    }
    services.popCheckQueue();
}

void lf_serveFlushStatic() {
    if (!g_flushStaticRequest.exchange(false)) return;
    gf_runServices().removeAllStatic();
    if (!INITIAL_LOAD_ONLY.value) {
        INITIAL_LOAD_ONLY.value = true;  // for this run only: not saved
        gf_setCheckBox(INITIAL_LOAD_ONLY);
    }
}

void lf_liveParkedCollisions() {
    auto& services = gf_runServices();
    if (!COLLISION_LIVE_PARKED_GND.value || services.staticAircraft().empty()) return;
    const auto live = services.liveAircraft();
    for (std::size_t i = 0; i < live.size(); ++i) {
        const AircraftView& a = live[i];
        const bool moving = a.movement == MovementState::taxi || a.movement == MovementState::parking;
        const bool moved = std::abs(a.lat - a.previousLat) >= g_movedDegrees ||
                           std::abs(a.lon - a.previousLon) >= g_movedDegrees;
        if (a.onGround && a.state == LifecycleState::active && moving && moved) services.collisionAvoidanceRemove(i);
    }
}

void lf_serveBlockRequest() {
    if (!g_blockCallsignRequest.exchange(false)) return;
    const std::string blocked = BLOCK_CALLSIGN.value;
    if (blocked.empty()) return;
    auto& services = gf_runServices();
    const auto live = services.liveAircraft();
    for (std::size_t i = 0; i < live.size(); ++i) {
        if (live[i].callsign == blocked && live[i].state == LifecycleState::active) {
            services.removeLiveAt(i);
            return;
        }
    }
}

// The window's changes that touch the manager's lists, made here on the worker.
void lf_serveListRequests() {
    auto& services = gf_runServices();
    if (g_timeShiftTrafficRequest.exchange(false)) {
        services.clearTrafficForTimeShift();
        g_parkingRenewalRequest = true;  // the static parking is rebuilt for the shifted time
    }
    if (const std::uint8_t nav = g_navLightsRequest.exchange(0); nav != 0) services.setParkedNavLights(nav == 2);
    if (g_trimLiveRequest.exchange(false)) services.trimLiveToMax();
}

}  // namespace

void gf_updateDisplayCounts() {
    auto& services = gf_runServices();
    const auto live = services.liveAircraft();
    const auto liveCount = static_cast<std::uint64_t>(std::count_if(live.begin(), live.end(), [](const AircraftView& a) {
        return a.state == LifecycleState::active && a.movement != MovementState::parked;
    }));
    auto& w = g_mainWindowState;
    if (w.liveCount.exchange(liveCount) != liveCount) gf_invalidateBand(g_statusBand);
    const ParkedCount parkedLive = services.countLiveParked();
    const ParkedCount parkedStatic = services.countStaticParked();
    w.liveAverageFit = parkedLive.averageFitHours;
    w.staticAverageFit = parkedStatic.averageFitHours;
    const bool changed = w.parkedLive.exchange(parkedLive.count) != parkedLive.count;
    if (w.parkedStatic.exchange(parkedStatic.count) != parkedStatic.count || changed) gf_invalidateBand(g_lowerBand);
}

void lf_everySecond() {
    if (gf_flightPaused()) {
        lf_resetMainLoopPause();
        gf_logLine("{} Flight resumed", gf_timeOfDayText());
        gf_setTrafficRunning(true);
    }
    gf_tickMessageClock();
    gf_updateDisplayCounts();
    gf_storeDaySlot();
    lf_applySimTime();
    ++g_secondCounter;
    lf_checkOneQueuedAircraft();
    lf_serveFlushStatic();
    lf_userCollisionAvoidance();
    lf_liveParkedCollisions();
    lf_serveBlockRequest();
    lf_serveListRequests();
    gf_serveWindowRequests();
}

}  // namespace zrb
