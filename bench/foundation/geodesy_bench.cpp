// The geodesy helpers run for every aircraft on every 10 ms pass: with a few
// hundred aircraft each call has to stay well under a microsecond.

#include <benchmark/benchmark.h>

#include <vector>

#include "foundation/geodesy.h"

namespace {

using zrb::LatLon;

std::vector<LatLon> lf_positions() {
    std::vector<LatLon> positions;
    for (int i = 0; i < 256; ++i) positions.push_back({-60.0 + i * 0.47, -179.0 + i * 1.39});
    return positions;
}

void BM_distanceNm(benchmark::State& state) {
    const auto positions = lf_positions();
    const LatLon user{52.3086, 4.7639};
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(zrb::gf_distanceNm(user, positions[i++ & 255]));
    }
}
BENCHMARK(BM_distanceNm);

void BM_initialBearing(benchmark::State& state) {
    const auto positions = lf_positions();
    const LatLon user{52.3086, 4.7639};
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(zrb::gf_initialBearing(user, positions[i++ & 255]));
    }
}
BENCHMARK(BM_initialBearing);

void BM_destinationPoint(benchmark::State& state) {
    const auto positions = lf_positions();
    std::size_t i = 0;
    for (auto _ : state) {
        const double bearing = static_cast<double>(i & 63) * 0.1;
        benchmark::DoNotOptimize(zrb::gf_destinationPoint(positions[i++ & 255], bearing, 18228.34647));
    }
}
BENCHMARK(BM_destinationPoint);

void BM_curvePointAt(benchmark::State& state) {
    const zrb::CurvePath curve{52.3, 4.76, 0.0, 120.0, 80.0, 1.0, 60.0, 10.0};
    LatLon position;
    double heading = 0.0;
    double t = 0.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(zrb::gf_curvePointAt(curve, t, position, heading));
        benchmark::DoNotOptimize(position);
        t += 0.001;
        if (t > 1.0) t = 0.0;
    }
}
BENCHMARK(BM_curvePointAt);

}  // namespace

BENCHMARK_MAIN();
