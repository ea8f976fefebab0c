#include "config/paths.h"

#include <mutex>

#include "foundation/registry.h"
#include "platform/platform.h"

namespace zrb {

namespace {

// Owns g_programDataFolder and g_programDataFolderKnown.
std::mutex g_programDataFolderMutex;
Path g_programDataFolder;
bool g_programDataFolderKnown = false;

}  // namespace

Path gf_programDataFolderFor(const std::optional<Path>& appDataFolder) {
    const Path name{std::string(g_programDataFolderName)};
    if (!appDataFolder || appDataFolder->empty()) return name;
    return *appDataFolder / name;
}

Path gf_programDataFolder() {
    std::lock_guard lock(g_programDataFolderMutex);
    if (!g_programDataFolderKnown) {
        g_programDataFolder = gf_programDataFolderFor(platform::appDataFolder());
        g_programDataFolderKnown = true;
    }
    return g_programDataFolder;
}

Path gf_parametersPath() { return gf_programDataFolder() / std::string(g_parametersFileName); }

void gf_setProgramDataFolderForTest(const Path& folder) {
    std::lock_guard lock(g_programDataFolderMutex);
    g_programDataFolder = folder;
    g_programDataFolderKnown = !folder.empty();
}

void gf_setWorkingRange(std::int32_t rangeNm) {
    g_workingRangeNm.store(static_cast<double>(rangeNm));
    g_objectSearchRadiusM.store(rangeNm * g_metresPerNm + g_searchRadiusMarginM);
}

// Asked lazily: the registry must not be read during static initialisation,
// before the program (or a test) has set anything up.
bool gf_p3dV5Installed() {
    static const bool installed = gf_isP3DInstalled(5);
    return installed;
}

bool gf_p3dV6Installed() {
    static const bool installed = gf_isP3DInstalled(6);
    return installed;
}

}  // namespace zrb
