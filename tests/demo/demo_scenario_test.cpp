// The demo's Schiphol traffic is physically plausible: what the service
// reports second by second agrees with itself (speeds, tracks, climb), the
// fast ground legs lie on real runways, arrivals end at a stand of the
// parking file, and the parked aircraft stand on stands of it.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "demo/demo_airport.h"
#include "demo/demo_scenario.h"
#include "service/scenario.h"

namespace zrb::test {
namespace {

using namespace zrb::demo;

constexpr double epoch = 1'800'000'000.0;
constexpr double mps = 0.514444;

struct Sample {
    double lat, lon, track, altitudeFt, groundSpeedKt, verticalRateFpm;
};

Sample lf_sample(const zrb::tools::ScenarioAircraft& a, double t) {
    const nlohmann::json v = zrb::tools::gf_trafficArray(a, epoch, t);
    return {v[1].get<double>(), v[2].get<double>(), v[3].get<double>(), v[4].get<double>(), v[5].get<double>(),
            v[15].get<double>()};
}

double lf_angle(double a, double b) {
    const double d = std::fmod(std::fabs(a - b), 360.0);
    return d > 180.0 ? 360.0 - d : d;
}

// Metres from the point to the runway's centre line between its thresholds,
// or to its extension beyond them.
double lf_offRunway(double lat, double lon, const DemoRunway& a, const DemoRunway& b, bool extended) {
    const double along = gf_metresBetween(a.lat, a.lon, lat, lon);
    const double angle = (gf_bearingDeg(a.lat, a.lon, lat, lon) - a.headingDeg) * 0.017453292519943295;
    const double length = gf_metresBetween(a.lat, a.lon, b.lat, b.lon);
    const double x = along * std::cos(angle);
    const double y = along * std::sin(angle);
    if (extended || (x >= 0.0 && x <= length)) return std::fabs(y);
    return x < 0.0 ? std::hypot(x, y) : std::hypot(x - length, y);
}

double lf_offAnyRunway(double lat, double lon, bool extended) {
    double best = 1e9;
    for (const auto& [a, b] : {std::pair{"06", "24"}, {"18C", "36C"}, {"09", "27"}, {"18L", "36R"}})
        best = std::min(best, lf_offRunway(lat, lon, gf_schipholRunway(a), gf_schipholRunway(b), extended));
    return best;
}

TEST(DemoScenario, EveryAircraftMovesPlausiblyOnRunwaysAndStands) {
    const zrb::tools::Scenario s = gf_demoScenario(epoch);
    int landings = 0;
    int takeOffs = 0;
    int pushbacks = 0;
    for (const auto& a : s.aircraft) {
        SCOPED_TRACE(a.callsign);
        ASSERT_GE(a.path.size(), 2U);
        const double first = a.path.front().t;
        const double last = a.path.back().t;
        EXPECT_LE(first, -24.0) << "the history at the program's start misses it";
        EXPECT_TRUE(zrb::tools::gf_isReported(a, epoch, epoch + last));
        EXPECT_FALSE(zrb::tools::gf_isReported(a, epoch, epoch + last + 1.0)) << "its stream never ends";
        Sample before = lf_sample(a, epoch + first);
        bool pushed = false;
        for (double t = first + 1.0; t <= last; t += 1.0) {
            const Sample now = lf_sample(a, epoch + t);
            const double metres = gf_metresBetween(before.lat, before.lon, now.lat, now.lon);
            const double expected = (before.groundSpeedKt + now.groundSpeedKt) * 0.5 * mps;
            // A leg's end may fall inside the second: allow a few metres.
            EXPECT_NEAR(metres, expected, 3.0 + expected * 0.03) << "at " << t;
            EXPECT_LE(std::fabs(now.groundSpeedKt - before.groundSpeedKt), 4.0) << "at " << t;
            EXPECT_GE(now.altitudeFt, 0.0);
            EXPECT_LE(std::fabs(now.verticalRateFpm), 2500.0) << "at " << t;
            // Within a leg the nose points along the motion (against it when
            // pushed back); between legs a moving aircraft turns at most as a
            // taxiway turns.
            const bool sameLeg = lf_angle(before.track, now.track) < 0.5;
            if (!sameLeg && now.groundSpeedKt > 2.0 && before.groundSpeedKt > 2.0)
                EXPECT_LE(lf_angle(before.track, now.track), 100.0) << "at " << t;
            if (metres > 1.0 && sameLeg) {
                const double bearing = gf_bearingDeg(before.lat, before.lon, now.lat, now.lon);
                const bool backwards = lf_angle(bearing, now.track) > 90.0;
                EXPECT_LE(lf_angle(backwards ? bearing + 180.0 : bearing, now.track), 5.0) << "at " << t;
                if (backwards) {
                    EXPECT_LE(now.groundSpeedKt, 5.0) << "only a pushback goes backwards, at " << t;
                    pushed = true;
                }
            }
            // Fast on the ground or low in the air: on a runway or its extension.
            if ((now.altitudeFt == 0.0 && now.groundSpeedKt > 40.0) ||
                (now.altitudeFt > 0.0 && now.altitudeFt < 500.0))
                EXPECT_LE(lf_offAnyRunway(now.lat, now.lon, now.altitudeFt > 0.0), 30.0) << "at " << t;
            if (before.altitudeFt > 0.0 && now.altitudeFt == 0.0) ++landings;
            if (before.altitudeFt == 0.0 && now.altitudeFt > 0.0) ++takeOffs;
            before = now;
        }
        if (pushed) ++pushbacks;
        // Whoever ends on the ground ends at rest on a stand.
        if (before.altitudeFt == 0.0) {
            EXPECT_EQ(before.groundSpeedKt, 0.0);
            bool atStand = false;
            for (const DemoStand& stand : gf_schipholStands())
                atStand = atStand || gf_metresBetween(stand.lat, stand.lon, before.lat, before.lon) < 1.0;
            EXPECT_TRUE(atStand);
        }
    }
    EXPECT_EQ(landings, 2);
    EXPECT_EQ(takeOffs, 2);
    EXPECT_EQ(pushbacks, 1);
    for (const auto& p : s.parked) {
        const DemoStand& stand = gf_schipholStand(p.stand);
        EXPECT_LT(gf_metresBetween(stand.lat, stand.lon, p.lat, p.lon), 1.0) << p.stand;
        EXPECT_GT(gf_metresBetween(stand.lat, stand.lon, gf_demoUserStand().lat, gf_demoUserStand().lon), 150.0);
    }
}

}  // namespace
}  // namespace zrb::test
