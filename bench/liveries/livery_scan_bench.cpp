// The livery scan at full size: 2,000 aircraft.cfg files with 10 liveries
// each (20,000 liveries, every one with its texture folder), scanned with 2
// worker threads and written to LiveriesScanned.xml. The first run warms the
// file cache; the target is at most 2 s per scan. Reports liveries per second
// and the peak memory of the process.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "liveries/dbase.h"
#include "liveries/livery_scan.h"
#include "liveries/liveries_scanned_file.h"
#include "foundation/worker_throttle.h"

namespace {

namespace fs = std::filesystem;

constexpr int fileCount = 2000;
constexpr int liveriesPerFile = 10;
constexpr int scanThreads = 2;
const char* const airlines[] = {"DLH", "BAW", "KLM", "AFR", "UAE"};
const char* const types[] = {"B738", "A320", "B744", "A321", "B77W"};

// Written once and kept between runs (the tree takes a while to make).
const fs::path& tree() {
    static const fs::path root = [] {
        const fs::path base = fs::temp_directory_path() / "tlv-bench-liveries";
        const fs::path done = base / "complete";
        if (fs::exists(done)) return base;
        fs::remove_all(base);
        for (int f = 0; f < fileCount; ++f) {
            const fs::path folder = base / "SimObjects" / fmt::format("Aircraft{:04}", f);
            fs::create_directories(folder / "model");
            std::ofstream(folder / "b738.air") << "air";
            std::ofstream cfg(folder / "aircraft.cfg");
            cfg << "[General]\natc_type=Boeing\natc_model=" << types[f % 5] << "\n\n";
            for (int l = 0; l < liveriesPerFile; ++l) {
                fs::create_directories(folder / fmt::format("texture.L{}", l));
                cfg << fmt::format("[fltsim.{}]\ntitle=Bench livery {} {}\nsim=b738\nmodel=\ntexture=L{}\n"
                                   "atc_id=X{}{}\natc_parking_codes={}\natc_parking_types=GATE\n"
                                   "ui_manufacturer=Boeing\nui_type=737-800\ndescription=A livery of the benchmark\n\n",
                                   l, f, l, l, f, l, airlines[(f + l) % 5]);
            }
        }
        std::ofstream(done) << "done";
        return base;
    }();
    return root;
}

void lf_loadDatabase(const fs::path& work) {
    const fs::path file = work / "dbase.xml";
    std::ofstream(file) << "<aircrafts><aircraft types=\"B738,A320,B744,A321,B77W\"/></aircrafts>"
                           "<high_performance><hpf types=\"F16\"/></high_performance>"
                           "<heavy><hvy types=\"B744,B77W\"/></heavy><large><lar types=\"B738,A320,A321\"/></large>"
                           "<buzjet><bzj types=\"C56X\"/></buzjet><rotorcraft><rot types=\"EC35\"/></rotorcraft>"
                           "<cargo_types><cargo_type types=\"B744\"/></cargo_types>"
                           "<ICAO_airlines><ICAO codes=\"DLH,BAW,KLM,AFR,UAE\"/></ICAO_airlines>"
                           "<cargo_operators><ICAO codes=\"FDX\"/></cargo_operators>"
                           "<simaddonsP3D><simaddonP3D arpts=\"EGLL\"/></simaddonsP3D>";
    zrb::gf_readDbaseXml(file);
}

void BM_ScanLiveries(benchmark::State& state) {
    const fs::path root = tree();
    const fs::path work = fs::temp_directory_path() / "tlv-bench-liveries-work";
    fs::create_directories(work / "output" / "info");
    const fs::path previous = fs::current_path();
    fs::current_path(work);
    lf_loadDatabase(work);
    zrb::gf_initWorkerThrottle(scanThreads);
    const std::vector<fs::path> folders{root / "SimObjects"};
    (void)zrb::lf_scanLiveryFolders(folders);  // warms the file cache
    for (auto _ : state) {
        if (zrb::lf_scanLiveryFolders(folders) != zrb::LiveryScanOutcome::done) state.SkipWithError("scan failed");
    }
    const auto written = zrb::lf_readLiveriesScannedXml();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["liveries"] = static_cast<double>(written.size());
    state.counters["liveries_per_s"] =
        benchmark::Counter(static_cast<double>(written.size()), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    fs::current_path(previous);
    fs::remove_all(work);
}
BENCHMARK(BM_ScanLiveries)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
