// One manager pass (lf_handleAddingStack) must stay far inside its 10 ms
// grid: the target is 200 µs (2 %) with 500 live aircraft, all moving, and 300
// static ones. No simulator is connected, so the pass does all its own work
// (notices, every aircraft's step and position update, the buffer swap, the
// paced queues) while nothing is sent. "per_aircraft" is the pass's time
// divided by the 800 aircraft.

#include <benchmark/benchmark.h>

#include "simlink/sim_link.h"
#include "traffic/traffic_lists.h"
#include "traffic/traffic_manager.h"

namespace {

using namespace zrb;

constexpr int liveCount = 500;
constexpr int staticCount = 300;
constexpr int samplesPerAircraft = 800;
constexpr std::int32_t passesBetweenSamples = 300;  // a feed sample every 3 s

void lf_resetAll() {
    gf_resetSimLink(5);
    gf_resetTraffic();
    gf_reserveTrafficLists();
    g_passTick = 0;
}

AcIdentity lf_identity(std::uint32_t hexId) {
    AcIdentity id;
    id.hexId = hexId;
    id.type = "A320";
    id.airline = "DLH";
    id.callsign = "DLH" + std::to_string(hexId % 10000);
    id.category = 2;
    id.halfSpan = 0.0097;
    id.title = "Bench livery";
    return id;
}

// Live aircraft flying east on parallel tracks, their samples due one after
// the other (staggered, so a few of them step every pass), and parked statics.
void lf_fill() {
    for (int i = 0; i < liveCount; ++i) {
        PosSample s;
        s.lat = 46.0 + 0.01 * i;
        s.lon = 7.0;
        s.altitude = 6000.0;
        s.groundSpeed = s.speed = 250.0;
        s.heading = 90.0;
        s.airborne = 1;
        s.duePass = i % passesBetweenSamples;
        LiveAc a(s, lf_identity(0x400000 + static_cast<std::uint32_t>(i)), 0.0);
        for (int k = 1; k < samplesPerAircraft; ++k) {
            s.lon += 0.0031;
            s.duePass += passesBetweenSamples;
            a.samples.push_back(s);
        }
        a.fs = LifecycleState::active;
        a.st = MovementState::flying;
        a.objectId = 1000 + static_cast<std::uint32_t>(i);
        a.block.latitudeDeg = a.samples.front().lat;
        a.block.longitudeDeg = a.samples.front().lon;
        a.block.altitudeFt = 6000.0;
        g_liveList.push_back(std::move(a));
    }
    for (int i = 0; i < staticCount; ++i) {
        AiAc s = gf_initStaticAc(lf_identity(static_cast<std::uint32_t>(i + 1)), 0, 47.0, 8.0 + 0.001 * i, 0.0, 0);
        s.fs = LifecycleState::active;
        s.objectId = 5000 + static_cast<std::uint32_t>(i);
        g_staticList.push_back(std::move(s));
    }
}

void BM_emptyPass(benchmark::State& state) {
    lf_resetAll();
    for (auto _ : state) lf_handleAddingStack();
    lf_resetAll();
}
BENCHMARK(BM_emptyPass);

void BM_pass500Live300Static(benchmark::State& state) {
    lf_resetAll();
    lf_fill();
    for (auto _ : state) lf_handleAddingStack();
    state.counters["per_aircraft"] = benchmark::Counter(liveCount + staticCount,
                                                        benchmark::Counter::kIsIterationInvariantRate |
                                                            benchmark::Counter::kInvert);
    state.counters["live_left"] = static_cast<double>(g_liveList.size());
    lf_resetAll();
}
BENCHMARK(BM_pass500Live300Static)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
