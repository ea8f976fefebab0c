#include "liveries/livery_folder_sources.h"

#include <array>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include <fmt/format.h>
#include <pugixml.hpp>

#include "config/parameters.h"
#include "foundation/ansi_text.h"
#include "foundation/ini_sections.h"
#include "foundation/log.h"
#include "foundation/number_text.h"
#include "foundation/strings.h"
#include "foundation/text_file.h"
#include "foundation/windows_path.h"
#include "foundation/xml_file.h"
#include "platform/platform.h"
#include "shell/common/sim_version.h"

namespace zrb {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t reservedLines = 4048;
constexpr std::string_view packageSection = "Package";
constexpr std::string_view entrySection = "Entry";
constexpr std::string_view pathKey = "PATH";
constexpr std::string_view activeKey = "ACTIVE";
constexpr std::string_view switchedOff = "FALSE";
constexpr std::string_view simObjectsCategory = "SimObjects";
constexpr std::string_view simObjectsFolder = "SimObjects";
// Add-ons whose SimObjects hold no aircraft liveries.
constexpr std::array<std::string_view, 2> skippedAddOns{"Lights Reborn", "Aerosoft Geneva Professional"};
// The simulator's own category folders below SimObjects.
constexpr std::array<std::string_view, 10> standardCategories{
    "Airplanes", "Avatars", "Rotorcraft", "GroundVehicles", "Boats",
    "Animals",   "Misc",    "Submersible", "Weapons",      "Countermeasures"};

bool lf_switchedOff(const IniSection& section) { return gf_equalsNoCase(gf_iniValue(section, activeKey), switchedOff); }

std::optional<std::vector<IniSection>> lf_readIniFile(const fs::path& file) {
    std::vector<std::string> lines;
    lines.reserve(reservedLines);
    if (!gf_readExtTextFileToStringVector(file, lines)) {
        gf_logLine("{} not found!", gf_pathText(file));
        return std::nullopt;
    }
    return gf_parseIniSections(lines);
}

// A path text of a configuration file: relative ones lie below the base.
fs::path lf_resolve(const fs::path& base, std::string_view text) { return base / gf_pathFromWindowsText(text); }

std::vector<fs::path> lf_collectPackagePaths(const std::vector<IniSection>& sections, const fs::path& configFolder) {
    std::vector<fs::path> packages;
    for (const IniSection& section : sections) {
        if (!gf_iniNameStartsWith(section, packageSection) || lf_switchedOff(section)) continue;
        for (const auto& [key, value] : section.entries) {
            if (!gf_equalsNoCase(key, pathKey)) continue;
            gf_logLine("path found:{}", value);
            if (!value.empty()) packages.push_back(lf_resolve(configFolder, value));
        }
    }
    return packages;
}

bool lf_isSkippedAddOn(std::string_view path) {
    for (std::string_view name : skippedAddOns)
        if (path.find(name) != std::string_view::npos) return true;
    return false;
}

// The SimObjects components of one package's add-on.xml.
std::size_t lf_readAddOnXml(const fs::path& package, std::vector<fs::path>& folders) {
    const fs::path file = package / "add-on.xml";
    std::error_code ec;
    if (!fs::exists(file, ec)) return 0;
    gf_logLine("   exploring {}", gf_pathText(file));
    pugi::xml_document doc;
    const pugi::xml_parse_result loaded = gf_loadXml(doc, file);
    if (!loaded) {
        if (loaded.status == pugi::status_file_not_found || loaded.status == pugi::status_io_error)
            gf_logLine("{} not found!", gf_pathText(file));
        else
            gf_logMarked("{} is not valid XML: {} at offset {}", gf_pathText(file), loaded.description(),
                         loaded.offset);
        return 0;
    }
    std::size_t added = 0;
    for (const pugi::xpath_node& node : doc.select_nodes("//AddOn.Component")) {
        const pugi::xml_node component = node.node();
        if (!gf_equalsNoCase(gf_trim(component.child_value("Category")), simObjectsCategory)) continue;
        // An add-on.xml that says UTF-8 may hold its paths in the legacy code page all the same.
        const std::string path = gf_legacyTextToUtf8(gf_trim(component.child_value("Path")));
        if (path.empty() || lf_isSkippedAddOn(path)) continue;
        gf_logLine("      Simobjects found:{}", path);
        // A relative component path is relative to the package, as the simulator reads it.
        folders.push_back(lf_resolve(package, path));
        ++added;
    }
    return added;
}

// The entry's folder, or none for the simulator's standard categories.
std::optional<fs::path> lf_simObjectsEntryFolder(const std::string& value) {
    const fs::path path = gf_pathFromWindowsText(value);
    if (gf_containsNoCase(value, simObjectsFolder)) {
        const std::string last = gf_pathText(path.filename().empty() ? path.parent_path().filename() : path.filename());
        for (std::string_view category : standardCategories)
            if (gf_equalsNoCase(last, category)) return std::nullopt;
    }
    return lf_resolve(gf_pathFromWindowsText(SIM_INSTALL_PATH.value.get()), value);
}

}  // namespace

void lf_readP3DAddOnsAircraft(std::vector<fs::path>& folders) {
    std::size_t added = 0;
    try {
        const auto file = platform::simAddOnsCfgFile(gf_getSimVersion());
        if (!file) gf_logLine("Could not find the AppData path");
        const fs::path path = file.value_or(fs::path("add-ons.cfg"));
        // The two characters \n stand at the start of this line, not a line break.
        gf_logLine("\\nReading {} for AI add-on packages...", gf_pathText(path));
        if (const auto sections = lf_readIniFile(path)) {
            for (const fs::path& package : lf_collectPackagePaths(*sections, path.parent_path()))
                added += lf_readAddOnXml(package, folders);
        }
        gf_logLine("{} AI add-on package{} found", added, gf_plural(added));
    } catch (const std::exception& e) {
        gf_logMarked("sys error exception {} in {}, no AI add-on packages found", e.what(), "lf_readP3DAddOnsAircraft");
    }
}

void lf_readP3DSimObjectsCfg(std::vector<fs::path>& folders) {
    const auto file = platform::simObjectsCfgFile(gf_getSimVersion());
    std::error_code ec;
    if (!file || !fs::exists(*file, ec)) return;
    gf_logLine("\nReading {} for AI add-on packages...", gf_pathText(*file));
    const auto sections = lf_readIniFile(*file);
    if (!sections) return;
    std::size_t added = 0;
    for (const IniSection& section : *sections) {
        if (!gf_iniNameStartsWith(section, entrySection) || lf_switchedOff(section)) continue;
        for (const auto& [key, value] : section.entries) {
            if (!gf_equalsNoCase(key, pathKey) || value.empty()) continue;
            if (auto folder = lf_simObjectsEntryFolder(value)) {
                folders.push_back(std::move(*folder));
                ++added;
            }
        }
    }
    gf_logLine("{} AI add-on packages found", added);
}

}  // namespace zrb
