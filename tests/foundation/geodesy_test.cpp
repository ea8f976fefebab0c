#include "foundation/geodesy.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace zrb {
namespace {

constexpr double feetPerNm = 6076.11549;  // 1852 m in feet
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

TEST(Geodesy, DistanceIsSymmetricAndOneDegreeIsSixtyMiles) {
    EXPECT_EQ(gf_distanceNm({50.0, 8.0}, {50.0, 8.0}), 0.0);
    EXPECT_NEAR(gf_distanceNm({0.0, 0.0}, {1.0, 0.0}), 60.0, 60.0 * 1e-9);
    EXPECT_NEAR(gf_distanceNm({0.0, 0.0}, {0.0, 1.0}), 60.0, 60.0 * 1e-9);
    const LatLon ams{52.3086, 4.7639};
    const LatLon jfk{40.6398, -73.7789};
    EXPECT_DOUBLE_EQ(gf_distanceNm(ams, jfk), gf_distanceNm(jfk, ams));
    EXPECT_NEAR(gf_distanceNm(ams, jfk), 3160.0, 20.0);  // great circle, spherical earth
}

TEST(Geodesy, AntipodalDistanceIsHalfTheCircumferenceNotNan) {
    const double halfCircumference = 10800.0;  // 180° × 60 NM
    for (const double lat : {0.0, 45.0, 33.3, 89.0, -12.7}) {
        for (const double lon : {0.0, 10.0, 123.4, -77.7}) {
            const double d = gf_distanceNm({lat, lon}, {-lat, lon + 180.0});
            ASSERT_FALSE(std::isnan(d)) << lat << "," << lon;
            EXPECT_NEAR(d, halfCircumference, 1e-6);
        }
    }
}

TEST(Geodesy, BearingsOfTheFourQuartersAndNoNegativeResult) {
    const LatLon origin{10.0, 20.0};
    EXPECT_NEAR(gf_initialBearing(origin, {11.0, 20.0}), 0.0, 1e-12);
    EXPECT_NEAR(gf_initialBearing(origin, {10.0, 21.0}), g_pi / 2, 1e-2);
    EXPECT_NEAR(gf_initialBearing({0.0, 0.0}, {0.0, 1.0}), g_pi / 2, 1e-12);
    EXPECT_NEAR(gf_initialBearing(origin, {9.0, 20.0}), g_pi, 1e-12);
    EXPECT_NEAR(gf_initialBearing({0.0, 0.0}, {0.0, -1.0}), 3 * g_pi / 2, 1e-12);
    // North-west comes out of atan2 negative and is returned plus 2π.
    const double nw = gf_initialBearing({0.0, 0.0}, {1.0, -1.0});
    EXPECT_GT(nw, 3 * g_pi / 2);
    EXPECT_LE(nw, g_twoPi);
}

TEST(Geodesy, DestinationPointGoesOneMinuteAndWrapsAtTheAntimeridian) {
    const LatLon north = gf_destinationPoint({0.0, 0.0}, 0.0, feetPerNm);
    EXPECT_NEAR(north.lat * 60.0, 1.0, 1e-6);  // one minute of latitude
    EXPECT_NEAR(north.lon, 0.0, 1e-12);

    const LatLon east = gf_destinationPoint({0.0, 179.99}, g_pi / 2, 60.0 * feetPerNm);
    EXPECT_NEAR(east.lon, -179.01, 1e-6);
    EXPECT_NEAR(east.lat, 0.0, 1e-9);
    const LatLon west = gf_destinationPoint({0.0, -179.5}, 3 * g_pi / 2, 60.0 * feetPerNm);
    EXPECT_NEAR(west.lon, 179.5, 1e-6);

    // Going and measuring back agree.
    const LatLon start{47.45, 8.56};
    const LatLon end = gf_destinationPoint(start, 1.0, 3.0 * feetPerNm);
    EXPECT_NEAR(gf_distanceNm(start, end), 3.0, 1e-9);
    EXPECT_NEAR(gf_initialBearing(start, end), 1.0, 1e-9);

    // Over the pole stays a valid latitude.
    const LatLon pole = gf_destinationPoint({89.99, 0.0}, 0.0, 1.2 * feetPerNm);
    EXPECT_FALSE(std::isnan(pole.lat));
    EXPECT_LE(pole.lat, 90.0);
}

TEST(Geodesy, CurvePointAtItsEndsAndInBetween) {
    const CurvePath curve{52.0, 4.0, 10.0, 100.0, 50.0, 20.0, 30.0, 40.0};
    LatLon position;
    double heading = 0.0;

    ASSERT_TRUE(gf_curvePointAt(curve, 10.0, position, heading));
    EXPECT_DOUBLE_EQ(position.lat, 52.0);
    EXPECT_DOUBLE_EQ(position.lon, 4.0);
    EXPECT_DOUBLE_EQ(heading, std::atan2(30.0, 40.0));  // towards the control point

    ASSERT_TRUE(gf_curvePointAt(curve, 20.0, position, heading));
    EXPECT_NEAR(position.lat, 52.0 + 100.0 / g_metresPerDegreeLat, 1e-12);
    EXPECT_NEAR(position.lon, 4.0 + 50.0 / (std::cos(52.0 * g_degToRad) * g_metresPerDegreeLat), 1e-12);
    EXPECT_DOUBLE_EQ(heading, std::atan2(50.0 - 30.0, 100.0 - 40.0));  // from the control point to the end

    // Midway: B(0.5) = 0.5·C + 0.25·E.
    ASSERT_TRUE(gf_curvePointAt(curve, 15.0, position, heading));
    EXPECT_NEAR(position.lat, 52.0 + (0.5 * 40.0 + 0.25 * 100.0) / g_metresPerDegreeLat, 1e-12);

    // Heading west of north comes back within [0, 2π).
    const CurvePath westward{0.0, 0.0, 0.0, 10.0, -10.0, 1.0, -5.0, 5.0};
    ASSERT_TRUE(gf_curvePointAt(westward, 0.0, position, heading));
    EXPECT_NEAR(heading, 7 * g_pi / 4, 1e-12);
}

TEST(Geodesy, CurvePointFailsAndLeavesOutputsUntouched) {
    const CurvePath curve{52.0, 4.0, 0.0, 100.0, 50.0, 1.0, 30.0, 40.0};
    const LatLon untouched{1.5, 2.5};
    LatLon position = untouched;
    double heading = 0.25;
    const auto expectFailure = [&](const CurvePath& c, double t) {
        EXPECT_FALSE(gf_curvePointAt(c, t, position, heading)) << "t=" << t;
        EXPECT_EQ(position.lat, untouched.lat);
        EXPECT_EQ(position.lon, untouched.lon);
        EXPECT_EQ(heading, 0.25);
    };

    expectFailure(curve, 1.0 + 1e-12);
    expectFailure(curve, -1e-12);
    expectFailure(curve, nan);

    CurvePath noPath = curve;
    noPath.ctrlEast = nan;
    expectFailure(noPath, 0.5);
    noPath = curve;
    noPath.ctrlNorth = nan;
    expectFailure(noPath, 0.5);
    expectFailure(CurvePath{}, 0.0);  // a default record holds no path

    // A path without duration: t0 == t1 == t would divide 0 by 0.
    CurvePath instant = curve;
    instant.t0 = instant.t1 = 0.5;
    expectFailure(instant, 0.5);
    CurvePath backwards = curve;
    backwards.t0 = 1.0;
    backwards.t1 = 0.0;
    expectFailure(backwards, 0.5);

    // An end point that is not a number gives no position either.
    CurvePath badEnd = curve;
    badEnd.endNorth = nan;
    expectFailure(badEnd, 0.5);
}

}  // namespace
}  // namespace zrb
