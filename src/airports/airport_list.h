#pragma once
// The world-wide airport list (input/airports_p3d.xml): ICAO and IATA codes,
// position and elevation. It locates airport codes (the park-airport list,
// DESTINATION), finds the airport the user's aircraft stands at and labels
// airports for the log and the status display.
//
// Threads: the list is filled once per process by gf_readAirports on the
// worker thread and never changed afterwards; the readers below see it only
// after that (the read flag is published with release/acquire), so the
// window's handlers may call them from the GUI thread without a lock.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zrb {

// One entry of the airport list.
struct AirportData {
    std::string icao;
    std::string iata;          // may be empty
    double lat = 0.0;          // degrees
    double lon = 0.0;          // degrees
    double elevationFt = 0.0;  // feet
};

// Room reserved before reading: the shipped list holds tens of thousands.
inline constexpr std::size_t g_airportListReserve = 44000;
// An airport this near the user's aircraft is the one it stands at [NM].
inline constexpr double g_closestAirportRangeNm = 5.0;
// Distance reported for an airport without a usable parking file or stand [NM].
inline constexpr double g_noStandDistanceNm = 100.0;

// Reads input/<fileName> the first time; later calls keep the list. True when
// the list holds airports. Throws UserErrorException 88 when the file cannot
// be loaded or has no <airports> root (the list then counts as unread).
bool gf_readAirports(const std::string& fileName);

// The list, sorted by code; empty until read.
const std::vector<AirportData>& gf_airportList();

// The first airport whose ICAO code is exactly this.
std::optional<AirportData> gf_findAirport(std::string_view icao);

// The airport within 5.0 NM of the position that the user stands at: the
// nearest, unless the second nearest has a stand nearer to the position in its
// parking file. None when no airport is that near, and none while the parking
// file of one of the two is on its way from the download site (*onItsWay is
// then set: a later search decides).
std::optional<AirportData> gf_closestAirport(double lat, double lon, bool* onItsWay = nullptr);

// "EHAM (AMS)", "EHAM" without an IATA code, "?" for an empty code.
std::string gf_airportLabel(const AirportData& airport);

}  // namespace zrb
