// Where the simulator keeps its lists of add-ons: the same names below the
// known folders on both systems.
#include <mutex>
#include <string>

#include "platform/platform.h"

namespace zrb::platform {

namespace {

constexpr const char* makerFolder = "Lockheed Martin";
constexpr const char* simFolderPrefix = "Prepar3D v";

std::mutex g_testFoldersMutex;
std::filesystem::path g_testAppData;      // guarded by g_testFoldersMutex
std::filesystem::path g_testProgramData;  // guarded by g_testFoldersMutex

std::optional<std::filesystem::path> lf_appData() {
    std::lock_guard lock(g_testFoldersMutex);
    if (!g_testAppData.empty()) return g_testAppData;
    return appDataFolder();
}

std::optional<std::filesystem::path> lf_programData() {
    std::lock_guard lock(g_testFoldersMutex);
    if (!g_testProgramData.empty()) return g_testProgramData;
    return programDataFolder();
}

std::optional<std::filesystem::path> lf_simFile(const std::optional<std::filesystem::path>& base,
                                                std::string_view version, const char* name) {
    if (!base || base->empty()) return std::nullopt;
    return *base / makerFolder / (simFolderPrefix + std::string(version)) / name;
}

}  // namespace

std::optional<std::filesystem::path> simAddOnsCfgFile(std::string_view version) {
    return lf_simFile(lf_appData(), version, "add-ons.cfg");
}

std::optional<std::filesystem::path> simObjectsCfgFile(std::string_view version) {
    return lf_simFile(lf_programData(), version, "simobjects.cfg");
}

std::optional<std::filesystem::path> simSceneryCfgFile(std::string_view version) {
    return lf_simFile(lf_programData(), version, "scenery.cfg");
}

std::optional<std::filesystem::path> simSceneryAddOnsFile(std::string_view version) {
    return lf_simFile(lf_programData(), version, "scenery_add-ons.xml");
}

void setSimListFoldersForTest(const std::filesystem::path& appData, const std::filesystem::path& programData) {
    std::lock_guard lock(g_testFoldersMutex);
    g_testAppData = appData;
    g_testProgramData = programData;
}

}  // namespace zrb::platform
