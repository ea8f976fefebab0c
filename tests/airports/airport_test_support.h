#pragma once
// Test helpers of the airport files: an installation folder with the airports
// layout, a park airport, the sample aircraft database, and parking-file texts.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <fmt/format.h>

#include "airports/park_airport.h"
#include "airports/park_airport_file.h"
#include "airports/stand.h"
#include "build_config.h"
#include "config/parameters.h"
#include "config/paths.h"
#include "foundation/text_file.h"
#include "liveries/dbase.h"
#include "support/temp_folder.h"

namespace zrb::test {

inline std::filesystem::path testDataPath(std::string_view name) {
    return std::filesystem::path(build::sourceDir) / "tests" / "data" / std::string(name);
}

// The settings an airport file may change, back to their defaults.
inline void resetParkingSettings() {
    for (BoolCheckParameter* b : {&LEARN_SOFT, &AUTO_RANGE, &PARK_FAKE, &WEEK, &PARK_SOFT, &INITIAL_LOAD_ONLY,
                                  &RT_PARKTRAFFIC_ONLY})
        b->value = b->defaultValue;
    for (IntParameter* i : std::initializer_list<IntParameter*>{&MAX_LIVE_SEL, &RANGE, &parking_percentage, &MAX_FIT})
        i->value = i->defaultValue;
    MAX_FIT_FL.value = MAX_FIT_FL.defaultValue;
    gf_setWorkingRange(RANGE.value);
}

// A logged installation folder with the airports layout, the sample database
// and a park airport; everything the airport files touch is reset on both ends.
class AirportFolder : public LoggedFolder {
public:
    explicit AirportFolder(const std::string& parkIcao = "EGLL") {
        lf_reset();
        for (const auto& folder : {g_myThirdpartyFolder, g_myOrbxFolder, g_learnedStockFolder})
            std::filesystem::create_directories(folder);
        gf_readDbaseXml(testDataPath("dbase_sample.xml"));
        if (!parkIcao.empty()) gf_setCurrentParkAirport({parkIcao, "", 51.47, -0.46, 0.0});
    }
    ~AirportFolder() {
        lf_reset();
        gf_clearDbase();
    }

private:
    static void lf_reset() {
        // Nothing fetched for one test outlives it.
        gf_stopArchiveFetcher();
        gf_forgetArchiveProbes();
        resetParkingSettings();
        StandTable.clear();
        g_parkAirportHeader = {};
        g_handmadeAirport = false;
        g_rtTrafficWeek = 0;
        g_parkingDataLoaded = false;
        gf_clearCurrentParkAirport();
    }
};

// One <parkpos> in full.
inline std::string parkpos(const std::string& id, double lat, double lon, double radiusMetres,
                           const std::string& extra = "", const std::string& options = "") {
    return fmt::format(R"(<parkpos id="{}" latitude="{:.6f}" longitude="{:.6f}" heading="90.0" radius="{:.1f}" {}>{}</parkpos>)",
                       id, lat, lon, radiusMetres, extra, options);
}

inline std::string metaXml() {
    return R"(<meta><info name="author" value="TLVR"/><info name="date" value="Dec 06, 2026"/>)"
           R"(<info name="version" value="1.0.0"/><info name="copyright" value="c"/></meta>)";
}

// A parking file: meta, the parameters (name/value pairs) and the stands.
inline std::string parkingFile(const std::vector<std::pair<std::string, std::string>>& parameters,
                               const std::string& stands, const std::string& meta = metaXml()) {
    std::string text = "<?xml version=\"1.0\"?>\n" + meta + "<parameters>";
    for (const auto& [name, value] : parameters)
        text += fmt::format(R"(<parameter name="{}" value="{}"/>)", name, value);
    return text + "</parameters><parkpositions>" + stands + "</parkpositions>\n";
}

}  // namespace zrb::test
