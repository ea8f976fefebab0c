// Where the simulator keeps its lists of add-ons: the same names below the
// known folders on both systems.
#include <string>

#include "platform/platform.h"

namespace zrb::platform {

namespace {

constexpr const char* makerFolder = "Lockheed Martin";
constexpr const char* simFolderPrefix = "Prepar3D v";

std::optional<std::filesystem::path> lf_simFile(const std::optional<std::filesystem::path>& base,
                                                std::string_view version, const char* name) {
    if (!base || base->empty()) return std::nullopt;
    return *base / makerFolder / (simFolderPrefix + std::string(version)) / name;
}

}  // namespace

std::optional<std::filesystem::path> simAddOnsCfgFile(std::string_view version) {
    return lf_simFile(appDataFolder(), version, "add-ons.cfg");
}

std::optional<std::filesystem::path> simObjectsCfgFile(std::string_view version) {
    return lf_simFile(programDataFolder(), version, "simobjects.cfg");
}

std::optional<std::filesystem::path> simSceneryCfgFile(std::string_view version) {
    return lf_simFile(programDataFolder(), version, "scenery.cfg");
}

std::optional<std::filesystem::path> simSceneryAddOnsFile(std::string_view version) {
    return lf_simFile(programDataFolder(), version, "scenery_add-ons.xml");
}

}  // namespace zrb::platform
