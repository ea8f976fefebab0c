#pragma once
// Shared by the shell tests: a clock that runs as fast as the test wants, a
// recorder of the calls a run makes, a table of quiet doubles for every other
// subsystem, and a reset of the run's globals between tests.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "config/settings_fixture.h"
#include "platform/window.h"
#include "shell/app_main.h"
#include "shell/common/main_window_state.h"
#include "shell/common/message_line.h"
#include "shell/common/run_control.h"
#include "shell/gui_requests.h"
#include "shell/run.h"
#include "shell/run_clock.h"
#include "shell/run_services.h"
#include "traffic/feed_intake.h"

namespace zrb::test {

using namespace std::chrono_literals;

// Steady time that moves only when a run sleeps: every sleep ends at once, a
// moment of real time later (so other threads get their turn).
class FakeClock {
public:
    FakeClock() { install(); }
    ~FakeClock() { gf_setRunClock(gf_realRunClock()); }
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;

    void install() {
        gf_setRunClock({
            [this] { return now(); },
            [this](SteadyTime deadline) { sleepUntil(deadline); },
            [this] { return systemSeconds.load(); },
        });
    }
    SteadyTime now() const { return SteadyTime(std::chrono::nanoseconds(m_ns.load())); }
    std::int64_t nowMs() const { return m_ns.load() / 1'000'000; }
    void sleepUntil(SteadyTime deadline) {
        const std::int64_t target = deadline.time_since_epoch().count();
        std::int64_t current = m_ns.load();
        while (current < target && !m_ns.compare_exchange_weak(current, target)) {
        }
        if (onSleep) onSleep(nowMs());
        std::this_thread::sleep_for(realSleep);
    }

    std::atomic<std::int64_t> systemSeconds{1'800'000'000};
    std::chrono::microseconds realSleep{50};
    // Called after each sleep with the new time in ms (the sleeping thread).
    std::function<void(std::int64_t)> onSleep;

private:
    std::atomic<std::int64_t> m_ns{1'000'000'000};
};

// The names of the calls a run made, in order; any thread.
class Recorder {
public:
    void add(const std::string& call) {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(call);
    }
    std::vector<std::string> calls() const {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }
    int count(const std::string& call) const {
        std::lock_guard lock(m_mutex);
        return static_cast<int>(std::count(m_calls.begin(), m_calls.end(), call));
    }
    // Position of the first call, -1 when it was not made.
    int indexOf(const std::string& call) const {
        std::lock_guard lock(m_mutex);
        const auto it = std::find(m_calls.begin(), m_calls.end(), call);
        return it == m_calls.end() ? -1 : static_cast<int>(it - m_calls.begin());
    }
    void clear() {
        std::lock_guard lock(m_mutex);
        m_calls.clear();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_calls;
};

// Every service a quiet double that records its name: no simulator, no
// service, no aircraft, no airports.
inline RunServices quietServices(Recorder& r) {
    RunServices s;
    const auto note = [&r](const char* name) { return [&r, name] { r.add(name); }; };
    s.readDbase = [&r] {
        r.add("readDbase");
        return true;
    };
    s.checkDataFileVersions = note("checkDataFileVersions");
    s.scanLiveries = note("scanLiveries");
    s.reserveLiveryLists = note("reserveLiveryLists");
    s.logLiveryMatchingSummary = note("logLiveryMatchingSummary");
    s.readAirports = [&r](const std::string&) { r.add("readAirports"); };
    s.findAirport = [](const std::string&) { return std::optional<AirportData>(); };
    s.scanAddonAirports = note("scanAddonAirports");
    s.readMyParkAirports = [&r] {
        r.add("readMyParkAirports");
        return true;
    };
    s.reloadParkAirports = [&r](bool, std::string&) {
        r.add("reloadParkAirports");
        return false;
    };
    s.setFirstParkAirport = [&r](const std::string&, double, double) { r.add("setFirstParkAirport"); };
    s.firstParkAirport = [] { return std::optional<AirportData>(); };
    s.checkStaticParking = [&r](bool start) { r.add(start ? "checkStaticParking(true)" : "checkStaticParking(false)"); };
    s.parkingAdjustments = [&r](bool) { r.add("parkingAdjustments"); };
    s.clearParkAirportTraffic = note("clearParkAirportTraffic");
    s.parkAirportIsSet = [] { return false; };
    s.parkAirportHasStands = [] { return false; };
    s.reservedStandSet = [] { return false; };
    s.stopArchiveFetcher = note("stopArchiveFetcher");
    s.simInstalled = [](int) { return false; };
    s.simSetupPath = [](int) { return std::filesystem::path(); };
    s.simClientThread = [&r](std::stop_token stop) {
        r.add("simClient start");
        while (!stop.stop_requested()) std::this_thread::sleep_for(1ms);
        r.add("simClient end");
    };
    s.resetSimQueues = [&r](std::int32_t) { r.add("resetSimQueues"); };
    s.requestUserAcOnGround = [&r] {
        r.add("requestUserAcOnGround");
        return true;
    };
    s.userAcPosition = [] { return UserAcData{}; };
    s.requestUserAcTitleAndModel = note("requestUserAcTitleAndModel");
    s.simConnectRequestError = note("simConnectRequestError");
    s.clearPositionBuffers = note("clearPositionBuffers");
    s.simUtcTime = [] { return std::int64_t{0}; };
    s.resetSimLink = [&r](std::int32_t) {
        r.add("resetSimLink");
        g_simRunning = false;
        g_simConnectError = false;
        g_userDataValid = false;
        g_secondTick = false;
    };
    s.checkUserStandChanged = [] {};
    s.authenticater = note("authenticater");
    s.startWeatherReader = note("startWeatherReader");
    s.startTrafficReader = note("startTrafficReader");
    s.sessionExists = [] { return false; };
    s.qnh = [] { return std::int32_t{1013}; };
    s.trafficReceiving = [] { return true; };
    s.latestRecordTime = [] { return 1.0; };
    s.setReferencePosition = [](double, double) {};
    s.updateTrafficBox = note("updateTrafficBox");
    s.setTrafficBoxRange = [](double) {};
    s.updateRtLights = note("updateRtLights");
    s.stopReaders = note("stopReaders");
    s.weatherReaderStopped = [] { return true; };
    s.trafficReaderStopped = [] { return true; };
    s.deauthenticate = note("deauthenticate");
    s.resetRtReaders = note("resetRtReaders");
    s.joinRtReaders = [&r](std::int64_t limitMs) {
        r.add("joinRtReaders " + std::to_string(limitMs));
        return true;
    };
    s.collectFeedIds = [&r](bool collect) { r.add(collect ? "collectFeedIds(true)" : "collectFeedIds(false)"); };
    s.setTimeOffset = [](std::int32_t) {};
    s.reserveTrafficLists = note("reserveTrafficLists");
    s.handleAddingStack = note("handleAddingStack");
    s.processSimNotices = [] {};
    s.resetTraffic = note("resetTraffic");
    s.logNoMatches = note("logNoMatches");
    s.clearRememberedLiveries = note("clearRememberedLiveries");
    s.createFlightPlanFolder = note("createFlightPlanFolder");
    s.removeFlightPlanFolder = note("removeFlightPlanFolder");
    s.clearSharedStringList = note("clearSharedStringList");
    s.lockUi = note("lockUi");
    s.staticParkingComputing = [] { return false; };
    s.clearReservedStand = note("clearReservedStand");
    s.removeAllStatic = note("removeAllStatic");
    s.trimLiveToMax = note("trimLiveToMax");
    s.setParkedNavLights = [&r](bool on) { r.add(on ? "navLights(on)" : "navLights(off)"); };
    s.clearTrafficForTimeShift = note("clearTrafficForTimeShift");
    s.liveAircraft = [] { return std::vector<AircraftView>(); };
    s.staticAircraft = [] { return std::vector<AircraftView>(); };
    s.removeLiveAt = [&r](std::size_t i) { r.add("removeLive " + std::to_string(i)); };
    s.removeStaticAt = [&r](std::size_t i) { r.add("removeStatic " + std::to_string(i)); };
    s.collisionAvoidanceRemove = [&r](std::size_t i) { r.add("collisionAvoidanceRemove " + std::to_string(i)); };
    s.checkQueueFront = [] { return std::optional<std::uint32_t>(); };
    s.popCheckQueue = note("popCheckQueue");
    s.coupledSearchDone = [](std::uint32_t) { return false; };
    s.searchCoupledCallsigns = [&r](std::uint32_t hex) { r.add("searchCoupled " + std::to_string(hex)); };
    s.removeStaticDoubles = [&r](std::uint32_t hex, bool) { r.add("removeStaticDoubles " + std::to_string(hex)); };
    s.countLiveParked = [] { return ParkedCount{}; };
    s.countStaticParked = [] { return ParkedCount{}; };
    return s;
}

// The run's globals back to a program start.
inline void resetRunGlobals() {
    g_stopProgram = false;
    g_stopRun = false;
    g_sessionEnding = false;
    g_readersStuck = false;
    gf_resetStopState();
    g_restartPending = false;
    g_simRunning = false;
    g_simConnectError = false;
    g_secondTick = false;
    g_userDataValid = false;
    g_user = {};
    g_weatherReaderStarted = false;
    g_trafficReaderStarted = false;
    g_reReadRequest = false;
    g_flushStaticRequest = false;
    g_parkingRenewalRequest = false;
    g_parkedTrafficOnlyChange = false;
    g_blockCallsignRequest = false;
    g_timeShiftTrafficRequest = false;
    g_navLightsRequest = 0;
    g_trimLiveRequest = false;
    gf_requestDestination("");
    g_autoRangeRequest = false;
    g_rememberedSimTime = 0;
    lf_resetMainLoopState();
    gf_resetMessageLine();
    platform::destroyMainWindow();
    {
        std::lock_guard lock(g_runMutex);
        g_trafficActive = false;
    }
}

// A settings folder, the run's globals reset, quiet doubles and a fake clock.
class ShellTest : public SettingsTest {
protected:
    ShellTest() {
        resetRunGlobals();
        gf_runServices() = quietServices(calls);
    }
    ~ShellTest() override {
        resetRunGlobals();
        gf_runServices() = gf_realRunServices();
    }

    Recorder calls;
    FakeClock clock;
};

// Polls cond (real time) for up to `limit`; true when it held.
template <typename Cond>
bool eventually(Cond cond, std::chrono::milliseconds limit = 20s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!cond()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

}  // namespace zrb::test
