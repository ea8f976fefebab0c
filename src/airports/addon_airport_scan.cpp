#include "airports/addon_airport_scan.h"

#include <chrono>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include <fmt/format.h>

#include "airports/addon_airport_files.h"
#include "airports/airport_hand_off.h"
#include "airports/bgl_file.h"
#include "airports/scenery_folders.h"
#include "config/parameter_controls.h"
#include "config/parameter_store.h"
#include "config/parameters.h"
#include "config/paths.h"
#include "foundation/folders.h"
#include "foundation/log.h"
#include "foundation/text_file.h"
#include "foundation/user_error.h"
#include "foundation/windows_path.h"
#include "foundation/worker_throttle.h"
#include "platform/platform.h"
#include "shell/common/main_window_state.h"
#include "shell/common/message_line.h"
#include "foundation/stop_flags.h"
#include "shell/common/run_state.h"
#include "shell/common/sim_version.h"

namespace zrb {

namespace {

constexpr int errorNoAfolder = 49;
constexpr std::size_t folderListReserve = 10;
constexpr auto progressInterval = std::chrono::milliseconds(250);
constexpr std::string_view warningMark = "===> ";

using Clock = std::chrono::steady_clock;

bool lf_isBglExtension(const std::filesystem::path& extension) {
    return extension == ".BGL" || extension == ".bgl";
}

bool lf_isSkippedBglPath(std::string_view pathText) {
    return pathText.find("statics") != std::string_view::npos || pathText.find("_heliports") != std::string_view::npos;
}

// The walk of one folder with its file tasks. Every task started is waited
// for before the walk ends, whatever happens on the way: a task never runs
// on after its folder, so its lines reach the scan log and its files are
// written before the hand-off looks at them.
class FolderWalk {
public:
    FolderWalk(std::shared_ptr<AirportScanShared> shared, std::string stockText)
        : m_shared(std::move(shared)), m_stock(std::move(stockText)) {}
    ~FolderWalk() { drain(nullptr); }
    FolderWalk(const FolderWalk&) = delete;
    FolderWalk& operator=(const FolderWalk&) = delete;

    void walk(const std::string& folderText);

private:
    void entry(const std::filesystem::directory_entry& entry, std::filesystem::recursive_directory_iterator& it);
    void takeOldest(const std::string& currentFile);
    // Waits for every pending task; folderText names the folder in the lines
    // of failed tasks (none: the lines are not written).
    void drain(const std::string* folderText);
    void showProgress(bool now);

    std::shared_ptr<AirportScanShared> m_shared;
    std::string m_stock;
    std::deque<WorkerResult<void>> m_pending;  // oldest first
    Clock::time_point m_shownAt{};
};

void FolderWalk::walk(const std::string& folderText) {
    m_shared->log.add(fmt::format("Scanning for addon airports in {}", folderText));
    gf_setDisplayText(DisplayText::scanFolder, folderText);
    showProgress(true);
    std::error_code ec;
    std::filesystem::recursive_directory_iterator it(
        gf_pathFromWindowsText(folderText), std::filesystem::directory_options::skip_permission_denied, ec);
    // A stop ends the walk: no further task would be started anyway, and a
    // large scenery library would keep the run's end waiting.
    while (!ec && it != std::filesystem::recursive_directory_iterator() && !gf_stopUnderWay()) {
        try {
            entry(*it, it);
        } catch (const std::exception& e) {
            m_shared->log.add(fmt::format("{} airports search in folder {} aborted, cause: {}", warningMark,
                                          folderText, e.what()));
        }
        it.increment(ec);
    }
    if (ec)
        m_shared->log.add(fmt::format("{} airports search in folder {} aborted because of iterator problem: {}",
                                      warningMark, folderText, ec.message()));
    drain(&folderText);
    showProgress(true);
}

void FolderWalk::entry(const std::filesystem::directory_entry& entry,
                       std::filesystem::recursive_directory_iterator& it) {
    const std::filesystem::path& path = entry.path();
    const std::string pathText = gf_windowsPathText(path);
    if (!m_stock.empty() && gf_isInsideFolder(pathText, m_stock)) {
        it.disable_recursion_pending();
        return;
    }
    std::error_code ec;
    if (!entry.is_regular_file(ec)) return;
    if (!lf_isBglExtension(path.extension()) || lf_isSkippedBglPath(pathText)) return;
    if (!gf_hasAirportSection(path)) return;
    if (gf_stopUnderWay()) return;
    m_pending.push_back(gf_startWorkerTask([shared = m_shared, path] { gf_processBglFile(*shared, path); }));
    if (m_pending.size() > static_cast<std::size_t>(gf_workerLimit())) takeOldest(pathText);
    showProgress(false);
}

void FolderWalk::takeOldest(const std::string& currentFile) {
    const std::size_t pending = m_pending.size();
    WorkerResult<void> oldest = std::move(m_pending.front());
    m_pending.pop_front();
    try {
        oldest.get();
    } catch (const std::exception& e) {
        m_shared->log.add(fmt::format("{} airports search aborted, futs inner, \n{}\n{}\n{}", warningMark, e.what(),
                                      pending, currentFile));
    } catch (...) {
        m_shared->log.add(fmt::format("{} airports search aborted, futs inner, \nunknown error\n{}\n{}", warningMark,
                                      pending, currentFile));
    }
}

void FolderWalk::drain(const std::string* folderText) {
    while (!m_pending.empty()) {
        WorkerResult<void> oldest = std::move(m_pending.front());
        m_pending.pop_front();
        try {
            oldest.get();
        } catch (const std::exception& e) {
            if (folderText)
                m_shared->log.add(fmt::format("{} airports search in {} aborted, futs outer error: {}", warningMark,
                                              *folderText, e.what()));
        } catch (...) {
            if (folderText)
                m_shared->log.add(fmt::format("{} airports search in {} aborted, futs outer error: unknown",
                                              warningMark, *folderText));
        }
    }
}

void FolderWalk::showProgress(bool now) {
    const auto at = Clock::now();
    if (!now && at - m_shownAt < progressInterval) return;
    m_shownAt = at;
    g_mainWindowState.airportsScanned = m_shared->airportsRead.load();
    gf_invalidateBand(g_middleBand);
}

void lf_scanAirportFolders(const std::shared_ptr<AirportScanShared>& shared, const std::vector<std::string>& folders) {
    const std::string stock = gf_windowsPathText(gf_stockAirportsPath());
    for (const std::string& folder : folders) {
        if (gf_stopUnderWay()) break;
        if (folder.empty()) continue;
        const std::filesystem::path path = gf_pathFromWindowsText(folder);
        std::error_code ec;
        if (!std::filesystem::exists(path, ec)) {
            gf_showMessage(folder + " does not exist, skipped!", true);
            continue;
        }
        if (!std::filesystem::is_directory(path, ec)) {
            gf_showMessage(folder + " is not a folder name, skipped!", true);
            continue;
        }
        if (!stock.empty() && gf_isInsideFolder(folder, stock)) continue;
        FolderWalk(shared, stock).walk(folder);
    }
    g_mainWindowState.airportsScanned = 0;
    gf_setDisplayText(DisplayText::scanFolder, {});
    gf_invalidateBand(g_middleBand);
}

bool lf_runAirportsScan(const std::vector<std::string>& folders) {
    std::error_code ec;
    std::filesystem::remove(g_airportsScanLogFile, ec);
    if (ec) gf_logLine("problems with removing previous files (maybe still open?)");
    g_tbloCount = 0;
    const auto shared = std::make_shared<AirportScanShared>();
    lf_scanAirportFolders(shared, folders);

    const std::string logText = gf_pathText(g_airportsScanLogFile);
    if (gf_writeLines(shared->log.take(), g_airportsScanLogFile))
        gf_logLine("{} written", logText);
    else
        gf_logMarked("could not write {}", logText);
    gf_clearMessage();

    const std::vector<std::string> orbx = gf_findXmlFiles(g_myOrbxFolder);
    const std::vector<std::string> thirdparty = gf_findXmlFiles(g_myThirdpartyFolder);
    g_mainWindowState.airportsComplete = orbx.empty();
    gf_invalidateBand(g_statusBand);
    if (!gf_stopUnderWay()) {
        gf_handOffForLearning(HandOffFolder::orbx, orbx);
        gf_handOffForLearning(HandOffFolder::thirdparty, thirdparty);
    }
    const bool changed = shared->filesChanged.load();
    if (changed) gf_logLine("Airports scan successful");
    return changed;
}

void lf_prepareTblo() {
    std::error_code ec;
    if (std::filesystem::exists(g_tbloFolder, ec))
        gf_clearSubfolders(g_tbloFolder);
    else
        std::filesystem::create_directories(g_tbloFolder);
}

}  // namespace

void gf_scanAddonAirports() {
    gf_showMessage("Scanning for addon airports ...", false);
    const bool automatic = AFG_AUTOMATIC.value;
    gf_logLine("\n++++++++++++++++++++++++ airports scan {} starts +++++++++++++++++++++++++++++",
               automatic ? "automatic " : "manual ");
    lf_prepareTblo();

    std::vector<std::string> folders;
    folders.reserve(folderListReserve);
    const std::string stock = gf_windowsPathText(gf_stockAirportsPath());
    if (automatic) {
        const std::string version = gf_getSimVersion();
        if (const auto cfg = platform::simSceneryCfgFile(version))
            gf_readSceneryCfg(*cfg, SIM_INSTALL_PATH.value.get(), stock, folders);
        if (const auto xml = platform::simSceneryAddOnsFile(version)) gf_readSceneryAddOnsXml(*xml, folders);
        if (!platform::programDataFolder()) gf_logLine("Could not find the ProgramData folder");
    } else {
        gf_readAfolderParameters(stock, folders);
        if (folders.empty())
            throw UserErrorException(errorNoAfolder,
                                     "Set afolder parameter(-s) to your add-on airports first, see Manual 6.1");
    }
    gf_clearSubfolders(g_myOrbxFolder);
    gf_clearSubfolders(g_myThirdpartyFolder);

    if (!lf_runAirportsScan(folders)) gf_showMessage("Warning: Scan has not found any add-on airports", true);

    if (gf_stopUnderWay()) {
        // Switched off now, the airports the scan did not reach would stay unscanned.
        gf_logLine("Airports scan stopped before its end, SCAN_AIRPORTS stays on");
    } else {
        SCAN_AIRPORTS.value = false;
        gf_saveBoolParameter(SCAN_AIRPORTS);
        gf_setCheckBox(SCAN_AIRPORTS);
        gf_invalidateBand(g_statusBand);
    }
    if (gf_countFolderEntries(g_tbloFolder) == 0) {
        std::error_code ec;
        std::filesystem::remove(g_tbloFolder, ec);
    }
    gf_logLine("-------------------------- airports scan ends    ----------------------------\n");
}

}  // namespace zrb
