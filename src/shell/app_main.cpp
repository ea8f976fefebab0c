#include "shell/app_main.h"

#include <filesystem>
#include <string>

#include <curl/curl.h>

#include "config/paths.h"
#include "foundation/log.h"
#include "platform/platform.h"
#include "platform/window.h"
#include "shell/common/message_line.h"
#include "shell/main_window.h"
#include "shell/run.h"

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
    gf_joinSimClient();
    gf_closeLog();
    return code;
}

int gf_programMain() {
    if (platform::acquireSingleInstance(g_singleInstanceName) == platform::errorAlreadyExists) return -1;
    // Once, before any thread makes a transfer handle: libcurl's lazy global set-up
    // is not safe against several threads on every version. No cleanup: detached
    // reader threads may still hold handles when the process ends.
    curl_global_init(CURL_GLOBAL_DEFAULT);
    try {
        gf_openLog();
    } catch (const std::exception& e) {
        g_logFailure = e.what();
    }
    return gf_initInstanceAndRun();
}

}  // namespace zrb
