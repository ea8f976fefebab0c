// Loading the park airport's parking file: header, stands, learned file,
// quality factors and fake aircraft, then the stand numbers and overlaps.
// Everything is read into a table of its own and takes the place of the park
// airport's state only when the whole load succeeded.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <unordered_map>

#include <fmt/format.h>

#include "airports/fake_aircraft.h"
#include "airports/learned_file.h"
#include "airports/park_airport.h"
#include "airports/park_airport_file.h"
#include "airports/parking_controls.h"
#include "airports/parking_file.h"
#include "config/meta_info.h"
#include "config/parameter_controls.h"
#include "config/parameters.h"
#include "config/paths.h"
#include "feed/feed_shared.h"
#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "foundation/text_file.h"
#include "foundation/windows_path.h"
#include "foundation/user_error.h"
#include "shell/common/main_window_state.h"

namespace zrb {

ApfHeader g_parkAirportHeader;

namespace {

namespace fs = std::filesystem;

constexpr std::string_view functionName = "gf_readApf";
constexpr std::int32_t defaultParkingPercentage = 30;
constexpr int nameWidth = 24;
// Two stands overlap when their distance, with this margin, is less than the sum of their radii.
constexpr double overlapMargin = 1.1;
// Nautical miles per degree of latitude on the program's sphere.
constexpr double nmPerDegreeLat = 60.0;
constexpr double sphereRadiusNm = g_earthDiameterNm / 2.0;
// The overlap grid's cells: a little wider than the widest reach, so that
// rounding never puts an overlapping pair two cells apart, and never so
// narrow that a cell number leaves 64 bits [on the unit sphere].
constexpr double cellMargin = 1.0 + 1e-6;
constexpr double minCellSize = 1e-9;
const fs::path downloadedParkAirport = g_airportsFolder / "park_airport.xml";

struct LoadedAirport {
    ApfHeader header;
    std::int32_t rtTrafficWeek = 0;
    QualityFactors qf = gf_packQualityFactors(-1, -1);
    std::vector<Stand> stands;
    bool handmade = false;
    bool learnedComplete = true;  // nothing of the learned file (if any) was left out
    fs::path learnedPath;
};

bool lf_hasMeta(const pugi::xml_document& doc) {
    return gf_readMetaInfo(doc, g_metaAuthor) && gf_readMetaInfo(doc, g_metaDate) &&
           gf_readMetaInfo(doc, g_metaVersion);
}

void lf_readHeader(const pugi::xml_document& doc, LoadedAirport& airport) {
    airport.rtTrafficWeek = lf_getApfIntParameter(doc, "RT_traffic_week").value_or(0);
    airport.header.publisher = lf_getApfStringParameter(doc, "publisher").value_or("");
    const auto altitude = lf_getApfIntParameter(doc, "altitude");
    if (!altitude) throw UserErrorException(65, "Parameter altitude not found");
    airport.header.altitude = *altitude;
    airport.header.airportName = lf_getApfStringParameter(doc, "airport_name").value_or("");
}

void lf_mergeLearnedFile(const std::string& path, LoadedAirport& airport) {
    airport.learnedPath = lf_learnedApfPath(path, airport.header.publisher);
    if (airport.learnedPath.empty() || !fs::exists(airport.learnedPath)) {
        parking_percentage.value = defaultParkingPercentage;
        gf_enableParkingControl(parking_percentage, false);
        gf_showIntParameter(parking_percentage);
        gf_logIndented("{:{}}: {}%", parking_percentage.name, nameWidth, defaultParkingPercentage);
        return;
    }
    const LearnedFileRead read = lf_readLearned(airport.learnedPath, airport.header, airport.stands);
    airport.handmade = read.handmade;
    airport.learnedComplete = read.complete;
    airport.qf = lf_computeQualityFactors(airport.stands);
    if (airport.handmade) gf_logLine("A handmade airport file overruled the archived file!");
    if (PARK_FAKE.value) lf_addFakeAircraft(gf_pathText(gf_pathFromWindowsText(path).stem()), airport.stands);
}

// The overlap test of two stands.
bool lf_overlap(const Stand& a, const Stand& b) {
    const double reach = a.radius + b.radius;
    // A great circle is never shorter than its latitude difference:
    // most pairs are ruled out without the trigonometry.
    if (std::abs(a.lat - b.lat) * nmPerDegreeLat * overlapMargin > reach * (1.0 + 1e-9)) return false;
    return gf_distanceNm({a.lat, a.lon}, {b.lat, b.lon}) * overlapMargin < reach;
}

// A stand's position as a point in space, on the unit sphere.
struct Point {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

Point lf_point(const Stand& s) {
    const double lat = s.lat * g_degToRad;
    const double lon = s.lon * g_degToRad;
    return {std::cos(lat) * std::cos(lon), std::cos(lat) * std::sin(lon), std::sin(lat)};
}

// The straight line between two stands [NM].
double lf_chordNm(const Point& p, const Point& q) {
    const double dx = p.x - q.x;
    const double dy = p.y - q.y;
    const double dz = p.z - q.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz) * sphereRadiusNm;
}

struct Cell {
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::int64_t z = 0;
    bool operator==(const Cell&) const = default;
};

struct CellHash {
    std::size_t operator()(const Cell& c) const noexcept {
        constexpr std::uint64_t mix = 0x9E3779B97F4A7C15ULL;
        std::uint64_t h = static_cast<std::uint64_t>(c.x) * mix;
        h ^= static_cast<std::uint64_t>(c.y) + mix + (h << 6) + (h >> 2);
        h ^= static_cast<std::uint64_t>(c.z) + mix + (h << 6) + (h >> 2);
        return static_cast<std::size_t>(h);
    }
};

// Numbers the stands 1..n and lists, for each, the stands its circle overlaps,
// in stand order. A file may hold thousands of stands, in a row along one
// latitude as well as anywhere else: each stand is compared only with those
// in its own and the neighbouring cells of a grid in space whose cells are as
// wide as the reach of the two widest stands. A straight line is never longer
// than its great circle, so no overlapping pair lies farther apart.
void lf_numberAndOverlap(std::vector<Stand>& stands) {
    for (std::size_t i = 0; i < stands.size(); ++i) stands[i].number = static_cast<std::uint32_t>(i + 1);
    double widest = 0.0;
    for (const Stand& s : stands) widest = std::max(widest, s.radius);
    const double cellSize = std::max(2.0 * widest / (overlapMargin * sphereRadiusNm) * cellMargin, minCellSize);
    const auto cellOf = [cellSize](const Point& p) {
        return Cell{static_cast<std::int64_t>(std::floor(p.x / cellSize)),
                    static_cast<std::int64_t>(std::floor(p.y / cellSize)),
                    static_cast<std::int64_t>(std::floor(p.z / cellSize))};
    };
    std::vector<Point> points;
    points.reserve(stands.size());
    std::unordered_map<Cell, std::vector<std::size_t>, CellHash> grid;
    grid.reserve(stands.size());
    for (std::size_t i = 0; i < stands.size(); ++i) {
        points.push_back(lf_point(stands[i]));
        grid[cellOf(points.back())].push_back(i);
    }
    for (std::size_t i = 0; i < stands.size(); ++i) {
        Stand& a = stands[i];
        const Point& p = points[i];
        const Cell home = cellOf(p);
        for (std::int64_t dx = -1; dx <= 1; ++dx) {
            for (std::int64_t dy = -1; dy <= 1; ++dy) {
                for (std::int64_t dz = -1; dz <= 1; ++dz) {
                    const auto cell = grid.find(Cell{home.x + dx, home.y + dy, home.z + dz});
                    if (cell == grid.end()) continue;
                    for (const std::size_t j : cell->second) {
                        const Stand& b = stands[j];
                        // The chord rules out a pair as surely as the latitude, in any direction.
                        const double reach = (a.radius + b.radius) * (1.0 + 1e-9) + 1e-9;
                        if (j == i || lf_chordNm(p, points[j]) * overlapMargin > reach) continue;
                        if (lf_overlap(a, b)) a.neighbours.push_back(b.number);
                    }
                }
            }
        }
        std::sort(a.neighbours.begin(), a.neighbours.end());
        a.neighbours.shrink_to_fit();
    }
}

LoadedAirport lf_loadAirport(const std::string& path, const fs::path& localFile, std::string& error) {
    LoadedAirport airport;
    pugi::xml_document doc;
    std::string loadError;
    if (!gf_loadParkingXml(doc, localFile, loadError)) {
        error = fmt::format("{}: could not load file: {}", path, gf_pathText(localFile));
        return airport;
    }
    if (!lf_hasMeta(doc)) {
        error = fmt::format("{}: refused to load (copyright)", path);
        return airport;
    }
    lf_readHeader(doc, airport);
    gf_readParkPositions(doc.child("parkpositions"), 1, airport.stands, path);
    airport.qf = gf_packQualityFactors(lf_getApfIntParameter(doc, "Qf_real").value_or(-1),
                                       lf_getApfIntParameter(doc, "Qf_soft").value_or(-1));
    lf_mergeLearnedFile(path, airport);
    return airport;
}

// The loaded airport becomes the park airport's state.
void lf_takeOver(const std::string& path, LoadedAirport& airport, ApfHeader& header, QualityFactors& qf) {
    const std::size_t n = airport.stands.size();
    header = airport.header;
    qf = airport.qf;
    g_rtTrafficWeek = airport.rtTrafficWeek;
    g_handmadeAirport = airport.handmade;
    g_learnedFileIncomplete = !airport.learnedComplete;
    {
        std::lock_guard lock(g_parkAirportMutex);
        CurrentParkAirport.elevation = static_cast<double>(airport.header.altitude);
    }
    gf_replaceStandTable(std::move(airport.stands));
    g_mainWindowState.stands = n;
    g_mainWindowState.weekCount = g_rtTrafficWeek;
    gf_invalidateBand(g_middleBand);
    lf_numberAndOverlap(StandTable);
    gf_logLine("Airport file read from '{}' for {}", airport.handmade ? gf_pathText(airport.learnedPath) : path,
               header.airportName);
    gf_setDisplayText(DisplayText::parkPublisher, header.publisher);
    g_mainWindowState.handmadeMark = airport.handmade;
    gf_invalidateBand(g_middleBand);
    gf_logIndented("{:{}}: {}", "publisher", nameWidth, header.publisher);
    gf_logIndented("{:{}}: {} ft", "altitude", nameWidth, header.altitude);
    gf_logIndented("{:{}}: {}", "num_parkpos", nameWidth, n);
    gf_logIndented("{:{}}: {}", "quality factor", nameWidth, lf_qualityFactorText(qf));
    gf_logIndented("{:{}}: {}", "RT traffic week", nameWidth, g_rtTrafficWeek);
    gf_setDisplayText(DisplayText::qualityText, lf_qualityFactorText(qf));
    gf_invalidateBand(g_middleBand);
    g_parkingDataLoaded.exchange(true);
    gf_enableParkingControl(FLUSH_STATIC_BUTTON, true);
    g_learnSoftAutoOff = false;
    g_referenceElevation = static_cast<double>(header.altitude);
    gf_invalidateBand(g_middleBand);
}

}  // namespace

std::string gf_readApf(const std::string& path, ApfHeader& header, QualityFactors& qf) {
    if (path.empty()) return fmt::format("{}: xml is empty", functionName);
    if (!gf_parkAirportIsSet()) return fmt::format("{}: no park airport set", functionName);
    try {
        fs::path localFile = path;
        if (!gf_isLocalApfPath(path)) {
            if (std::string error = lf_downloadFile(path, downloadedParkAirport); !error.empty()) return error;
            localFile = downloadedParkAirport;
        }
        std::string error;
        LoadedAirport airport = lf_loadAirport(path, localFile, error);
        if (!error.empty()) return error;
        lf_takeOver(path, airport, header, qf);
        return StandTable.empty() ? "no stands found" : "";
    } catch (const UserErrorException& e) {
        // A damaged file costs the parking at this airport, not the run.
        return e.what();
    } catch (const std::exception& e) {
        return fmt::format("{}: {}", functionName, e.what());
    }
}

}  // namespace zrb
