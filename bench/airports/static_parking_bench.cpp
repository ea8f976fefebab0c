// Planning the static parking of a large airport: 500 stands with 20,000
// learned options (40 per stand, every weekday and time of day) and 50 parked
// aircraft of the service, at most 20 ms per plan.

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "airports/parked_traffic_test_hook.h"
#include "airports/static_parking_plan.h"
#include "airports/stand.h"
#include "config/parameters.h"
#include "shell/common/run_state.h"

namespace {

using namespace zrb;

constexpr int standCount = 500;
constexpr int optionsPerStand = 40;  // 20,000 in all
constexpr int parkedCount = 50;
constexpr double baseLat = 50.0333;
constexpr double baseLon = 8.5706;
constexpr double spacingDeg = 60.0 / 1852.0 / 60.0;  // 60 m

std::vector<ParkedTrafficRecord> g_parked;

bool lf_parked(std::vector<ParkedTrafficRecord>& records) {
    records = g_parked;
    return true;
}

void lf_buildAirport() {
    std::mt19937 rng(7);
    StandTable.clear();
    StandTable.reserve(standCount);
    for (int i = 0; i < standCount; ++i) {
        std::vector<StandOption> options;
        for (int k = 0; k < optionsPerStand; ++k) {
            StandOption o;
            o.airline = "DLH";
            o.type = k % 2 == 0 ? "A320" : "B738";
            o.registration = fmt::format("D-{}-{}", i, k);
            o.callsign = fmt::format("DLH{}", i * optionsPerStand + k);
            const std::uint32_t first = rng() % 44;
            for (std::uint32_t s = first; s < first + 1 + rng() % 4; ++s) o.halfHours |= std::uint64_t{1} << s;
            o.day = static_cast<std::int32_t>(1 + rng() % 7);
            o.real = rng() % 10 < 7 ? 1 : 0;
            o.optionId = static_cast<std::uint32_t>(k + 1);
            options.push_back(std::move(o));
        }
        const double lat = baseLat + (i / 25) * spacingDeg;
        const double lon = baseLon + (i % 25) * spacingDeg / std::cos(baseLat * 0.017453292519943295);
        StandTable.emplace_back(fmt::format("S{}", i + 1), std::move(options), lat, lon, 0.0, 25.0, 1, 1, 1);
        StandTable.back().number = static_cast<std::uint32_t>(i + 1);
    }
    g_parked.clear();
    for (int k = 0; k < parkedCount; ++k) {
        const Stand& s = StandTable[static_cast<std::size_t>(k * 10)];
        ParkedTrafficRecord r;
        r.airline = "BAW";
        r.type = "A320";
        r.callsign = fmt::format("BAW{}", k);
        r.registration = fmt::format("G-{}", k);
        r.hexId = 0x400000u + static_cast<std::uint32_t>(k);
        r.lat = s.lat;
        r.lon = s.lon;
        r.slot = k % 12;
        r.stand = s.id;
        g_parked.push_back(r);
    }
}

void BM_PlanStaticParking(benchmark::State& state) {
    lf_buildAirport();
    gf_setParkedTrafficSource(&lf_parked);
    g_currentDaySlot = gf_makeDaySlot(6, 24);
    parking_percentage.value = 30;
    PARK_SOFT.value = true;
    for (auto _ : state) {
        gf_calcStaticParking();
        benchmark::DoNotOptimize(PendingParkingList.data());
    }
    state.counters["planned"] = static_cast<double>(PendingParkingList.size());
    gf_setParkedTrafficSource(nullptr);
}
BENCHMARK(BM_PlanStaticParking)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
