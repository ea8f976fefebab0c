#include "liveries/livery_scan.h"

#include <algorithm>
#include <deque>
#include <exception>
#include <map>
#include <string>
#include <system_error>
#include <utility>

#include <fmt/format.h>

#include "config/meta_info.h"
#include "config/parameter_controls.h"
#include "config/parameter_store.h"
#include "config/parameters.h"
#include "foundation/log.h"
#include "foundation/number_text.h"
#include "foundation/strings.h"
#include "foundation/text_file.h"
#include "foundation/user_error.h"
#include "foundation/windows_path.h"
#include "foundation/worker_throttle.h"
#include "liveries/aircraft_cfg_file.h"
#include "liveries/ivao_package.h"
#include "liveries/liveries_scanned_file.h"
#include "liveries/livery_folder_sources.h"
#include "liveries/livery_processing.h"
#include "liveries/regcode_files.h"
#include "liveries/scan_findings.h"
#include "liveries/scan_reports.h"
#include "shell/common/main_window_state.h"
#include "shell/common/message_line.h"
#include "foundation/stop_flags.h"

namespace zrb {

namespace fs = std::filesystem;

namespace {

constexpr int errorNothingFoundAutomatic = 43;
constexpr int errorNoFolderSet = 48;
constexpr int errorNothingFoundManual = 53;
// Paths this long are not entered: Windows could not open what lies below.
constexpr std::size_t maxWalkedPathLength = 250;
constexpr std::string_view sceneryMark = "airport";  // scenery folders hold no liveries
constexpr std::string_view ivaoMarks[] = {"ivao_x-csl", "IVAO_MTL"};

using TaskResult = WorkerResult<std::vector<LiveryData>>;

bool lf_isConfigFile(const fs::path& path) {
    const std::string stem = gf_pathText(path.stem());
    return gf_equalsUppercased(".CFG", gf_pathText(path.extension())) &&
           (gf_equalsUppercased("AIRCRAFT", stem) || gf_equalsUppercased("SIM", stem));
}

bool lf_isIvaoPath(std::string_view text) {
    return std::any_of(std::begin(ivaoMarks), std::end(ivaoMarks),
                       [&](std::string_view mark) { return text.find(mark) != std::string_view::npos; });
}

// One folder's walk: starts a task per configuration file and collects the
// results into g_scannedLiveries, oldest first.
class FolderWalk {
public:
    explicit FolderWalk(std::int32_t folderIndex) : m_folderIndex(folderIndex) {}

    void walk(const fs::path& folder) {
        walkFolder(folder);
        while (!m_pending.empty()) takeOldest("outer");
    }

private:
    void walkFolder(const fs::path& folder) {
        std::error_code ec;
        fs::directory_iterator it(folder, ec);
        for (const fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
            // Stopping: no new task; those started are still collected.
            if (gf_stopUnderWay()) return;
            examine(*it);
        }
        // An unreadable folder ends its own walk only; its siblings are walked.
        if (ec)
            gf_logMarked("liveries search in folder {} aborted because of iterator problem: {}", gf_pathText(folder),
                         ec.message());
    }

    void examine(const fs::directory_entry& entry) {
        const std::string text = gf_pathText(entry.path());
        try {
            if (lf_isConfigFile(entry.path())) startTaskIfFile(entry, text);
            const bool enter = text.find(sceneryMark) == std::string::npos && text.size() < maxWalkedPathLength;
            std::error_code ec;
            if (enter && entry.is_directory(ec) && !entry.is_symlink(ec)) walkFolder(entry.path());
        } catch (const std::exception& e) {
            gf_logMarked("liveries search in {} aborted, cause: {}", text, e.what());
        }
    }

    void startTaskIfFile(const fs::directory_entry& entry, const std::string& text) {
        std::error_code ec;
        const fs::file_status status = entry.status(ec);
        if (ec) throw fs::filesystem_error("status", entry.path(), ec);  // a broken link among them
        if (!fs::is_regular_file(status)) return;
        const bool ivao = lf_isIvaoPath(text);
        m_pending.push_back(gf_startWorkerTask([index = m_folderIndex, path = entry.path(), ivao] {
            return ivao ? lf_searchIvaoLiveriesinFile(index, path) : lf_searchLiveriesinFile(index, path);
        }));
        if (m_pending.size() > static_cast<std::size_t>(std::max(gf_workerLimit(), 1))) takeOldest("inner");
    }

    void takeOldest(std::string_view where) {
        try {
            std::vector<LiveryData> liveries = m_pending.front().get();
            g_scannedLiveries.insert(g_scannedLiveries.end(), std::make_move_iterator(liveries.begin()),
                                     std::make_move_iterator(liveries.end()));
        } catch (const std::exception& e) {
            gf_logMarked("liveries search aborted, futs {}, {}", where, e.what());
        }
        m_pending.pop_front();
    }

    std::int32_t m_folderIndex;
    std::deque<TaskResult> m_pending;
};

std::size_t lf_scanLiveryFolder(std::int32_t folderIndex, const fs::path& folder) {
    const std::size_t before = g_scannedLiveries.size();
    FolderWalk(folderIndex).walk(folder);
    return g_scannedLiveries.size() - before;
}

// For each airline and type only the liveries of the highest-priority folder.
void lf_keepPrioritized(std::vector<LiveryData>& liveries) {
    std::map<std::pair<std::string, std::string>, std::int32_t> best;
    for (const LiveryData& l : liveries) {
        auto [it, inserted] = best.try_emplace({l.airl, l.type}, l.folderIndex);
        if (!inserted) it->second = std::min(it->second, l.folderIndex);
    }
    std::erase_if(liveries, [&](const LiveryData& l) { return l.folderIndex > best.at({l.airl, l.type}); });
}

// The finding lists and titles of a scan never reach the next scan of the
// process, however this one ends.
struct ResetScanListsAtEnd {
    ~ResetScanListsAtEnd() { lf_resetScanLists(); }
};

std::vector<fs::path> lf_manualFolders() {
    std::vector<fs::path> folders;
    for (const StringParameter* folder : g_lfolders) {
        const std::string text = folder->value.get();
        if (!text.empty()) folders.push_back(gf_pathFromWindowsText(text));
    }
    return folders;
}

}  // namespace

LiveryScanOutcome lf_scanLiveryFolders(const std::vector<fs::path>& folders) {
    g_scannedLiveries.clear();
    lf_resetScanLists();
    const ResetScanListsAtEnd reset;
    lf_removePreviousScanFiles();
    lf_readDontUseTitles();

    std::int32_t ordinal = 0;
    std::size_t total = 0;
    for (const fs::path& folder : folders) {
        if (folder.empty()) continue;
        const std::string text = gf_pathText(folder);
        std::error_code ec;
        const fs::file_status status = fs::status(folder, ec);
        if (!fs::exists(status)) {
            gf_logLine("{} does not exist, skipped!", text);
            continue;
        }
        if (!fs::is_directory(status)) {
            gf_logLine("{} is not a folder name, skipped!", text);
            continue;
        }
        ordinal = std::min(ordinal + 1, g_maxFolderIndex);
        if (gf_stopUnderWay()) continue;
        const std::size_t found = lf_scanLiveryFolder(ordinal, folder);
        const std::string where = fmt::format("found in {}", text);
        if (found < 1)
            gf_logLine("No liveries {}", where);
        else
            gf_logLine("{} liverie{} {}", found, gf_plural(found), where);
        total += found;
    }
    if (gf_stopUnderWay()) {
        g_scannedLiveries.clear();
        return LiveryScanOutcome::cancelled;
    }
    if (g_scannedLiveries.empty()) {
        g_mainWindowState.liveries = 0;
        gf_invalidateBand(g_statusBand);
        return LiveryScanOutcome::nothingFound;
    }
    if (folders.size() > 1) gf_logLine("{} in total", total);
    lf_logCodeFixes(g_scannedLiveries);
    if (LIG_PRIORITIZE.value) lf_keepPrioritized(g_scannedLiveries);
    gf_sortLiveries(g_scannedLiveries);
    g_scannedLiveries.erase(std::unique(g_scannedLiveries.begin(), g_scannedLiveries.end()), g_scannedLiveries.end());
    const bool saved = lf_writeLiveriesScannedXml(g_scannedLiveries);
    g_scannedLiveries.clear();
    lf_writeScanErrorSummary();
    gf_clearMessage();
    return saved ? LiveryScanOutcome::done : LiveryScanOutcome::notSaved;
}

void gf_scanLiveries() {
    if (!SCAN_LIVERIES.value) {
        gf_processScannedLiveries();
        return;
    }
    g_metaSimulator = std::string(g_metaP3d.name);
    const bool automatic = LIG_AUTOMATIC.value;
    gf_showMessageF(false, "Scanning {} for liveries ...", LIG_PRIORITIZE.value && !automatic ? "prioritized " : "");
    gf_logLine("\n++++++++++++++++++++++++ liveries scan {} starts ++++++++++++++++++++++++++++++++",
               automatic ? "automatic" : "manual");
    std::vector<fs::path> folders;
    folders.reserve(g_lfolders.size());
    if (automatic) {
        lf_readP3DAddOnsAircraft(folders);
        lf_readP3DSimObjectsCfg(folders);
    } else {
        folders = lf_manualFolders();
        if (folders.empty())
            throw UserErrorException(errorNoFolderSet, "Set lfolder parameter(-s) to your liveries first, see Manual "
                                                       "5.1 (or check Liveries automatic)");
    }
    switch (lf_scanLiveryFolders(folders)) {
    case LiveryScanOutcome::cancelled:
        // The run is ending: SCAN_LIVERIES stays on and the previous result stays.
        return;
    case LiveryScanOutcome::nothingFound:
        if (automatic)
            throw UserErrorException(errorNothingFoundAutomatic, "Automatic scan has not found any liveries, switch "
                                                                 "off automatic and set lfolder parameter(-s), Manual "
                                                                 "5.1");
        throw UserErrorException(errorNothingFoundManual, "no liveries found");
    case LiveryScanOutcome::notSaved:
        // SCAN_LIVERIES stays on, so the next start scans again.
        gf_showMessageF(false, "could not save to '{}'", gf_pathText(g_liveriesScannedFile));
        break;
    case LiveryScanOutcome::done:
        SCAN_LIVERIES.value = false;
        gf_saveBoolParameter(SCAN_LIVERIES);
        gf_setCheckBox(SCAN_LIVERIES);
        gf_invalidateBand(g_middleBand);
        gf_logLine("\n++++++++++++++++++++++++ liveries scan ends ++++++++++++++++++++++++++++++++\n");
        break;
    }
    gf_processScannedLiveries();
}

}  // namespace zrb
