// One live-traffic reply of 1000 aircraft (48-value arrays) into filtered
// TrafficRecords, beside the time the JSON parse alone takes on the same bytes.
#include <string>

#include <benchmark/benchmark.h>
#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "config/paths.h"
#include "feed/traffic_reader.h"

namespace {
constexpr int aircraftPerReply = 1000;

std::string lf_reply() {
    nlohmann::json data = nlohmann::json::object();
    for (int i = 0; i < aircraftPerReply; ++i) {
        nlohmann::json a = nlohmann::json::array();
        for (int e = 0; e < 48; ++e) a.push_back(nullptr);
        a[0] = fmt::format("{:06x}", 0x400000 + i);
        a[1] = 52.0 + (i % 100) * 0.006;
        a[2] = 4.2 + (i / 100) * 0.1;
        a[3] = (i * 37) % 360;
        a[4] = 1000.0 + (i % 40) * 900.0;
        a[5] = 120.0 + i % 300;
        a[8] = i % 7 == 0 ? "A320" : "B738";
        a[9] = fmt::format("PH-{:03d}", i);
        a[10] = 1700000000.0 + i * 0.01;
        a[11] = "EHAM";
        a[12] = "EGLL";
        a[13] = fmt::format("KLM{}", i);
        a[15] = 0.0;
        a[17] = i % 2 == 0 ? "adsb_icao" : "mlat";
        a[18] = a[4];
        a[20] = -1;
        a[23] = 2.0;
        a[25] = a[3];
        a[28] = "A3";
        data[a[0].get<std::string>()] = a;
    }
    return nlohmann::json{{"status", 200}, {"rrl", 2000}, {"data", data}}.dump();
}

void BM_ParseReplyOnly(benchmark::State& state) {
    const std::string body = lf_reply();
    for (auto _ : state) benchmark::DoNotOptimize(nlohmann::json::parse(body));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_ParseReplyOnly)->Unit(benchmark::kMillisecond);

void BM_ConvertReply(benchmark::State& state) {
    const std::string body = lf_reply();
    zrb::g_workingRangeNm = 100.0;
    zrb::TrafficReader& reader = zrb::g_trafficReader;
    reader.setReferencePosition(52.3086, 4.7639);
    reader.refreshLineContext();
    std::size_t kept = 0;
    for (auto _ : state) {
        reader.records.clear();
        const nlohmann::json reply = nlohmann::json::parse(body);
        reader.convertTrafficMembers(reply["data"]);
        kept = reader.records.size();
        benchmark::DoNotOptimize(reader.records.data());
    }
    state.counters["records"] = static_cast<double>(kept);
}
BENCHMARK(BM_ConvertReply)->Unit(benchmark::kMillisecond);
}  // namespace

BENCHMARK_MAIN();
