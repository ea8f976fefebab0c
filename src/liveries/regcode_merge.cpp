#include "liveries/regcode_merge.h"

#include <filesystem>

#include "config/paths.h"
#include "foundation/folders.h"
#include "foundation/log.h"
#include "foundation/text_file.h"
#include "liveries/encrypted_file.h"
#include "liveries/livery_tables.h"
#include "shell/common/message_line.h"

namespace zrb {

std::vector<std::string> g_regcodeReport;

namespace {

namespace fs = std::filesystem;

void lf_processAigRegcodeFile() {
    const std::string pathText = gf_pathText(g_regcodesXmlFile);
    g_regcodeReport.push_back(fmt::format("Processing file {}", pathText));
    RegcodeEntries entries;
    if (!gf_readAigRegcodesXml(entries))
        g_regcodeReport.push_back(
            fmt::format("There were errors processing the AIG-regcode file '{}', see Log.txt", pathText));
    lf_mergeRegcodes(entries);
}

bool lf_hasUserFiles() {
    try {
        return gf_countFolderEntries(g_myRegcodesFolder) > 0;
    } catch (const fs::filesystem_error& e) {
        gf_logMarked("Error reading regcode files in {}, what: {}", gf_pathText(g_myRegcodesFolder), e.what());
        return false;
    }
}

void lf_processRegcodeFolder() {
    if (!lf_hasUserFiles()) return;
    const std::string folderText = gf_pathText(g_myRegcodesFolder);
    g_regcodeReport.push_back(fmt::format("Processing files in {}", folderText));
    RegcodeEntries entries;
    if (!gf_readRegcodeTxtFiles(g_myRegcodesFolder, entries)) {
        std::string text =
            fmt::format("There were errors processing the regcode files in folder '{}', see Log.txt", folderText);
        gf_showMessage(text, true);
        g_regcodeReport.push_back(std::move(text));
    }
    lf_mergeRegcodes(entries);
}

}  // namespace

void lf_mergeRegcodes(const RegcodeEntries& entries) {
    std::size_t added = 0;
    std::size_t replaced = 0;
    std::size_t special = 0;
    for (const RegcodeEntry& entry : entries) {
        const std::string_view title = lf_findIndexedTitle(entry.title);
        if (title.empty()) continue;
        for (const std::string& registration : entry.registrations) {
            const auto [mapped, inserted] = g_regcodeMap.try_emplace(registration, title);
            if (inserted) {
                ++added;
            } else if (mapped->second != title) {
                g_regcodeReport.push_back(fmt::format("   regcode {} for '{}', instead of the same for '{}'",
                                                      registration, title, mapped->second));
                mapped->second = title;
                ++replaced;
            }
        }
        if (entry.special) {
            gf_addSpecialTitle(title);
            ++special;
        }
    }
    std::string summary = fmt::format("{} new regcode{} added", added, gf_pluralSuffix(added));
    if (replaced > 0) summary += fmt::format(", {} regcode{} replaced", replaced, gf_pluralSuffix(replaced));
    if (special > 0) summary += fmt::format(", {} regcode{} defined as special", special, gf_pluralSuffix(special));
    g_regcodeReport.push_back(std::move(summary));
}

void lf_processInlineRegcodes(const std::vector<InlineRegcode>& liveries) {
    std::vector<std::string> clashes;
    for (const InlineRegcode& livery : liveries) {
        if (livery.atcid.empty()) continue;
        const std::string_view title = lf_findIndexedTitle(livery.title);
        if (title.empty()) continue;
        const auto [mapped, inserted] = g_regcodeMap.try_emplace(std::string(livery.atcid), title);
        if (!inserted && mapped->second != title)
            clashes.push_back(fmt::format("{} '{}' => already in use by '{}'", livery.atcid, title, mapped->second));
    }
    if (clashes.empty()) return;
    std::error_code error;
    fs::create_directories(g_outputErrorsFolder, error);
    if (!gf_writeLines(clashes, g_inlineRegcodesFile))
        gf_logMarked("could not write '{}'", gf_pathText(g_inlineRegcodesFile));
    gf_logLine("{} in-line regcode clashes, see '{}'", clashes.size(), gf_pathText(g_inlineRegcodesFile));
}

void lf_processOfflineRegcodes() {
    g_regcodeReport.clear();
    if (gf_streamDecrypt(g_regcodesEncFile, g_regcodesXmlFile)) {
        try {
            lf_processAigRegcodeFile();
        } catch (...) {
            gf_removeFile(g_regcodesXmlFile);
            throw;
        }
        gf_removeFile(g_regcodesXmlFile);
    }
    // The user's own codes count whether or not the shipped file could be read.
    lf_processRegcodeFolder();
    gf_removeFile(g_offlineRegcodesFile);
    if (!g_regcodeReport.empty()) {
        std::error_code error;
        fs::create_directories(g_outputInfoFolder, error);
        if (gf_writeLines(g_regcodeReport, g_offlineRegcodesFile))
            gf_logLine("Offline regcode files processed, results can be found in '{}'",
                       gf_pathText(g_offlineRegcodesFile));
        else
            gf_logMarked("could not write '{}'", gf_pathText(g_offlineRegcodesFile));
    }
    g_regcodeReport.clear();
    if (!g_specialTitles.empty()) gf_logLine("{} special liveries", g_specialTitles.size());
}

}  // namespace zrb
