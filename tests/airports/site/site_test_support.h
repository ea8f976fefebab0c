#pragma once
// Shared by the tests of the airport files against the download site's
// stand-in: a system clock the test moves, EGLL's parking file, and waits for
// the site's answers, which come on the fetcher's thread.

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "airports/airport_test_support.h"
#include "airports/archive_fetch.h"
#include "airports/park_airport_file.h"
#include "download_site/download_site.h"
#include "foundation/time.h"
#include "liveries/download.h"

namespace zrb::test {

// A system clock the test moves (gf_setSystemClock takes a plain function).
inline std::atomic<Seconds> g_clock{0};
inline Seconds lf_clock() { return g_clock; }
struct VirtualClock {
    VirtualClock() {
        g_clock = 1'800'000'000;
        gf_setSystemClock(&lf_clock);
    }
    ~VirtualClock() { gf_setSystemClock(nullptr); }
};

inline constexpr double metresToDeg = 1.0 / 1852.0 / 60.0;  // degrees of latitude per metre
inline constexpr double baseLat = 51.47;
inline constexpr double baseLon = -0.46;

inline std::string stockPath() { return "/P3D/archive/stock/EGLL.xml"; }

// The site's answers come on a thread of their own: these ask again until
// one is there (10 s at most).
inline bool lf_onItsWay(ArchiveAnswer answer) { return answer == ArchiveAnswer::onItsWay; }
template <typename T>
inline bool lf_onItsWay(const std::optional<T>& value) { return !value; }
template <typename Ask>
inline auto awaited(Ask ask) {
    auto result = ask();
    for (int i = 0; i < 2000 && lf_onItsWay(result); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        result = ask();
    }
    return result;
}
inline ArchiveAnswer inArchive(const std::string& icao) {
    return awaited([&] { return lf_existsInOnlineArchive(icao); });
}
inline std::string foundApf(const std::string& icao) {
    return awaited([&] { return lf_findApf(icao); }).value_or("(on its way)");
}
inline ArchiveAnswer fetched(const std::string& archivePath) {
    return awaited([&] { return lf_askForArchiveFile(archivePath); });
}

// EGLL with three stands: A and B 20 m apart, C 30 m from B; radii 15 m.
inline std::string egll(const std::vector<std::pair<std::string, std::string>>& extra = {}) {
    std::vector<std::pair<std::string, std::string>> parameters{
        {"airport_name", "London Heathrow"}, {"publisher", "stock"}, {"altitude", "83"},
        {"RT_traffic_week", "30"}, {"Qf_real", "44"}, {"Qf_soft", "7"}};
    parameters.insert(parameters.end(), extra.begin(), extra.end());
    return parkingFile(parameters, parkpos("A", baseLat, baseLon, 15) +
                                       parkpos("B", baseLat + 20 * metresToDeg, baseLon, 15) +
                                       parkpos("C", baseLat + 50 * metresToDeg, baseLon, 15));
}

}  // namespace zrb::test
