// Whole runs in this process: the headless window on a GUI thread of the
// test, the worker threads the window starts, doubles for every other
// subsystem and a clock that runs as fast as the run sleeps.
#include <filesystem>
#include <iostream>
#include <optional>
#include <set>
#include <stdexcept>

#include "config/parameters.h"
#include "foundation/time.h"
#include "shell/main_window.h"
#include "shell_test_support.h"

namespace zrb::test {
namespace {

namespace fs = std::filesystem;

class WholeRun : public ShellTest {
protected:
    WholeRun() {
        fs::create_directories(m_folder / "docs");
        // One simulator installed, found in the registry.
        gf_runServices().simInstalled = [](int version) { return version == 5; };
        gf_runServices().simSetupPath = [this](int) { return m_folder.path() / "Prepar3D v5"; };
        clock.onSleep = [this](std::int64_t) { sampleMessage(); };
    }
    ~WholeRun() override {
        if (HasFailure()) {
            for (const auto& line : m_folder.logLines()) std::cerr << "  log| " << line << '\n';
            for (const auto& call : calls.calls()) std::cerr << "  call| " << call << '\n';
        }
        if (m_gui.joinable()) {
            platform::postClose();
            m_gui.join();
        }
        clock.onSleep = nullptr;
        gf_joinSimClient();
    }

    void start() {
        m_gui = std::thread([this] { m_exitCode = gf_initInstanceAndRun(); });
    }
    // Waits for the program to end; its exit code.
    int finish() {
        m_gui.join();
        return m_exitCode;
    }
    void close() {
        ASSERT_TRUE(eventually([] { return platform::mainWindowExists(); }));
        platform::postClose();
    }
    bool logged(const std::string& text) const { return m_folder.logContains(text); }
    bool waitForLog(const std::string& text) const {
        return eventually([&] { return logged(text); });
    }
    bool waitForCall(const std::string& name, int times = 1) {
        return eventually([&] { return calls.count(name) >= times; });
    }
    // A simulator that runs, a user at a position, a feed that answers.
    void simulatorAndServiceAnswer() {
        g_simRunning = true;
        g_userDataValid = true;
        gf_runServices().userAcPosition = [] {
            UserAcData user;
            user.lat = 50.0;
            user.lon = 8.0;
            return user;
        };
    }
    std::vector<std::string> messagesSeen() const {
        std::lock_guard lock(m_messagesMutex);
        return m_messages;
    }

    int m_exitCode = -2;

private:
    void sampleMessage() {
        const std::string message = gf_messageLineView().message;
        std::lock_guard lock(m_messagesMutex);
        if (!message.empty() && (m_messages.empty() || m_messages.back() != message)) m_messages.push_back(message);
    }

    std::thread m_gui;
    mutable std::mutex m_messagesMutex;
    std::vector<std::string> m_messages;
};

TEST_F(WholeRun, WithoutDocsTheErrorStaysUntilTheUserCloses) {
    fs::remove(m_folder / "docs");
    start();
    ASSERT_TRUE(waitForLog("Exiting: SYSTEM ERROR"));
    EXPECT_TRUE(logged("Error 41: TLVR_P3D must be run from the TLVR_P3D folder!"));
    EXPECT_EQ(gf_messageLineView().error, "41: TLVR_P3D must be run from the TLVR_P3D folder!");
    EXPECT_FALSE(logged("User closed TLVR_P3D"));  // still waiting
    close();
    EXPECT_EQ(finish(), 0);
    EXPECT_TRUE(logged("User closed TLVR_P3D"));
    EXPECT_EQ(stored("MAIN_WINDOW_X"), "400");
    EXPECT_EQ(stored("MAIN_WINDOW_Y"), "20");
    EXPECT_EQ(calls.count("checkDataFileVersions"), 0);
}

TEST_F(WholeRun, StartUpRunsInOrderAndWaitsForTheSimulator) {
    writeFile(m_folder / "input" / "AIG-regcodes0.xml", "x");
    writeFile(m_folder / "input" / "AIG-regcodes00.xml", "x");
    start();
    ASSERT_TRUE(waitForCall("simClient start"));
    const std::vector<std::string> order{"checkDataFileVersions", "readDbase",         "readAirports",
                                         "scanLiveries",          "scanAddonAirports", "createFlightPlanFolder",
                                         "readMyParkAirports",    "reserveTrafficLists", "reserveLiveryLists",
                                         "resetSimQueues",        "simClient start"};
    for (std::size_t i = 1; i < order.size(); ++i)
        EXPECT_LT(calls.indexOf(order[i - 1]), calls.indexOf(order[i])) << order[i - 1] << " / " << order[i];
    for (const char* folder : {"output", "output/info", "output/errors", "airports", "airports/learned",
                               "airports/learned/stock", "airports/learned/simaddon", "airports/learned/thirdparty",
                               "airports/my_ORBX", "airports/my_thirdparty", "input/my_regcodes"})
        EXPECT_TRUE(fs::is_directory(m_folder / folder)) << folder;
    EXPECT_FALSE(fs::exists(m_folder / "input" / "AIG-regcodes0.xml"));
    EXPECT_FALSE(fs::exists(m_folder / "input" / "AIG-regcodes00.xml"));
    EXPECT_EQ(stored("PROGRAM_INSTALL_PATH"), fs::current_path().string());
    EXPECT_TRUE(logged("park airports and stands are okay"));
    EXPECT_TRUE(fs::is_directory(dataFolder()));

    // The simulator never comes: the close ends the wait.
    close();
    EXPECT_EQ(finish(), 0);
    EXPECT_TRUE(logged("Exiting: USER CLOSED SIM"));
    EXPECT_EQ(calls.count("simClient end"), 1);
    EXPECT_EQ(stored("DESTINATION"), "");
    EXPECT_EQ(stored("BLOCK_CALLSIGN"), "");
}

TEST_F(WholeRun, AMissingLiveryScanResultAsksForAScan) {
    writeParameters("<parameter name=\"SCAN_LIVERIES\" value=\"false\"/>\n");
    start();
    ASSERT_TRUE(waitForCall("scanLiveries"));
    EXPECT_TRUE(logged("File " + (fs::path("output") / "LiveriesScanned.xml").string() + " is gone, rescan liveries"));
    EXPECT_EQ(stored("SCAN_LIVERIES"), "true");
    close();
    finish();
}

TEST_F(WholeRun, ACloseDuringTheAirportScanEndsTheStartUp) {
    gf_runServices().scanAddonAirports = [this] {
        calls.add("scanAddonAirports");
        platform::postClose();
        eventually([] { return g_stopProgram.load(); });
    };
    start();
    EXPECT_EQ(finish(), 0);
    EXPECT_TRUE(logged("Exiting: USER CLOSED SIM"));
    EXPECT_EQ(calls.count("readMyParkAirports"), 0);
    EXPECT_EQ(calls.count("simClient start"), 0);
}

TEST_F(WholeRun, ASettingChangedDuringTheStartUpStillRestarts) {
    writeParameters("<parameter name=\"SCAN_AIRPORTS\" value=\"true\"/>\n");
    // The user switches a scan on while the airports are scanned: a restart, not the end.
    gf_runServices().scanAddonAirports = [this] {
        calls.add("scanAddonAirports");
        if (calls.count("scanAddonAirports") == 1) gf_requestStop(ExitReason::newSettings, 2);
    };
    start();
    ASSERT_TRUE(waitForCall("simClient start"));
    EXPECT_TRUE(logged("Exiting: NEW SETTINGS"));
    EXPECT_TRUE(logged("Restarting after 2 seconds"));
    EXPECT_EQ(calls.count("scanAddonAirports"), 2);
    EXPECT_EQ(calls.count("readMyParkAirports"), 1);  // the first run stopped before it
    close();
    EXPECT_EQ(finish(), 0);
    EXPECT_TRUE(logged("Exiting: USER CLOSED SIM"));
}

TEST_F(WholeRun, AUserAtZeroZeroWaitsUntilTheClose) {
    g_simRunning = true;
    g_userDataValid = true;  // the position double answers (0, 0)
    start();
    ASSERT_TRUE(waitForCall("requestUserAcOnGround"));
    const std::int64_t from = clock.nowMs();
    ASSERT_TRUE(eventually([&] { return clock.nowMs() - from > 120'000; }));  // two minutes of run time
    EXPECT_EQ(calls.count("requestUserAcTitleAndModel"), 0);
    EXPECT_EQ(calls.count("authenticater"), 0);
    close();
    EXPECT_EQ(finish(), 0);
    EXPECT_TRUE(logged("Exiting: USER CLOSED SIM"));
}

TEST_F(WholeRun, AVisitInTheFutureHoldsNoLongerThanTwoSeconds) {
    writeParameters("<parameter name=\"LAST_EPOCH_TIME:\" value=\"2147483647\"/>\n");
    start();
    ASSERT_TRUE(waitForCall("simClient start"));
    EXPECT_TRUE(logged("Holding for 2 seconds... (RT API cannot be revisited within 2 seconds)"));
    close();
    finish();
    EXPECT_EQ(lf_holdSeconds(100, 100), 2);
    EXPECT_EQ(lf_holdSeconds(100, 99), 1);
    EXPECT_EQ(lf_holdSeconds(100, 98), 0);
    EXPECT_EQ(lf_holdSeconds(100, 0), 0);
    EXPECT_EQ(lf_holdSeconds(100, 2147483647), 2);
}

TEST_F(WholeRun, AReaderErrorRestartsAfterItsCountdownWithoutTheDataFileCheck) {
    simulatorAndServiceAnswer();
    gf_runServices().trafficReceiving = [] { return false; };
    gf_runServices().latestRecordTime = [] { return 0.0; };
    writeParameters("<parameter name=\"SCAN_LIVERIES\" value=\"true\"/>\n<parameter name=\"DESTINATION\" value=\"EHAM\"/>\n");
    writeFile(m_folder / "output" / "LiveriesScanned.xml", "<liveries/>");
    start();
    ASSERT_TRUE(waitForCall("simClient start", 2));
    EXPECT_TRUE(logged("No traffic in this region?"));
    EXPECT_TRUE(logged("TrafficReader receiving timed out after 10 seconds?"));
    EXPECT_TRUE(logged("Exiting: READER ERROR"));
    EXPECT_TRUE(logged("Prepare for a restart ..."));
    // The countdown: 15 messages, the last one singular.
    std::vector<std::string> countdown;
    for (const auto& m : messagesSeen())
        if (m.rfind("Restarting after", 0) == 0) countdown.push_back(m);
    ASSERT_EQ(countdown.size(), 15U);
    EXPECT_EQ(countdown.front(), "Restarting after 15 seconds");
    EXPECT_EQ(countdown.back(), "Restarting after 1 second");
    const auto lines = m_folder.logLines();
    const auto at = std::find(lines.begin(), lines.end(), "Restarting after 15 seconds");
    ASSERT_NE(at, lines.end());
    ASSERT_GT(lines.end() - at, 5);
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(*(at + i), "");
    // After an error the restart does not rescan.
    EXPECT_EQ(stored("SCAN_LIVERIES"), "false");
    EXPECT_EQ(stored("SCAN_AIRPORTS"), "false");
    EXPECT_EQ(stored("DESTINATION"), "");
    // The restart checks no data files and reads the database no second time;
    // the first SimClient thread ended before the second began.
    EXPECT_EQ(calls.count("checkDataFileVersions"), 1);
    const auto all = calls.calls();
    // The database is read once per process (an earlier test may have read it).
    const auto firstEnd = std::find(all.begin(), all.end(), "simClient end");
    EXPECT_EQ(std::find(firstEnd, all.end(), "readDbase"), all.end());
    EXPECT_LE(calls.count("readDbase"), 1);
    std::vector<std::string> simClient;
    for (const auto& c : all)
        if (c.rfind("simClient", 0) == 0) simClient.push_back(c);
    EXPECT_EQ(simClient, (std::vector<std::string>{"simClient start", "simClient end", "simClient start"}));
    EXPECT_EQ(gf_exitReason(), ExitReason::notYetSet);
    close();
    EXPECT_EQ(finish(), 0);
}

TEST_F(WholeRun, TheUsersCloseWinsOverARestart) {
    simulatorAndServiceAnswer();
    gf_runServices().trafficReceiving = [] { return false; };
    std::atomic<bool> closed{false};
    clock.onSleep = [&](std::int64_t) {
        if (!closed && gf_messageLineView().message.rfind("Restarting after 12", 0) == 0) {
            closed = true;
            platform::postClose();
        }
    };
    start();
    EXPECT_EQ(finish(), 0);
    EXPECT_TRUE(logged("Exiting: READER ERROR"));
    EXPECT_EQ(calls.count("simClient start"), 1);
}

TEST_F(WholeRun, ASimConnectRequestFailureRestartsAfterNineSeconds) {
    simulatorAndServiceAnswer();
    gf_runServices().requestUserAcOnGround = [] { return false; };
    gf_runServices().simConnectRequestError = [] { gf_requestStop(ExitReason::simConnectError, 9); };
    start();
    ASSERT_TRUE(waitForCall("simClient start", 2));
    EXPECT_TRUE(logged("===> SimConnect request ac gnd/air fails"));
    EXPECT_TRUE(logged("Exiting: SIMCONNECT ERROR"));
    EXPECT_TRUE(logged("Restarting after 9 seconds"));
    close();
    finish();
}

TEST_F(WholeRun, ANewFlightEndsTheProgramAfterItsMessage) {
    simulatorAndServiceAnswer();
    gf_runServices().handleAddingStack = [] { gf_requestStop(ExitReason::newFlight, 0); };
    start();
    EXPECT_EQ(finish(), 0);
    EXPECT_TRUE(logged("Exiting: NEW FLIGHT"));
    EXPECT_TRUE(logged("New flight detected, TLVR_P3D will close, please restart manually ..."));
    EXPECT_EQ(calls.count("simClient start"), 1);
}

TEST_F(WholeRun, NewSettingsRestartKeepsTheScans) {
    simulatorAndServiceAnswer();
    writeParameters("<parameter name=\"SCAN_AIRPORTS\" value=\"true\"/>\n");
    gf_runServices().handleAddingStack = [] { gf_requestStop(ExitReason::newSettings, 2); };
    start();
    ASSERT_TRUE(waitForCall("simClient start", 2));
    EXPECT_TRUE(logged("Exiting: NEW SETTINGS"));
    EXPECT_EQ(stored("SCAN_AIRPORTS"), "true");
    close();
    finish();
}

TEST_F(WholeRun, AnExceptionEndsTheRunWithSystemError) {
    gf_runServices().readAirports = [](const std::string&) { throw std::runtime_error("airport list broken"); };
    start();
    ASSERT_TRUE(waitForLog("Exiting: SYSTEM ERROR"));
    EXPECT_EQ(gf_messageLineView().error, "airport list broken");
    close();
    EXPECT_EQ(finish(), 0);
}

TEST_F(WholeRun, ClosingDownIsBoundedAndAlwaysEndsTheRun) {
    simulatorAndServiceAnswer();
    // A reader that never reports and a clean-up that throws.
    gf_runServices().sessionExists = [] { return true; };
    gf_runServices().weatherReaderStopped = [] { return false; };
    gf_runServices().clearSharedStringList = [] { throw std::runtime_error("list broken"); };
    gf_runServices().handleAddingStack = [] { gf_requestStop(ExitReason::readerError, 15); };
    start();
    EXPECT_EQ(finish(), 0);
    EXPECT_TRUE(logged("===> The feed readers did not stop within 10 seconds, TLVR_P3D will close"));
    EXPECT_TRUE(logged("lf_closingDown exception list broken"));
    EXPECT_EQ(calls.count("deauthenticate"), 1);
    EXPECT_EQ(calls.count("stopArchiveFetcher"), 1);
    EXPECT_EQ(calls.count("simClient start"), 1);  // no restart after a failed closing down
}

// A reader stuck in a transfer must not see its objects reset under it nor a
// second reader start beside it: the program ends instead of restarting.
TEST_F(WholeRun, AReaderThatDoesNotEndEndsTheProgramInsteadOfARestart) {
    simulatorAndServiceAnswer();
    gf_runServices().sessionExists = [] { return true; };
    gf_runServices().trafficReaderStopped = [] { return false; };
    gf_runServices().handleAddingStack = [] { gf_requestStop(ExitReason::readerError, 15); };
    start();
    EXPECT_EQ(finish(), 0);  // ended without the user's close
    EXPECT_TRUE(logged("Exiting: READER ERROR"));
    EXPECT_TRUE(logged("===> The feed readers did not stop within 10 seconds, TLVR_P3D will close"));
    EXPECT_FALSE(logged("Prepare for a restart ..."));
    EXPECT_EQ(calls.count("resetRtReaders"), 0);
    EXPECT_EQ(calls.count("resetSimLink"), 0);
    EXPECT_EQ(calls.count("simClient start"), 1);
    // The window says why it goes, and the end of the program waits no second time.
    EXPECT_EQ(gf_messageLineView().error, "The feed readers did not stop within 10 seconds, TLVR_P3D will close");
    EXPECT_EQ(calls.count("joinRtReaders 0"), 1);
    EXPECT_EQ(calls.count("joinRtReaders 10000"), 0);
}

// A destination and a blocked callsign last one run: their edits are empty
// as soon as the values are, not only once the next run has read them.
TEST_F(WholeRun, ARestartShowsTheDestinationAndBlockedCallsignCleared) {
    simulatorAndServiceAnswer();
    writeParameters("<parameter name=\"DESTINATION\" value=\"EHAM\"/>\n<parameter name=\"BLOCK_CALLSIGN\" value=\"ABC123\"/>\n");
    gf_runServices().findAirport = [](const std::string& code) {
        return std::optional<AirportData>(AirportData{code, "AMS", 52.3, 4.76, -11.0});
    };
    gf_runServices().handleAddingStack = [this] {
        if (calls.count("simClient start") == 1) gf_requestStop(ExitReason::newSettings, 2);
    };
    // What the window shows while the restart counts down: edits, Unblock.
    std::atomic<bool> staleShown{false};
    std::atomic<int> looks{0};
    clock.onSleep = [&](std::int64_t) {
        if (gf_messageLineView().message.rfind("Restarting after", 0) != 0) return;
        ++looks;
        const auto shown = [](const GuiControl& c) { return platform::controlById(c.controlId); };
        if (platform::controlText(shown(DESTINATION)) != u"" || platform::controlText(shown(BLOCK_CALLSIGN)) != u"" ||
            platform::controlEnabled(shown(UNBLOCK_BUTTON)) != false)
            staleShown = true;
    };
    start();
    ASSERT_TRUE(waitForCall("simClient start", 2));
    EXPECT_TRUE(logged("New destination: EHAM"));
    EXPECT_TRUE(logged("Prepare for a restart ..."));
    EXPECT_GT(looks.load(), 0);
    EXPECT_FALSE(staleShown.load());
    close();
    EXPECT_EQ(finish(), 0);
    clock.onSleep = nullptr;
}

// Windows may end the process as soon as the window has answered the session's
// end: by then closing down has saved the learned parking and the settings
// (the window serving its calls meanwhile), and the window its position.
TEST_F(WholeRun, TheSessionsEndSavesWhatClosingDownSavesBeforeTheWindowAnswers) {
    simulatorAndServiceAnswer();
    writeParameters("<parameter name=\"KEEP_SIM_TIME_PAR\" value=\"false\"/>\n<parameter name=\"SIM_TIME\" value=\"true\"/>\n"
                    "<parameter name=\"BLOCK_CALLSIGN\" value=\"ABC123\"/>\n");
    gf_runServices().parkAirportIsSet = [] { return true; };
    // A stuck reader does not take the session's few seconds.
    gf_runServices().sessionExists = [] { return true; };
    gf_runServices().trafficReaderStopped = [] { return false; };
    start();
    ASSERT_TRUE(waitForCall("handleAddingStack"));
    ASSERT_TRUE(platform::sendSessionEnd());
    EXPECT_TRUE(logged("Exiting: USER CLOSED SIM"));
    EXPECT_TRUE(logged("===> The feed readers did not stop within 2 seconds, TLVR_P3D will close"));
    EXPECT_EQ(calls.count("clearParkAirportTraffic"), 1);  // which saves the learned parking file
    EXPECT_EQ(stored("BLOCK_CALLSIGN"), "");
    EXPECT_EQ(stored("SIM_TIME"), "false");
    EXPECT_EQ(stored("MAIN_WINDOW_X"), "400");
    EXPECT_TRUE(g_sessionEnding.load());
    EXPECT_EQ(finish(), 0);
}

// ... and a closing down that takes too long does not hold the session's end.
TEST_F(WholeRun, AClosingDownThatTakesTooLongDoesNotHoldTheSessionsEnd) {
    simulatorAndServiceAnswer();
    static std::atomic<bool> release{false};
    release = false;
    gf_runServices().removeFlightPlanFolder = [] {
        while (!release) std::this_thread::sleep_for(1ms);
    };
    start();
    ASSERT_TRUE(waitForCall("handleAddingStack"));
    ASSERT_TRUE(platform::sendSessionEnd());
    EXPECT_TRUE(logged("===> Closing down did not end within 4 seconds of the session's end"));
    EXPECT_EQ(stored("MAIN_WINDOW_X"), "400");
    release = true;
    EXPECT_EQ(finish(), 0);
}

// A run asked for (a restart) after the window was closed or the session
// ended starts no more: the program ends, its window still served.
TEST_F(WholeRun, NoRunStartsOnceTheProgramIsStopping) {
    g_stopProgram = true;
    start();
    EXPECT_EQ(finish(), 0);
    EXPECT_EQ(calls.count("readAirports"), 0);
    EXPECT_FALSE(logged("Exiting:"));
}

// The SimClient thread may still be inside Open or Close when it is asked to
// stop: it has ended before the simulator layer is reset and before the next
// run's queues are.
TEST_F(WholeRun, TheSimClientThreadEndsBeforeTheSimulatorLayerIsReset) {
    simulatorAndServiceAnswer();
    gf_runServices().simClientThread = [this](std::stop_token stop) {
        calls.add("simClient start");
        while (!stop.stop_requested()) std::this_thread::sleep_for(1ms);
        std::this_thread::sleep_for(300ms);  // a Close that takes its time
        calls.add("simClient end");
    };
    gf_runServices().handleAddingStack = [this] {
        if (calls.count("simClient start") == 1) gf_requestStop(ExitReason::newSettings, 2);
    };
    start();
    ASSERT_TRUE(waitForCall("simClient start", 2));
    const auto all = calls.calls();
    const auto at = [&](const std::string& name, int nth) {
        int seen = 0;
        for (std::size_t i = 0; i < all.size(); ++i)
            if (all[i] == name && ++seen == nth) return static_cast<int>(i);
        return -1;
    };
    ASSERT_GE(at("simClient end", 1), 0);
    EXPECT_LT(at("simClient end", 1), at("resetSimLink", 1));
    EXPECT_LT(at("simClient end", 1), at("resetSimQueues", 2));
    close();
    EXPECT_EQ(finish(), 0);
}

// The worker thread has an owner: the program returns only once it has ended,
// down to the destruction of its thread-local objects.
TEST_F(WholeRun, TheProgramReturnsOnlyOnceItsWorkerHasEnded) {
    static std::atomic<bool> workerGone{false};
    workerGone = false;
    struct LastToGo {
        LastToGo() = default;
        LastToGo(const LastToGo&) = delete;
        LastToGo& operator=(const LastToGo&) = delete;
        ~LastToGo() {
            std::this_thread::sleep_for(100ms);
            workerGone = true;
        }
    };
    gf_runServices().scanLiveries = [this] {
        calls.add("scanLiveries");
        thread_local LastToGo mark;
        static_cast<void>(&mark);
    };
    start();
    ASSERT_TRUE(waitForCall("simClient start"));
    close();
    EXPECT_EQ(finish(), 0);
    EXPECT_TRUE(workerGone.load());
}

TEST_F(WholeRun, TimeShiftSurvivesOnlyWhenKeptWithoutSimTime) {
    writeParameters(
        "<parameter name=\"KEEP_SIM_TIME_PAR\" value=\"false\"/>\n<parameter name=\"SIM_TIME\" value=\"true\"/>\n"
        "<parameter name=\"TIME_SHIFT_HOURS\" value=\"5\"/>\n<parameter name=\"BLOCK_CALLSIGN\" value=\"ABC123\"/>\n");
    start();
    ASSERT_TRUE(waitForCall("simClient start"));
    close();
    finish();
    EXPECT_EQ(stored("SIM_TIME"), "false");
    EXPECT_EQ(stored("TIME_SHIFT_HOURS"), "0");
    EXPECT_EQ(stored("BLOCK_CALLSIGN"), "");
}

TEST_F(WholeRun, AKeptTimeShiftSurvives) {
    writeParameters(
        "<parameter name=\"KEEP_SIM_TIME_PAR\" value=\"true\"/>\n<parameter name=\"SIM_TIME\" value=\"false\"/>\n"
        "<parameter name=\"TIME_SHIFT_HOURS\" value=\"5\"/>\n");
    start();
    ASSERT_TRUE(waitForCall("simClient start"));
    EXPECT_TRUE(g_dataTimeFlag);
    close();
    finish();
    EXPECT_EQ(stored("TIME_SHIFT_HOURS"), "5");
    EXPECT_FALSE(g_dataTimeFlag);
}

TEST_F(WholeRun, AnInstallationFolderThatCannotBeWrittenStopsTheRunVisibly) {
    writeFile(m_folder / "output", "a file where the output folder should be");
    start();
    ASSERT_TRUE(waitForLog("Exiting: SYSTEM ERROR"));
    EXPECT_NE(gf_messageLineView().error.find("output"), std::string::npos) << gf_messageLineView().error;
    close();
    EXPECT_EQ(finish(), 0);
}

TEST_F(WholeRun, AnUncreatableDataFolderIsReportedAndTheProgramRuns) {
    writeFile(m_folder / "blocker", "a file where a folder should be");
    gf_setProgramDataFolderForTest(m_folder / "blocker" / "TLVR_P3D");
    start();
    ASSERT_TRUE(waitForCall("simClient start"));
    EXPECT_TRUE(logged("Failed to create directory: "));
    close();
    EXPECT_EQ(finish(), 0);
}

using RunNotStarted = ShellTest;

TEST_F(RunNotStarted, TheCloseStillEndsTheProgram) {
    // The window lives on the thread that runs its message loop, as on Windows
    // (a window's messages reach only the thread that created it).
    std::atomic<bool> ready{false};
    std::atomic<bool> ended{false};
    int code = -1;
    std::thread gui([&] {
        if (!platform::registerMainWindowClass(u"TLVR_P3D", gf_mainWindowHandlers()) ||
            !gf_createMainWindow(u"TLVR_P3D")) {
            ended = true;
            return;
        }
        // What the window does when the worker thread cannot be created.
        lf_runNotStarted("Resource temporarily unavailable");
        ready = true;
        code = platform::runMessageLoop();
        ended = true;
    });
    ASSERT_TRUE(eventually([&] { return ready.load() || ended.load(); }, 10s));
    ASSERT_TRUE(ready.load()) << "the window could not be created";
    EXPECT_EQ(gf_messageLineView().error, "Resource temporarily unavailable");
    EXPECT_EQ(gf_exitReason(), ExitReason::systemError);
    platform::postClose();
    const bool endedByClose = eventually([&] { return ended.load(); }, 10s);
    // No worker would ever post the end: without the mend the loop must be ended by hand.
    if (!endedByClose) platform::postEndProgram();
    gui.join();
    EXPECT_TRUE(endedByClose);
    EXPECT_EQ(code, 0);
}

}  // namespace
}  // namespace zrb::test
