#include "airports/scenery_folders.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

#include <fmt/format.h>

#include "config/parameters.h"
#include "foundation/ini_sections.h"
#include "foundation/log.h"
#include "foundation/strings.h"
#include "foundation/text_file.h"
#include "foundation/user_error.h"
#include "foundation/windows_path.h"

namespace zrb {

namespace {

constexpr int errorStockAfolder = 42;
constexpr std::string_view activeKey = "Active";
constexpr std::string_view localKey = "Local";

// The simulator's own scenery folders, each a path component.
constexpr std::array<std::string_view, 45> stockMarkers{
    "\\Cities", "\\CITIES", "\\cities", "\\World", "\\BASE", "\\0006", "\\0007", "\\0103", "\\0106",
    "\\0107", "\\0206", "\\0207", "\\0307", "\\0407", "\\0505", "\\0506", "\\0507", "\\0606",
    "\\0607", "\\0706", "\\0707", "\\0805", "\\0806", "\\0807", "\\0900", "\\0906", "\\0907",
    "\\1000", "\\1006", "\\1007", "\\1100", "\\1102", "\\1107", "\\AFRI", "\\ASIA", "\\AUST",
    "\\EURE", "\\EURW", "\\NAMC", "\\NAME", "\\NAMW", "\\OCEN", "\\SAME", "\\Global", "\\Bathymetry"};

bool lf_isSeparator(char c) { return c == '\\' || c == '/'; }

// A component ends here: a marker must not match the start of a longer name
// (\World is stock, \WorldAirports an add-on).
bool lf_componentEnds(std::string_view text, std::size_t at) {
    return at == text.size() || lf_isSeparator(text[at]) || std::isspace(static_cast<unsigned char>(text[at])) != 0;
}

// "Addon Scenery\MyAirport" lies in the install folder; "D:\Airports\X", a
// network folder "\\NAS\Airports\X" and any other absolute path of this
// system ("/srv/Airports/X" on Linux) stand alone.
std::string lf_joinToInstallFolder(std::string_view installFolder, const std::string& value) {
    if (value.find(":\\") != std::string::npos || value.starts_with("\\\\") ||
        gf_pathFromWindowsText(value).is_absolute())
        return value;
    std::string joined(installFolder);
    if (!joined.empty() && !lf_isSeparator(joined.back())) joined.push_back('\\');
    return joined + value;
}

// An area of scenery.cfg, "[Area.001]": an active one adds its Local folders
// that are not the simulator's own scenery.
std::size_t lf_processSceneryArea(const IniSection& area, std::string_view installFolder,
                                  std::string_view stockFolder, std::vector<std::string>& folders) {
    if (!gf_equalsNoCase(gf_iniValue(area, activeKey), "TRUE")) return 0;
    std::size_t added = 0;
    for (const auto& [key, value] : area.entries) {
        if (!gf_equalsNoCase(key, localKey) || value.empty() || gf_isStockSceneryPath(value)) continue;
        std::string folder = lf_joinToInstallFolder(installFolder, value);
        if (!stockFolder.empty() && gf_isInsideFolder(folder, stockFolder)) continue;
        gf_logLine("      found:{}", folder);
        folders.push_back(std::move(folder));
        ++added;
    }
    return added;
}

// The lines of one of the simulator's lists, in whatever character set it has.
std::optional<std::vector<std::string>> lf_readListLines(const std::filesystem::path& file) {
    std::vector<std::string> lines;
    if (gf_readExtTextFileToStringVector(file, lines)) return lines;
    gf_logLine("{} not found!", gf_pathText(file));
    return std::nullopt;
}

bool lf_isArea(const IniSection& section) {
    for (const std::string_view word : {"Area", "AREA", "area"})
        if (section.name.find(word) != std::string::npos) return true;
    return false;
}

}  // namespace

bool gf_isStockSceneryPath(std::string_view text) {
    for (const std::string_view marker : stockMarkers) {
        for (std::size_t at = text.find(marker); at != std::string_view::npos; at = text.find(marker, at + 1))
            if (lf_componentEnds(text, at + marker.size())) return true;
    }
    return false;
}

bool gf_isInsideFolder(std::string_view text, std::string_view folder) {
    while (!folder.empty() && lf_isSeparator(folder.back())) folder.remove_suffix(1);
    if (folder.empty()) return false;
    const auto same = [](char a, char b) { return a == b || (lf_isSeparator(a) && lf_isSeparator(b)); };
    for (std::size_t at = 0; at + folder.size() <= text.size(); ++at) {
        if (!std::equal(folder.begin(), folder.end(), text.begin() + static_cast<std::ptrdiff_t>(at), same)) continue;
        const std::size_t end = at + folder.size();
        if (end == text.size() || lf_isSeparator(text[end])) return true;
    }
    return false;
}

void gf_readSceneryCfg(const std::filesystem::path& file, std::string_view installFolder,
                       std::string_view stockFolder, std::vector<std::string>& folders) {
    gf_logLine("\nReading: {} for airport add-ons ...", gf_pathText(file));
    const auto lines = lf_readListLines(file);
    if (!lines) return;
    std::size_t added = 0;
    for (const IniSection& section : gf_parseIniSections(*lines))
        if (lf_isArea(section)) added += lf_processSceneryArea(section, installFolder, stockFolder, folders);
    gf_logLine("{} scenery add-on paths found\n", added);
}

void gf_readSceneryAddOnsXml(const std::filesystem::path& file, std::vector<std::string>& folders) {
    gf_logLine("\nReading {} for add-on airport ...", gf_pathText(file));
    const auto lines = lf_readListLines(file);
    if (!lines) return;
    std::size_t added = 0;
    for (const std::string& line : *lines) {
        std::string folder = gf_extractPathElement(line);
        if (folder.empty()) continue;
        gf_logLine("found path:{}", folder);
        folders.push_back(std::move(folder));
        ++added;
    }
    gf_logLine("{} scenery add-on paths found\n", added);
}

void gf_readAfolderParameters(std::string_view stockFolder, std::vector<std::string>& folders) {
    folders.clear();
    for (const StringParameter* setting : g_afolders) {
        std::string folder = setting->value.get();
        if (folder.empty()) continue;
        if (!stockFolder.empty() && gf_isInsideFolder(folder, stockFolder))
            throw UserErrorException(errorStockAfolder, fmt::format("parameter {} points to stock airports instead "
                                                                    "of add-on airports!",
                                                                    setting->name));
        folders.push_back(std::move(folder));
    }
}

}  // namespace zrb
