// The live traffic's own share of the pass budget (200 µs of each 10 ms pass):
// the intake of 1,000 feed records a second (10 a pass) for aircraft the
// manager knows, and the pass that steps 500 airborne aircraft along their
// samples with the real air movement while those records arrive. No simulator
// is connected: the commands and position updates stay in the link's queues.

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "build_config.h"
#include "liveries/dbase.h"
#include "simlink/sim_link.h"
#include "traffic/feed_intake.h"
#include "traffic/traffic_lists.h"
#include "traffic/traffic_manager.h"

namespace {

using namespace zrb;

constexpr int aircraftCount = 500;
constexpr int recordsPerPass = 10;               // 1,000 a second
constexpr std::int32_t feedDelayPasses = 3000;
constexpr std::int32_t passesPerRecord = aircraftCount / recordsPerPass;  // each aircraft every 50 passes
constexpr double speedKt = 250.0;
constexpr double degreesPerRecord = speedKt * passesPerRecord / 360000.0 / 60.0 / 0.7;  // east, near 45°N
constexpr std::int64_t secondsPerRecord = 4;     // beyond the intake's repeat and gap rules

struct Feed {
    std::vector<TrafficRecord> last;  // per aircraft
    int next = 0;
};

void lf_reset() {
    gf_resetSimLink(5);
    gf_resetTraffic();
    gf_reserveTrafficLists();
    g_passTick = 0;
}

TrafficRecord lf_firstRecord(int i) {
    TrafficRecord r;
    r.hexId = 0x400000 + static_cast<std::uint32_t>(i);
    r.callsign = "DLH" + std::to_string(100 + i);
    r.type = "A320";
    r.time = 1700000000;
    r.sample.lat = 45.0 + 0.01 * i;
    r.sample.lon = 7.0;
    r.sample.altitude = 20000.0;
    r.sample.groundSpeed = r.sample.speed = speedKt;
    r.sample.heading = 90.0;
    r.sample.airborne = 1;
    return r;
}

// The next record of the next aircraft, due after the feed's delay. Without
// passes (consume) its oldest sample goes, as the driver would take it.
void lf_feedOne(Feed& feed, bool consume = false) {
    TrafficRecord& r = feed.last[static_cast<std::size_t>(feed.next)];
    r.time += secondsPerRecord;
    r.sample.lon += degreesPerRecord;
    r.sample.duePass = g_passTick.load() + feedDelayPasses;
    gf_processTrafficRecord(r);
    if (consume) {
        LiveAc& a = g_liveList[static_cast<std::size_t>(feed.next)];
        if (a.samples.size() > 2) a.samples.pop_front();
    }
    feed.next = (feed.next + 1) % aircraftCount;
}

// 500 known aircraft, active and flying, each with the samples of the last 30 s.
Feed lf_fill() {
    lf_reset();
    Feed feed;
    for (int i = 0; i < aircraftCount; ++i) {
        feed.last.push_back(lf_firstRecord(i));
        gf_processTrafficRecord(feed.last.back());
    }
    for (int pass = 0; pass < feedDelayPasses; ++pass)
        for (int k = 0; k < recordsPerPass; ++k) lf_feedOne(feed);
    std::uint32_t objectId = 1000;
    for (LiveAc& a : g_liveList) {
        a.fs = LifecycleState::active;
        a.st = MovementState::flying;
        a.objectId = objectId++;
        a.title = "Bench livery";
        const PosSample& f = a.samples.front();
        a.block.latitudeDeg = f.lat;
        a.block.longitudeDeg = f.lon;
        a.block.altitudeFt = f.altitude;
        a.block.headingRad = 1.5707963267948966;
        a.agl = 18000.0;
        a.samples.front().duePass = 0;
    }
    return feed;
}

void lf_loadDatabase() {
    static const bool loaded = [] {
        gf_readDbaseXml(std::filesystem::path(build::sourceDir) / "tests" / "data" / "dbase_sample.xml");
        return true;
    }();
    (void)loaded;
}

void BM_intake1000RecordsPerSecond(benchmark::State& state) {
    lf_loadDatabase();
    Feed feed = lf_fill();
    for (auto _ : state) {
        for (int k = 0; k < recordsPerPass; ++k) lf_feedOne(feed, true);
        g_passTick.fetch_add(1);
    }
    state.SetItemsProcessed(state.iterations() * recordsPerPass);
    state.counters["queued_per_aircraft"] =
        static_cast<double>(g_liveList.empty() ? 0 : g_liveList.front().samples.size());
    lf_reset();
}
BENCHMARK(BM_intake1000RecordsPerSecond)->Unit(benchmark::kMicrosecond);

void BM_pass500AirborneWithIntake(benchmark::State& state) {
    lf_loadDatabase();
    Feed feed = lf_fill();
    for (auto _ : state) {
        for (int k = 0; k < recordsPerPass; ++k) lf_feedOne(feed);
        lf_handleAddingStack();
    }
    std::size_t flying = 0;
    for (const LiveAc& a : g_liveList)
        if (a.fs == LifecycleState::active) ++flying;
    state.counters["active_left"] = static_cast<double>(flying);
    lf_reset();
}
BENCHMARK(BM_pass500AirborneWithIntake)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
