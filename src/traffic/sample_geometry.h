#pragma once
// Positions of samples and aircraft, and the few distances and bearings
// between them that the ground rules ask again and again. Pure functions.

#include <cmath>

#include "foundation/geodesy.h"
#include "traffic/ai_aircraft.h"

namespace zrb {

inline constexpr double g_samePositionToleranceDeg = 1e-8;

inline LatLon gf_samplePos(const PosSample& s) { return LatLon{s.lat, s.lon}; }
inline LatLon gf_acPos(const LiveAc& a) { return LatLon{a.block.latitudeDeg, a.block.longitudeDeg}; }
// The stand copy of a live aircraft: where its stand is.
inline LatLon gf_standCopyPos(const AiAc& a) { return LatLon{a.lat, a.lon}; }

// Both coordinates within 1e-8°.
inline bool gf_samePosition(const LatLon& a, const LatLon& b) {
    return std::abs(a.lat - b.lat) < g_samePositionToleranceDeg && std::abs(a.lon - b.lon) < g_samePositionToleranceDeg;
}

// An angle in degrees brought into −180..180.
inline double gf_wrapDegrees(double degrees) {
    double d = std::fmod(degrees, 360.0);
    if (d > 180.0) d -= 360.0;
    if (d < -180.0) d += 360.0;
    return d;
}

// |bearing from → to − heading| in degrees, 0..180.
inline double gf_turnDegrees(const LatLon& from, const LatLon& to, double headingRad) {
    return std::abs(gf_wrapDegrees((gf_initialBearing(from, to) - headingRad) * g_radToDeg));
}

}  // namespace zrb
