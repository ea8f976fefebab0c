#pragma once
// A stand table built in place for the stand searches: stands at metre
// offsets from one reference point, numbered in table order as the loader
// numbers them.

#include <string>
#include <vector>

#include "airports/stand.h"
#include "foundation/geodesy.h"

namespace zrb::test {

inline constexpr double g_refLat = 47.4600;
inline constexpr double g_refLon = 8.5500;
inline constexpr double metresPerNm = 1852.0;

// The point north and east of the reference by these metres.
inline LatLon offsetPoint(double northMetres, double eastMetres) {
    const LatLon north = gf_destinationPoint(LatLon{g_refLat, g_refLon}, 0.0, northMetres / 0.3048);
    return gf_destinationPoint(north, g_pi / 2.0, eastMetres / 0.3048);
}

enum class StandKind { main, ramp, cargo, heli };

inline Stand& addStand(std::vector<Stand>& table, const std::string& id, double northMetres, double eastMetres,
                       double radiusMetres, StandKind kind = StandKind::main, double headingDeg = 0.0) {
    const LatLon p = offsetPoint(northMetres, eastMetres);
    table.emplace_back(id, std::vector<StandOption>{}, p.lat, p.lon, headingDeg * g_degToRad, radiusMetres,
                       kind == StandKind::cargo ? 0 : 1, kind == StandKind::ramp ? 0 : 1, kind == StandKind::heli ? 0 : 1);
    table.back().number = static_cast<std::uint32_t>(table.size());
    return table.back();
}

}  // namespace zrb::test
