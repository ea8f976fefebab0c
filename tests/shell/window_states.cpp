// The real main window, painted by the real code, shown in the states a user
// meets, one after the other, for screenshots taken from outside
// (scripts/win-window-smoke):
//   shell_window_states OUTPUT_FOLDER
// For each state it writes OUTPUT_FOLDER/state-N.txt once the window has
// painted it: the client area's place on screen and every drawn fill and
// text, so that the screenshot can be checked against what was drawn. It then
// waits until OUTPUT_FOLDER/state-N.done exists (the screenshot is taken) and
// shows the next state. No run is started: the states are set directly.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "airports/park_airport_choice.h"
#include "airports/park_airport.h"
#include "config/parameters.h"
#include "foundation/utf16.h"
#include "platform/window.h"
#include "shell/common/main_window_state.h"
#include "shell/common/message_line.h"
#include "shell/main_window.h"
#include "shell/run.h"
#include "shell/status_display.h"
#include "traffic/ui_lock.h"

namespace {

using namespace zrb;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr auto paintWait = 10s;       // the window paints within milliseconds
constexpr auto screenshotWait = 60s;  // the script takes each screenshot in about a second
constexpr auto settle = 300ms;        // lets the drawn pixels reach the display

// Owns g_painted and g_paints; the GUI thread records each paint.
std::mutex g_paintMutex;
std::condition_variable g_paintDone;
platform::DrawList g_painted;
std::uint64_t g_paints = 0;

void lf_noSimulator() {
    g_mainWindowState.liveries = 1234;
    gf_showMessage("park airports and stands are okay", false);
}

void lf_waitingForService() {
    auto& w = g_mainWindowState;
    w.simConnected = true;
    w.simRunning = true;
    w.serviceNotTried = false;  // the login is under way
    w.thirdpAirports = 12;
    gf_setDisplayText(DisplayText::simulatorText, "Prepar3D (5.4.9.28482)");
    gf_setDisplayText(DisplayText::userStand, "D7");
    gf_setDisplayText(DisplayText::userAircraftTitle, "Boeing 737-800 KLM");
    gf_clearMessage();
}

void lf_traffic() {
    auto& w = g_mainWindowState;
    w.session = true;
    w.weatherLight = g_lightOk;
    w.trafficLight = g_lightOk;
    w.qnh = 1013;
    w.liveCount = 17;
    w.simaddonAirports = 3;
    w.parkAirportReady = true;
    w.weekCount = 3;
    w.stands = 212;
    w.parkedLive = 4;
    w.parkedStatic = 96;
    w.liveAverageFit = 2.5F;
    w.maxPark = 120;
    w.maxParkPercentage = 30;
    w.updates = 5;
    w.reservedStandFound = true;
    gf_setDisplayText(DisplayText::parkPublisher, "stock");
    gf_setDisplayText(DisplayText::parkFileText, "learned");
    gf_setDisplayText(DisplayText::qualityText, "62");
    gf_setCurrentParkAirport({"EHAM", "AMS", 52.31, 4.76, -11.0});
    gf_setReservedStand("D7");
    gf_showMessage("New destination: EHAM", false);
}

// A renewal's planner at work: the parking controls are held (disabled, the
// label says why) until its aircraft are created.
void lf_plannerAtWork() { gf_lockUi(); }

void lf_error() { gf_showError("41: TLVR_P3D must be run from the TLVR_P3D folder!"); }

struct State {
    const char* name;
    void (*apply)();
};
constexpr State states[] = {
    {"no simulator", lf_noSimulator},
    {"connected, waiting for the service", lf_waitingForService},
    {"traffic at the park airport", lf_traffic},
    {"the planner holds the parking controls", lf_plannerAtWork},
    {"error", lf_error},
};

void lf_writeDrawing(const fs::path& file, const platform::DrawList& drawing) {
    const auto client = platform::clientRect();
    const auto window = platform::windowRect();
    std::ofstream out(file.string() + ".tmp", std::ios::binary);  // "\n" line ends on every system
    if (client && window) out << "origin " << client->left - window->left << ' ' << client->top - window->top << '\n';
    for (const auto& op : drawing) {
        if (const auto* f = std::get_if<platform::FillOp>(&op)) {
            out << "fill " << f->left << ' ' << f->top << ' ' << f->right << ' ' << f->bottom << ' ' << int{f->colour.r}
                << ' ' << int{f->colour.g} << ' ' << int{f->colour.b} << '\n';
        } else if (const auto* t = std::get_if<platform::TextOp>(&op)) {
            out << "text " << t->x << ' ' << t->y << ' ' << int{t->colour.r} << ' ' << int{t->colour.g} << ' '
                << int{t->colour.b} << ' ' << t->text.size() << ' ' << gf_utf16ToUtf8(t->text) << '\n';
        }
    }
    out.close();
    fs::rename(file.string() + ".tmp", file);  // the script never sees half a file
}

// Shows each state, waits for its paint, reports it and waits for the screenshot.
void lf_drive(const fs::path& out, std::atomic<bool>& failed) {
    for (std::size_t i = 0; i < std::size(states); ++i) {
        std::uint64_t before = 0;
        {
            std::lock_guard lock(g_paintMutex);
            before = g_paints;
        }
        states[i].apply();
        gf_invalidateBand({0, 0, platform::mainWindowWidth, platform::mainWindowHeight});
        platform::DrawList drawing;
        {
            std::unique_lock lock(g_paintMutex);
            if (!g_paintDone.wait_for(lock, paintWait, [&] { return g_paints > before; })) {
                std::printf("state %zu (%s) was not painted\n", i + 1, states[i].name);
                failed = true;
                break;
            }
        }
        std::this_thread::sleep_for(settle);
        {
            std::lock_guard lock(g_paintMutex);
            drawing = g_painted;
        }
        const std::string stem = "state-" + std::to_string(i + 1);
        lf_writeDrawing(out / (stem + ".txt"), drawing);
        std::printf("state %zu: %s\n", i + 1, states[i].name);
        std::fflush(stdout);
        const auto end = std::chrono::steady_clock::now() + screenshotWait;
        while (!fs::exists(out / (stem + ".done"))) {
            if (std::chrono::steady_clock::now() > end) {
                std::printf("no screenshot of state %zu\n", i + 1);
                failed = true;
                break;
            }
            std::this_thread::sleep_for(50ms);
        }
        if (failed) break;
    }
    platform::postEndProgram();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::printf("usage: shell_window_states OUTPUT_FOLDER\n");
        return 2;
    }
    const fs::path out = argv[1];
    fs::create_directories(out);
    const auto title = platform::loadApplicationTitle();
    if (!title) return 1;
    platform::WindowHandlers handlers = gf_mainWindowHandlers();
    handlers.startRun = [] {};
    handlers.paint = [] {
        platform::DrawList drawing = gf_buildDisplayList(gf_takeDisplaySnapshot());
        {
            std::lock_guard lock(g_paintMutex);
            g_painted = drawing;
            ++g_paints;
        }
        g_paintDone.notify_all();
        return drawing;
    };
    if (!platform::registerMainWindowClass(*title, handlers) || !gf_createMainWindow(*title)) return 1;
    // The controls as a run leaves them after its start.
    gf_setupParameters();
    lf_enableStartControls();
    gf_enableTimeShiftControls(true);

    std::atomic<bool> failed{false};
    std::jthread driver([&] { lf_drive(out, failed); });
    platform::runMessageLoop();
    driver.join();
    return failed ? 1 : 0;
}
