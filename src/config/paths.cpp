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

std::int32_t gf_quantizeRange(std::int32_t nm) {
    if (nm < 3) return 2;
    if (nm <= 6) return nm;
    if (nm <= 8) return 8;
    if (nm <= 10) return 10;
    if (nm <= 12) return 12;
    if (nm <= 14) return 14;
    if (nm <= 16) return 16;
    if (nm <= 18) return 18;
    if (nm <= 22) return 20;
    if (nm <= 27) return 25;
    if (nm <= 32) return 30;
    if (nm <= 37) return 35;
    if (nm <= 44) return 40;
    if (nm <= 56) return 50;
    if (nm <= 72) return 65;
    if (nm <= 89) return 80;
    return 100;
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
