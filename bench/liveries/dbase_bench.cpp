// The aircraft database at full size: 10,000 types and 500,000 registrations.
// Reports the load time and the peak memory of the process after the load, and
// the cost of the look-ups the traffic manager makes for every aircraft (each
// should stay under a microsecond).

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "liveries/dbase.h"

namespace {

namespace fs = std::filesystem;

constexpr int typeCount = 10000;
constexpr int registrationCount = 500000;
constexpr int shortRegistrationCount = 1000;

std::string typeName(int i) { return fmt::format("T{:04}", i); }

// "G-" and four letters from the number: GAAAA ... spelled without the dash
// in look-ups, so that the second variant finds it.
std::string registrationName(int i) {
    if (i < shortRegistrationCount) return fmt::format("Q{:03}", i);  // short ones, looked for in titles
    std::string text = "G-";
    for (int k = 0; k < 4; ++k) {
        text.push_back(static_cast<char>('A' + i % 26));
        i /= 26;
    }
    text.push_back(static_cast<char>('A' + i % 26));
    return text;
}

const fs::path& databaseFile() {
    static const fs::path path = [] {
        const fs::path file = fs::temp_directory_path() / "tlv-bench-dbase.xml";
        std::ofstream out(file);
        const char* sections[] = {"high_performance", "heavy", "large", "buzjet", "rotorcraft"};
        const char* entries[] = {"hpf", "hvy", "lar", "bzj", "rot"};
        out << "<aircrafts>";
        for (int i = 0; i < typeCount; i += 100) {
            out << "<aircraft types=\"";
            for (int k = i; k < i + 100; ++k) out << (k > i ? "," : "") << typeName(k);
            out << "\"/>";
        }
        out << "</aircrafts>";
        for (int s = 0; s < 5; ++s) {
            out << "<" << sections[s] << "><" << entries[s] << " types=\"";
            for (int k = s; k < typeCount; k += 7) out << (k > s ? "," : "") << typeName(k);
            out << "\"/></" << sections[s] << ">";
        }
        out << "<cargo_types><cargo_type types=\"T0001\"/></cargo_types>"
               "<ICAO_airlines><ICAO codes=\"DLH,BAW\"/></ICAO_airlines>"
               "<cargo_operators><ICAO codes=\"FDX\"/></cargo_operators>"
               "<simaddonsP3D><simaddonP3D arpts=\"EGLL\"/></simaddonsP3D><wingspans>";
        for (int i = 0; i < typeCount; i += 2)
            out << "<wingspan type=\"" << typeName(i) << "\" meters=\"" << 10 + i % 70 << "\"/>";
        out << "</wingspans><dbase>";
        for (int i = 0; i < registrationCount; ++i)
            out << "<db reg=\"" << registrationName(i) << "\" airl=\"DLH\" type=\"" << typeName(i % typeCount)
                << "\" opr=\"\" cargo=\"false\"/>";
        out << "</dbase>";
        return file;
    }();
    return path;
}

void BM_LoadDatabase(benchmark::State& state) {
    const auto& file = databaseFile();
    for (auto _ : state) zrb::gf_readDbaseXml(file);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    state.counters["records"] = static_cast<double>(zrb::g_dbaseRecords.size());
    state.counters["file_MB"] = static_cast<double>(fs::file_size(file)) / 1e6;
}
BENCHMARK(BM_LoadDatabase)->Unit(benchmark::kMillisecond)->Iterations(1);

void lf_ensureLoaded() {
    if (zrb::g_dbaseRecords.size() != static_cast<std::size_t>(registrationCount)) zrb::gf_readDbaseXml(databaseFile());
}

template <typename Lookup>
void lf_lookups(benchmark::State& state, Lookup lookup) {
    lf_ensureLoaded();
    std::size_t n = 0;
    for (auto _ : state) benchmark::DoNotOptimize(lookup(static_cast<int>(n++ % 1024) * 487));
}

void BM_TypeCategory(benchmark::State& state) {
    lf_lookups(state, [](int i) { return zrb::gf_typeCategory(typeName(i % typeCount)); });
}
BENCHMARK(BM_TypeCategory);

void BM_Wingspan(benchmark::State& state) {
    lf_lookups(state, [](int i) { return zrb::gf_wingspan(typeName(i % typeCount)); });
}
BENCHMARK(BM_Wingspan);

void BM_IsKnownType(benchmark::State& state) {
    lf_lookups(state, [](int i) { return zrb::gf_isKnownType(typeName(i % typeCount)); });
}
BENCHMARK(BM_IsKnownType);

void BM_FindRecordWithoutDash(benchmark::State& state) {
    lf_lookups(state, [](int i) {
        auto reg = registrationName(i % registrationCount);
        if (reg[1] == '-') reg.erase(1, 1);  // GABCDE: found as G-ABCDE, the second variant
        return zrb::gf_findDbaseRecord(reg);
    });
}
BENCHMARK(BM_FindRecordWithoutDash);

void BM_FindRecordMiss(benchmark::State& state) {
    lf_lookups(state, [](int i) { return zrb::gf_findDbaseRecord(fmt::format("N{}ZZ", i)); });
}
BENCHMARK(BM_FindRecordMiss);

void BM_RegistrationInTitle(benchmark::State& state) {
    lf_lookups(state, [](int i) {
        return zrb::gf_dbaseRegInText(fmt::format("Boeing 737-800 Example Airways livery no {} (winglets)", i));
    });
}
BENCHMARK(BM_RegistrationInTitle);

}  // namespace

BENCHMARK_MAIN();
