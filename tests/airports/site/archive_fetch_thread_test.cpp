// The 16-second check of the park airport on the ground, against a download
// site that answers, hangs or hides behind a slow name: the check runs on the
// traffic loop while the airport files come on the fetcher's thread.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <netdb.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <new>
#include <string_view>
#include <thread>

#include <fmt/format.h>

#include "airports/archive_fetch_test_hook.h"
#include "airports/park_airport_choice.h"
#include "airports/parking_fixture.h"
#include "site_test_support.h"
#include "support/posix_stalled_listener.h"

namespace {

// Lookups of names under "slow.test" under way; each takes this long and finds loopback.
std::atomic<int> g_slowLookups{0};
constexpr unsigned slowLookupSeconds = 3;

}  // namespace

// The system's name lookup, as a slow name server makes it for names under
// "slow.test" (libcurl's resolver thread calls this definition, the program's
// own): every other name is looked up as usual.
extern "C" int getaddrinfo(const char* __restrict name, const char* __restrict service,
                           const struct addrinfo* __restrict hints, struct addrinfo** __restrict result) {
    using Lookup = int (*)(const char*, const char*, const struct addrinfo*, struct addrinfo**);
    static const auto systemLookup = reinterpret_cast<Lookup>(dlsym(RTLD_NEXT, "getaddrinfo"));
    if (name != nullptr && std::string_view(name).ends_with(".slow.test")) {
        ++g_slowLookups;
        ::sleep(slowLookupSeconds);
        const int found = systemLookup("127.0.0.1", service, hints, result);
        --g_slowLookups;
        return found;
    }
    return systemLookup(name, service, hints, result);
}

namespace zrb::test {
namespace {

using namespace std::chrono_literals;

// The 16-second check on the ground at EGLL, which has no file of its own and
// a neighbour 2.2 NM away: nothing of it waits on the download site.
class ParkAirportOnTheGround : public ParkingTest {
protected:
    ParkAirportOnTheGround() {
        gf_forgetAirportListForTest();
        writeFile(g_inputFolder / "airports_p3d.xml",
                  "<airports>" + airport("EGLL", 51.47, -0.46, "LHR") + airport("EGLW", 51.47, -0.40) + "</airports>");
        gf_readAirports("airports_p3d.xml");
        g_userOnGround = true;
        g_userDataValid = true;
        g_userAcCopy.lat = 51.47;
        g_userAcCopy.lon = -0.46;
    }
    // The real time that five minutes of checks hold the loop; the site has a
    // moment between two checks, as it would have 16 s.
    static std::chrono::steady_clock::duration fiveMinutesOfChecks(const std::string& siteUrl) {
        gf_setDownloadSiteForTest(siteUrl, "");
        std::chrono::steady_clock::duration held{};
        for (Seconds t = 0; t < 5 * 60; t += 16, g_clock += 16) {
            const auto start = std::chrono::steady_clock::now();
            gf_checkStaticParking(false);
            held += std::chrono::steady_clock::now() - start;
            std::this_thread::sleep_for(20ms);
        }
        return held;
    }
    // The end of the run while a transfer may hang: within about a second.
    static std::chrono::steady_clock::duration closing() {
        const auto start = std::chrono::steady_clock::now();
        g_stopRun = true;
        gf_stopArchiveFetcher();
        const auto took = std::chrono::steady_clock::now() - start;
        g_stopRun = false;
        gf_forgetArchiveProbes();
        return took;
    }
    const VirtualClock clock;
};

// The site takes the request and never answers; it answers the probe, and the
// file's body stalls (at EGLW too, so the closest search waits for both); its
// port never accepts; its name takes seconds to resolve. None of them holds
// the checks or the end of the run, which does not wait for a name lookup.
// A probe that ends unanswered leaves the airport without a file, and the
// site is asked again only when its back-off is over.
TEST_F(ParkAirportOnTheGround, ASiteThatHangsNeverHoldsTheLoop) {
    // One site at a time: two servers of the stand-in's HTTP library at once
    // race inside it.
    const auto hangs = [](const char* what, const std::function<std::string(tools::DownloadSite&)>& setUp) {
        gf_showMessage("", false);
        gf_setDownloadLimitsForTest({});
        tools::DownloadSite site;
        EXPECT_LE(fiveMinutesOfChecks(setUp(site)), 1s) << what;
        EXPECT_EQ(gf_currentParkAirport().icao, "") << what;
        EXPECT_LT(closing(), 2s) << what;
        return site.requestCount(stockPath());
    };
    // A probe left unanswered ends within the checks' real time.
    const auto shortProbes = [] { gf_setDownloadLimitsForTest(DownloadLimits{.probeTimeout = 100ms}); };
    const std::string noFile = "User aircraft on the ground at EGLL, no airport file found";
    EXPECT_EQ(hangs("accepted, never answered",
                    [&](tools::DownloadSite& site) {
                        site.stall(stockPath());
                        site.stall("/P3D/archive/stock/EGLW.xml");
                        shortProbes();
                        return site.baseUrl();
                    }),
              2u)
        << "at the start and after two minutes' back-off, the neighbour not in between";
    EXPECT_EQ(gf_messageLineView().message, noFile);
    const auto bodyStalls = hangs("the body stalls", [](tools::DownloadSite& site) {
        site.stallBody(stockPath(), egll().substr(0, 100));
        site.stallBody("/P3D/archive/stock/EGLW.xml", egll().substr(0, 100));
        return site.baseUrl();
    });
    EXPECT_EQ(bodyStalls, 2u) << "the probe, then the file";
    const StalledListener listener;
    hangs("never accepted", [&](tools::DownloadSite&) {
        shortProbes();
        return fmt::format("http://127.0.0.1:{}/", listener.port());
    });
    EXPECT_EQ(gf_messageLineView().message, noFile);
    hangs("a slow name", [](tools::DownloadSite& site) {
        site.serve(stockPath(), egll());
        return fmt::format("http://egll.slow.test:{}/", site.port());
    });
    EXPECT_EQ(g_slowLookups.load(), 1) << "the end of the run left the lookup behind";
    // Nothing of the lookup outlives the test.
    for (int i = 0; i < 1000 && g_slowLookups.load() > 0; ++i) std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(100ms);
}

// The site answers: the probe at one check, the file asked for at the next,
// where the airport is chosen, and the plan at the check after it came.
TEST_F(ParkAirportOnTheGround, TheAirportIsPlannedAtTheCheckAfterItsFileCame) {
    gf_forgetAirportListForTest();
    writeFile(g_inputFolder / "airports_p3d.xml", "<airports>" + airport("EGLL", 51.47, -0.46, "LHR") + "</airports>");
    gf_readAirports("airports_p3d.xml");
    tools::DownloadSite site;
    site.serve(stockPath(), egll());
    gf_setDownloadSiteForTest(site.baseUrl(), "");
    gf_checkStaticParking(false);
    EXPECT_EQ(gf_currentParkAirport().icao, "") << "the probe is on its way";
    ASSERT_EQ(inArchive("EGLL"), ArchiveAnswer::yes);
    gf_checkStaticParking(false);
    EXPECT_EQ(gf_currentParkAirport().icao, "EGLL");
    EXPECT_TRUE(StandTable.empty());
    ASSERT_EQ(fetched("archive/stock/EGLL.xml"), ArchiveAnswer::yes);
    EXPECT_EQ(site.requestCount(stockPath()), 2u);
    gf_checkStaticParking(false);
    EXPECT_EQ(StandTable.size(), 3u);
    EXPECT_TRUE(folder.logContains("Airport file read from 'archive/stock/EGLL.xml' for London Heathrow"));
    EXPECT_EQ(site.requestCount(stockPath()), 2u);
}

// Serving a request throws once, as memory running out would.
std::atomic<bool> g_throwOnce{false};
void lf_throwOnce(const std::string&) {
    if (g_throwOnce.exchange(false)) throw std::bad_alloc();
}

// The fetcher outlives an exception that ends its loop, and the files it keeps
// for the run hold at most 64 MB but for the one just fetched.
TEST_F(ParkAirportOnTheGround, TheFetcherOutlivesAnExceptionAndKeepsItsFilesWithinTheirBound) {
    tools::DownloadSite site;
    site.serve(stockPath(), egll());
    gf_setDownloadSiteForTest(site.baseUrl(), "");
    g_throwOnce = true;
    gf_setArchiveServeHookForTest(&lf_throwOnce);
    EXPECT_EQ(lf_existsInOnlineArchive("EGLL"), ArchiveAnswer::onItsWay);
    for (int i = 0; i < 1000 && g_throwOnce; ++i) std::this_thread::sleep_for(10ms);
    EXPECT_EQ(inArchive("EGLL"), ArchiveAnswer::yes) << "asked again and answered";
    gf_setArchiveServeHookForTest(nullptr);

    constexpr std::size_t overHalf = 32U * 1024U * 1024U + 1U;
    site.serve("/P3D/archive/stock/EHAM.xml", std::string(overHalf, 'a'));
    site.serve("/P3D/archive/stock/EDDF.xml", std::string(overHalf, 'f'));
    ASSERT_EQ(fetched("archive/stock/EHAM.xml"), ArchiveAnswer::yes);
    ASSERT_EQ(fetched("archive/stock/EDDF.xml"), ArchiveAnswer::yes);
    EXPECT_EQ(lf_askForArchiveFile("archive/stock/EDDF.xml"), ArchiveAnswer::yes) << "the later one is kept";
    EXPECT_EQ(lf_askForArchiveFile("archive/stock/EHAM.xml"), ArchiveAnswer::onItsWay) << "the earlier one is not";
    EXPECT_LT(closing(), 2s);
}

}  // namespace
}  // namespace zrb::test
