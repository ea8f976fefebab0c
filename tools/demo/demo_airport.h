#pragma once
// The demo's Schiphol: its runways, the stands of its parking file (the
// stand-in download site's stock archive file) and a learned file from an
// earlier session. The stand-in service places its traffic on the same
// runways and stands, so what the program plans and what the service reports
// agree.

#include <cstddef>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace zrb::demo {

inline constexpr double g_schipholElevationFt = -11.0;

struct DemoStand {
    std::string id;
    double lat = 0.0;  // degrees
    double lon = 0.0;
    double headingDeg = 0.0;  // the nose of a parked aircraft
    double radiusM = 0.0;
    bool cargo = false;
};

// One runway direction: its threshold and true heading.
struct DemoRunway {
    std::string name;  // "06", "24", "18C", ...
    double lat = 0.0;
    double lon = 0.0;
    double headingDeg = 0.0;
};

const std::vector<DemoStand>& gf_schipholStands();
const DemoStand& gf_schipholStand(const std::string& id);  // std::out_of_range for an unknown id
const DemoRunway& gf_schipholRunway(const std::string& name);
// The stand of the user's aircraft in the demo.
const DemoStand& gf_demoUserStand();

// A point `metres` away from (lat, lon) in the direction `bearingDeg`
// (flat earth: good to a metre over the airport).
void gf_offset(double lat, double lon, double bearingDeg, double metres, double& outLat, double& outLon);
double gf_metresBetween(double lat1, double lon1, double lat2, double lon2);
double gf_bearingDeg(double lat1, double lon1, double lat2, double lon2);

// Writes the airport parking file of the stands as the stock archive file
// ("P3D/archive/stock/EHAM.xml" below `siteFolder`), and the learned file of an
// earlier session ("airports/learned/stock/EHAM.xml" below `installFolder`):
// real options for the weekday and half-hours around `now` of some of the
// demo's liveries (the first `liveryCount` generated ones). Throws
// std::runtime_error when a file cannot be written.
void gf_writeSchipholFiles(const std::filesystem::path& siteFolder, const std::filesystem::path& installFolder,
                           std::time_t now, std::size_t liveryCount);

}  // namespace zrb::demo
