#include "shell/app_main.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <curl/curl.h>

#include "airports/archive_fetch.h"
#include "config/paths.h"
#include "foundation/log.h"
#include "foundation/program_id.h"
#include "platform/platform.h"
#include "platform/window.h"
#include "shell/common/message_line.h"
#include "shell/main_window.h"
#include "shell/run.h"
#include "shell/run_services.h"

namespace zrb {

namespace {

namespace fs = std::filesystem;

// The log could not be opened: the program runs on without one, and says so
// once the window exists.
std::string g_logFailure;  // GUI thread only

void lf_createDataFolder() {
    gf_getAppDataPath();  // warns when the system cannot tell where AppData is
    const fs::path folder = gf_programDataFolder();
    try {
        if (fs::status(folder).type() == fs::file_type::not_found) fs::create_directories(folder);
    } catch (const fs::filesystem_error& e) {
        gf_logLine("Failed to create directory: {}", e.what());
    }
}

}  // namespace

int gf_initInstanceAndRun() {
    const auto title = platform::loadApplicationTitle();
    if (!title || title->empty()) {
        gf_logLine("Failed to load application title");
        return 0;
    }
    if (!platform::registerMainWindowClass(*title, gf_mainWindowHandlers())) {
        gf_logLine("Failed to register window class");
        return 0;
    }
    if (!gf_createMainWindow(*title)) {
        gf_logLine("initInstance failed");
        return 0;
    }
    if (!g_logFailure.empty()) gf_showMessage(g_logFailure, false);
    lf_createDataFolder();
    if (platform::mainWindowExists()) platform::postStartRun();
    const int code = platform::runMessageLoop();
    // Every thread of the program ends before its globals are torn down.
    gf_joinWorker();
    gf_joinSimClient();
    gf_stopArchiveFetcher();  // closing down has, unless it failed half-way
    // Closing down has waited for stuck readers once already, with the window
    // still served; a second wait here would only freeze the window.
    if (!gf_runServices().joinRtReaders(g_readersStuck ? 0 : g_readerWaitLimitMs)) {
        // A reader stuck in a call would run on while the objects it uses are
        // destroyed: end without destroying them.
        gf_logMarked("The feed readers did not stop, {} ends now", g_programId);
        gf_closeLog();
        std::_Exit(code);
    }
    gf_closeLog();
    return code;
}

int gf_programMain() {
    // Access denied: the mutex exists, made by an instance with rights this
    // one lacks (run as administrator).
    const std::uint32_t instance = platform::acquireSingleInstance(g_singleInstanceName);
    if (instance == platform::errorAlreadyExists || instance == platform::errorAccessDenied) return -1;
    // Once, before any thread makes a transfer handle: libcurl's lazy global set-up
    // is not safe against several threads on every version. No cleanup: the
    // feed's handles are released with its globals, after this returns.
    curl_global_init(CURL_GLOBAL_DEFAULT);
    try {
        gf_openLog();
    } catch (const std::exception& e) {
        g_logFailure = e.what();
    }
    return gf_initInstanceAndRun();
}

}  // namespace zrb
