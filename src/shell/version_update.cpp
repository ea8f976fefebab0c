#include "shell/version_update.h"

#include <algorithm>
#include <filesystem>
#include <functional>

#include <pugixml.hpp>

#include "config/parameter_controls.h"
#include "config/parameter_store.h"
#include "config/parameters.h"
#include "config/paths.h"
#include "foundation/log.h"
#include "foundation/version_data.h"

namespace zrb {

namespace {

constexpr std::int32_t unlimited = 500;  // the "all" choice of the two maxima

std::int32_t lf_mapMaxPark(std::int32_t v) {
    if (v == -1) return unlimited;
    if (v < 25) return 10;
    if (v < 50) return 25;
    return 50;
}

std::int32_t lf_mapMaxLive(std::int32_t v) {
    if (v == -1) return unlimited;
    if (v < 25) return 10;
    if (v < 50) return 25;
    if (v < 75) return 50;
    if (v < 100) return 75;
    return 100;
}

std::int32_t lf_mapAirportRange(std::int32_t v) {
    if (v < 8) return 5;
    if (v <= 12) return 10;
    if (v <= 17) return 15;
    if (v <= 22) return 20;
    if (v <= 26) return 25;
    return 30;
}

struct Migration {
    IntParameter& oldParameter;
    IntParameter& newParameter;
    std::function<std::int32_t(std::int32_t)> map;
};

std::string lf_versionText(const VersionData& v) { return fmt::format("{}.{}.{}", v.major, v.minor, v.patch); }

// Reads each older name from the file as it was before this run touched it;
// only an entry that is really there carries its value over.
void lf_migrateOldSettings() {
    const Migration rows[] = {
        {CUSTOM_MAX_PARK, MAX_PARK_SEL, lf_mapMaxPark},
        {MAX_LIVE, MAX_LIVE_SEL, lf_mapMaxLive},
        {LATERAL_RANGE, RANGE, gf_quantizeRange},
        {AIRPORT_RANGE, AIRP_RANGE, lf_mapAirportRange},
        {AUTO_RANGE_ABOVE_HEIGHT, AR_ABOVE_HEIGHT, gf_quantizeAltitude},
        {AIRPORT_HEIGHT, AIRP_HEIGHT, gf_quantizeAltitude},
    };
    pugi::xml_document doc;
    if (!gf_loadParametersDocument(doc)) return;
    for (const Migration& row : rows) {
        if (!gf_readIntParameter(row.oldParameter, doc, false)) continue;
        const std::int32_t mapped = row.map(row.oldParameter.value);
        row.newParameter.value = std::clamp(mapped, row.newParameter.min, row.newParameter.max);
        gf_saveIntParameter(row.newParameter);
        gf_removeParameter(row.oldParameter);
    }
}

void lf_removeInstaller() {
    std::error_code ec;
    if (!std::filesystem::exists(g_installerFile, ec)) return;
    if (!std::filesystem::remove(g_installerFile, ec) || ec)
        gf_logLine("Failed to remove {}: {}", g_installerFile.string(), ec.message());
}

}  // namespace

std::int32_t gf_quantizeAltitude(std::int32_t feet) {
    if (feet < 3000) return 2000;
    if (feet < 17000) return ((feet - 1000) / 2000) * 2000 + 2000;
    if (feet < 27000) return 18000;
    if (feet < 47000) return 36000;
    return 48000;
}

std::array<IntParameter*, 6> gf_obsoleteParameters() {
    return {&LATERAL_RANGE, &AIRPORT_RANGE, &AUTO_RANGE_ABOVE_HEIGHT, &AIRPORT_HEIGHT, &CUSTOM_MAX_PARK, &MAX_LIVE};
}

void gf_copyFilesOnVersionUpdate() {
    const std::string own = lf_versionText(g_programVersion);
    const std::string stored = PROGRAM_VERSION.value;
    if (stored == PROGRAM_VERSION.defaultValue) {
        gf_setStringParameter(PROGRAM_VERSION, own);
        return;
    }
    const VersionData storedVersion(stored);
    if (storedVersion != g_programVersion) gf_setStringParameter(PROGRAM_VERSION, own);
    if (!(g_programVersion > storedVersion)) return;

    gf_logLine("This is a version update from {} -> {}", stored, own);
    lf_migrateOldSettings();
    lf_removeInstaller();
    for (BoolCheckParameter* scan : {&SCAN_LIVERIES, &SCAN_AIRPORTS}) {
        scan->value = true;
        gf_saveBoolParameter(*scan);
        gf_setCheckBox(*scan);
    }
}

}  // namespace zrb
