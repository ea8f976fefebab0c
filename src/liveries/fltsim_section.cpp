#include "liveries/fltsim_section.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <system_error>

#include <fmt/format.h>

#include "foundation/log.h"
#include "foundation/strings.h"
#include "foundation/text_file.h"
#include "foundation/windows_path.h"
#include "liveries/aircraft_cfg_entries.h"
#include "liveries/dbase.h"
#include "liveries/scan_findings.h"

namespace zrb {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t maxRegistrationLength = 12;
// atc_parking_codes such as "BAWC" or "DLHX": the fourth letter only marks a
// variant of the three-letter airline.
constexpr std::size_t variantAirlineLength = 4;
constexpr std::size_t airlineLength = 3;
constexpr std::string_view refusedAirline = "RFO";  // sections the simulator must never use
constexpr std::string_view anonymousAirline = "ZZZ";  // an airline whose liveries carry no registration
constexpr std::string_view cargoMark = "CARGO";
constexpr std::string_view commentMark = "//";

// A status query whose failure only means "there is nothing by that name".
bool lf_meansMissing(const std::error_code& ec) {
    return ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory ||
           ec == std::errc::filename_too_long || ec == std::errc::invalid_argument;
}

fs::file_type lf_checkedType(const fs::path& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!ec) return status.type();
    if (status.type() == fs::file_type::not_found || lf_meansMissing(ec)) return fs::file_type::not_found;
    throw fs::filesystem_error("status", path, ec);
}

std::string lf_upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

void lf_judgeAirline(const std::string& value, SectionValues& v, const AircraftCfgPlace& place,
                     const std::string& firstLine) {
    std::string airline = value;
    if (airline.size() == variantAirlineLength && (airline.back() == 'X' || airline.back() == 'C'))
        airline.resize(airlineLength);
    if (!airline.empty() && gf_isIcaoAirline(airline)) {
        v.airline = std::move(airline);
    } else if (airline == refusedAirline) {
        v.airline = std::move(airline);
        v.rejected = true;
    } else {
        lf_addInvalidAirline(airline, place.pathText, firstLine);
    }
}

void lf_judgeAtcId(const std::string& value, SectionKind kind, SectionValues& v) {
    if (kind == SectionKind::ivao) {
        if (!lf_parseAtcIdList(value, v.registration))
            lf_addIncompleteSection(fmt::format("invalid atc_id={} in {}", value, v.title));
        return;
    }
    std::string_view kept = value;
    if (const std::size_t comment = kept.find(';'); comment != std::string_view::npos) kept = kept.substr(0, comment);
    if (!lf_parseAtcIdList(kept, v.registration))
        lf_addIncompleteSection(fmt::format("invalid atc_id={} in: {}", kept, v.title));
}

void lf_reject(SectionValues& v, std::string finding) {
    lf_addIncompleteSection(std::move(finding));
    v.rejected = true;
}

// Takes one line into the values; a repeated key rejects the section.
void lf_collectLine(const std::string& line, SectionKind kind, SectionValues& v, const AircraftCfgPlace& place,
                    const std::string& firstLine) {
    std::string value;
    if (v.title.empty()) {
        if (lf_readTitle(line, v.title)) return;
    } else if (lf_readTitle(line, value)) {
        return lf_reject(v, fmt::format("{} {} has more than one title key", place.folderText, firstLine));
    }
    if (kind == SectionKind::ivao) {
        // no airline from atc_parking_codes: it comes from the title
    } else if (v.airline.empty()) {
        const std::string codes = lf_parkingCodesValue(line);
        if (!codes.empty()) {
            std::vector<std::string> pieces = gf_splitCommaVector(codes);
            if (!pieces.empty()) {
                gf_normalizeCommaList(pieces.front());
                lf_judgeAirline(pieces.front(), v, place, firstLine);
                return;
            }
        }
    } else if (lf_hasParkingCodesKey(line)) {
        return lf_reject(v, fmt::format("{} {} has more than one atc_parking_codes key", place.folderText, firstLine));
    }
    if (v.parkingTypes.empty()) {
        if (lf_readParkingTypes(line, value)) {
            gf_normalizeCommaList(value);
            v.parkingTypes = lf_upper(std::move(value));
            return;
        }
    } else if (lf_hasParkingTypesKey(line)) {
        return lf_reject(v, fmt::format("{} {} has more than one atc_parking_types key", place.folderText, firstLine));
    }
    if (v.registration.empty()) {
        if (lf_readAtcId(line, value)) return lf_judgeAtcId(value, kind, v);
    } else if (lf_hasAtcIdKey(line)) {
        return lf_reject(v, fmt::format("{}, {}, has more than one atc_id key", place.folderText, firstLine));
    }
    if (v.model.empty() && lf_readModel(line, v.model)) return;
    if (v.sim.empty() && lf_readSim(line, v.sim)) return;
    if (v.texture.empty()) (void)lf_readTexture(line, v.texture);
}

bool lf_pathsExist(const SectionValues& v, const AircraftCfgPlace& place) {
    return gf_isDirectoryChecked(gf_modelFolder(place.folder, v.model)) &&
           gf_isDirectoryChecked(gf_textureFolder(place.folder, v.texture)) &&
           gf_isRegularFileChecked(gf_flightModelFile(place.folder, v.sim));
}

// The airline and registration of a section without a valid atc_parking_codes:
// the database's airline of its registration, else "PVT". False when a Heavy
// aircraft would become private.
bool lf_airlineFromRegistration(SectionValues& v, const std::string& type, const AircraftCfgPlace& place,
                                const std::string& firstLine) {
    const bool heavy = gf_typeCategory(type) == g_categoryHeavy;
    if (v.registration.empty()) {
        if (heavy) {
            lf_addIncompleteSection(
                fmt::format("'{}' '{}' has no airline and no regcode info", place.folderText, firstLine));
            return false;
        }
        v.airline = g_privateAirline;
        v.registration = gf_dbaseRegInText(v.title).value_or(std::string());
        return true;
    }
    if (const auto record = gf_findDbaseRecord(v.registration)) {
        v.airline = record->airl;
        return true;
    }
    if (heavy) {
        lf_addIncompleteSection(
            fmt::format("'{}' '{}' has no airline and regcode not in dbase", place.folderText, firstLine));
        return false;
    }
    v.airline = g_privateAirline;
    return true;
}

std::vector<LiveryData> lf_sectionLivery(std::vector<std::string>& lines, const std::string& type,
                                         const AircraftCfgPlace& place) {
    gf_dropTrailingComments(lines);
    const std::string& firstLine = lines.front();
    SectionValues v = gf_collectSectionValues(lines, SectionKind::generic, place);
    if (v.airline.empty())
        lf_addIncompleteSection(
            fmt::format("{} {} icao_airline is missing, or it has invalid info ", place.pathText, firstLine));
    if (v.rejected) return {};
    if (!lf_pathsExist(v, place)) {
        lf_addIncompleteSection(fmt::format("{} or related path does not exist: {}",
                                            gf_pathText(gf_modelFolder(place.folder, v.model)), firstLine));
        return {};
    }
    if (v.title.empty()) {
        lf_addIncompleteSection(fmt::format("{} {} misses title", place.folderText, firstLine));
        return {};
    }
    if (lf_isDontUseTitle(v.title)) return {};
    if (v.airline == anonymousAirline) v.registration.clear();
    if (v.airline.empty() && !lf_airlineFromRegistration(v, type, place, firstLine)) return {};
    const bool cargo = v.parkingTypes.find(cargoMark) != std::string::npos;
    LiveryData livery = lf_makeLiveryData(place.folderIndex, v.airline, type, !cargo, v.title, v.registration);
    if (livery.empty()) {
        lf_addIncompleteSection(fmt::format("{} {} title '{}' already exists", place.folderText, firstLine, v.title));
        return {};
    }
    return {std::move(livery)};
}

}  // namespace

SectionValues gf_collectSectionValues(const std::vector<std::string>& lines, SectionKind kind,
                                      const AircraftCfgPlace& place) {
    SectionValues v;
    if (lines.empty()) return v;
    for (const std::string& line : lines) {
        lf_collectLine(line, kind, v, place, lines.front());
        if (v.rejected) break;
    }
    return v;
}

AircraftCfgPlace gf_aircraftCfgPlace(std::int32_t folderIndex, const fs::path& path) {
    AircraftCfgPlace place;
    place.folderIndex = folderIndex;
    place.path = path;
    place.folder = path.parent_path();
    place.pathText = gf_pathText(path);
    place.folderText = gf_pathText(place.folder);
    return place;
}

void gf_dropTrailingComments(std::vector<std::string>& lines) {
    // The header line itself never goes.
    while (lines.size() > 1 && (lines.back().empty() || lines.back().starts_with(commentMark))) lines.pop_back();
}

bool lf_parseAtcIdList(std::string_view value, std::string& registration) {
    const std::vector<std::string> pieces = gf_split(value, ',');
    if (pieces.empty()) return false;
    for (const std::string& piece : pieces)
        if (piece.empty() || piece.size() > maxRegistrationLength || piece.find('*') != std::string::npos)
            return false;
    registration = pieces.size() == 1 ? pieces.front() : std::string();
    return true;
}

fs::path gf_modelFolder(const fs::path& folder, std::string_view model) {
    // Windows drops the dot that ends a name, so "model." is the folder "model".
    const std::string name = model.empty() ? "model" : "model." + std::string(model);
    return gf_findPathNoCase(folder, gf_pathFromWindowsText(name));
}

fs::path gf_textureFolder(const fs::path& folder, std::string_view texture) {
    const std::string name = texture.empty() ? "texture" : "texture." + std::string(texture);
    return gf_findPathNoCase(folder, gf_pathFromWindowsText(name));
}

fs::path gf_flightModelFile(const fs::path& folder, std::string_view sim) {
    return gf_findPathNoCase(folder, gf_pathFromWindowsText(std::string(sim) + ".air"));
}

bool gf_isDirectoryChecked(const fs::path& path) { return lf_checkedType(path) == fs::file_type::directory; }
bool gf_isRegularFileChecked(const fs::path& path) { return lf_checkedType(path) == fs::file_type::regular; }

std::vector<LiveryData> lf_procesFltSimSection(std::vector<std::string>& lines, const std::string& type,
                                               const AircraftCfgPlace& place) {
    if (lines.empty()) return {};
    try {
        return lf_sectionLivery(lines, type, place);
    } catch (const std::exception& e) {
        gf_logLine("Exception in lf_procesFltSimSection: {}, file: {}", e.what(), place.pathText);
        throw;
    }
}

}  // namespace zrb
