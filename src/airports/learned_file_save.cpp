// Saving what was learned at the park airport when the user leaves it: the
// options the manager observed and planned, stands whose radius or cargo
// attribute changed, stands the user made, and the settings of the visit.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
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
// Kept copies of one learned file under one mark, at most.
constexpr int maxKeptCopies = 100;

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

bool lf_sameContent(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    const std::uintmax_t sizeA = fs::file_size(a, ec);
    if (ec) return false;
    const std::uintmax_t sizeB = fs::file_size(b, ec);
    if (ec || sizeA != sizeB) return false;
    std::ifstream inA(a, std::ios::binary);
    std::ifstream inB(b, std::ios::binary);
    return inA && inB &&
           std::equal(std::istreambuf_iterator<char>(inA), std::istreambuf_iterator<char>(),
                      std::istreambuf_iterator<char>(inB), std::istreambuf_iterator<char>());
}

// Copies the file to ICAO.<mark>.xml, or, when that name holds another file
// already, to the first free ICAO.<mark>.<n>.xml: a copy kept earlier is
// never written over. True, with the copy's path, when the file is kept (or
// was kept already under one of these names).
bool lf_keepCopy(const fs::path& path, std::string_view mark, fs::path& aside) {
    const fs::path stem = path.parent_path() / path.stem();
    for (int n = 0; n < maxKeptCopies; ++n) {
        fs::path candidate = stem;
        candidate += n == 0 ? fmt::format(".{}.xml", mark) : fmt::format(".{}.{}.xml", mark, n);
        std::error_code ec;
        const bool taken = fs::exists(candidate, ec);
        if (ec) return false;
        if (taken && !lf_sameContent(path, candidate)) continue;
        if (!taken) fs::copy_file(path, candidate, ec);
        if (ec) return false;
        aside = candidate;
        return true;
    }
    return false;
}

// A learned file of another program version (or one that cannot be read) may
// hold what this version does not understand, and one that was not read
// completely holds what the park airport's stands lack (a handmade file with
// a repeated id, stands or options left out): either is kept as
// ICAO.<version>.xml or ICAO.0.xml before it is replaced. False, and the file
// must not be replaced, when it could not be kept.
bool lf_keepBeforeReplacing(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return true;
    const std::string version = lf_writtenByVersion(path);
    const bool otherVersion = version != g_programVersionText;
    if (!otherVersion && !g_learnedFileIncomplete) return true;
    fs::path aside;
    if (!lf_keepCopy(path, otherVersion ? version : brokenVersion, aside)) {
        gf_logMarked("{} could not be kept as a copy, so it is not replaced", gf_pathText(path));
        return false;
    }
    if (otherVersion)
        gf_logLine("{} of version {} kept as {}", gf_pathText(path), version, gf_pathText(aside));
    else
        gf_logMarked("{} was not read completely and is kept as {}", gf_pathText(path), gf_pathText(aside));
    return true;
}

bool lf_write(const AddonAirport& airport, const fs::path& path) {
    if (path.empty()) return false;
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    if (ec) return false;
    if (!lf_keepBeforeReplacing(path)) return false;
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
