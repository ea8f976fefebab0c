// Saving what was learned at the park airport when the user leaves it: the
// options the manager observed and planned, stands whose radius or cargo
// attribute changed, stands the user made, and the settings of the visit.
#include <algorithm>
#include <filesystem>
#include <system_error>

#include <fmt/format.h>

#include "airports/learned_file.h"
#include "airports/park_airport_choice.h"
#include "airports/parking_adjustments.h"
#include "airports/parking_file.h"
#include "config/meta_info.h"
#include "foundation/log.h"
#include "foundation/number_text.h"
#include "foundation/text_file.h"
#include "foundation/time.h"
#include "foundation/version_data.h"
#include "foundation/xml_file.h"
#include "shell/common/message_line.h"
#include "traffic/traffic_lists.h"

namespace zrb {

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t learnedOrigin = 0;
constexpr std::size_t timeOfDayStart = 11;  // in gf_timeText: "Thu Okt 01 00:00:05 2026"
constexpr std::size_t timeOfDayLength = 8;
constexpr std::string_view brokenVersion = "0";

bool lf_isFake(const StandOption& o) { return o.origin == g_optionOriginFake; }

// The stands to write: a handmade airport in full (its fake aircraft aside),
// any other only with what was learned here.
std::vector<Stand> lf_standsToSave(bool handmade) {
    std::vector<Stand> stands;
    stands.reserve(StandTable.size());
    for (const Stand& stand : StandTable) {
        Stand copy = stand;
        copy.realVisits.clear();
        copy.softVisits.clear();
        if (handmade) {
            std::erase_if(copy.options, lf_isFake);
            stands.push_back(std::move(copy));
            continue;
        }
        std::erase_if(copy.options, [](const StandOption& o) { return o.origin != learnedOrigin; });
        if (copy.manual != 0 || !copy.options.empty() || copy.radiusChanged != 0 || copy.cargoChanged != 0)
            stands.push_back(std::move(copy));
    }
    return stands;
}

// The "version" of the program that wrote the file; "0" when it has none or
// it is no plain version text.
std::string lf_writtenByVersion(const fs::path& path) {
    pugi::xml_document doc;
    std::string error;
    if (!gf_loadParkingXml(doc, path, error)) return std::string(brokenVersion);
    for (const pugi::xml_node& info : doc.child("meta").children("info")) {
        if (std::string_view(info.attribute("name").as_string()) != "version") continue;
        const std::string version = info.attribute("value").as_string();
        const bool plain = !version.empty() && std::all_of(version.begin(), version.end(), [](char c) {
            return (c >= '0' && c <= '9') || c == '.';
        });
        return plain ? version : std::string(brokenVersion);
    }
    return std::string(brokenVersion);
}

// A learned file of another program version (or one that cannot be read) may
// hold what this version does not understand: it is kept as ICAO.<version>.xml
// before it is replaced.
void lf_keepOtherVersion(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return;
    const std::string version = lf_writtenByVersion(path);
    if (version == g_programVersionText) return;
    fs::path aside = path.parent_path() / path.stem();
    aside += "." + version + ".xml";
    fs::copy_file(path, aside, fs::copy_options::overwrite_existing, ec);
    if (ec)
        gf_logMarked("{} of version {} could not be kept as {}", gf_pathText(path), version, gf_pathText(aside));
    else
        gf_logLine("{} of version {} kept as {}", gf_pathText(path), version, gf_pathText(aside));
}

bool lf_write(const AddonAirport& airport, const fs::path& path) {
    if (path.empty()) return false;
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    if (ec) return false;
    lf_keepOtherVersion(path);
    g_metaSimulator.set("P3D");
    return gf_writeApf(airport, path, g_apfModeLearned);
}

}  // namespace

void gf_saveAirportFile() {
    const bool handmade = g_handmadeAirport.load();
    AddonAirport airport;
    airport.ident = gf_currentParkAirport().icao;
    airport.name = g_parkAirportHeader.airportName;
    airport.publisher = g_parkAirportHeader.publisher;
    airport.altitude = g_parkAirportHeader.altitude;
    airport.stands = lf_standsToSave(handmade);
    if (handmade) {
        const QualityFactors qf = lf_computeQualityFactors(airport.stands);
        airport.qfReal = gf_qfReal(qf);
        airport.qfSoft = gf_qfSoft(qf);
    }
    // The reader's own mapping, so that what is saved here is read back.
    const fs::path path = lf_learnedApfPath(g_parkAirportSourcePath, airport.publisher);
    const std::string time = gf_timeText(gf_systemNow()).substr(timeOfDayStart, timeOfDayLength);
    const std::int32_t updates = g_learnedUpdates.load();
    if (!lf_write(airport, path)) {
        gf_showMessage(fmt::format("{} saving '{}' did not succeed", time, gf_pathText(path)), true);
    } else {
        const bool settings = g_learnSoftAutoOff || g_apfChanged;
        gf_showMessage(fmt::format("{}{} '{}' saved with {} update{} {}", time, handmade ? " handmade" : "",
                                   gf_pathText(path), updates, gf_plural(updates),
                                   settings ? "and one or more parameter changes" : ""),
                       true);
    }
    g_learnedUpdates = 0;
    g_changedStandCount = 0;
    g_learnSoftAutoOff = false;
    g_apfChanged = false;
}

}  // namespace zrb
