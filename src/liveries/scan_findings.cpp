#include "liveries/scan_findings.h"

#include <algorithm>

#include <fmt/format.h>

#include "foundation/ansi_text.h"

namespace zrb {

namespace {

std::mutex g_scannedTitlesMutex;  // owns g_scannedTitles
std::unordered_set<std::string> g_scannedTitles;

}  // namespace

void FindingList::append(std::string line) {
    const std::lock_guard lock(m_mutex);
    m_lines.push_back(std::move(line));
}

std::vector<std::string> FindingList::lines() const {
    const std::lock_guard lock(m_mutex);
    return m_lines;
}

std::size_t FindingList::size() const {
    const std::lock_guard lock(m_mutex);
    return m_lines.size();
}

void FindingList::clear() {
    const std::lock_guard lock(m_mutex);
    m_lines.clear();
}

void lf_addInvalidAirline(std::string_view code, std::string_view path, std::string_view tail) {
    g_invalidAirlineCodes.append(fmt::format("{:12} in {} {}", code, path, tail));
}

void lf_addInvalidAircraftCode(std::string_view code, std::string_view path) {
    g_invalidAircraftCodes.append(fmt::format("{:16} in {}", code, path));
}

void lf_addCodeFix(std::string line) { g_codeFixes.append(std::move(line)); }
void lf_addInvalidAircraftCfg(std::string line) { g_invalidAircraftCfgFiles.append(std::move(line)); }
void lf_addIncompleteSection(std::string line) { g_incompleteFltsimSections.append(std::move(line)); }

LiveryData lf_makeLiveryData(std::int32_t folderIndex, std::string airl, std::string type, bool passenger,
                             std::string title, std::string atcid) {
    {
        const std::lock_guard lock(g_scannedTitlesMutex);
        if (!g_scannedTitles.insert(title).second) return {};
    }
    return {std::move(airl), std::move(type), std::move(title), std::move(atcid), folderIndex, !passenger};
}

bool lf_isDontUseTitle(std::string_view title) {
    const std::string text = gf_legacyTextToUtf8(title);
    return std::find(g_dontUseTitles.begin(), g_dontUseTitles.end(), text) != g_dontUseTitles.end();
}

void lf_resetScanLists() {
    for (FindingList* list : {&g_invalidAirlineCodes, &g_invalidAircraftCodes, &g_codeFixes,
                              &g_invalidAircraftCfgFiles, &g_incompleteFltsimSections, &g_emptyAircraftCfgFiles})
        list->clear();
    g_airlineModelConversions.clear();
    {
        const std::lock_guard lock(g_scannedTitlesMutex);
        g_scannedTitles.clear();
    }
    g_dontUseTitles.clear();
}

}  // namespace zrb
