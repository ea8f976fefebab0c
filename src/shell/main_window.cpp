#include "shell/main_window.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include <pugixml.hpp>

#include "config/parameter_controls.h"
#include "config/parameter_store.h"
#include "config/parameters.h"
#include "foundation/log.h"
#include "foundation/program_id.h"
#include "foundation/time.h"
#include "foundation/utf16.h"
#include "platform/platform.h"
#include "platform/window.h"
#include "shell/common/main_window_state.h"
#include "shell/common/message_line.h"
#include "shell/common/run_control.h"
#include "shell/control_handlers.h"
#include "shell/gui_requests.h"
#include "shell/run.h"
#include "shell/status_display.h"
#include "shell/window_text.h"

namespace zrb {

namespace {

using platform::ControlKind;

constexpr std::int32_t defaultWindowX = 400;
constexpr std::int32_t defaultWindowY = 20;
constexpr int checkBoxSize = 12;   // pixels
constexpr int checkBoxDrop = 2;    // pixels below the row
constexpr int buttonHeight = 20;   // pixels
constexpr int editHeight = 16;     // pixels
constexpr int comboRaise = 5;      // pixels above the row

struct ControlPlace {
    GuiControl* control;
    ControlKind kind;
    int x;
    int width;       // edits, buttons, combos
    int listHeight;  // combos: the dropped list
};

// In the order the window creates them.
std::vector<ControlPlace> lf_controlPlaces() {
    using K = ControlKind;
    return {
        {&ALL_INSTALL_PATH, K::edit, 111, 1200, 0},
        {&SCAN_LIVERIES, K::checkBox, 5, 0, 0},
        {&LIG_AUTOMATIC, K::checkBox, 217, 0, 0},
        {&LIG_PRIORITIZE, K::checkBox, 450, 0, 0},
        {&SUPPRESS_STUB, K::checkBox, 536, 0, 0},
        {&LOG, K::checkBox, 652, 0, 0},
        {&ALWAYS_ON_TOP, K::checkBox, 748, 0, 0},
        {&SCAN_AIRPORTS, K::checkBox, 5, 0, 0},
        {&AFG_AUTOMATIC, K::checkBox, 217, 0, 0},
        {&NAV_LIGHTS_WHILE_PARKED, K::checkBox, 652, 0, 0},
        {&LEARN_SOFT, K::checkBox, 748, 0, 0},
        {&MATCHING_DEPTH, K::comboBox, 217, 40, 120},
        {&LIGHT_AIRCRAFT, K::checkBox, 323, 0, 0},
        {&HELICOPTERS, K::checkBox, 430, 0, 0},
        {&HIGH_PERF_AIRCRAFT, K::checkBox, 536, 0, 0},
        {&GUID_CHANGES, K::checkBox, 748, 0, 0},
        {&RANGE, K::comboBox, 217, 50, 200},
        {&AUTO_RANGE, K::checkBox, 323, 0, 0},
        {&AR_ABOVE_HEIGHT, K::comboBox, 455, 70, 230},
        {&TIME_SHIFT_DAYS, K::edit, 748, 30, 0},
        {&COLLISION_USER_GND, K::checkBox, 217, 0, 0},
        {&COLLISION_USER_AIR, K::checkBox, 323, 0, 0},
        {&COLLISION_LIVE_PARKED_GND, K::checkBox, 430, 0, 0},
        {&SIM_TIME, K::checkBox, 652, 0, 0},
        {&TIME_SHIFT_HOURS, K::edit, 748, 30, 0},
        {&BLOCK_CALLSIGN, K::edit, 217, 100, 0},
        {&UNBLOCK_BUTTON, K::button, 323, 70, 0},
        {&KEEP_SIM_TIME_PAR, K::checkBox, 652, 0, 0},
        {&TIME_SHIFT_MINS, K::edit, 748, 30, 0},
        {&MAX_PARK_SEL, K::comboBox, 323, 55, 144},
        {&MAX_LIVE_SEL, K::comboBox, 536, 55, 144},
        {&DESTINATION, K::edit, 217, 50, 0},
        {&AIRP_RANGE, K::comboBox, 353, 45, 144},
        {&AIRP_HEIGHT, K::comboBox, 566, 70, 230},
        {&STRAIGHT_PBS_ONLY, K::checkBox, 652, 0, 0},
        {&PARK_FAKE, K::checkBox, 5, 0, 0},
        {&WEEK, K::checkBox, 71, 0, 0},
        {&PARK_SOFT, K::checkBox, 151, 0, 0},
        {&parking_percentage, K::edit, 323, 34, 0},
        {&INITIAL_LOAD_ONLY, K::checkBox, 430, 0, 0},
        {&MAX_FIT_FL, K::edit, 566, 34, 0},
        {&RT_PARKTRAFFIC_ONLY, K::checkBox, 642, 0, 0},
        {&REREAD_BUTTON, K::button, 758, 90, 0},
        {&FLUSH_STATIC_BUTTON, K::button, 758, 90, 0},
    };
}

platform::ControlSpec lf_spec(const ControlPlace& place) {
    platform::ControlSpec spec;
    spec.kind = place.kind;
    spec.id = place.control->controlId;
    spec.x = place.x;
    spec.y = static_cast<int>(place.control->rowY);
    switch (place.kind) {
    case ControlKind::checkBox:
        spec.y += checkBoxDrop;
        spec.width = checkBoxSize;
        spec.height = checkBoxSize;
        spec.enabled = true;
        if (const auto* box = dynamic_cast<const BoolParameter*>(place.control)) spec.checked = box->value;
        break;
    case ControlKind::button:
        spec.width = place.width;
        spec.height = buttonHeight;
        if (const auto* button = dynamic_cast<const Parameter*>(place.control))
            spec.caption = gf_utf8ToUtf16(button->name);
        break;
    case ControlKind::edit:
        spec.width = place.width;
        spec.height = editHeight;
        break;
    case ControlKind::comboBox:
        spec.y -= comboRaise;
        spec.width = place.width;
        spec.height = place.listHeight;
        spec.enabled = true;
        break;
    }
    return spec;
}

void lf_createControls() {
    for (const ControlPlace& place : lf_controlPlaces()) {
        const platform::ControlHandle handle = platform::createControl(lf_spec(place));
        if (handle == platform::noControl) gf_logLine("Failed to create control {}", place.control->controlId);
        place.control->handle_ = handle;
    }
    gf_setControlShownHook([] { gf_invalidateBand(g_middleBand); });
    gf_invalidateBand(g_middleBand);
}

void lf_resetCoordinate(IntParameter& coordinate, std::int32_t value) {
    if (coordinate.value != coordinate.min && coordinate.value != coordinate.max) return;
    coordinate.value = std::clamp(value, coordinate.min, coordinate.max);
    gf_saveIntParameter(coordinate);
}

// A run could not be started (no worker thread): the close then ends the
// program itself. GUI thread only.
bool g_runNotStarted = false;

// The worker thread of the current run (GUI thread only). A worker's last act
// is to post the message that starts the next run or ends the program, so the
// join that follows that message is brief.
std::jthread g_workerThread;
// No run is under way: none was started, or its worker has done all its work,
// closing down included. The GUI thread clears it, the worker sets it.
std::atomic<bool> g_workerDone{true};
// The window's position was saved at the end (GUI thread only): the session's
// end may have saved it before the worker's WM_APP + 2 arrives.
bool g_positionSaved = false;

// The body of a worker thread: one run. Nothing may escape a thread.
void lf_workerThread() {
    try {
        lf_workerMain();
    } catch (const std::exception& e) {
        gf_logMarked("{}: {}", "lf_workerMain", e.what());
        platform::postEndProgram();
    } catch (...) {
        gf_logMarked("{}: {}", "lf_workerMain", "Unknown exception");
        platform::postEndProgram();
    }
    g_workerDone = true;
}

}  // namespace

std::filesystem::path gf_getAppDataPath() {
    const auto folder = platform::appDataFolder();
    if (!folder) {
        gf_logMarked("Could not find the AppData path");
        return {};
    }
    return *folder;
}

void lf_resetWindowPosition(std::int32_t x, std::int32_t y) {
    lf_resetCoordinate(MAIN_WINDOW_X, x);
    lf_resetCoordinate(MAIN_WINDOW_Y, y);
}

bool gf_createMainWindow(const std::u16string& title) {
    g_positionSaved = false;
    pugi::xml_document doc;
    if (gf_loadParametersDocument(doc)) {
        gf_readIntParameter(MAIN_WINDOW_X, doc, false);
        gf_readIntParameter(MAIN_WINDOW_Y, doc, false);
        lf_resetWindowPosition(defaultWindowX, defaultWindowY);
    }
    return platform::createMainWindow(title, title, MAIN_WINDOW_X.value, MAIN_WINDOW_Y.value);
}

void gf_joinWorker() {
    if (g_workerThread.joinable()) g_workerThread.join();
}

void lf_startRun() {
    // The window was closed (or the session ended) after the run before had
    // asked for this one: no run starts, the program ends.
    if (g_stopProgram) {
        platform::postEndProgram();
        return;
    }
    try {
        // Never two runs at once: the run before has posted this message as
        // its last act and ends now.
        gf_joinWorker();
        g_workerDone = false;
        g_workerThread = std::jthread(lf_workerThread);
        g_runNotStarted = false;
    } catch (const std::exception& e) {
        g_workerDone = true;
        lf_runNotStarted(e.what());
    }
}

void lf_runNotStarted(const std::string& why) {
    gf_showError(why);
    gf_requestStop(ExitReason::systemError, 0);
    g_runNotStarted = true;
}

void lf_closeWindow() {
    gf_userClosedWindow();
    // Without a worker nobody else would post the end of the program.
    if (g_runNotStarted) platform::postEndProgram();
}

void lf_endSession() {
    gf_logLine("{} The Windows session ends, {} closes", gf_timeOfDayText(), g_programId);
    gf_sessionEnds();
    // Closing down saves the learned parking and the settings; it has the few
    // seconds Windows gives, and the window serves its calls meanwhile.
    const bool closedDown = platform::serveSentMessagesUntil([] { return g_workerDone.load(); }, g_sessionEndWaitMs);
    // Windows may end the process as soon as this returns: what WM_APP + 2
    // would do comes now. A worker still closing down ends the loop itself
    // with that message once it is done, the window serving it till then.
    if (closedDown) {
        lf_endProgram();
        return;
    }
    gf_logMarked("Closing down did not end within {} seconds of the session's end", g_sessionEndWaitMs / 1000);
    lf_saveWindowPosition();
}

void lf_saveWindowPosition() {
    if (g_positionSaved) return;
    g_positionSaved = true;
    const std::int32_t oldX = MAIN_WINDOW_X.value;
    const std::int32_t oldY = MAIN_WINDOW_Y.value;
    if (const auto rect = platform::windowRect()) {
        MAIN_WINDOW_X.value = std::clamp(rect->left, MAIN_WINDOW_X.min, MAIN_WINDOW_X.max);
        MAIN_WINDOW_Y.value = std::clamp(rect->top, MAIN_WINDOW_Y.min, MAIN_WINDOW_Y.max);
        gf_saveIntParameter(MAIN_WINDOW_X);
        gf_saveIntParameter(MAIN_WINDOW_Y);
        lf_resetWindowPosition(oldX, oldY);
    }
    gf_logLine(gf_timeText(gf_systemNow()));
}

void lf_endProgram() {
    lf_saveWindowPosition();
    platform::quitMessageLoop(0);
}

platform::WindowHandlers gf_mainWindowHandlers() {
    platform::WindowHandlers handlers;
    handlers.created = lf_createControls;
    handlers.close = lf_closeWindow;
    handlers.startRun = lf_startRun;
    handlers.endProgram = lf_endProgram;
    handlers.sessionEnd = lf_endSession;
    handlers.command = lf_HandleWMCOMMAND;
    handlers.editEnter = lf_handleEditEnter;
    handlers.paint = [] { return gf_buildDisplayList(gf_takeDisplaySnapshot()); };
    return handlers;
}

}  // namespace zrb
