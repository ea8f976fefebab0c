#include "liveries/ivao_package.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <string_view>

#include <fmt/format.h>

#include "foundation/strings.h"
#include "foundation/text_file.h"
#include "foundation/windows_path.h"
#include "liveries/aircraft_cfg_entries.h"
#include "liveries/aircraft_cfg_file.h"
#include "liveries/dbase.h"
#include "liveries/fltsim_section.h"
#include "liveries/scan_findings.h"

namespace zrb {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view packageFolder = "\\IVAO_MTL";
constexpr std::string_view typeFolderPrefix = "IVAO_";
constexpr std::string_view fileName = "\\aircraft.cfg";
constexpr std::size_t fileNameDot = 9;  // the position in fileName that matches any character
constexpr std::size_t reservedSectionLines = 48;
constexpr std::size_t airlineLength = 3;
constexpr std::string_view anonymousAirline = "ZZZ";
// The code of a path that names no IVAO type folder.
constexpr std::string_view noCode = "  ";

// Type folders of variants that the database knows under their base type.
struct CodeCut {
    std::string_view raw;
    std::string_view type;
};
constexpr std::array<CodeCut, 9> codeCuts{{{"B744F", "B744"},
                                           {"T154M", "T154"},
                                           {"T154B2", "T154"},
                                           {"GLID_SH", "GLID"},
                                           {"GLID_A13", "GLID"},
                                           {"GLID_A25", "GLID"},
                                           {"GLID_KA6", "GLID"},
                                           {"GLID_KA8", "GLID"},
                                           {"GLID_L13", "GLID"}}};

bool lf_isWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }
bool lf_isLineBreak(char c) { return c == '\n' || c == '\r'; }
bool lf_isBlank(char c) { return std::string_view(" \t\n\v\f\r").find(c) != std::string_view::npos; }

bool lf_anyCharFits(std::string_view text) { return std::none_of(text.begin(), text.end(), lf_isLineBreak); }

// The name after "IVAO_" of "<something>\IVAO_MTL\IVAO_<name>\aircraft.cfg"
// (letter case ignored, the dot of aircraft.cfg standing for any character).
std::optional<std::string> lf_typeFolderName(std::string_view text) {
    if (text.size() < fileName.size()) return std::nullopt;
    const std::string_view tail = text.substr(text.size() - fileName.size());
    for (std::size_t i = 0; i < fileName.size(); ++i) {
        const bool fits = i == fileNameDot ? !lf_isLineBreak(tail[i]) : gf_equalsNoCase(tail.substr(i, 1), fileName.substr(i, 1));
        if (!fits) return std::nullopt;
    }
    const std::string_view rest = text.substr(0, text.size() - fileName.size());
    const std::size_t slash = rest.rfind('\\');
    if (slash == std::string_view::npos) return std::nullopt;
    const std::string_view folder = rest.substr(slash + 1);
    if (folder.size() <= typeFolderPrefix.size() ||
        !gf_equalsNoCase(folder.substr(0, typeFolderPrefix.size()), typeFolderPrefix))
        return std::nullopt;
    const std::string_view name = folder.substr(typeFolderPrefix.size());
    if (!std::all_of(name.begin(), name.end(), lf_isWordChar)) return std::nullopt;
    const std::string_view parent = rest.substr(0, slash);
    if (parent.size() <= packageFolder.size()) return std::nullopt;  // at least one character before it
    const std::string_view before = parent.substr(0, parent.size() - packageFolder.size());
    if (!gf_equalsNoCase(parent.substr(before.size()), packageFolder) || !lf_anyCharFits(before)) return std::nullopt;
    return std::string(name);
}

std::string lf_cutCode(std::string raw) {
    if (!raw.empty() && raw.back() == 'w') {
        raw.pop_back();
        return raw;
    }
    for (const CodeCut& cut : codeCuts)
        if (raw == cut.raw) return std::string(cut.type);
    return raw;
}

// The three word characters that follow the type code at the start of the title
// ("A320 DLH Lufthansa", "a320dlh"), the case of the title kept.
std::optional<std::string> lf_airlineInTitle(std::string_view title, std::string_view type) {
    if (title.size() < type.size() || !gf_equalsNoCase(title.substr(0, type.size()), type)) return std::nullopt;
    std::size_t at = type.size();
    while (at < title.size() && lf_isBlank(title[at])) ++at;
    if (title.size() - at < airlineLength) return std::nullopt;
    const std::string_view airline = title.substr(at, airlineLength);
    if (!std::all_of(airline.begin(), airline.end(), lf_isWordChar)) return std::nullopt;
    if (!lf_anyCharFits(title.substr(at + airlineLength))) return std::nullopt;
    return std::string(airline);
}

// The first of the model folder, flight-model file and texture folder that is missing.
std::optional<fs::path> lf_missingPath(const SectionValues& v, const AircraftCfgPlace& place) {
    const fs::path model = gf_modelFolder(place.folder, v.model);
    if (!gf_isDirectoryChecked(model)) return model;
    const fs::path flightModel = gf_flightModelFile(place.folder, v.sim);
    if (!gf_isRegularFileChecked(flightModel)) return flightModel;
    const fs::path texture = gf_textureFolder(place.folder, v.texture);
    if (!gf_isDirectoryChecked(texture)) return texture;
    return std::nullopt;
}

LiveryData lf_makeIvaoLivery(const std::string& airline, const std::string& type, const SectionValues& v,
                             const AircraftCfgPlace& place, const std::string& firstLine) {
    LiveryData livery = lf_makeLiveryData(place.folderIndex, airline, type, true, v.title, v.registration);
    if (livery.empty())
        lf_addIncompleteSection(place.folderText + " " + firstLine + " title already exists: " + v.title);
    return livery;
}

LiveryData lf_procesIvaoFltSimSection(std::vector<std::string>& lines, const std::string& type,
                                      const AircraftCfgPlace& place) {
    gf_dropTrailingComments(lines);
    const std::string& firstLine = lines.front();
    SectionValues v = gf_collectSectionValues(lines, SectionKind::ivao, place);
    if (v.rejected) return {};
    if (const auto missing = lf_missingPath(v, place)) {
        lf_addIncompleteSection(gf_pathText(*missing) + " " + firstLine + " does not exist");
        return {};
    }
    if (v.title.empty()) {
        lf_addIncompleteSection(place.folderText + " " + firstLine + " misses title");
        return {};
    }
    if (lf_isDontUseTitle(v.title)) return {};
    const std::string lead = place.folderText + " " + firstLine + " misses airlinecode in title: " + v.title;
    if (const auto airline = lf_airlineInTitle(v.title, type)) {
        if (!gf_isIcaoAirline(*airline)) {
            lf_addInvalidAirline(*airline, place.pathText, firstLine);
            return {};
        }
        if (*airline == anonymousAirline) v.registration.clear();
        return lf_makeIvaoLivery(*airline, type, v, place, firstLine);
    }
    if (v.registration.empty()) {
        lf_addIncompleteSection(lead + ", and no regcode");
        return {};
    }
    const auto record = gf_findDbaseRecord(v.registration);
    if (!record) {
        lf_addIncompleteSection(lead + ", and regcode unknown " + v.registration);
        return {};
    }
    return lf_makeIvaoLivery(record->airl, type, v, place, firstLine);
}

std::vector<LiveryData> lf_splitIvaoFltSimSections(const std::vector<std::string>& lines, const std::string& type,
                                                   const AircraftCfgPlace& place) {
    std::vector<LiveryData> liveries;
    std::vector<std::string> section;
    section.reserve(reservedSectionLines);
    const auto process = [&] {
        LiveryData livery = lf_procesIvaoFltSimSection(section, type, place);
        if (!livery.airl.empty()) liveries.push_back(std::move(livery));
        section.clear();
    };
    bool open = false;
    for (const std::string& line : lines) {
        if (!lf_fltsimNumber(line).empty()) {
            if (!section.empty()) process();
            open = true;
            section.push_back(line);
        } else if (line.find('[') != std::string::npos) {
            if (open && !section.empty()) process();
            open = false;
        } else if (open) {
            section.push_back(line);
        }
    }
    if (open && !section.empty()) process();
    return liveries;
}

}  // namespace

std::string lf_ivaoModelFromPath(const fs::path& path) {
    const std::string pathText = gf_pathText(path);
    const auto name = lf_typeFolderName(gf_windowsPathText(path));
    if (!name) {
        lf_addInvalidAircraftCode(noCode, pathText);
        return {};
    }
    return gf_knownOrFixedType(lf_cutCode(*name), pathText);
}

std::vector<LiveryData> lf_searchIvaoLiveriesinFile(std::int32_t folderIndex, const fs::path& path) {
    const std::string type = lf_ivaoModelFromPath(path);
    if (type.empty()) return {};
    const AircraftCfgPlace place = gf_aircraftCfgPlace(folderIndex, path);
    std::vector<std::string> lines;
    if (!gf_readAircraftCfgLines(place, lines, true)) return {};
    if (!lf_checkFltsimNumbers(lines, place.pathText)) return {};
    return lf_splitIvaoFltSimSections(lines, type, place);
}

}  // namespace zrb
