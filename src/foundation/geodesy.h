#pragma once
// Great-circle helpers on a spherical earth, and the point on a quadratic ground
// path. Pure functions without state: safe from any thread, and cheap enough for
// every aircraft on every 10 ms pass.
//
// Positions are degrees, north and east positive. Bearings and headings are
// radians clockwise from true north, in [0, 2π].

#include <limits>

namespace zrb {

struct LatLon {
    double lat = 0.0;  // degrees
    double lon = 0.0;  // degrees
};

// The sphere's diameter in nautical miles (21600/π): one minute of arc of a
// great circle is exactly one nautical mile, so one degree is 60 NM.
inline constexpr double g_earthDiameterNm = 6875.493541569878;
inline constexpr double g_degToRad = 0.017453292519943295;
inline constexpr double g_radToDeg = 57.29577951308232;
inline constexpr double g_twoPi = 6.283185307179586;
inline constexpr double g_pi = 3.141592653589793;
// Angular distance of one foot on that sphere [rad/ft].
inline constexpr double g_radiansPerFoot = 4.787404208238998e-8;
// Feet in a nautical mile [ft/NM].
inline constexpr double g_feetPerNm = 6076.11549;
// Metres per degree of latitude used by the local ground paths [m/deg].
inline constexpr double g_metresPerDegreeLat = 111132.95;

// One quadratic ground path in metres around its start position. The field
// order is the one the movement code fills in: end point north before east,
// control point east before north. A control offset that is NaN marks a record
// that holds no path (the default).
struct CurvePath {
    double startLat = 0.0;  // degrees
    double startLon = 0.0;  // degrees
    double t0 = 0.0;        // start time, in the caller's unit
    double endNorth = 0.0;  // metres from the start
    double endEast = 0.0;   // metres from the start
    double t1 = 0.0;        // end time
    double ctrlEast = std::numeric_limits<double>::quiet_NaN();   // metres
    double ctrlNorth = std::numeric_limits<double>::quiet_NaN();  // metres
};

// Haversine distance in nautical miles.
double gf_distanceNm(const LatLon& p1, const LatLon& p2);

// Initial bearing from p1 towards p2, radians in [0, 2π].
double gf_initialBearing(const LatLon& p1, const LatLon& p2);

// The point reached from p along the bearing (radians) after distanceFeet feet.
// The longitude stays within [-180, 180] across the antimeridian.
LatLon gf_destinationPoint(const LatLon& p, double bearing, double distanceFeet);

// The point and direction of travel of the path at time t. Returns false, and
// leaves position and heading untouched, when the record holds no path, t lies
// outside [t0, t1], the path has no duration (t1 <= t0) or the result would not
// be a finite position.
bool gf_curvePointAt(const CurvePath& curve, double t, LatLon& position, double& heading);

}  // namespace zrb
