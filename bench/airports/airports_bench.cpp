// The airport files at full size: the closest airport among 10,000 (one
// linear scan per query, at most 1 ms each), loading a park airport's file
// of 500 stands with 20,000 options (at most 50 ms), and loading a file of
// 5,000 stands in one row along a latitude, where the latitude rules no pair
// of stands out of the overlap test (at most 50 ms).

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include <fmt/format.h>

#include "airports/airport_list.h"
#include "airports/park_airport.h"
#include "airports/park_airport_file.h"
#include "airports/stand.h"
#include "config/paths.h"
#include "liveries/download.h"

namespace {

namespace fs = std::filesystem;

constexpr int airportCount = 10000;
constexpr int standCount = 500;
constexpr int optionsPerStand = 40;  // 20,000 in all
constexpr int rowStandCount = 5000;  // the most a parking file may give

// A folder of its own as the current directory, for the program's relative
// paths; removed again when the program ends.
struct BenchFolder {
    BenchFolder() : path(fs::temp_directory_path() / fmt::format("tlv-bench-parking-{}", std::random_device{}())) {
        fs::create_directories(path / "input");
        fs::create_directories(path / "airports" / "my_thirdparty");
        fs::current_path(path);
    }
    ~BenchFolder() {
        std::error_code ec;
        fs::current_path(fs::temp_directory_path(), ec);
        fs::remove_all(path, ec);
    }
    fs::path path;
};

const fs::path& benchFolder() {
    static const BenchFolder folder;
    return folder.path;
}

void writeAirportList() {
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> lat(-80.0, 80.0);
    std::uniform_real_distribution<double> lon(-180.0, 180.0);
    std::ofstream out(benchFolder() / "input" / "airports_p3d.xml");
    out << "<airports>\n";
    for (int i = 0; i < airportCount; ++i)
        out << fmt::format(R"(<airport code="B{:03}" iata="X{:02}" lat="{}" lon="{}" alt="{}"/>)", i, i % 100, lat(rng),
                           lon(rng), i % 3000)
            << '\n';
    out << "</airports>\n";
}

void BM_ClosestAirport(benchmark::State& state) {
    benchFolder();
    writeAirportList();
    zrb::gf_setDownloadSiteForTest("none://", "");  // neighbours' parking files are not looked for
    if (!zrb::gf_readAirports("airports_p3d.xml") || zrb::gf_airportList().size() != airportCount) {
        state.SkipWithError("airport list not read");
        return;
    }
    std::mt19937 rng(2);
    std::uniform_real_distribution<double> lat(-80.0, 80.0);
    std::uniform_real_distribution<double> lon(-180.0, 180.0);
    for (auto _ : state) benchmark::DoNotOptimize(zrb::gf_closestAirport(lat(rng), lon(rng)));
    state.counters["airports"] = airportCount;
}
BENCHMARK(BM_ClosestAirport)->Unit(benchmark::kMicrosecond);

std::string parkingFileHead() {
    return R"(<?xml version="1.0"?><meta><info name="author" value="TLVR"/><info name="date" value="d"/>)"
           R"(<info name="version" value="1.0.0"/></meta><parameters><parameter name="publisher" value="bench"/>)"
           R"(<parameter name="altitude" value="83"/></parameters><parkpositions>)";
}

std::string parkingFileText() {
    std::string text = parkingFileHead();
    for (int s = 0; s < standCount; ++s) {
        // A grid of stands 60 m apart.
        const double lat = 51.46 + (s / 25) * 60.0 / 111120.0;
        const double lon = -0.47 + (s % 25) * 60.0 / 69300.0;
        text += fmt::format(R"(<parkpos id="S{}" latitude="{:.6f}" longitude="{:.6f}" heading="90.0" radius="{}" cargo="false" ramp="false">)",
                            s, lat, lon, 20 + s % 15);
        for (int o = 0; o < optionsPerStand; ++o)
            text += fmt::format(R"(<opt reg="G-B{:03}{:02}" airl="BAW" type="A320" day="{}" hh="{},{}" cs="BAW{}"/>)", s, o,
                                o % 7 + 1, o % 48, (o + 1) % 48, o);
        text += "</parkpos>";
    }
    return text + "</parkpositions>\n";
}

// Stands 40 m apart in one row along 51.47 N, radius 15 m: only next-door
// stands could touch, and none do.
std::string oneLatitudeFileText() {
    std::string text = parkingFileHead();
    for (int s = 0; s < rowStandCount; ++s)
        text += fmt::format(R"(<parkpos id="R{}" latitude="51.470000" longitude="{:.6f}" heading="90.0" )"
                            R"(radius="15.0"/>)",
                            s, -0.47 + s * 40.0 / 69300.0);
    return text + "</parkpositions>\n";
}

void lf_loadParkingFile(benchmark::State& state, const std::string& icao, const std::string& text) {
    benchFolder();
    const fs::path file = fs::path("airports") / "my_thirdparty" / (icao + ".xml");
    std::ofstream(file) << text;
    zrb::gf_setCurrentParkAirport({icao, "", 51.47, -0.46, 0.0});
    std::size_t options = 0;
    std::size_t neighbours = 0;
    for (auto _ : state) {
        zrb::StandTable.clear();
        zrb::ApfHeader header;
        zrb::QualityFactors qf = 0;
        if (!zrb::gf_readApf(file.string(), header, qf).empty()) {
            state.SkipWithError("parking file not loaded");
            return;
        }
        options = 0;
        neighbours = 0;
        for (const auto& stand : zrb::StandTable) {
            options += stand.options.size();
            neighbours += stand.neighbours.size();
        }
    }
    state.counters["stands"] = static_cast<double>(zrb::StandTable.size());
    state.counters["options"] = static_cast<double>(options);
    state.counters["neighbours"] = static_cast<double>(neighbours);
}

void BM_LoadParkingFile(benchmark::State& state) { lf_loadParkingFile(state, "BNCH", parkingFileText()); }
BENCHMARK(BM_LoadParkingFile)->Unit(benchmark::kMillisecond);

void BM_LoadParkingFileOneLatitude(benchmark::State& state) {
    lf_loadParkingFile(state, "BROW", oneLatitudeFileText());
}
BENCHMARK(BM_LoadParkingFileOneLatitude)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
