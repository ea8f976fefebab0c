#include "demo/demo_airport.h"

#include <cmath>
#include <stdexcept>
#include <system_error>

#include <fmt/format.h>

#include "airports/parking_file.h"
#include "airports/stand.h"
#include "demo/demo_liveries.h"
#include "foundation/time.h"

namespace zrb::demo {

namespace fs = std::filesystem;

namespace {

constexpr double degToRad = 0.017453292519943295;
constexpr double metresPerDegreeLat = 111'320.0;
constexpr std::int64_t secondsPerHalfHour = 1800;
constexpr std::int64_t halfHoursPerDay = 48;

// A pier: stands on both sides of a line from its root, noses towards it.
struct Pier {
    const char* name;
    double rootLat;
    double rootLon;
    double bearingDeg;
    int standsPerSide;
    double firstM;    // from the root to the first pair
    double spacingM;  // between pairs
    double sideM;     // from the line to a stand's centre
    double radiusM;
};

// Roughly Schiphol's piers around the terminal, and its cargo apron south of
// the Kaagbaan.
constexpr Pier piers[] = {
    {"B", 52.3095, 4.7590, 315.0, 5, 60.0, 50.0, 45.0, 20.0},
    {"C", 52.3103, 4.7604, 345.0, 5, 60.0, 50.0, 45.0, 20.0},
    {"D", 52.3110, 4.7625, 15.0, 5, 70.0, 80.0, 60.0, 36.0},
    {"E", 52.3100, 4.7648, 70.0, 5, 70.0, 80.0, 60.0, 36.0},
    {"F", 52.3088, 4.7655, 100.0, 4, 70.0, 65.0, 55.0, 30.0},
    {"G", 52.3075, 4.7650, 130.0, 5, 60.0, 65.0, 55.0, 30.0},
    {"H", 52.3060, 4.7630, 170.0, 5, 50.0, 50.0, 45.0, 20.0},
};
constexpr int cargoStands = 6;
constexpr double cargoLat = 52.2905;
constexpr double cargoFirstLon = 4.7560;
constexpr double cargoSpacingM = 90.0;
constexpr double cargoRadiusM = 40.0;

std::vector<DemoStand> lf_stands() {
    std::vector<DemoStand> stands;
    for (const Pier& pier : piers) {
        for (int pair = 0; pair < pier.standsPerSide; ++pair) {
            double alongLat = 0.0;
            double alongLon = 0.0;
            gf_offset(pier.rootLat, pier.rootLon, pier.bearingDeg, pier.firstM + pair * pier.spacingM, alongLat,
                      alongLon);
            for (const int side : {-1, 1}) {
                DemoStand stand;
                stand.id = fmt::format("{}{}", pier.name, pair * 2 + (side < 0 ? 1 : 2));
                gf_offset(alongLat, alongLon, pier.bearingDeg + side * 90.0, pier.sideM, stand.lat, stand.lon);
                stand.headingDeg = std::fmod(pier.bearingDeg - side * 90.0 + 360.0, 360.0);
                stand.radiusM = pier.radiusM;
                stands.push_back(std::move(stand));
            }
        }
    }
    double lat = 0.0;
    double lon = 0.0;
    for (int i = 0; i < cargoStands; ++i) {
        gf_offset(cargoLat, cargoFirstLon, 90.0, i * cargoSpacingM, lat, lon);
        stands.push_back({fmt::format("S{}", 91 + i), lat, lon, 0.0, cargoRadiusM, true});
    }
    return stands;
}

std::vector<DemoRunway> lf_runways() {
    // Thresholds and true headings of the runways the scenario uses.
    return {
        {"06", 52.2878, 4.7342, 57.9},  {"24", 52.3045, 4.7777, 237.9},
        {"18C", 52.3313, 4.7402, 183.2}, {"36C", 52.3011, 4.7374, 3.2},
        {"09", 52.3166, 4.7467, 87.3},  {"27", 52.3181, 4.7969, 267.3},
        {"18L", 52.3216, 4.7803, 183.2}, {"36R", 52.2905, 4.7773, 3.2},
    };
}

// Who stood where in the earlier session: stand, and the generated livery
// (index into the generated list) that stood there.
struct LearnedStand {
    const char* stand;
    std::size_t livery;
};
// None of them flies in the scenario (a static aircraft of a live one's
// registration would be a double).
constexpr LearnedStand learnedStands[] = {
    {"C1", 5},  {"C4", 10}, {"B2", 9},  {"B5", 12},  {"H3", 13},  {"H6", 19},
    {"D3", 18}, {"E8", 29}, {"G7", 20}, {"S92", 11}, {"S94", 33}, {"G9", 17},
};

StandOption lf_option(const DemoLivery& livery, int day, std::int64_t slot, std::uint32_t id) {
    StandOption option;
    option.airline = livery.airline;
    option.type = livery.type;
    option.registration = livery.registration;
    for (std::int64_t s = slot - 2; s <= slot + 6; ++s) {
        const std::int64_t inDay = (s % halfHoursPerDay + halfHoursPerDay) % halfHoursPerDay;
        option.halfHours |= std::uint64_t{1} << inDay;
    }
    option.optionId = id;
    option.day = day;
    option.origin = 0;
    option.real = 1;
    return option;
}

void lf_write(const AddonAirport& airport, const fs::path& path, std::uint32_t mode) {
    fs::create_directories(path.parent_path());
    if (!gf_writeApf(airport, path, mode)) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

void gf_offset(double lat, double lon, double bearingDeg, double metres, double& outLat, double& outLon) {
    const double b = bearingDeg * degToRad;
    outLat = lat + metres * std::cos(b) / metresPerDegreeLat;
    outLon = lon + metres * std::sin(b) / (metresPerDegreeLat * std::cos(lat * degToRad));
}

double gf_metresBetween(double lat1, double lon1, double lat2, double lon2) {
    const double north = (lat2 - lat1) * metresPerDegreeLat;
    const double east = (lon2 - lon1) * metresPerDegreeLat * std::cos((lat1 + lat2) * 0.5 * degToRad);
    return std::hypot(north, east);
}

double gf_bearingDeg(double lat1, double lon1, double lat2, double lon2) {
    const double north = (lat2 - lat1) * metresPerDegreeLat;
    const double east = (lon2 - lon1) * metresPerDegreeLat * std::cos((lat1 + lat2) * 0.5 * degToRad);
    return std::fmod(std::atan2(east, north) / degToRad + 360.0, 360.0);
}

const std::vector<DemoStand>& gf_schipholStands() {
    static const std::vector<DemoStand> stands = lf_stands();
    return stands;
}

const DemoStand& gf_schipholStand(const std::string& id) {
    for (const DemoStand& stand : gf_schipholStands())
        if (stand.id == id) return stand;
    throw std::out_of_range("no demo stand " + id);
}

const DemoRunway& gf_schipholRunway(const std::string& name) {
    static const std::vector<DemoRunway> runways = lf_runways();
    for (const DemoRunway& runway : runways)
        if (runway.name == name) return runway;
    throw std::out_of_range("no demo runway " + name);
}

const DemoStand& gf_demoUserStand() { return gf_schipholStand("F3"); }

void gf_writeSchipholFiles(const fs::path& siteFolder, const fs::path& installFolder, std::time_t now,
                           std::size_t liveryCount) {
    AddonAirport airport;
    airport.ident = "EHAM";
    airport.name = "Amsterdam Schiphol";
    airport.publisher = "stock";
    airport.altitude = static_cast<std::int32_t>(g_schipholElevationFt);
    for (const DemoStand& s : gf_schipholStands())
        airport.stands.emplace_back(s.id, std::vector<StandOption>{}, s.lat, s.lon, s.headingDeg * degToRad, s.radiusM,
                                    s.cargo ? 0 : 1, 1, 1);
    // The archive lies below the simulator's branch of the site.
    lf_write(airport, siteFolder / "P3D" / "archive" / "stock" / "EHAM.xml", g_apfModeScan);

    const std::vector<DemoLivery> liveries = gf_demoLiveries(liveryCount);
    const int day = gf_weekdayOf(static_cast<Seconds>(now));
    const std::int64_t slot = (static_cast<std::int64_t>(now) % 86400) / secondsPerHalfHour;
    for (const LearnedStand& learned : learnedStands) {
        if (learned.livery >= liveries.size()) continue;
        for (Stand& stand : airport.stands)
            if (stand.id == learned.stand) stand.options.push_back(lf_option(liveries[learned.livery], day, slot, 1));
    }
    lf_write(airport, installFolder / "airports" / "learned" / "stock" / "EHAM.xml", g_apfModeLearned);
}

}  // namespace zrb::demo
