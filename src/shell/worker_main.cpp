// One run on the worker thread: where the program was started from, the
// preparation, the livery and airport steps, the hold before the service may
// be visited again, the run itself and its closing down. Whatever escapes is
// shown in the error band and ends the run with SYSTEM ERROR.
#include <algorithm>
#include <filesystem>
#include <new>
#include <thread>

#include "config/parameter_controls.h"
#include "config/parameter_store.h"
#include "config/parameters.h"
#include "config/paths.h"
#include "foundation/folders.h"
#include "foundation/log.h"
#include "foundation/program_id.h"
#include "foundation/user_error.h"
#include "foundation/worker_throttle.h"
#include "shell/common/main_window_state.h"
#include "shell/common/message_line.h"
#include "shell/common/run_control.h"
#include "shell/run.h"
#include "shell/run_clock.h"
#include "shell/run_services.h"
#include "shell/sim_detection.h"
#include "shell/window_text.h"

namespace zrb {

namespace {

namespace fs = std::filesystem;

constexpr int errorWrongFolder = 41;

// The text with the program id as both of its arguments.
std::string lf_formatTwiceShortName(std::string_view format) {
    return fmt::format(fmt::runtime(format), g_programId, g_programId);
}

void lf_requireDocsFolder() {
    std::error_code ec;
    const fs::file_status status = fs::status(g_docsFolder, ec);
    if (ec && ec != std::errc::no_such_file_or_directory) throw fs::filesystem_error("status", g_docsFolder, ec);
    if (!fs::is_directory(status))
        throw UserErrorException(errorWrongFolder, lf_formatTwiceShortName("{} must be run from the {} folder!"));
}

void lf_checkLiveryScanResult() {
    if (SCAN_LIVERIES.value || fs::exists(g_liveriesScannedFile)) return;
    gf_showMessage(fmt::format("File {} is gone, rescan liveries", g_liveriesScannedFile.string()), true);
    SCAN_LIVERIES.value = true;
    gf_saveBoolParameter(SCAN_LIVERIES);
    gf_setCheckBox(SCAN_LIVERIES);
    gf_invalidateBand(g_middleBand);
}

void lf_holdBeforeRevisit(std::int64_t nowSeconds, std::int64_t lastVisitSeconds) {
    const std::int64_t h = lf_holdSeconds(nowSeconds, lastVisitSeconds);
    if (h < 1) return;
    gf_showMessage(fmt::format("Holding for {} seconds... (RT API cannot be revisited within {} seconds)", h,
                               g_holdSeconds),
                   true);
    gf_sleepUnlessStopping(h * 1000, g_holdStepMs);
}

void lf_countFolderAirports() {
    g_mainWindowState.thirdpAirports = gf_countFolderEntries(g_myThirdpartyFolder);
    g_mainWindowState.simaddonAirports = gf_countFolderEntries(g_myOrbxFolder);
    gf_invalidateBand(g_statusBand);
}

void lf_beforeRun() {
    auto& services = gf_runServices();
    services.createFlightPlanFolder();
    if (services.readMyParkAirports()) gf_showMessage("park airports and stands are okay", true);
    gf_enableControl(REREAD_BUTTON, true);
    const std::string destination = DESTINATION.value;
    if (!destination.empty()) {
        if (const auto airport = services.findAirport(destination))
            gf_applyDestination(airport->icao, airport->lat, airport->lon);
    }
    gf_setWindowTopmost(ALWAYS_ON_TOP.value);
    if (AUTO_RANGE.value) {
        gf_setAutoRange();
        gf_enableControl(RANGE, false);
    }
}

// The part of a run that may throw; false when a stop cut the start-up short.
void lf_startUpAndRun() {
    auto& services = gf_runServices();
    lf_requireDocsFolder();
    lf_initRun();
    const std::int64_t now = gf_systemSeconds();
    lf_setStockAirportsPath();
    gf_initWorkerThrottle(static_cast<std::int32_t>(std::thread::hardware_concurrency()));
    lf_checkLiveryScanResult();
    services.scanLiveries();
    if (gf_stopUnderWay()) return;
    if (SCAN_AIRPORTS.value) {
        g_mainWindowState.simaddonAirports = 0;
        g_mainWindowState.thirdpAirports = 0;
        gf_invalidateBand(g_statusBand);
        services.scanAddonAirports();
    }
    lf_holdBeforeRevisit(now, LAST_EPOCH_TIME.value);
    lf_countFolderAirports();
    if (gf_stopUnderWay()) {
        gf_stopForUserClose();
        return;
    }
    lf_beforeRun();
    lf_run();
}

// Every exception the worker catches ends the run with SYSTEM ERROR, unless an
// earlier stop already gave the run its reason.
void lf_failRun(const std::string& text) {
    gf_showError(text);
    gf_requestStop(ExitReason::systemError, 0);
}

}  // namespace

std::int64_t lf_holdSeconds(std::int64_t nowSeconds, std::int64_t lastVisitSeconds) {
    const std::int64_t secondsSinceVisit = nowSeconds - lastVisitSeconds;
    if (secondsSinceVisit >= g_holdSeconds) return 0;
    // A visit "in the future" (a hand-edited file) holds no longer than a
    // visit that has just happened.
    return std::min<std::int64_t>(g_holdSeconds - secondsSinceVisit, g_holdSeconds);
}

void lf_workerMain() {
    try {
        lf_startUpAndRun();
    } catch (const UserErrorException& e) {
        lf_failRun(e.what());
    } catch (const fmt::format_error& e) {
        lf_failRun(std::string("std::format error: ") + e.what());
    } catch (const std::bad_alloc& e) {
        lf_failRun(e.what());
    } catch (const std::exception& e) {
        lf_failRun(e.what());
    } catch (...) {
        lf_failRun("Unknown exception");
    }
    lf_closingDown();
}

}  // namespace zrb
