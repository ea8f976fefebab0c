#include <thread>

#include "airports/park_airport_choice.h"
#include "config/parameters.h"
#include "shell/common/run_state.h"
#include "shell_test_support.h"

namespace zrb::test {
namespace {

class MainLoop : public ShellTest {
protected:
    MainLoop() { g_simRunning = true; }
    ~MainLoop() override { g_parkingDataLoaded = false; }

    // One simulator second ending at second counter n.
    bool secondAt(std::uint32_t n) {
        g_secondCounter = n - 1;
        calls.clear();
        g_secondTick = true;
        return lf_mainTick();
    }
    bool called(const std::string& name) const { return calls.count(name) > 0; }
};

TEST_F(MainLoop, PerSecondWorkOnlyOnTheSimulatorsTick) {
    EXPECT_TRUE(lf_mainTick());
    EXPECT_EQ(calls.calls(), std::vector<std::string>{"handleAddingStack"});
    EXPECT_EQ(g_secondCounter, 0U);
    g_secondTick = true;
    EXPECT_TRUE(lf_mainTick());
    EXPECT_EQ(g_secondCounter, 1U);
    EXPECT_FALSE(g_secondTick);
}

TEST_F(MainLoop, FifteenSecondStepsExcludeTheSixteenAndSixtyOneSecondRules) {
    AircraftView liveAc;
    liveAc.callsign = "KLM123";
    liveAc.onGround = true;
    liveAc.state = LifecycleState::active;
    AircraftView doubleAc;
    doubleAc.callsign = "KLM123*";
    doubleAc.state = LifecycleState::active;
    gf_runServices().liveAircraft = [&] { return std::vector<AircraftView>{liveAc}; };
    gf_runServices().staticAircraft = [&] { return std::vector<AircraftView>{doubleAc, doubleAc}; };

    secondAt(240);
    EXPECT_TRUE(called("updateRtLights"));
    EXPECT_FALSE(called("checkStaticParking(false)"));
    secondAt(915);
    EXPECT_TRUE(called("updateRtLights"));
    EXPECT_FALSE(called("removeStatic 0"));
    secondAt(16);
    EXPECT_TRUE(called("checkStaticParking(false)"));
    EXPECT_FALSE(called("updateRtLights"));
    secondAt(61);
    EXPECT_EQ(calls.count("removeStatic 0") + calls.count("removeStatic 1"), 1);
    secondAt(62);
    EXPECT_EQ(calls.count("removeStatic 0"), 0);
}

// The user flies 100 NM from where the run began: the worker's copy of the
// user is refreshed once a second, so the feed's reference position follows
// and the collision avoidance sees the user airborne.
TEST_F(MainLoop, AUserWhoFliesAHundredMilesTakesTheFeedAlong) {
    g_user.lat = 50.0;
    g_user.lon = 8.0;
    g_user.onGround = true;
    constexpr int flightSeconds = 300;
    constexpr double northDeg = 100.0 / 60.0;  // 100 NM
    int second = 0;
    gf_runServices().userAcPosition = [&second] {
        UserAcData user;
        user.lat = 50.0 + northDeg * second / flightSeconds;
        user.lon = 8.0;
        user.onGround = false;
        return user;
    };
    double referenceLat = 0.0;
    gf_runServices().setReferencePosition = [&](double lat, double) { referenceLat = lat; };
    for (second = 1; second <= flightSeconds; ++second) {
        for (int pass = 1; pass < g_notRunningPasses; ++pass) ASSERT_TRUE(lf_mainTick());
        g_secondTick = true;
        ASSERT_TRUE(lf_mainTick());
    }
    EXPECT_NEAR(referenceLat, 50.0 + northDeg, 0.05);
    EXPECT_NEAR(g_user.lat, 50.0 + northDeg, 0.01);
    EXPECT_FALSE(g_user.onGround);
}

// A change of the parked-traffic-only box waits for a renewal that has a park
// airport with stands to adjust.
TEST_F(MainLoop, AParkedTrafficOnlyChangeWaitsForAParkAirport) {
    g_parkingRenewalRequest = true;
    g_parkedTrafficOnlyChange = true;
    secondAt(15);
    secondAt(30);
    EXPECT_FALSE(called("parkingAdjustments"));
    EXPECT_TRUE(g_parkedTrafficOnlyChange.load());
    gf_runServices().parkAirportIsSet = [] { return true; };
    gf_runServices().parkAirportHasStands = [] { return true; };
    bool handedOver = false;
    gf_runServices().parkingAdjustments = [&](bool parkedTrafficOnly) { handedOver = parkedTrafficOnly; };
    g_parkingRenewalRequest = true;
    secondAt(45);
    secondAt(60);
    EXPECT_TRUE(handedOver);
    EXPECT_FALSE(g_parkedTrafficOnlyChange.load());
}

TEST_F(MainLoop, MinutesToTheNextRenewal) {
    EXPECT_EQ(gf_minutesToRenewal(60), 19);
    EXPECT_EQ(gf_minutesToRenewal(1140), 1);
    EXPECT_EQ(gf_minutesToRenewal(1200), 20);
    EXPECT_EQ(gf_minutesToRenewal(2400), 20);
    secondAt(60);
    EXPECT_EQ(g_mainWindowState.minutesToRenewal, 19);
}

TEST_F(MainLoop, ARenewalTakesTwoFifteenSecondSteps) {
    g_parkingRenewalRequest = true;
    secondAt(15);
    EXPECT_TRUE(called("lockUi"));
    EXPECT_TRUE(called("collectFeedIds(true)"));
    secondAt(16);  // between the steps no static-parking check
    EXPECT_FALSE(called("checkStaticParking(false)"));
    gf_showError("old error");
    secondAt(30);
    EXPECT_FALSE(called("parkingAdjustments"));   // no park airport with stands ...
    EXPECT_TRUE(called("collectFeedIds(false)"));  // ... so nobody takes the ids
    EXPECT_FALSE(g_parkingRenewalRequest);
    EXPECT_FALSE(gf_messageLineView().red());
    secondAt(32);
    EXPECT_TRUE(called("checkStaticParking(false)"));

    gf_runServices().parkAirportIsSet = [] { return true; };
    gf_runServices().parkAirportHasStands = [] { return true; };
    g_parkingRenewalRequest = true;
    secondAt(45);
    secondAt(60);
    EXPECT_TRUE(called("parkingAdjustments"));
}

TEST_F(MainLoop, TwentyMinuteAndDailyJobs) {
    g_parkingDataLoaded = true;
    INITIAL_LOAD_ONLY.value = true;
    secondAt(1200);
    EXPECT_TRUE(called("logNoMatches"));
    EXPECT_FALSE(g_parkingRenewalRequest);
    INITIAL_LOAD_ONLY.value = false;
    secondAt(2400);
    EXPECT_TRUE(g_parkingRenewalRequest);
    g_parkingRenewalRequest = false;
    secondAt(86400);
    EXPECT_EQ(g_secondCounter, 0U);
    EXPECT_TRUE(called("logLiveryMatchingSummary"));
    EXPECT_TRUE(called("clearRememberedLiveries"));
}

TEST_F(MainLoop, APausedSimulatorStillServesReRead) {
    g_simRunning = false;
    g_reReadRequest = true;
    for (int pass = 0; pass < 100; ++pass) EXPECT_TRUE(lf_mainTick());
    EXPECT_EQ(calls.count("reloadParkAirports"), 1);
    EXPECT_FALSE(g_reReadRequest);
    int notRunning = 0;
    for (const auto& line : m_folder.logLines()) notRunning += line.find("Flight not running") != std::string::npos;
    EXPECT_EQ(notRunning, 1);
    {
        std::lock_guard lock(g_runMutex);
        EXPECT_FALSE(g_trafficActive);
    }
    g_simRunning = true;
    g_secondTick = true;
    EXPECT_TRUE(lf_mainTick());
    EXPECT_TRUE(m_folder.logContains("Flight resumed"));
    std::lock_guard lock(g_runMutex);
    EXPECT_TRUE(g_trafficActive);
}

TEST_F(MainLoop, AStopEndsTheLoopWithinAPassEvenWithoutTicks) {
    EXPECT_TRUE(lf_mainTick());
    gf_userClosedWindow();
    EXPECT_FALSE(lf_mainTick());
    g_simRunning = false;
    EXPECT_FALSE(lf_mainTick());
}

TEST_F(MainLoop, ASimulatorClockJumpShiftsTimeOnce) {
    SIM_TIME.value = true;
    std::int64_t sim = clock.systemSeconds - 3600;
    int shifts = 0;
    gf_runServices().simUtcTime = [&] { return sim; };
    std::int32_t shiftedMinutes = -1;
    gf_runServices().setTimeOffset = [&](std::int32_t minutes) {
        ++shifts;
        shiftedMinutes = minutes;
    };
    for (std::uint32_t n = 1; n <= 5; ++n, ++sim) secondAt(n);  // the first second takes the simulator's time
    EXPECT_EQ(shifts, 1);
    EXPECT_EQ(shiftedMinutes, 60);
    sim += 30;
    secondAt(6);
    EXPECT_EQ(shifts, 2);
    EXPECT_TRUE(called("clearTrafficForTimeShift"));  // the shift's traffic part, on the worker
    secondAt(7);
    EXPECT_EQ(shifts, 2);
}

TEST_F(MainLoop, TheCheckQueueDropsAircraftThatHaveGone) {
    std::vector<std::uint32_t> queue{777, 888};
    AircraftView known;
    known.hexId = 888;
    gf_runServices().liveAircraft = [&] { return std::vector<AircraftView>{known}; };
    gf_runServices().checkQueueFront = [&] {
        return queue.empty() ? std::optional<std::uint32_t>() : std::optional<std::uint32_t>(queue.front());
    };
    gf_runServices().popCheckQueue = [&] { queue.erase(queue.begin()); };
    secondAt(1);
    EXPECT_EQ(queue, std::vector<std::uint32_t>{888});
    EXPECT_FALSE(called("removeStaticDoubles 777"));
    secondAt(2);
    EXPECT_TRUE(queue.empty());
    EXPECT_TRUE(called("searchCoupled 888"));
    EXPECT_TRUE(called("removeStaticDoubles 888"));
}

TEST_F(MainLoop, WindowRequestsAreServedOnTheWorker) {
    g_flushStaticRequest = true;
    g_timeShiftTrafficRequest = true;
    g_navLightsRequest = 1;
    g_trimLiveRequest = true;
    BLOCK_CALLSIGN.value = "DLH4";
    AircraftView blocked;
    blocked.callsign = "DLH4";
    blocked.state = LifecycleState::active;
    gf_runServices().liveAircraft = [&] { return std::vector<AircraftView>{AircraftView{}, blocked}; };
    g_blockCallsignRequest = true;
    secondAt(1);
    EXPECT_TRUE(called("removeAllStatic"));
    EXPECT_TRUE(INITIAL_LOAD_ONLY.value);
    EXPECT_EQ(stored("INITIAL_LOAD_ONLY"), "<no file>");  // for this run only
    EXPECT_TRUE(called("clearTrafficForTimeShift"));
    EXPECT_TRUE(g_parkingRenewalRequest);
    EXPECT_TRUE(called("navLights(off)"));
    EXPECT_TRUE(called("trimLiveToMax"));
    EXPECT_TRUE(called("removeLive 1"));
    secondAt(2);
    EXPECT_FALSE(called("removeAllStatic"));
    EXPECT_FALSE(called("removeLive 1"));
}

TEST_F(MainLoop, TheGridRunsAPassEveryTenMillisecondsAndRebasesOnTicks) {
    // The simulator's seconds fall 3 ms into a pass of the first grid.
    std::int64_t nextTickMs = clock.nowMs() + 1003;
    std::vector<std::int64_t> passTimes;
    std::vector<std::int64_t> tickTimes;
    clock.realSleep = std::chrono::microseconds(0);
    clock.onSleep = [&](std::int64_t ms) {
        if (ms >= nextTickMs) {
            tickTimes.push_back(ms);
            g_secondTick = true;
            nextTickMs += 1000;
        }
    };
    const std::int64_t start = clock.nowMs();
    gf_runServices().handleAddingStack = [&] {
        passTimes.push_back(clock.nowMs());
        if (clock.nowMs() - start >= 10000) g_stopRun = true;
    };
    lf_mainLoop();
    clock.onSleep = nullptr;
    EXPECT_NEAR(static_cast<double>(passTimes.size()), 1000.0, 10.0);
    ASSERT_GE(tickTimes.size(), 9U);
    // After a tick is seen the next pass comes 10 ms later, on the new grid.
    for (const std::int64_t tick : tickTimes) {
        const auto next = std::upper_bound(passTimes.begin(), passTimes.end(), tick);
        if (next != passTimes.end()) {
            EXPECT_EQ(*next - tick, 10) << tick;
        }
    }
}

}  // namespace
}  // namespace zrb::test
