#include "liveries/scan_reports.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <string>
#include <system_error>

#include <fmt/format.h>

#include "config/paths.h"
#include "foundation/log.h"
#include "foundation/number_text.h"
#include "foundation/text_file.h"
#include "liveries/dbase.h"
#include "liveries/scan_findings.h"

namespace zrb {

namespace fs = std::filesystem;

namespace {

constexpr int titleWidth = 80;

std::vector<std::string> lf_sortedLines(const FindingList& list) {
    std::vector<std::string> lines = list.lines();
    std::sort(lines.begin(), lines.end());
    return lines;
}

void lf_writeErrorReport(const std::vector<std::string>& lines, const fs::path& file) {
    if (!fs::exists(g_outputErrorsFolder)) fs::create_directory(g_outputErrorsFolder);
    (void)gf_writeLines(lines, file);
}

void lf_addConversion(const LiveryData& livery, std::string_view what, std::string_view before,
                      std::string_view after) {
    g_airlineModelConversions.push_back(
        fmt::format("{:{}} {} {} {} => {}", livery.title, titleWidth, livery.atcid, what, before, after));
}

std::string_view lf_boolText(bool value) { return value ? "true" : "false"; }

}  // namespace

void lf_removePreviousScanFiles() {
    for (const fs::path* file : {&g_noFltsimSectionFile, &g_inlineRegcodesFile, &g_invalidAirlineCodesFile,
                                 &g_invalidAircraftCodesFile, &g_fixesFile, &g_invalidAircraftCfgFilesFile,
                                 &g_incompleteFltsimSectionsFile, &g_outputErrorsFolder}) {
        std::error_code ec;
        fs::remove(*file, ec);
        // Removing each one on its own: a file held open by an editor must not
        // keep the other stale reports beside the fresh ones.
        if (ec)
            gf_logLine("problems with removing previous files: {}", fs::filesystem_error("remove", *file, ec).what());
    }
}

void lf_logCodeFixes(std::vector<LiveryData>& liveries) {
    for (LiveryData& livery : liveries) {
        if (livery.atcid.empty()) continue;
        const auto record = gf_findDbaseRecord(livery.atcid);
        if (!record) continue;
        if (livery.cargo != record->cargo) {
            lf_addConversion(livery, "cargo", lf_boolText(livery.cargo), lf_boolText(record->cargo));
            livery.cargo = record->cargo;
        }
        const std::string& airline = record->opr.empty() ? record->airl : record->opr;
        // An empty code would leave a livery no airline or type could ever find.
        if (!airline.empty() && livery.airl != airline) {
            lf_addConversion(livery, "airl", livery.airl, airline);
            livery.airl = airline;
        }
        if (!record->type.empty() && livery.type != record->type) {
            lf_addConversion(livery, "model", livery.type, record->type);
            livery.type = record->type;
        }
    }
}

void lf_writeFixesFile() {
    try {
        const fs::path folder = g_fixesFile.parent_path();
        std::error_code ec;
        fs::create_directories(folder, ec);
        if (ec) throw fs::filesystem_error("create_directories", folder, ec);
        (void)gf_writeLines(g_codeFixes.lines(), g_fixesFile);
    } catch (const std::exception& e) {
        gf_logLine("Error writing file {}: {}", gf_pathText(g_fixesFile), e.what());
    }
}

void lf_writeScanErrorSummary() {
    const std::size_t airlines = g_invalidAirlineCodes.size();
    const std::size_t models = g_invalidAircraftCodes.size();
    const std::size_t fixes = g_codeFixes.size();
    const std::size_t files = g_invalidAircraftCfgFiles.size();
    const std::size_t sections = g_incompleteFltsimSections.size();
    const std::size_t emptyFiles = g_emptyAircraftCfgFiles.size();
    const bool noErrors = airlines + models + fixes + files + sections == 0;
    gf_logLine(noErrors ? "\nNo errors" : "\nErrors:");
    if (airlines > 0) {
        lf_writeErrorReport(lf_sortedLines(g_invalidAirlineCodes), g_invalidAirlineCodesFile);
        gf_logLine("{} invalid airline code{}, see {}", airlines, gf_plural(airlines),
                   gf_pathText(g_invalidAirlineCodesFile));
    }
    if (models > 0) {
        lf_writeErrorReport(lf_sortedLines(g_invalidAircraftCodes), g_invalidAircraftCodesFile);
        gf_logLine("{} invalid model code{}, see {}", models, gf_plural(models),
                   gf_pathText(g_invalidAircraftCodesFile));
    }
    if (fixes > 0) {
        lf_writeFixesFile();
        gf_logLine("{} code fixes, see {}", fixes, gf_pathText(g_fixesFile));
    }
    if (files > 0) {
        lf_writeErrorReport(lf_sortedLines(g_invalidAircraftCfgFiles), g_invalidAircraftCfgFilesFile);
        gf_logLine("{} invalid aircraft.cfg files, see {}", files, gf_pathText(g_invalidAircraftCfgFilesFile));
    }
    if (sections > 0) {
        std::vector<std::string> lines = lf_sortedLines(g_incompleteFltsimSections);
        lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
        lf_writeErrorReport(lines, g_incompleteFltsimSectionsFile);
        gf_logLine("{} incomplete [fltsim.x] sections, see {}", sections, gf_pathText(g_incompleteFltsimSectionsFile));
    }
    gf_logLine("\nInformation:");
    if (emptyFiles > 0) {
        (void)gf_writeLines(lf_sortedLines(g_emptyAircraftCfgFiles), g_noFltsimSectionFile);
        gf_logLine("{} empty aircraft.cfg files, see {}", emptyFiles, gf_pathText(g_noFltsimSectionFile));
    }
    if (!g_airlineModelConversions.empty()) {
        (void)gf_writeLines(g_airlineModelConversions, g_airlineModelConversionsFile);
        gf_logLine("{} liveries updated with real live data from dbase, see {}", g_airlineModelConversions.size(),
                   gf_pathText(g_airlineModelConversionsFile));
    }
}

}  // namespace zrb
