// Reading add-on airports from BGL files: the record reader alone, and the
// scan's whole file task (reading the file from disk, then writing the
// airport's parking file) on one and on two threads. Target: 5,000 small
// files (one airport of 100 stands each) per second on 2 cores. Reported:
// files per second (items) and stands per second. Also the largest airport a
// record can hold, 65,534 parking spots all in groups of seven sharing their
// base id, to be re-lettered by size: at most 50 ms.

#include <benchmark/benchmark.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "airports/addon_airport_files.h"
#include "airports/bgl_file.h"
#include "bgl_builder.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace zrb::test;

constexpr int standsPerAirport = 100;
constexpr int helipadsPerAirport = 4;
constexpr int fileCount = 1000;          // distinct files the tasks cycle through
constexpr std::uint64_t logDrainEvery = 256;  // files

std::string lf_ident(int index) {
    std::string ident(4, 'A');
    for (int i = 3; i >= 0; --i, index /= 26) ident[static_cast<std::size_t>(i)] = static_cast<char>('A' + index % 26);
    return ident;
}

// One airport of 100 stands: a few helipads, gates of several sizes and codes.
Bytes lf_smallFile(int index) {
    BglAirportRecord airport(lf_ident(index), index % 2 == 1);
    airport.altitudeMm(25000).name(fmt::format("Bench Field {}", index));
    for (int h = 0; h < helipadsPerAirport; ++h) airport.helipad({50.0 + h * 0.001, 8.0, 20.0F, 45.0F});
    std::vector<BglParking> spots;
    for (int s = 0; s < standsPerAirport - helipadsPerAirport; ++s)
        spots.push_back({static_cast<std::uint32_t>(s % 12), static_cast<std::uint32_t>(1 + s % 11),
                         static_cast<std::uint32_t>(s / 2), 15.0F + static_cast<float>(s % 30), 90.0F,
                         50.01 + s * 0.0002, 8.01, static_cast<std::uint32_t>(s % 3)});
    airport.parking(spots);
    return bglAirportFile({airport.bytes()});
}

void BM_ReadBglAirport(benchmark::State& state) {
    const Bytes bytes = lf_smallFile(0);
    std::int64_t stands = 0;
    for (auto _ : state) {
        zrb::BglMemory file({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
        zrb::gf_readBglAirports(file, "bench.bgl", [&](zrb::BglAirport&& airport) {
            stands += static_cast<std::int64_t>(airport.stands.size());
            benchmark::DoNotOptimize(airport);
        });
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["stands/s"] = benchmark::Counter(static_cast<double>(stands), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReadBglAirport);

// 65,534 spots (the largest count a list holds, less one) in groups of seven:
// a base id and its six letters, the widest last, so every group is re-lettered.
Bytes lf_duplicatesFile() {
    constexpr std::uint32_t spotCount = 65534;
    constexpr std::uint32_t groupSize = 7;
    constexpr std::uint32_t numbersPerCode = 4096;
    constexpr std::uint32_t firstLetterCode = 12;  // "A"
    std::vector<BglParking> spots;
    spots.reserve(spotCount);
    for (std::uint32_t s = 0; s < spotCount; ++s) {
        const std::uint32_t group = s / groupSize;
        spots.push_back({firstLetterCode + group / numbersPerCode, 2, group % numbersPerCode,
                         10.0F + static_cast<float>(s % groupSize), 90.0F, 50.0 + group * 0.00001,
                         8.0 + (s % groupSize) * 0.0001, 0});
    }
    BglAirportRecord airport("EDDX");
    airport.name("Duplicates").parking(spots);
    return bglAirportFile({airport.bytes()});
}

void BM_ReadBglAirportDuplicateIds(benchmark::State& state) {
    const Bytes bytes = lf_duplicatesFile();
    std::size_t stands = 0;
    for (auto _ : state) {
        zrb::BglMemory file({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
        zrb::gf_readBglAirports(file, "bench.bgl", [&](zrb::BglAirport&& airport) {
            stands = airport.stands.size();
            benchmark::DoNotOptimize(airport);
        });
    }
    state.counters["stands"] = static_cast<double>(stands);
}
BENCHMARK(BM_ReadBglAirportDuplicateIds)->Unit(benchmark::kMillisecond);

// A folder of small BGL files of no known publisher, as the current directory:
// every task reads one and writes its parking file into airports/my_thirdparty.
struct BenchScenery {
    BenchScenery() : folder(fs::temp_directory_path() / fmt::format("tlv-bench-bgl-{}", std::random_device{}())) {
        fs::create_directories(folder / "airports" / "my_thirdparty");
        fs::create_directories(folder / "scenery");
        for (int i = 0; i < fileCount; ++i) {
            files.push_back(folder / "scenery" / fmt::format("AP{}.bgl", i));
            writeFile(files.back(), lf_smallFile(i));
        }
        fs::current_path(folder);
    }
    ~BenchScenery() {
        std::error_code ec;
        fs::current_path(fs::temp_directory_path(), ec);
        fs::remove_all(folder, ec);
    }
    fs::path folder;
    std::vector<fs::path> files;
    zrb::AirportScanShared shared;
    std::atomic<std::uint64_t> next{0};
};

BenchScenery& lf_scenery() {
    static BenchScenery scenery;
    return scenery;
}

void BM_BglFileTasks(benchmark::State& state) {
    BenchScenery& scenery = lf_scenery();
    std::int64_t files = 0;
    for (auto _ : state) {
        const std::uint64_t n = scenery.next.fetch_add(1);
        zrb::gf_processBglFile(scenery.shared, scenery.files[n % scenery.files.size()]);
        if (n % logDrainEvery == 0) benchmark::DoNotOptimize(scenery.shared.log.take());
        ++files;
    }
    state.SetItemsProcessed(files);
    state.counters["stands/s"] =
        benchmark::Counter(static_cast<double>(files * standsPerAirport), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BglFileTasks)->Threads(1)->Threads(2)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
