#include "liveries/aircraft_cfg_file.h"

#include <charconv>
#include <exception>
#include <fstream>
#include <system_error>

#include <fmt/format.h>

#include "foundation/ansi_text.h"
#include "foundation/log.h"
#include "foundation/text_file.h"
#include "liveries/aircraft_cfg_entries.h"
#include "liveries/dbase.h"
#include "liveries/scan_findings.h"

namespace zrb {

namespace fs = std::filesystem;

namespace {

// Far above any real aircraft.cfg; a larger file is something else by that name.
constexpr std::uintmax_t maxAircraftCfgBytes = 16U * 1024U * 1024U;
constexpr std::size_t reservedLines = 4048;
constexpr std::size_t reservedSectionLines = 48;
constexpr std::int32_t maxFltsimNumber = 10000;
// A line with "[" this early heads a section of its own.
constexpr std::size_t sectionMarkReach = 6;

bool lf_canOpen(const fs::path& path) { return std::ifstream(path, std::ios::binary).is_open(); }

void lf_processSection(std::vector<std::string>& section, const std::string& type, const AircraftCfgPlace& place,
                       std::vector<LiveryData>& liveries) {
    for (LiveryData& livery : lf_procesFltSimSection(section, type, place)) liveries.push_back(std::move(livery));
    section.clear();
}

std::vector<LiveryData> lf_splitFltSimSections(const std::vector<std::string>& lines, const std::string& type,
                                               const AircraftCfgPlace& place) {
    std::vector<LiveryData> liveries;
    std::vector<std::string> section;
    section.reserve(reservedSectionLines);
    bool open = false;
    for (const std::string& line : lines) {
        if (!lf_fltsimNumber(line).empty()) {
            if (!section.empty()) lf_processSection(section, type, place, liveries);
            open = true;
            section.push_back(line);
        } else if (line.find('[') < sectionMarkReach) {
            if (open && !section.empty()) lf_processSection(section, type, place, liveries);
            open = false;
        } else if (open) {
            section.push_back(line);
        }
    }
    if (open && !section.empty()) lf_processSection(section, type, place, liveries);
    return liveries;
}

std::vector<LiveryData> lf_liveriesOfFile(std::int32_t folderIndex, const fs::path& path) {
    std::error_code ec;
    if (!fs::exists(path, ec)) return {};
    const AircraftCfgPlace place = gf_aircraftCfgPlace(folderIndex, path);
    std::vector<std::string> lines;
    if (!gf_readAircraftCfgLines(place, lines, false)) return {};
    if (!lf_checkFltsimNumbers(lines, place.pathText)) return {};
    const std::string type = lf_fixAtcModel(place.pathText, lines);
    if (type.empty()) return {};
    return lf_splitFltSimSections(lines, type, place);
}

}  // namespace

bool gf_readAircraftCfgLines(const AircraftCfgPlace& place, std::vector<std::string>& lines, bool noCharsetLog) {
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(place.path, ec);
    if (!ec && size > maxAircraftCfgBytes) {
        lf_addInvalidAircraftCfg(fmt::format("{} is larger than {} bytes, not read", place.pathText, maxAircraftCfgBytes));
        return false;
    }
    const TextCharset charset = gf_detectCharset(place.path);
    if (charset == TextCharset::noneFound) {
        if (noCharsetLog) gf_logMarked("No character set found for {}", place.pathText);
        // Too short to hold anything is no fault; a file the scan cannot open is.
        if (!lf_canOpen(place.path)) lf_addInvalidAircraftCfg(fmt::format("{} cannot be read", place.pathText));
        return false;
    }
    lines.reserve(reservedLines);
    if (!gf_readTextFileInCharset(charset, place.path, lines, LegacyLines::keepBytes)) return false;
    std::string title;
    for (std::string& line : lines) {
        // UTF-16 files keep the CR of their line ends; findings quote lines.
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // The simulator creates a livery by its title as the file holds it: a
        // title made UTF-8 here would reach it in other bytes and be refused.
        // Everything else becomes UTF-8 before it is a path or compared.
        if (!gf_isWellFormedUtf8(line) && !lf_readTitle(line, title)) line = gf_ansiToUtf8(line);
    }
    return true;
}

bool lf_checkFltsimNumbers(const std::vector<std::string>& lines, std::string_view pathText) {
    bool any = false;
    std::int32_t highest = 0;
    for (const std::string& line : lines) {
        const std::string digits = lf_fltsimNumber(line);
        if (digits.empty()) continue;
        std::int32_t number = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
        if (error != std::errc() || end != digits.data() + digits.size()) {
            gf_logMarked("fltsim num {} incorrect", digits);
            return false;
        }
        any = true;
        highest = std::max(highest, number);
    }
    if (!any) {
        g_emptyAircraftCfgFiles.append(std::string(pathText));
        return true;
    }
    if (highest > maxFltsimNumber) {
        lf_addInvalidAircraftCfg(
            fmt::format("{} contains a [fltsim.x] section with a number < 0 or > {}", pathText, maxFltsimNumber));
        return false;
    }
    return true;
}

std::string gf_knownOrFixedType(const std::string& code, std::string_view pathText) {
    if (!code.empty() && gf_isKnownType(code)) return code;
    if (const auto fix = g_dbaseModelFixes.find(code); fix != g_dbaseModelFixes.end()) {
        lf_addCodeFix(fmt::format("Model fix: {} found in {} changed into {}", code, pathText, fix->second));
        return fix->second;
    }
    lf_addInvalidAircraftCode(code, pathText);
    return {};
}

std::string lf_fixAtcModel(std::string_view pathText, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        const std::string code = lf_atcModelValue(line);
        if (!code.empty()) return gf_knownOrFixedType(code, pathText);
    }
    lf_addInvalidAircraftCfg(fmt::format("Line atc_model= is missing in [General] section of {}", pathText));
    return {};
}

std::vector<LiveryData> lf_searchLiveriesinFile(std::int32_t folderIndex, const fs::path& path) {
    try {
        return lf_liveriesOfFile(folderIndex, path);
    } catch (const std::exception& e) {
        gf_logLine("Exception in lf_searchLiveriesinFile {}: {}", gf_pathText(path), e.what());
        throw;
    }
}

}  // namespace zrb
