// The livery tables and the matcher at a large installation: 20,000 installed
// liveries of 300 airlines and 200 types. Reports
//   - the time to build every table from LiveriesScanned.xml (target: 300 ms),
//     beside loading the same file into one plain hash map;
//   - the time to match one aircraft of a realistic mix (own registration,
//     airline and type, similar type, generic and any-airline liveries, no
//     match) on one core (target: 10 µs), beside one plain hash-map look-up of
//     the same airline and type.
// Runs in a temporary folder of its own (the result file, the settings).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include <fmt/format.h>
#include <pugixml.hpp>

#include "airports/aircraft_identity.h"
#include "config/paths.h"
#include "liveries/dbase.h"
#include "liveries/liveries_scanned_file.h"
#include "liveries/livery_matcher.h"
#include "liveries/livery_processing.h"
#include "liveries/livery_tables.h"

namespace {

namespace fs = std::filesystem;

constexpr int typeCount = 200;
constexpr int airlineCount = 300;
constexpr int liveryCount = 20000;
constexpr int typesPerAirline = 12;
constexpr int aircraftCount = 1000;
constexpr int similarGroupSize = 4;

std::string typeName(int i) { return fmt::format("T{:03}", i); }
std::string airlineName(int i) {
    return {static_cast<char>('A' + i / 676), static_cast<char>('A' + i / 26 % 26), static_cast<char>('A' + i % 26)};
}

// Categories by type number: heavy, large, buzjets, rotorcraft, light, high performance.
const char* lf_section(int type) {
    if (type < 40) return "hvy";
    if (type < 120) return "lar";
    if (type < 150) return "bzj";
    if (type < 170) return "rot";
    if (type < 190) return nullptr;  // Light
    return "hpf";
}

std::string lf_typesText(int from, int to) {
    std::string text;
    for (int i = from; i < to; ++i) text += (i > from ? "," : "") + typeName(i);
    return text;
}

void lf_loadDatabase() {
    std::string xml = "<aircrafts><aircraft types=\"" + lf_typesText(0, typeCount) + "\"/></aircrafts>";
    xml += "<heavy><hvy types=\"" + lf_typesText(0, 40) + "\"/></heavy>";
    xml += "<large><lar types=\"" + lf_typesText(40, 120) + "\"/></large>";
    xml += "<buzjet><bzj types=\"" + lf_typesText(120, 150) + "\"/></buzjet>";
    xml += "<rotorcraft><rot types=\"" + lf_typesText(150, 170) + "\"/></rotorcraft>";
    xml += "<high_performance><hpf types=\"" + lf_typesText(190, 200) + "\"/></high_performance>";
    xml += "<cargo_types><cargo_type types=\"" + lf_typesText(0, 10) + "\"/></cargo_types><similar_types>";
    for (int i = 0; i < typeCount; i += similarGroupSize)
        xml += "<similar types=\"" + lf_typesText(i, i + similarGroupSize) + "\"/>";
    xml += "</similar_types><ICAO_airlines><ICAO codes=\"ZZZ,PVT";
    for (int i = 0; i < airlineCount; ++i) xml += "," + airlineName(i);
    xml += "\"/></ICAO_airlines><cargo_operators><ICAO codes=\"" + airlineName(1) +
           "\"/></cargo_operators><simaddonsP3D><simaddonP3D arpts=\"EGLL\"/></simaddonsP3D>";
    pugi::xml_document doc;
    doc.load_string(xml.c_str());
    zrb::gf_readDbaseDocument(doc);
}

struct Installation {
    std::vector<zrb::LiveryData> liveries;
    std::vector<zrb::AcIdentity> aircraft;
};

const Installation& lf_installation() {
    static const Installation installation = [] {
        Installation made;
        std::mt19937 rng(42);
        for (int i = 0; i < liveryCount; ++i) {
            const int airline = i % airlineCount;
            // Each airline flies a dozen types, spaced so that their groups differ.
            const int type = (airline * 7 + static_cast<int>(rng() % typesPerAirline) * 17) % typeCount;
            made.liveries.push_back({airlineName(airline), typeName(type),
                                     fmt::format("{} {} livery {}", airlineName(airline), typeName(type), i),
                                     i % 4 == 0 ? fmt::format("R-{:05}", i) : std::string(), 0, i % 10 == 0});
        }
        for (int type = 0; type < typeCount; type += 2)
            made.liveries.push_back({"ZZZ", typeName(type), "Generic " + typeName(type), {}, 0, false});
        zrb::gf_sortLiveries(made.liveries);

        for (int i = 0; i < aircraftCount; ++i) {
            const zrb::LiveryData& livery = made.liveries[rng() % made.liveries.size()];
            zrb::AcIdentity ac;
            ac.airline = livery.airl;
            ac.type = livery.type;
            ac.callsign = livery.airl + "123";
            switch (i % 20) {
                case 0: case 1: case 2: case 3: case 4: case 5:  // 30 %: its own registration
                    ac.registration = fmt::format("R-{:05}", (rng() % (liveryCount / 4)) * 4);
                    break;
                case 6: case 7: case 8:  // 15 %: a type the airline lacks
                    ac.type = typeName(static_cast<int>(rng() % typeCount));
                    break;
                case 9: case 10:  // 10 %: an airline without liveries
                    ac.airline = "XQX";
                    break;
                case 11:  // 5 %: nothing installed of the type or a stand-in
                    ac.type = "NONE";
                    break;
                default:  // 40 %: airline and type
                    ac.registration = fmt::format("X-{:04}", i);
                    break;
            }
            ac.category = static_cast<std::uint32_t>(zrb::gf_typeCategory(ac.type));
            ac.cargo = i % 10 == 0 ? 1 : 0;
            made.aircraft.push_back(ac);
        }
        return made;
    }();
    return installation;
}

const fs::path& lf_folder() {
    static const fs::path folder = fs::temp_directory_path() / fmt::format("tlv-bench-liveries-{}", ::getpid());
    return folder;
}

void lf_enterFolder() {
    static const bool entered = [] {
        const fs::path& folder = lf_folder();
        fs::create_directories(folder / "output");
        fs::current_path(folder);
        zrb::gf_setProgramDataFolderForTest(folder / "data");
        lf_loadDatabase();
        zrb::lf_writeLiveriesScannedXml(lf_installation().liveries);
        return true;
    }();
    (void)entered;
}

void lf_ensureTables() {
    lf_enterFolder();
    if (!zrb::g_liveriesProcessed) zrb::gf_processScannedLiveries();
}

void BM_BuildTablesFromScanResult(benchmark::State& state) {
    lf_enterFolder();
    for (auto _ : state) {
        zrb::gf_clearCategoryLiveries();
        zrb::gf_processScannedLiveries();
    }
    state.counters["liveries"] = static_cast<double>(lf_installation().liveries.size());
    state.counters["regcodes"] = static_cast<double>(zrb::g_regcodeMap.size());
}
BENCHMARK(BM_BuildTablesFromScanResult)->Unit(benchmark::kMillisecond);

void BM_BaselineLoadIntoOneHashMap(benchmark::State& state) {
    lf_enterFolder();
    for (auto _ : state) {
        pugi::xml_document doc;
        doc.load_file(zrb::g_liveriesScannedFile.c_str());
        std::unordered_map<std::string, std::string> titles;
        for (const pugi::xml_node liv : doc.child("liveries").children("liv"))
            titles.emplace(std::string(liv.attribute("airl").value()) + liv.attribute("type").value(),
                           liv.attribute("title").value());
        benchmark::DoNotOptimize(titles.size());
    }
}
BENCHMARK(BM_BaselineLoadIntoOneHashMap)->Unit(benchmark::kMillisecond);

void BM_MatchLiveAircraft(benchmark::State& state) {
    lf_ensureTables();
    std::vector<zrb::AcIdentity> aircraft = lf_installation().aircraft;
    std::size_t matched = 0;
    for (auto _ : state) {
        matched = 0;
        for (zrb::AcIdentity& ac : aircraft) {
            zrb::gf_matchLiveryLive(ac);
            matched += ac.title.empty() ? 0 : 1;
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * aircraftCount);
    state.counters["us_per_aircraft"] = benchmark::Counter(static_cast<double>(aircraftCount) * 1e-6,
                                                           benchmark::Counter::kIsIterationInvariantRate |
                                                               benchmark::Counter::kInvert);
    state.counters["matched_percent"] = 100.0 * static_cast<double>(matched) / aircraftCount;
}
BENCHMARK(BM_MatchLiveAircraft)->Unit(benchmark::kMicrosecond);

void BM_BaselinePlainHashMapLookUp(benchmark::State& state) {
    lf_ensureTables();
    std::unordered_map<std::string, std::string> titles;
    for (const zrb::LiveryData& livery : lf_installation().liveries) titles.emplace(livery.airl + livery.type, livery.title);
    const std::vector<zrb::AcIdentity>& aircraft = lf_installation().aircraft;
    for (auto _ : state) {
        std::size_t found = 0;
        for (const zrb::AcIdentity& ac : aircraft) found += titles.count(ac.airline + ac.type);
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * aircraftCount);
    state.counters["us_per_aircraft"] = benchmark::Counter(static_cast<double>(aircraftCount) * 1e-6,
                                                           benchmark::Counter::kIsIterationInvariantRate |
                                                               benchmark::Counter::kInvert);
}
BENCHMARK(BM_BaselinePlainHashMapLookUp)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    const fs::path start = fs::current_path();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::current_path(start);
    std::error_code error;
    fs::remove_all(lf_folder(), error);
    return 0;
}
