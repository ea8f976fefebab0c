// The stand search for one aircraft at an airport of 500 stands must stay
// within 50 µs: the nearest free stand of a landed aircraft (the wide search
// with second choices, the stands 40 m apart on a grid), the stand chosen for
// an aircraft at a weekday and half-hour with 0, 10 and 40 options per stand
// (the last is the size of a well-learned airport's file), and the
// user's stand (a new position every time, so the table is walked).

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "airports/stand.h"
#include "foundation/geodesy.h"
#include "simlink/sim_state.h"
#include "traffic/stand_search.h"

namespace {

using namespace zrb;

constexpr int standCount = 500;
constexpr int standsPerRow = 25;
constexpr double spacingFeet = 40.0 / 0.3048;
constexpr double halfSpanNm = 17.9 / 1852.0;

LatLon lf_gridPoint(double row, double column) {
    const LatLon start{47.45, 8.55};
    const LatLon north = gf_destinationPoint(start, 0.0, row * spacingFeet);
    return gf_destinationPoint(north, g_pi / 2.0, column * spacingFeet);
}

void lf_fillStands(int optionsPerStand = 0) {
    std::vector<Stand> table;
    table.reserve(standCount);
    for (int i = 0; i < standCount; ++i) {
        const LatLon p = lf_gridPoint(i / standsPerRow, i % standsPerRow);
        table.emplace_back("S" + std::to_string(i), std::vector<StandOption>{}, p.lat, p.lon, 0.0, 19.0 + i % 5, 1,
                           i % 7 == 0 ? 0 : 1, 1);
        Stand& s = table.back();
        s.number = static_cast<std::uint32_t>(i + 1);
        for (int k = 0; k < optionsPerStand; ++k)
            s.options.push_back(StandOption{"BAW", "A320", "G-EU" + std::to_string(k), "BAW" + std::to_string(k), "",
                                            std::uint64_t{1} << (k % 48), static_cast<std::uint32_t>(k + 1),
                                            1 + k % 7, 1, 1});
        s.liveParked = i % 3 == 0 ? 1 : 0;
    }
    gf_replaceStandTable(std::move(table));
}

AiAc lf_aircraft() {
    AiAc a;
    a.halfSpan = halfSpanNm;
    a.category = 2;
    a.callsign = "DLH4AB";
    a.airline = "DLH";
    a.type = "A320";
    return a;
}

void BM_FindNearestFreeStand(benchmark::State& state) {
    lf_fillStands();
    const AiAc a = lf_aircraft();
    int i = 0;
    for (auto _ : state) {
        const LatLon p = lf_gridPoint((i % standCount) / standsPerRow + 0.4, i % standsPerRow + 0.3);
        benchmark::DoNotOptimize(gf_findNearestFreeStand(p, a, g_userStandRadiusNm, true));
        ++i;
    }
    gf_clearStandTable();
}
BENCHMARK(BM_FindNearestFreeStand)->Unit(benchmark::kMicrosecond);

void BM_ChooseStand(benchmark::State& state) {
    lf_fillStands(static_cast<int>(state.range(0)));
    const AiAc a = lf_aircraft();
    std::uint32_t slot = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(gf_chooseStand(gf_makeDaySlot(1 + slot % 7, slot % 48), a, true));
        ++slot;
    }
    gf_clearStandTable();
}
BENCHMARK(BM_ChooseStand)->Arg(0)->Arg(10)->Arg(40)->Unit(benchmark::kMicrosecond);

void BM_UserStand(benchmark::State& state) {
    lf_fillStands();
    g_userOnGround = true;
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(gf_getUserStand(lf_gridPoint(i % 20, 0.1 + i % 25)));
        ++i;
    }
    g_userOnGround = false;
    gf_clearStandTable();
}
BENCHMARK(BM_UserStand)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
