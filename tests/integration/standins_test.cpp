// The program's own transports against the Linux stand-in programs, which a
// CTest fixture starts (scripts/standins): in the Windows build, under Wine,
// the login and the readers' polling over Schannel, the data-file downloads,
// and the SimConnect exchange over Winsock with the SimClient thread, as the
// shipped program makes them. The Linux build runs the same tests.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <thread>

#include "airports/airport_list.h"
#include "airports/airport_list_test_hook.h"
#include "airports/park_airport_choice.h"
#include "airports/park_airport_file.h"
#include "config/paths.h"
#include "foundation/time.h"
#include "simlink/sim_state.h"
#include "traffic/traffic_lists.h"
#include "traffic/ui_lock.h"
#include "feed/feed_shared.h"
#include "feed/feed_test_support.h"
#include "feed/service_endpoint.h"
#include "feed/session.h"
#include "feed/traffic_reader.h"
#include "feed/weather_reader.h"
#include "liveries/download.h"
#include "liveries/encrypted_file.h"
#include "simconnect/environment.h"
#include "simlink/simlink_test_support.h"
#include "simlink/sim_queues.h"
#include "simlink/user_aircraft.h"
#include "support/temp_folder.h"
#include "traffic/feed_intake.h"

namespace zrb::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A path the fixture wrote (a Linux path): under Wine the Linux root is drive Z:.
fs::path lf_local(const std::string& path) {
#ifdef _WIN32
    if (!path.empty() && path.front() == '/') return fs::path("Z:" + path);
#endif
    return fs::path(path);
}

// What scripts/standins wrote into the file TLV_STANDINS names; empty when
// the test does not run under the fixture.
std::map<std::string, std::string> lf_standIns() {
    std::map<std::string, std::string> values;
    const char* file = std::getenv("TLV_STANDINS");
    if (file == nullptr) return values;
    std::ifstream in(lf_local(file));
    std::string line;
    while (std::getline(in, line)) {
        const auto equals = line.find('=');
        if (equals != std::string::npos) values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return values;
}

class StandIns : public ::testing::Test {
protected:
    void SetUp() override {
        m_standIns = lf_standIns();
        if (m_standIns.empty()) GTEST_SKIP() << "runs under ctest, which starts the stand-ins (scripts/standins)";
    }
    std::string value(const std::string& key) const { return m_standIns.at(key); }
    std::string localPath(const std::string& key) const { return lf_local(value(key)).generic_string(); }

    LoggedFolder m_folder;
    std::map<std::string, std::string> m_standIns;
};

TEST_F(StandIns, TheServiceLogsInPollsAndLogsOut) {
    gf_setServiceEndpointForTest(value("service_url"), localPath("service_ca"));
    gf_setServiceKey("INTEGRATION-TEST-KEY");
    gf_resetStopState();
    gf_resetRtReaders();
    loadTestDatabase();
    // The stand-in's traffic is around Amsterdam Schiphol.
    gf_setUserPositionSource([] { return FeedUserPosition{g_ehamLat, g_ehamLon, 0.0}; });
    gf_updateTrafficBox();
    {
        std::lock_guard lock(g_runMutex);
        g_trafficActive = true;
        g_pendingTrafficRecords.clear();
    }
    gf_authenticater();
    ASSERT_TRUE(g_trafficReader.hasSession()) << "no session over HTTPS";
    gf_startWeatherReader();
    gf_startTrafficReader();
    EXPECT_TRUE(eventually([] { return g_qnh.load() != 0; }, 30s));
    EXPECT_TRUE(eventually([] { return g_trafficReader.receiving.load(); }, 30s));
    {
        std::lock_guard lock(g_runMutex);
        EXPECT_FALSE(g_pendingHistoryRecords.empty()) << "the history waits for the manager";
        g_pendingHistoryRecords.clear();
    }
    EXPECT_TRUE(eventually([] { return g_trafficReader.liveCount.load() > 0; }, 30s)) << "live polls";
    EXPECT_TRUE(gf_stopRtReaders(20000));
    g_weatherReader.deauthenticate();
    EXPECT_FALSE(g_weatherReader.hasSession());
    EXPECT_EQ(gf_exitReason(), ExitReason::notYetSet);
    gf_setUserPositionSource(nullptr);
    {
        std::lock_guard lock(g_runMutex);
        g_trafficActive = false;
        g_pendingTrafficRecords.clear();
        g_pendingHistoryRecords.clear();
    }
}

TEST_F(StandIns, DataFilesComeFromTheSiteAndDecrypt) {
    gf_setDownloadSiteForTest(value("site_url"), localPath("site_ca"));
    ASSERT_TRUE(gf_downloadFile("versions.json", m_folder / "versions.json"));
    EXPECT_EQ(readFile(m_folder / "versions.json"), readFile(lf_local(value("site_files")) / "versions.json"));
    ASSERT_TRUE(gf_downloadFile("dbase.enc", m_folder / "dbase.enc"));
    ASSERT_TRUE(gf_streamDecrypt(m_folder / "dbase.enc", m_folder / "dbase.xml"));
    EXPECT_EQ(readFile(m_folder / "dbase.xml"),
              readFile(lf_local(build::sourceDir) / "tests" / "data" / "dbase_sample.xml"));
    EXPECT_FALSE(gf_downloadFile("missing.enc", m_folder / "missing.enc"));
    gf_resetDownloadSiteForTest();
}

// Five minutes (on the program's clock) of the check the traffic loop makes
// every 16 s on the ground at an airport whose file only the site has, as the
// shipped program's libcurl meets a site that takes the request and never
// answers (Zurich), one whose body stalls once the probe has its answer
// (Geneva), and a port that never accepts: the checks hold the loop for less
// than a second in all, and the end of the run, a transfer hanging, takes
// about a second. A probe that the site leaves unanswered (its limit shortened
// to fit the checks' real time) leaves Zurich without a file, and the site is
// asked again after two minutes' back-off.
std::atomic<Seconds> g_checkClock{1'800'000'000};

TEST_F(StandIns, ASiteThatHangsNeverHoldsTheParkAirportCheck) {
    fs::create_directories(g_inputFolder);
    writeFile(g_inputFolder / "airports_p3d.xml",
              R"(<airports><airport code="LSGG" lat="46.2381" lon="6.1089" alt="1411"/>)"
              R"(<airport code="LSZH" lat="47.4647" lon="8.5492" alt="1416"/></airports>)");
    gf_forgetAirportListForTest();
    ASSERT_TRUE(gf_readAirports("airports_p3d.xml"));
    gf_setSystemClock([] { return g_checkClock.load(); });
    g_userOnGround = true;
    g_userDataValid = true;
    struct Site {
        std::string url;
        double lat = 0.0;
        double lon = 0.0;
        const char* what = "";
        bool answered = false;  // the probe has its answer
    };
    for (const Site& site : {Site{value("site_url"), 47.4647, 8.5492, "never answered"},
                             Site{value("site_url"), 46.2381, 6.1089, "the body stalls", true},
                             Site{value("never_accepting_url"), 47.4647, 8.5492, "never accepted"}}) {
        gf_setDownloadSiteForTest(site.url, localPath("site_ca"));
        gf_setDownloadLimitsForTest(DownloadLimits{.probeTimeout = site.answered ? g_probeTimeout : 100ms});
        gf_showMessage("", false);
        g_userAcCopy.lat = site.lat;
        g_userAcCopy.lon = site.lon;
        std::chrono::steady_clock::duration held{};
        for (Seconds t = 0; t < 5 * 60; t += 16, g_checkClock += 16) {
            const auto start = std::chrono::steady_clock::now();
            gf_checkStaticParking(false);
            held += std::chrono::steady_clock::now() - start;
            std::this_thread::sleep_for(20ms);  // the site's moment between two checks
        }
        EXPECT_LT(held, 1s) << site.what;
        EXPECT_TRUE(StandTable.empty()) << site.what;
        if (!site.answered) {
            EXPECT_EQ(gf_messageLineView().message, "User aircraft on the ground at LSZH, no airport file found")
                << site.what;
            const std::string probe = "curl: '" + site.url + "P3D/archive/stock/LSZH.xml' => ";
            EXPECT_THAT(m_folder.logLines(), ::testing::Contains(::testing::HasSubstr(probe)).Times(2))
                << site.what << ": at the first check and after the back-off";
        }
        const auto start = std::chrono::steady_clock::now();
        g_stopRun = true;
        gf_stopArchiveFetcher();
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << site.what;
        g_stopRun = false;
        gf_forgetArchiveProbes();
        lf_resetParkAirport();
        gf_resetParkAirportChoice();
        gf_unlockUi();
    }
    EXPECT_TRUE(m_folder.logContains("curl: '" + value("site_url") + "P3D/archive/stock/LSGG.xml' => "))
        << "the file of the site whose body stalls was asked for";
    g_userOnGround = false;
    g_userDataValid = false;
    g_userAcCopy = UserAcData{};
    (void)gf_takeFeedIds();
    gf_setSystemClock(nullptr);
    gf_forgetAirportListForTest();
    gf_resetDownloadSiteForTest();
}

TEST_F(StandIns, TheSimClientThreadConnectsAndCreatesAndRemovesAnAircraft) {
    resetLink();
    auto environment = gf_defaultSimConnectEnvironment();
    const fs::path cfgFolder = lf_local(value("simulator_cfg"));
    environment.cfgFolder = [cfgFolder](platform::CfgFolder which) -> std::optional<fs::path> {
        if (which == platform::CfgFolder::current) return cfgFolder;
        return std::nullopt;
    };
    environment.registryPort = [](bool, std::u16string&) { return false; };
    gf_setSimConnectEnvironment(environment);
    gf_resetSimQueues(5);
    std::jthread client([](std::stop_token stop) { gf_simClientThread(stop); });
    ASSERT_TRUE(eventually([] { return g_simRunning.load() && g_mainWindowState.simConnected.load(); }, 30s));
    ASSERT_TRUE(gf_requestUserAcOnGround());
    ASSERT_TRUE(eventually([] { return gf_hasPosition(gf_getUserAcPosition().lat, 0.0); }, 30s));
    EXPECT_NEAR(gf_userAcRecord().lat, 47.4647, 1e-9);

    // An AI aircraft through the Frame flush, and away again.
    CreateAcRequest request;
    request.initPos.latitudeDeg = 47.4650;
    request.initPos.longitudeDeg = 8.5500;
    request.initPos.altitudeFt = 1416.0;
    request.initPos.onGround = 1;
    request.callsign = "SWR100";
    request.title = "Integration A320";
    request.hexId = 0x4B1A00;
    gf_queueCreateAc(request);
    std::uint32_t created = 0;
    ASSERT_TRUE(eventually([&] {
        gf_requestAircraftInRange(20000);  // the range reply tells which creation became which object
        for (const SimNotice& n : gf_takeSimNotices())
            if (n.kind == static_cast<std::uint32_t>(SimNoticeKind::liveCreated) && n.hexId == request.hexId)
                created = n.objectId;
        return created != 0;
    }, 30s));
    gf_queueRemoval(created);
    EXPECT_TRUE(eventually([&] {
        for (const SimNotice& n : gf_takeSimNotices())
            if (n.kind == static_cast<std::uint32_t>(SimNoticeKind::removed) && n.objectId == created) return true;
        return false;
    }, 30s));
    client.request_stop();
    client.join();
    EXPECT_TRUE(m_folder.logContains("SimConnect closed ok"));
    gf_setSimConnectEnvironment(gf_defaultSimConnectEnvironment());
    resetLink();
}

}  // namespace
}  // namespace zrb::test
