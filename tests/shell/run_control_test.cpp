#include "shell/common/run_control.h"

#include <thread>
#include <vector>

#include "shell_test_support.h"

namespace zrb::test {
namespace {

using RunControl = ShellTest;

TEST_F(RunControl, EveryReasonHasItsName) {
    const std::vector<std::pair<ExitReason, std::string>> names{
        {ExitReason::notYetSet, "NOT YET SET"},       {ExitReason::simWasClosed, "SIM WAS CLOSED"},
        {ExitReason::newFlight, "NEW FLIGHT"},        {ExitReason::newSettings, "NEW SETTINGS"},
        {ExitReason::userClosedSim, "USER CLOSED SIM"}, {ExitReason::simConnectError, "SIMCONNECT ERROR"},
        {ExitReason::readerError, "READER ERROR"},    {ExitReason::systemError, "SYSTEM ERROR"}};
    for (const auto& [reason, name] : names) EXPECT_EQ(gf_exitReasonName(reason), name);
    for (const auto reason : {ExitReason::newSettings, ExitReason::simConnectError, ExitReason::readerError})
        EXPECT_TRUE(gf_isRestartReason(reason));
    for (const auto reason : {ExitReason::notYetSet, ExitReason::simWasClosed, ExitReason::newFlight,
                              ExitReason::userClosedSim, ExitReason::systemError})
        EXPECT_FALSE(gf_isRestartReason(reason));
}

TEST_F(RunControl, TheFirstStopWinsAndTheCloseKeepsIt) {
    EXPECT_TRUE(gf_requestStop(ExitReason::readerError, 15));
    EXPECT_FALSE(gf_requestStop(ExitReason::simConnectError, 9));
    gf_userClosedWindow();
    EXPECT_EQ(gf_exitReason(), ExitReason::readerError);
    EXPECT_EQ(gf_restartDelaySeconds(), 15U);
    EXPECT_TRUE(g_stopProgram);
    EXPECT_TRUE(g_stopRun);
    EXPECT_EQ(gf_messageLineView().message, "Close window button clicked, closing TLVR_P3D ...");
    // A close means no further run: the reset before one is refused.
    EXPECT_FALSE(gf_resetStopState());
    EXPECT_TRUE(g_stopProgram);
}

TEST_F(RunControl, TheCloseAloneGivesUserClosedSim) {
    gf_userClosedWindow();
    EXPECT_EQ(gf_exitReason(), ExitReason::userClosedSim);
    EXPECT_EQ(gf_restartDelaySeconds(), 0U);
}

TEST_F(RunControl, ManyThreadsAskingAtOnceLeaveOneReason) {
    for (int round = 0; round < 50; ++round) {
        resetRunGlobals();
        std::atomic<int> winners{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&, t] {
                if (gf_requestStop(t % 2 == 0 ? ExitReason::readerError : ExitReason::simConnectError,
                                   t % 2 == 0 ? 15U : 9U))
                    ++winners;
            });
        for (auto& t : threads) t.join();
        EXPECT_EQ(winners, 1);
        const bool reader = gf_exitReason() == ExitReason::readerError;
        EXPECT_EQ(gf_restartDelaySeconds(), reader ? 15U : 9U);
    }
}

TEST_F(RunControl, FeedThreadErrorsAndTheSimulatorsEnd) {
    gf_threadStoppedWithError("Traffic Reader", true);
    EXPECT_EQ(gf_exitReason(), ExitReason::readerError);
    EXPECT_EQ(gf_restartDelaySeconds(), 15U);
    EXPECT_TRUE(m_folder.logContains("The Traffic Reader has stopped with an error"));

    resetRunGlobals();
    gf_threadStoppedWithError("Weather Reader", false);
    EXPECT_EQ(gf_exitReason(), ExitReason::systemError);

    resetRunGlobals();
    EXPECT_FALSE(gf_simNoLongerConnected());
    EXPECT_EQ(gf_exitReason(), ExitReason::simWasClosed);
    EXPECT_TRUE(m_folder.logContains("Flight Simulator no longer connected, TLVR_P3D will stop ..."));
    EXPECT_TRUE(gf_simNoLongerConnected());  // already stopping: nothing more
    EXPECT_EQ(gf_exitReason(), ExitReason::simWasClosed);
}

}  // namespace
}  // namespace zrb::test
