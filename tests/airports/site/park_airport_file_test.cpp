#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <thread>

#include "airports/park_airport_choice.h"
#include "airports/parking_file.h"
#include "feed/feed_shared.h"
#include "foundation/stop_flags.h"
#include "shell/common/main_window_state.h"
#include "site_test_support.h"

namespace zrb::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class ParkAirportFile : public ::testing::Test {
protected:
    ParkAirportFile() {
        gf_setDownloadSiteForTest(site.baseUrl(), "");
        gf_forgetArchiveProbes();
    }
    ~ParkAirportFile() override {
        gf_resetDownloadSiteForTest();
        g_referenceElevation.reset();
    }
    // Nothing of a download stays in the installation folder.
    void expectNoStrayFiles() {
        for (const auto& entry : fs::directory_iterator(folder.path())) {
            const std::string name = entry.path().filename().string();
            EXPECT_TRUE(name == "Log.txt" || name == "airports") << name;
        }
    }
    AirportFolder folder;
    tools::DownloadSite site;
    ApfHeader header;
    QualityFactors qf = 0;
};

TEST_F(ParkAirportFile, LinksNameTheirTargetOnTheFirstLine) {
    std::string target = "untouched";
    writeFile("l1.txt", " archive/x/EGLL.xml  \t\r\nsecond line\n");
    ASSERT_TRUE(lf_readApfLink("l1.txt", target));
    EXPECT_EQ(target, " archive/x/EGLL.xml");
    writeFile("l2.txt", "archive/a.xml-junk.xml\n");
    ASSERT_TRUE(lf_readApfLink("l2.txt", target));
    EXPECT_EQ(target, "archive/a.xml");
    target = "untouched";
    for (const std::string text : {"", "\n", "archive/a.txt\n", ".xm\n"}) {
        writeFile("l3.txt", text);
        EXPECT_FALSE(lf_readApfLink("l3.txt", target)) << text;
    }
    EXPECT_FALSE(lf_readApfLink("missing.txt", target));
    EXPECT_EQ(target, "untouched");
}

TEST_F(ParkAirportFile, TheUsersFilesComeFirstThenTheArchive) {
    const std::string thirdparty = gf_pathText(g_myThirdpartyFolder / "EGLL.xml");
    const std::string orbx = gf_pathText(g_myOrbxFolder / "EGLL.xml");
    EXPECT_EQ(foundApf("EGLL"), "") << "nowhere: the site answers 404";
    EXPECT_EQ(gf_airportFileAvailable("EGLL"), ArchiveAnswer::no);
    writeFile(g_myOrbxFolder / "EGLL.xml", egll());
    EXPECT_EQ(lf_findApf("EGLL"), orbx);
    writeFile(g_myOrbxFolder / "EGLL.txt", "archive/simaddon/EGLL.xml\n");
    EXPECT_EQ(lf_findApf("EGLL"), "archive/simaddon/EGLL.xml");
    writeFile(g_myThirdpartyFolder / "EGLL.xml", egll());
    EXPECT_EQ(lf_findApf("EGLL"), thirdparty);
    writeFile(g_myThirdpartyFolder / "EGLL.txt", "no target here\n");
    EXPECT_EQ(lf_findApf("EGLL"), thirdparty) << "a link without target is passed over";
    writeFile(g_myThirdpartyFolder / "EGLL.txt", "archive/../../../etc/EGLL.xml\n");
    EXPECT_EQ(lf_findApf("EGLL"), thirdparty) << "a link out of the archive is passed over";
    EXPECT_TRUE(folder.logContains("names 'archive/../../../etc/EGLL.xml', which is outside the airport files"));
    writeFile(g_myThirdpartyFolder / "EGLL.txt", "archive/thirdparty/Sky%20Forge/EGLL.xml\n");
    EXPECT_EQ(lf_findApf("EGLL"), "archive/thirdparty/Sky%20Forge/EGLL.xml");
    EXPECT_EQ(gf_airportFileAvailable("EGLL"), ArchiveAnswer::yes);
    EXPECT_EQ(lf_findApf("../EGLL"), "") << "no code leads out of the folders";
    EXPECT_EQ(site.requestCount(stockPath()), 1u);
    expectNoStrayFiles();
}

TEST_F(ParkAirportFile, TheArchiveIsProbedOncePerAirport) {
    site.serve(stockPath(), egll());
    EXPECT_EQ(lf_findApf("EGLL"), std::nullopt) << "the check asks and goes on";
    EXPECT_EQ(foundApf("EGLL"), "archive/stock/EGLL.xml");
    EXPECT_EQ(gf_airportFileAvailable("EGLL"), ArchiveAnswer::yes);
    EXPECT_EQ(gf_airportFileAvailable("EGLL"), ArchiveAnswer::yes);
    EXPECT_EQ(site.requestCount(stockPath()), 1u) << "the answer is kept";
    EXPECT_EQ(inArchive("EDDF"), ArchiveAnswer::no);
    EXPECT_EQ(inArchive("EDDF"), ArchiveAnswer::no);
    EXPECT_EQ(site.requestCount("/P3D/archive/stock/EDDF.xml"), 1u) << "so is a miss";
    site.trickle("/P3D/archive/stock/EDDM.xml", 200, 1'000'000);  // a large file on a slow line
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(inArchive("EDDM"), ArchiveAnswer::yes);
    EXPECT_LT(std::chrono::steady_clock::now() - start, g_probeTimeout) << "the answer, not the file";
    site.serve("/P3D/archive/stock/EDDK.xml", "elsewhere", 301);
    EXPECT_EQ(inArchive("EDDK"), ArchiveAnswer::no) << "a status that is no answer is not the file";
    ASSERT_FALSE(site.requests().empty());
    EXPECT_EQ(site.requests()[0].userAgent, "TLVR");
    expectNoStrayFiles();
}

TEST_F(ParkAirportFile, OnlyTheSitesOwnAnswerIsKeptUntilReRead) {
    const VirtualClock clock;
    const auto asked = [&] { return site.requestCount(stockPath()); };
    site.serve(stockPath(), "busy", 503);
    EXPECT_EQ(inArchive("EGLL"), ArchiveAnswer::no);
    EXPECT_EQ(inArchive("EGLL"), ArchiveAnswer::no);
    EXPECT_EQ(inArchive("EDDM"), ArchiveAnswer::no) << "the whole site is backed off";
    EXPECT_EQ(site.requests().size(), 1u) << "a failure is not asked again at the next check";
    std::size_t requests = 1;
    for (const Seconds minutes : {2, 4, 8, 16, 30, 30}) {
        g_clock += minutes * 60 - 1;
        EXPECT_EQ(inArchive("EGLL"), ArchiveAnswer::no);
        EXPECT_EQ(asked(), requests) << "within " << minutes << " minutes";
        ++g_clock;
        EXPECT_EQ(inArchive("EGLL"), ArchiveAnswer::no);
        EXPECT_EQ(asked(), ++requests) << "after " << minutes << " minutes";
    }
    g_clock -= 60;
    EXPECT_EQ(inArchive("EGLL"), ArchiveAnswer::no);
    EXPECT_EQ(asked(), ++requests) << "a clock set back ends the back-off";
    site.serve(stockPath(), egll());
    std::string message;
    gf_reloadParkAirports(true, message);
    EXPECT_EQ(inArchive("EGLL"), ArchiveAnswer::yes) << "Re-read forgets the failure";

    const std::string eddf = "/P3D/archive/stock/EDDF.xml";
    EXPECT_EQ(inArchive("EDDF"), ArchiveAnswer::no);
    site.serve(eddf, egll());
    g_clock += 29 * 60;
    EXPECT_EQ(inArchive("EDDF"), ArchiveAnswer::no) << "the site's 404 is kept";
    gf_reloadParkAirports(true, message);
    EXPECT_EQ(inArchive("EDDF"), ArchiveAnswer::yes) << "until the user's Re-read";
    EXPECT_EQ(site.requestCount(eddf), 2u);
    // A file fetched for the run is kept until the Re-read too.
    EXPECT_EQ(fetched("archive/stock/EDDF.xml"), ArchiveAnswer::yes);
    site.serve(eddf, "", 404);
    g_clock += 31 * 60;
    EXPECT_EQ(fetched("archive/stock/EDDF.xml"), ArchiveAnswer::yes);
    EXPECT_EQ(site.requestCount(eddf), 3u);
    gf_reloadParkAirports(true, message);
    EXPECT_EQ(fetched("archive/stock/EDDF.xml"), ArchiveAnswer::no);

    site.serve("/P3D/archive/stock/EDDM.xml", egll());
    g_stopRun = true;
    EXPECT_EQ(lf_existsInOnlineArchive("EDDM"), ArchiveAnswer::onItsWay) << "nothing is asked while a run ends";
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(site.requestCount("/P3D/archive/stock/EDDM.xml"), 0u);
    g_stopRun = false;
    EXPECT_EQ(inArchive("EDDM"), ArchiveAnswer::yes) << "a stop is not the site's failure";
    expectNoStrayFiles();
}

TEST_F(ParkAirportFile, AnArchivedFileIsFetchedCheckedAndLoaded) {
    site.serve(stockPath(), egll());
    gf_setCurrentParkAirport({"EGLL", "LHR", baseLat, baseLon, 0.0});
    parking_percentage.value = 55;
    ASSERT_EQ(fetched("archive/stock/EGLL.xml"), ArchiveAnswer::yes);
    ASSERT_EQ(gf_readApf("archive/stock/EGLL.xml", header, qf), "");
    EXPECT_TRUE(fs::exists(g_airportsFolder / "park_airport.xml"));
    ASSERT_EQ(StandTable.size(), 3u);
    EXPECT_EQ(StandTable[0].number, 1u);
    EXPECT_EQ(StandTable[2].number, 3u);
    // 20 m × 1.1 = 22 m < 30 m overlaps; 30 m × 1.1 = 33 m does not.
    EXPECT_EQ(StandTable[0].neighbours, std::vector<std::uint32_t>{2});
    EXPECT_EQ(StandTable[1].neighbours, std::vector<std::uint32_t>{1});
    EXPECT_TRUE(StandTable[2].neighbours.empty());
    EXPECT_EQ(header.airportName, "London Heathrow");
    EXPECT_EQ(header.publisher, "stock");
    EXPECT_EQ(header.altitude, 83);
    EXPECT_EQ(qf, gf_packQualityFactors(44, 7)) << "without a learned file the header's factors stay";
    EXPECT_EQ(g_rtTrafficWeek, 30);
    EXPECT_EQ(parking_percentage.value, 30);
    EXPECT_TRUE(g_parkingDataLoaded);
    EXPECT_EQ(g_referenceElevation.load(), 83.0);
    EXPECT_EQ(gf_currentParkAirport().elevation, 83.0);
    EXPECT_FALSE(g_handmadeAirport);
    EXPECT_EQ(gf_displayText(DisplayText::qualityText), "44/ 7");
    EXPECT_EQ(g_mainWindowState.stands.load(), 3u);
    EXPECT_TRUE(folder.logContains("Airport file read from 'archive/stock/EGLL.xml' for London Heathrow"));
    for (const std::string line : {"          parking_percentage      : 30%", "          publisher               : stock",
                                   "          altitude                : 83 ft", "          num_parkpos             : 3",
                                   "          quality factor          : 44/ 7", "          RT traffic week         : 30"})
        EXPECT_TRUE(folder.logContains(line)) << line;
}

TEST_F(ParkAirportFile, ABadFileCostsTheParkingNotTheRun) {
    gf_setCurrentParkAirport({"EGLL", "", baseLat, baseLon, 0.0});
    StandTable.emplace_back("before", std::vector<StandOption>{}, 1.0, 1.0, 0.0, 10.0, 1, 1, 1);
    const auto load = [&](const std::string& text) {
        writeFile(g_myThirdpartyFolder / "EGLL.xml", text);
        return gf_readApf(gf_pathText(g_myThirdpartyFolder / "EGLL.xml"), header, qf);
    };
    const std::string path = gf_pathText(g_myThirdpartyFolder / "EGLL.xml");
    EXPECT_EQ(load(parkingFile({{"publisher", "stock"}}, parkpos("A", baseLat, baseLon, 15))),
              "65: Parameter altitude not found");
    EXPECT_EQ(load(parkingFile({{"altitude", "83"}}, parkpos("A", baseLat, baseLon, 15) + parkpos("A", baseLat, 0, 15))),
              "94: Parking position A appears more than once?");
    const std::string noVersion = R"(<meta><info name="author" value="a"/><info name="date" value="d"/></meta>)";
    EXPECT_EQ(load(parkingFile({{"altitude", "83"}}, parkpos("A", baseLat, baseLon, 15), noVersion)),
              path + ": refused to load (copyright)");
    EXPECT_EQ(load("<parkpositions><parkpos"), path + ": could not load file: " + path);
    const std::string failed = "failed to download: '" + site.baseUrl() + "P3D/archive/stock/EGLL.xml'";
    site.serve(stockPath(), "busy", 503);
    EXPECT_EQ(fetched("archive/stock/EGLL.xml"), ArchiveAnswer::no);
    EXPECT_EQ(gf_readApf("archive/stock/EGLL.xml", header, qf), failed);
    site.serve(stockPath(), egll());
    EXPECT_EQ(gf_readApf("archive/stock/EGLL.xml", header, qf), failed) << "backed off";
    EXPECT_EQ(site.requestCount(stockPath()), 1u);
    EXPECT_FALSE(fs::exists(g_airportsFolder / "park_airport.xml"));
    EXPECT_EQ(gf_readApf("", header, qf), "gf_readApf: xml is empty");
    ASSERT_EQ(StandTable.size(), 1u) << "nothing of a failed load is kept";
    EXPECT_EQ(StandTable[0].id, "before");
    EXPECT_FALSE(g_parkingDataLoaded);
    // The ground reference stays the park airport's own elevation.
    EXPECT_EQ(g_referenceElevation.load(), std::optional<double>(0.0));
    EXPECT_EQ(load(parkingFile({{"altitude", "83"}}, "")), "no stands found");
    gf_clearCurrentParkAirport();
    EXPECT_EQ(load(egll()), "gf_readApf: no park airport set");
}

TEST_F(ParkAirportFile, TheLearnedFileAndFakeAircraftJoinTheLoad) {
    gf_setCurrentParkAirport({"EGLL", "", baseLat, baseLon, 0.0});
    // Stands of 18 m, where an A320 or a B738 fits.
    std::string stands;
    for (const std::string id : {"A", "B", "C"})
        stands += parkpos(id, baseLat + static_cast<double>(id[0] - 'A') * 60 * metresToDeg, baseLon, 18);
    writeFile(g_myOrbxFolder / "EGLL.xml", parkingFile({{"airport_name", "London Heathrow"}, {"altitude", "83"}}, stands));
    writeFile(g_learnedFolder / "my_ORBX" / "EGLL.xml",
              parkingFile({{"airport_name", "London Heathrow"}, {"PARK_FAKE", "true"}, {"parking_percentage", "45"}},
                          R"(<parkpos id="A"><opt reg="G-EUUA" day="1" hh="1"/></parkpos>)"));
    PARK_FAKE.value = false;
    ASSERT_EQ(gf_readApf(gf_pathText(g_myOrbxFolder / "EGLL.xml"), header, qf), "");
    EXPECT_EQ(parking_percentage.value, 45);
    ASSERT_EQ(StandTable[0].options.size(), 2u) << "the learned option and a fake one";
    EXPECT_EQ(StandTable[0].options[0].airline, "BAW");
    EXPECT_EQ(StandTable[0].options[1].callsign, "FAKE1");
    EXPECT_EQ(StandTable[2].options[0].callsign, "FAKE3");
    EXPECT_EQ(StandTable[2].options[0].real, 0u);
    // The factors are the table's before the fakes: 3 stands, the first with
    // one real option (one day, one half-hour): round(10122 / 3 × 0.00625) = 21.
    EXPECT_EQ(gf_qfReal(qf), 21);
    EXPECT_EQ(gf_qfSoft(qf), 0);

    // A handmade learned file takes over the stands.
    writeFile(g_learnedFolder / "my_ORBX" / "EGLL.xml",
              parkingFile({{"airport_name", "London Heathrow"}, {"handmade", "true"}, {"PARK_FAKE", "false"}},
                          parkpos("H1", baseLat, baseLon, 20)));
    ASSERT_EQ(gf_readApf(gf_pathText(g_myOrbxFolder / "EGLL.xml"), header, qf), "");
    ASSERT_EQ(StandTable.size(), 1u);
    EXPECT_TRUE(g_handmadeAirport);
    EXPECT_TRUE(folder.logContains("A handmade airport file overruled the archived file!"));
    EXPECT_TRUE(folder.logContains("Airport file read from '" + gf_pathText(g_learnedFolder / "my_ORBX" / "EGLL.xml")));
}

TEST_F(ParkAirportFile, TheNearestStandOfAnyAirport) {
    std::string stand = "untouched";
    const auto nearest = [&stand](const std::string& icao, double lat, double lon) {
        return awaited([&] { return gf_readDestApfForClosestStand(icao, lat, lon, stand); }).value_or(-1.0);
    };
    EXPECT_EQ(nearest("EDDM", baseLat, baseLon), 100.0);
    EXPECT_EQ(stand, "untouched");
    // A stand exactly 100 NM away is not nearer than none.
    const std::string eddf = "/P3D/archive/stock/EDDF.xml";
    site.serve(eddf, parkingFile({{"altitude", "1"}}, parkpos("FAR", 10.0 + 100.0 / 60.0, 5.0, 20) +
                                                         parkpos("FARTHER", 13.0, 5.0, 20)));
    EXPECT_EQ(nearest("EDDF", 10.0, 5.0), 100.0);
    EXPECT_EQ(stand, "untouched");
    EXPECT_NEAR(nearest("EDDF", 10.0 + 99.0 / 60.0, 5.0), 1.0, 1e-4);
    EXPECT_EQ(stand, "FAR");
    EXPECT_EQ(site.requestCount(eddf), 2u) << "asked once and fetched once for the run";
    site.serve(stockPath(), "<parkpositions><parkpos");
    EXPECT_EQ(nearest("EGLL", baseLat, baseLon), 100.0);
    expectNoStrayFiles();
}

TEST_F(ParkAirportFile, OnlyWellObservedArchivedAirportsAreLearnedOffline) {
    site.serve(stockPath(), parkingFile({{"altitude", "1"}, {"Qf_real", "-1"}, {"Qf_soft", "0"}, {"RT_traffic_week", "27"}}, ""));
    EXPECT_TRUE(gf_downloadAirportForLearning("EGLL"));
    site.serve(stockPath(), parkingFile({{"altitude", "1"}, {"Qf_real", "-1"}, {"Qf_soft", "0"}, {"RT_traffic_week", "26"}}, ""));
    EXPECT_FALSE(gf_downloadAirportForLearning("EGLL"));
    EXPECT_TRUE(folder.logContains("===> EGLL not suitable for offline learning"));
    site.serve(stockPath(), parkingFile({{"altitude", "1"}, {"Qf_real", "50"}}, ""));
    EXPECT_FALSE(gf_downloadAirportForLearning("EGLL")) << "without traffic weeks";
    site.serve(stockPath(), "garbage<");
    EXPECT_FALSE(gf_downloadAirportForLearning("EGLL"));
    EXPECT_TRUE(folder.logContains("===> Failed to load EGLL.xml"));
    EXPECT_FALSE(gf_downloadAirportForLearning("EDDF"));
    EXPECT_TRUE(folder.logContains("===> Failed to download EDDF.xml"));
    // A site that stops answering is asked for one airport, not for each.
    gf_setDownloadTimeoutsForTest(1s, 1s);
    site.stall("/P3D/archive/stock/EHAM.xml");
    site.stall("/P3D/archive/stock/LFPG.xml");
    EXPECT_FALSE(gf_downloadAirportForLearning("EHAM"));
    EXPECT_FALSE(gf_downloadAirportForLearning("LFPG"));
    EXPECT_TRUE(folder.logContains("===> Failed to download LFPG.xml"));
    EXPECT_EQ(site.requestCount("/P3D/archive/stock/EHAM.xml") + site.requestCount("/P3D/archive/stock/LFPG.xml"), 1u);
    expectNoStrayFiles();
}

TEST(QualityFactorText, ShortWhenWellKnown) {
    EXPECT_EQ(lf_qualityFactorText(gf_packQualityFactors(-1, -1)), "  ");
    EXPECT_EQ(lf_qualityFactorText(gf_packQualityFactors(44, 7)), "44/ 7");
    EXPECT_EQ(lf_qualityFactorText(gf_packQualityFactors(45, 7)), "45");
    EXPECT_EQ(lf_qualityFactorText(gf_packQualityFactors(-1, 12)), "-1/12");
    EXPECT_EQ(gf_qfSoft(gf_packQualityFactors(-1, 12)), 12);
    EXPECT_EQ(gf_qfReal(gf_packQualityFactors(-1, 12)), -1);
}

}  // namespace
}  // namespace zrb::test
