#include "foundation/geodesy.h"

#include <algorithm>
#include <cmath>

namespace zrb {

double gf_distanceNm(const LatLon& p1, const LatLon& p2) {
    const double phi1 = p1.lat * g_degToRad;
    const double phi2 = p2.lat * g_degToRad;
    const double sinHalfDPhi = std::sin((phi2 - phi1) / 2.0);
    const double sinHalfDLambda = std::sin((p2.lon - p1.lon) * g_degToRad / 2.0);
    double a = sinHalfDPhi * sinHalfDPhi + std::cos(phi1) * std::cos(phi2) * sinHalfDLambda * sinHalfDLambda;
    // Rounding can carry a past 1 for nearly antipodal points; sqrt(1 - a) would
    // then be NaN and poison every range test that uses the distance.
    a = std::clamp(a, 0.0, 1.0);
    return std::atan2(std::sqrt(a), std::sqrt(1.0 - a)) * g_earthDiameterNm;
}

double gf_initialBearing(const LatLon& p1, const LatLon& p2) {
    const double phi1 = p1.lat * g_degToRad;
    const double phi2 = p2.lat * g_degToRad;
    const double dLambda = (p2.lon - p1.lon) * g_degToRad;
    double theta = std::atan2(std::sin(dLambda) * std::cos(phi2),
                              std::cos(phi1) * std::sin(phi2) - std::sin(phi1) * std::cos(phi2) * std::cos(dLambda));
    if (theta < 0.0) theta += g_twoPi;
    return theta;
}

LatLon gf_destinationPoint(const LatLon& p, double bearing, double distanceFeet) {
    const double delta = distanceFeet * g_radiansPerFoot;
    const double phi1 = p.lat * g_degToRad;
    const double lambda1 = p.lon * g_degToRad;
    const double sinPhi1 = std::sin(phi1);
    const double cosPhi1 = std::cos(phi1);
    const double sinDelta = std::sin(delta);
    const double cosDelta = std::cos(delta);
    // The sine can round just past ±1 near the poles; asin would give NaN.
    const double sinPhi2 = std::clamp(sinPhi1 * cosDelta + cosPhi1 * sinDelta * std::cos(bearing), -1.0, 1.0);
    const double phi2 = std::asin(sinPhi2);
    double lambda2 = lambda1 + std::atan2(std::sin(bearing) * sinDelta * cosPhi1, cosDelta - sinPhi1 * sinPhi2);
    lambda2 = std::remainder(lambda2, g_twoPi);
    return {phi2 * g_radToDeg, lambda2 * g_radToDeg};
}

bool gf_curvePointAt(const CurvePath& curve, double t, LatLon& position, double& heading) {
    if (std::isnan(curve.ctrlEast) || std::isnan(curve.ctrlNorth)) return false;
    if (t < curve.t0 || t > curve.t1) return false;
    // A path without duration would make s = 0/0: a NaN position must never
    // reach the simulator.
    if (!(curve.t1 > curve.t0)) return false;
    const double s = (t - curve.t0) / (curve.t1 - curve.t0);
    if (!std::isfinite(s) || s < 0.0 || s > 1.0) return false;
    const double u = 1.0 - s;

    // Quadratic Bézier from the origin through C to E.
    const double dEast = 2.0 * u * curve.ctrlEast + 2.0 * s * (curve.endEast - curve.ctrlEast);
    const double dNorth = 2.0 * u * curve.ctrlNorth + 2.0 * s * (curve.endNorth - curve.ctrlNorth);
    double newHeading = std::atan2(dEast, dNorth);
    if (newHeading < 0.0) newHeading += g_twoPi;

    const double east = 2.0 * u * s * curve.ctrlEast + s * s * curve.endEast;
    const double north = 2.0 * u * s * curve.ctrlNorth + s * s * curve.endNorth;
    const LatLon newPosition{
        curve.startLat + north / g_metresPerDegreeLat,
        curve.startLon + east / (std::cos(curve.startLat * g_degToRad) * g_metresPerDegreeLat)};
    if (!std::isfinite(newPosition.lat) || !std::isfinite(newPosition.lon) || !std::isfinite(newHeading)) return false;

    position = newPosition;
    heading = newHeading;
    return true;
}

}  // namespace zrb
