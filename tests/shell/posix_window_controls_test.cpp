// The window's controls driven as a user drives them: clicks and list
// selections as WM_COMMAND, typed text and Enter in the edits, all served by
// the headless window's message loop, then read back from the controls, the
// message line, parameters.xml and the requests to the worker.
#include <filesystem>
#include <string>

#include "config/parameter_controls.h"
#include "config/parameter_store.h"
#include "foundation/utf16.h"
#include "liveries/livery_tables.h"
#include "platform/window.h"
#include "shell/control_handlers.h"
#include "shell/main_window.h"
#include "shell/status_display.h"
#include "shell_test_support.h"
#include "foundation/time.h"
#include "shell/common/run_state.h"
#include "simlink/sim_state.h"

namespace zrb::test {
namespace {

namespace fs = std::filesystem;

class WindowControls : public ShellTest {
protected:
    WindowControls() {
        g_simNotConnected = true;
        g_parkingDataLoaded = false;
        g_apfChanged = false;
        gf_resetMainWindowState();
        gf_runServices().setTimeOffset = [this](std::int32_t m) { calls.add("toffset " + std::to_string(m)); };
        platform::registerMainWindowClass(u"TLVR_P3D", gf_mainWindowHandlers());
        EXPECT_TRUE(gf_createMainWindow(u"TLVR_P3D"));
        // As the start of a run leaves them.
        gf_setupParameters();
        lf_enableStartControls();
        gf_enableTimeShiftControls(true);
        serve();
        gf_resetMessageLine();
    }
    ~WindowControls() override {
        g_simNotConnected = true;
        g_parkingDataLoaded = false;
        g_apfChanged = false;
        gf_resetMainWindowState();
    }

    // Serves every queued message on this thread, as the GUI thread would.
    static void serve() {
        platform::quitMessageLoop(0);
        platform::runMessageLoop();
    }
    static void click(std::uint16_t id) {
        platform::postCommand(id, platform::notifyClicked);
        serve();
    }
    static void enter(const GuiControl& edit, const std::string& text) {
        platform::setControlText(platform::controlById(edit.controlId), gf_utf8ToUtf16(text));
        platform::postEditEnter(edit.controlId);
        serve();
    }
    static void select(const IntComboParameter& combo, std::uint32_t choice) {
        const auto handle = platform::controlById(combo.controlId);
        for (std::size_t i = 0; i < combo.choices.size(); ++i)
            if (combo.choices[i] == choice) platform::setComboSelection(handle, static_cast<int>(i));
        platform::postCommand(combo.controlId, platform::notifySelectionChange);
        serve();
    }
    static platform::ControlState state(const GuiControl& control) {
        return platform::headlessControlState(platform::controlById(control.controlId));
    }
    static std::string text(const GuiControl& control) { return gf_utf16ToUtf8(state(control).text); }
    static std::string message() { return gf_messageLineView().message; }
};

TEST_F(WindowControls, CheckBoxesToggleSaveAndAct) {
    EXPECT_TRUE(state(COLLISION_USER_AIR).checked);
    click(COLLISION_USER_AIR.controlId);
    EXPECT_FALSE(state(COLLISION_USER_AIR).checked);
    EXPECT_FALSE(COLLISION_USER_AIR.value);
    EXPECT_EQ(stored("COLLISION_USER_AIR"), "false");
    EXPECT_EQ(message(), "Be aware, no collision avoidance with user aircraft in the air");
    click(COLLISION_USER_AIR.controlId);
    EXPECT_EQ(stored("COLLISION_USER_AIR"), "true");
    EXPECT_EQ(message(), "");

    click(AFG_AUTOMATIC.controlId);  // off: shown and logged
    EXPECT_TRUE(m_folder.logContains("The airports defined by your afolder parameters will be scanned"));

    click(ALWAYS_ON_TOP.controlId);
    EXPECT_EQ(platform::isTopmost(), true);
    EXPECT_EQ(message(), "TLVR_P3D's window will remain visible");
    click(ALWAYS_ON_TOP.controlId);
    EXPECT_EQ(platform::isTopmost(), false);

    // The manager's lists are the worker's: the window only asks.
    const bool navOn = NAV_LIGHTS_WHILE_PARKED.value;
    click(NAV_LIGHTS_WHILE_PARKED.controlId);
    EXPECT_EQ(g_navLightsRequest.load(), navOn ? 1 : 2);
    lf_everySecond();
    EXPECT_EQ(calls.count(navOn ? "navLights(off)" : "navLights(on)"), 1);
    EXPECT_EQ(g_navLightsRequest.load(), 0);

    // The parking row follows "PT only" at once.
    click(RT_PARKTRAFFIC_ONLY.controlId);
    EXPECT_TRUE(RT_PARKTRAFFIC_ONLY.value);
    EXPECT_FALSE(state(parking_percentage).enabled);
    EXPECT_FALSE(state(WEEK).enabled);
    EXPECT_EQ(text(MAX_FIT_FL), "");
    EXPECT_TRUE(g_parkedTrafficOnlyChange);
    EXPECT_TRUE(g_apfChanged);
    EXPECT_FALSE(g_parkingRenewalRequest);  // no parking data loaded: nothing to renew
    g_parkingDataLoaded = true;
    g_secondCounter = 44;
    click(RT_PARKTRAFFIC_ONLY.controlId);
    EXPECT_TRUE(state(parking_percentage).enabled);
    EXPECT_EQ(text(parking_percentage), "30");
    EXPECT_EQ(text(MAX_FIT_FL), "24");
    EXPECT_FALSE(g_parkedTrafficOnlyChange);
    EXPECT_TRUE(g_parkingRenewalRequest);
    EXPECT_EQ(message(), "TLVR_P3D will respond in 1 second ...");

    // A command that no control owns is not handled; the controls' band is repainted.
    platform::takeInvalidations();
    platform::postCommand(4711, platform::notifyClicked);
    serve();
    EXPECT_EQ(platform::takeInvalidations(), std::vector<platform::Rect>{g_middleBand});
}

TEST_F(WindowControls, AScanSwitchedOnRestartsTheRunOnlyBeforeTheSimulatorIsConnected) {
    SCAN_LIVERIES.value = false;
    gf_setCheckBox(SCAN_LIVERIES);
    click(SCAN_LIVERIES.controlId);
    EXPECT_EQ(stored("SCAN_LIVERIES"), "true");
    EXPECT_EQ(message(), "Your liveries will be scanned");
    EXPECT_TRUE(m_folder.logContains("Your liveries will be scanned"));
    EXPECT_TRUE(g_stopRun);
    EXPECT_EQ(gf_exitReason(), ExitReason::newSettings);
    EXPECT_EQ(gf_restartDelaySeconds(), 2u);
    EXPECT_FALSE(g_liveriesProcessed);  // the next run rebuilds the livery tables
    EXPECT_TRUE(gf_takeLiveryRebuildRequest());

    resetRunGlobals();
    platform::registerMainWindowClass(u"TLVR_P3D", gf_mainWindowHandlers());
    gf_createMainWindow(u"TLVR_P3D");
    g_simNotConnected = false;
    SCAN_AIRPORTS.value = false;
    gf_setCheckBox(SCAN_AIRPORTS);
    click(SCAN_AIRPORTS.controlId);
    EXPECT_EQ(message(), "Your airports will be scanned at the next start of TLVR_P3D, recommended after you have "
                         "add/removed airports");
    EXPECT_FALSE(g_stopRun);
}

TEST_F(WindowControls, ButtonsAskTheWorker) {
    click(UNBLOCK_BUTTON.controlId);
    EXPECT_EQ(message(), "Nothing to block or unblock...");

    platform::enableControl(platform::controlById(REREAD_BUTTON.controlId), true);
    click(REREAD_BUTTON.controlId);
    EXPECT_TRUE(g_reReadRequest);
    EXPECT_FALSE(state(REREAD_BUTTON).enabled);
    EXPECT_FALSE(state(DESTINATION).enabled);

    click(FLUSH_STATIC_BUTTON.controlId);
    EXPECT_TRUE(g_flushStaticRequest);
    EXPECT_EQ(message(), "All static parked aircraft will be removed ...");
    EXPECT_FALSE(state(FLUSH_STATIC_BUTTON).enabled);
}

TEST_F(WindowControls, ListsReactToASelectionChangeOnly) {
    platform::takeInvalidations();
    platform::postCommand(RANGE.controlId, 4);  // a focus change, not a selection
    serve();
    EXPECT_EQ(platform::takeInvalidations(), std::vector<platform::Rect>{g_middleBand});
    EXPECT_EQ(RANGE.value, 40);

    AUTO_RANGE.value = false;
    select(RANGE, 25);
    EXPECT_EQ(RANGE.value, 25);
    EXPECT_EQ(stored("RANGE"), "25");
    EXPECT_EQ(g_workingRangeNm.load(), 25.0);
    EXPECT_EQ(g_objectSearchRadiusM.load(), 25 * 1852 + 10000);
    EXPECT_TRUE(g_apfChanged);

    select(MAX_LIVE_SEL, 100);
    EXPECT_EQ(stored("MAX_LIVE_SEL"), "100");
    EXPECT_EQ(g_userMaxLiveSel.load(), 100);  // no park airport's file holds it
    EXPECT_TRUE(g_trimLiveRequest);

    // With Initial Load Only a new maximum waits for the next load: no renewal message.
    g_parkingDataLoaded = true;
    INITIAL_LOAD_ONLY.value = true;
    gf_showMessage("old", false);
    select(MAX_PARK_SEL, 100);
    EXPECT_EQ(stored("MAX_PARK_SEL"), "100");
    EXPECT_EQ(message(), "");
    EXPECT_FALSE(g_parkingRenewalRequest);
}

TEST_F(WindowControls, ListsShowValuesSetByTheProgram) {
    // A drop-down list shows a value only as its selected choice.
    RANGE.value = 16;
    gf_showIntParameter(RANGE);
    EXPECT_EQ(text(RANGE), "16");
    RANGE.value = 7;  // no choice of the list
    gf_showIntParameter(RANGE);
    EXPECT_EQ(state(RANGE).selection, -1);
    platform::setControlText(platform::controlById(RANGE.controlId), u"40");
    EXPECT_EQ(state(RANGE).selection, -1);
}

TEST_F(WindowControls, NumericEditsClampRefuseAndReportSameValues) {
    enter(parking_percentage, "150");
    EXPECT_EQ(parking_percentage.value, 100);
    EXPECT_EQ(text(parking_percentage), "100");
    EXPECT_EQ(message(), "The new parking_percentage is 100");
    EXPECT_EQ(stored("parking_percentage"), "<missing>");  // the airport's file carries it
    enter(parking_percentage, "");
    EXPECT_EQ(parking_percentage.value, 0);

    g_parkingDataLoaded = true;
    enter(MAX_FIT_FL, "7.3");
    EXPECT_EQ(MAX_FIT.value, 14);
    EXPECT_EQ(stored("MAX_FIT"), "14");
    EXPECT_EQ(text(MAX_FIT_FL), "7.5");
    EXPECT_EQ(message(), "TLVR_P3D will respond in 15 seconds ...");
    EXPECT_TRUE(g_parkingRenewalRequest);
    enter(MAX_FIT_FL, "0.2");
    EXPECT_EQ(MAX_FIT.value, 0);
    EXPECT_EQ(text(MAX_FIT_FL), "0.5");
    enter(MAX_FIT_FL, "nan");
    EXPECT_EQ(MAX_FIT_FL.value, 0.5F);
    EXPECT_TRUE(m_folder.logContains("lf_processTbFloat: invalid stof argument, h=nan"));
    enter(MAX_FIT_FL, "");
    EXPECT_EQ(MAX_FIT.value, 47);
    EXPECT_EQ(MAX_FIT_FL.value, 24.0F);
    EXPECT_EQ(text(MAX_FIT_FL), "24");

    // The same value again changes nothing, not even the file's time.
    const auto before = fs::last_write_time(parametersFile());
    enter(MAX_FIT_FL, "24");
    EXPECT_EQ(message(), "Same MAX_FIT_FL value 24, no changes made");
    EXPECT_EQ(fs::last_write_time(parametersFile()), before);

    TIME_SHIFT_DAYS.value = 2;
    enter(TIME_SHIFT_DAYS, "abc");
    EXPECT_TRUE(m_folder.logContains("invalid input: abc"));
    EXPECT_EQ(TIME_SHIFT_DAYS.value, 2);
    EXPECT_EQ(text(TIME_SHIFT_DAYS), "2");
    enter(TIME_SHIFT_DAYS, "99999999999");
    EXPECT_TRUE(m_folder.logContains("===> lf_processTbInt: stoi, h=99999999999"));
    EXPECT_EQ(TIME_SHIFT_DAYS.value, 2);
}

TEST_F(WindowControls, TheTimeShiftIsCutToFourWeeksAndZeroClearsTheTraffic) {
    enter(TIME_SHIFT_DAYS, "28");
    enter(TIME_SHIFT_HOURS, "23");
    enter(TIME_SHIFT_MINS, "59");
    EXPECT_TRUE(m_folder.logContains("Time shifting is limited to 4 weeks"));
    EXPECT_EQ(text(TIME_SHIFT_DAYS), "28");
    EXPECT_EQ(text(TIME_SHIFT_HOURS), "0");
    EXPECT_EQ(text(TIME_SHIFT_MINS), "0");
    EXPECT_EQ(stored("TIME_SHIFT_HOURS"), "0");
    EXPECT_EQ(calls.calls().back(), "toffset 40320");
    EXPECT_EQ(message(), "Time shifted 40320 minutes");
    EXPECT_TRUE(g_dataTimeFlag);
    EXPECT_TRUE(g_timeShiftTrafficRequest);

    // The traffic is cleared by the worker, which owns the lists.
    lf_everySecond();
    EXPECT_EQ(calls.count("clearTrafficForTimeShift"), 1);
    EXPECT_TRUE(g_parkingRenewalRequest);

    enter(TIME_SHIFT_DAYS, "0");
    EXPECT_EQ(message(), "Time shift = 0");
    EXPECT_EQ(text(TIME_SHIFT_DAYS), "");
    EXPECT_EQ(text(TIME_SHIFT_HOURS), "");
    EXPECT_EQ(text(TIME_SHIFT_MINS), "");
    EXPECT_EQ(calls.calls().back(), "toffset 0");
    EXPECT_FALSE(g_dataTimeFlag);
    EXPECT_TRUE(g_timeShiftTrafficRequest);
    EXPECT_EQ(stored("TIME_SHIFT_DAYS"), "0");
}

TEST_F(WindowControls, ACallsignIsBlockedOnceAndUnblocked) {
    enter(BLOCK_CALLSIGN, "ab");
    EXPECT_EQ(message(), "callsign 'ab' is not valid");
    EXPECT_EQ(text(BLOCK_CALLSIGN), "");
    enter(BLOCK_CALLSIGN, "klm123");
    EXPECT_EQ(BLOCK_CALLSIGN.value.get(), "KLM123");
    EXPECT_EQ(stored("BLOCK_CALLSIGN"), "KLM123");
    EXPECT_EQ(text(BLOCK_CALLSIGN), "KLM123");
    EXPECT_TRUE(state(UNBLOCK_BUTTON).enabled);
    EXPECT_TRUE(m_folder.logContains("live aircraft with callsign 'KLM123' will be blocked"));
    EXPECT_TRUE(g_blockCallsignRequest);
    g_blockCallsignRequest = false;
    enter(BLOCK_CALLSIGN, "KLM123");
    EXPECT_EQ(message(), "callsign 'KLM123' was already set ...");
    EXPECT_FALSE(g_blockCallsignRequest);

    click(UNBLOCK_BUTTON.controlId);
    EXPECT_EQ(message(), "no more blocking of live aircraft 'KLM123'");
    EXPECT_EQ(stored("BLOCK_CALLSIGN"), "");
    EXPECT_FALSE(state(UNBLOCK_BUTTON).enabled);
    EXPECT_TRUE(g_blockCallsignRequest);
}

TEST_F(WindowControls, ADestinationBecomesTheFirstParkAirportOnTheWorker) {
    gf_runServices().findAirport = [](const std::string& code) {
        return code == "EHAM" ? std::optional<AirportData>(AirportData{"EHAM", "AMS", 52.3, 4.76, -11.0})
                              : std::optional<AirportData>();
    };
    platform::enableControl(platform::controlById(REREAD_BUTTON.controlId), true);
    enter(DESTINATION, "EHA");
    EXPECT_EQ(message(), "destination 'EHA' is not valid");
    enter(DESTINATION, "eham");
    EXPECT_EQ(DESTINATION.value.get(), "");  // not yet: the worker looks it up
    gf_serveWindowRequests();
    EXPECT_EQ(DESTINATION.value.get(), "EHAM");
    EXPECT_EQ(stored("DESTINATION"), "EHAM");
    EXPECT_EQ(text(DESTINATION), "EHAM");
    EXPECT_EQ(message(), "New destination: EHAM");
    EXPECT_EQ(calls.count("setFirstParkAirport"), 1);
    EXPECT_FALSE(state(REREAD_BUTTON).enabled);

    enter(DESTINATION, "eham");
    EXPECT_EQ(message(), "destination 'EHAM' was already set ...");
    enter(DESTINATION, "zzzz");
    gf_serveWindowRequests();
    EXPECT_EQ(message(), "destination 'ZZZZ' is unknown ...");
    EXPECT_EQ(text(DESTINATION), "EHAM");
    EXPECT_EQ(calls.count("setFirstParkAirport"), 1);

    enter(DESTINATION, "");
    EXPECT_EQ(DESTINATION.value.get(), "");
    EXPECT_TRUE(state(REREAD_BUTTON).enabled);
    EXPECT_TRUE(m_folder.logContains("destination set to empty"));
}

TEST_F(WindowControls, AnExistingInstallFolderRestartsTheRun) {
    gf_showError("153: no simulator");
    enter(ALL_INSTALL_PATH, (m_folder / "missing").string());
    EXPECT_EQ(gf_messageLineView().error, "");
    EXPECT_EQ(message(), "This install path does not exist: " + (m_folder / "missing").string());
    writeFile(m_folder / "file.txt", "x");
    enter(ALL_INSTALL_PATH, (m_folder / "file.txt").string());
    EXPECT_EQ(message(), "This install path is not a folder: " + (m_folder / "file.txt").string());
    EXPECT_FALSE(g_stopRun);

    fs::create_directories(m_folder / "Prepar3D v5");
    enter(ALL_INSTALL_PATH, (m_folder / "Prepar3D v5").string());
    EXPECT_EQ(stored("SIM_INSTALL_PATH"), (m_folder / "Prepar3D v5").string());
    EXPECT_EQ(message(), "Install path exists, TLVR_P3D will restart");
    EXPECT_EQ(gf_exitReason(), ExitReason::newSettings);
    EXPECT_EQ(gf_restartDelaySeconds(), 3u);

    resetRunGlobals();
    platform::registerMainWindowClass(u"TLVR_P3D", gf_mainWindowHandlers());
    gf_createMainWindow(u"TLVR_P3D");
    enter(ALL_INSTALL_PATH, "");
    EXPECT_EQ(stored("SIM_INSTALL_PATH"), "");
    EXPECT_FALSE(g_stopRun);

    // A run held by an error does not restart: the message does not promise it.
    gf_requestStop(ExitReason::systemError, 0);
    enter(ALL_INSTALL_PATH, (m_folder / "Prepar3D v5").string());
    EXPECT_EQ(message(), "Install path exists, restart TLVR_P3D to use it");
}

TEST_F(WindowControls, AutomaticRangeOffRestoresTheRangeSetByHand) {
    AUTO_RANGE.value = false;
    gf_setCheckBox(AUTO_RANGE);
    select(RANGE, 25);
    gf_runServices().userAcPosition = [] {
        UserAcData user;
        user.onGround = true;
        user.altitudeFt = 30000.0;
        return user;
    };
    click(AUTO_RANGE.controlId);
    EXPECT_FALSE(state(RANGE).enabled);
    EXPECT_TRUE(state(AR_ABOVE_HEIGHT).enabled);
    EXPECT_TRUE(g_autoRangeRequest);
    gf_serveWindowRequests();
    EXPECT_EQ(RANGE.value, 10);
    EXPECT_EQ(text(RANGE), "10");
    EXPECT_EQ(g_objectSearchRadiusM.load(), 28520);
    EXPECT_EQ(calls.count("updateTrafficBox"), 1);

    click(AUTO_RANGE.controlId);
    EXPECT_EQ(RANGE.value, 25);
    EXPECT_EQ(text(RANGE), "25");
    EXPECT_EQ(g_workingRangeNm.load(), 25.0);
    EXPECT_TRUE(state(RANGE).enabled);
    EXPECT_EQ(stored("RANGE"), "25");  // neither choice was written
    EXPECT_EQ(stored("AUTO_RANGE"), "false");
}

TEST_F(WindowControls, ChangedSettingsAreReadBackAtTheNextStart) {
    AUTO_RANGE.value = true;
    gf_setCheckBox(AUTO_RANGE);
    click(AUTO_RANGE.controlId);
    select(RANGE, 25);
    click(COLLISION_USER_GND.controlId);
    enter(TIME_SHIFT_HOURS, "3");
    g_parkingDataLoaded = true;
    enter(MAX_FIT_FL, "7.3");
    fs::create_directories(m_folder / "P3D");
    enter(ALL_INSTALL_PATH, (m_folder / "P3D").string());

    resetAllParameters();
    gf_setupParameters();
    EXPECT_FALSE(AUTO_RANGE.value);
    EXPECT_EQ(RANGE.value, 25);
    EXPECT_FALSE(COLLISION_USER_GND.value);
    EXPECT_EQ(TIME_SHIFT_HOURS.value, 3);
    EXPECT_EQ(MAX_FIT.value, 14);
    EXPECT_EQ(SIM_INSTALL_PATH.value.get(), (m_folder / "P3D").string());
}

TEST_F(WindowControls, AWindowPositionAtItsLimitIsNeverKept) {
    platform::destroyMainWindow();
    writeParameters("<parameter name=\"MAIN_WINDOW_X\" value=\"-30000\"/>\n"
                    "<parameter name=\"MAIN_WINDOW_Y\" value=\"120\"/>\n");
    ASSERT_TRUE(gf_createMainWindow(u"TLVR_P3D"));
    EXPECT_EQ(platform::windowRect()->left, 400);
    EXPECT_EQ(platform::windowRect()->top, 120);
    EXPECT_EQ(stored("MAIN_WINDOW_X"), "400");

    // Closed while minimised: Windows reports it far off screen.
    platform::setHeadlessWindowRect({-32000, -32000, -31840, -31973});
    platform::postEndProgram();
    serve();
    EXPECT_EQ(stored("MAIN_WINDOW_X"), "400");
    EXPECT_EQ(stored("MAIN_WINDOW_Y"), "120");
}

TEST_F(WindowControls, TheHeadlessWindowPaintsWhatTheStateHolds) {
    g_mainWindowState.session = true;
    g_mainWindowState.serviceNotTried = false;
    g_mainWindowState.weatherLight = g_lightOk;
    g_mainWindowState.qnh = 998;
    gf_invalidateBand(g_statusBand);
    serve();
    const auto drawing = platform::recordedDrawing();
    const platform::DrawOp qnh = platform::TextOp{642, 63, g_green, u"qnh:  998"};
    EXPECT_NE(std::find(drawing.begin(), drawing.end(), qnh), drawing.end());
    gf_resetMainWindowState();
}

}  // namespace
}  // namespace zrb::test
