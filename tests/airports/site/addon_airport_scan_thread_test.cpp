// The add-on airport scan as a run's start-up takes it: folders from the
// settings or from the simulator's scenery lists, file tasks on worker
// threads, link and airport files, the scan log, the hand-off for offline
// learning against the download site's stand-in, and SCAN_AIRPORTS.
#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <filesystem>
#include <string>
#include <vector>

#include "airports/addon_airport_scan.h"
#include "airports/airport_test_support.h"
#include "airports/bgl_builder.h"
#include "config/settings_fixture.h"
#include "download_site/download_site.h"
#include "foundation/folders.h"
#include "foundation/user_error.h"
#include "foundation/windows_path.h"
#include "foundation/worker_throttle.h"
#include "foundation/xml_file.h"
#include "liveries/download.h"
#include "support/config_home.h"
#include "shell/common/main_window_state.h"
#include "shell/common/run_state.h"

namespace zrb::test {
namespace {

namespace fs = std::filesystem;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::UnorderedElementsAre;

std::vector<BglParking> spots(int count, double lat = 52.0) {
    std::vector<BglParking> out;
    for (int i = 0; i < count; ++i)
        out.push_back({10, 2, static_cast<std::uint32_t>(i + 1), 20.0F, 90.0F, lat + i * 0.001, 4.76});
    return out;
}

Bytes airportFile(const std::string& icao, int stands) {
    return bglAirportFile({BglAirportRecord(icao).name(icao + " Field").parking(spots(stands)).bytes()});
}

// An archived stock file that still needs learning.
std::string learnableArchiveFile() {
    return parkingFile({{"altitude", "1"}, {"Qf_real", "-1"}, {"Qf_soft", "0"}, {"RT_traffic_week", "27"}}, "");
}

class AddonAirportScan : public SettingsTest {
protected:
    AddonAirportScan() {
        for (const auto& folder : {g_myOrbxFolder, g_myThirdpartyFolder, g_outputInfoFolder})
            fs::create_directories(folder);
        gf_readDbaseXml(testDataPath("dbase_sample.xml"));
        gf_initWorkerThrottle(2);
        gf_setDownloadSiteForTest(site.baseUrl(), "");
        fs::create_directories(install / "Scenery");
        SIM_INSTALL_PATH.value = gf_pathText(install);
        gf_setStockAirportsPath(install / "Scenery");
        SCAN_AIRPORTS.value = true;
        AFG_AUTOMATIC.value = false;
    }
    ~AddonAirportScan() override {
        gf_setStockAirportsPath({});
        gf_resetDownloadSiteForTest();
        gf_initWorkerThrottle();
        gf_clearDbase();
        g_tbloCount = 0;
        g_mainWindowState.airportsComplete = true;
    }

    void bgl(const fs::path& relative, const Bytes& bytes) { writeFile(addons / relative, bytes); }

    std::vector<std::string> scanLog() const { return readLines(g_airportsScanLogFile); }

    std::string userError() {
        try {
            gf_scanAddonAirports();
        } catch (const UserErrorException& e) {
            return e.what();
        }
        return "no error";
    }

    fs::path programData() const { return m_folder / "AppData" / "ProgramData" / "Lockheed Martin" / "Prepar3D v5"; }

    ConfigHomeOverride configHome{m_folder / "AppData"};  // the stand-in ProgramData lies below it
    tools::DownloadSite site;
    fs::path install = m_folder / "P3D v5";
    fs::path addons = m_folder / "addons";
};

TEST_F(AddonAirportScan, ManualFoldersAreScannedLinkedGeneratedAndHandedOver) {
    bgl("orbx/EGLL/scenery/APX_EGLL.bgl", airportFile("EGLL", 3));
    bgl("MyORBX/EGKK.BGL", airportFile("EGKK", 2));
    bgl("Other/LFPG.bgl", airportFile("LFPG", 4));
    bgl("Other/ABCD.Bgl", airportFile("ABCD", 2));
    bgl("Other/statics/STAT.bgl", airportFile("STAT", 2));
    bgl("Other/x_heliports/HELI.bgl", airportFile("HELI", 2));
    bgl("Other/notes.txt", airportFile("NOTE", 2));
    const Bytes broken = airportFile("BRKN", 2);
    bgl("Other/broken.bgl", broken.substr(0, broken.size() - 8));
    Bytes damaged = airportFile("BYND", 2);  // its first subsection past its end
    setU32(damaged, 56 + 20 + 8, static_cast<std::uint32_t>(damaged.size()));
    bgl("Other/beyond.bgl", damaged);
    writeFile(addons / "Other" / "terrain.bgl", bglFile({BglSection{0x65, 0, {"terrain"}}}));
    afolder0.value = gf_pathText(addons / "Other");
    afolder2.value = gf_pathText(addons / "orbx");
    afolder3.value = gf_pathText(addons / "MyORBX");
    afolder4.value = gf_pathText(m_folder / "nowhere");

    // The user's own files stay; what earlier scans left in sub-folders goes.
    writeFile(g_myThirdpartyFolder / "KJFK.xml", "mine");
    writeFile(g_myThirdpartyFolder / "old" / "EDDF.xml", "old");
    writeFile(g_tbloFolder / "old" / "EDDM.xml", "old");
    site.serve("/P3D/archive/stock/LFPG.xml", learnableArchiveFile());

    EXPECT_EQ(userError(), "no error");

    EXPECT_THAT(readLines(g_myOrbxFolder / "EGLL.txt"), ElementsAre("archive/simaddon/EGLL.xml"));
    EXPECT_FALSE(fs::exists(g_myOrbxFolder / "EGLL.xml"));
    EXPECT_TRUE(fs::exists(g_myOrbxFolder / "EGKK.xml"));
    EXPECT_EQ(readFile(g_myThirdpartyFolder / "KJFK.xml"), "mine");
    EXPECT_FALSE(fs::exists(g_myThirdpartyFolder / "old"));
    for (const char* never : {"ABCD", "STAT", "HELI", "NOTE", "BRKN", "BYND"}) {
        EXPECT_FALSE(fs::exists(g_myThirdpartyFolder / (std::string(never) + ".xml"))) << never;
        EXPECT_FALSE(fs::exists(g_myOrbxFolder / (std::string(never) + ".xml"))) << never;
    }

    // LFPG still needs learning: it waits in TBLO, its generated file stays.
    EXPECT_EQ(readFile(g_tbloFolder / "LFPG.xml"), readFile(g_myThirdpartyFolder / "LFPG.xml"));
    EXPECT_FALSE(fs::exists(g_tbloFolder / "old"));
    EXPECT_EQ(g_tbloCount.load(), 1u);
    EXPECT_TRUE(g_mainWindowState.airportsComplete.load());  // EGKK needs no learning

    const auto log = scanLog();
    EXPECT_THAT(log, Contains("Scanning for addon airports in " + afolder0.value.get()));
    EXPECT_THAT(log, Contains("simaddon airport EGLL linked to archive/simaddon/EGLL.xml"));
    EXPECT_THAT(log, Contains("Generated LFPG: 4 positions"));
    EXPECT_THAT(log, Contains("Generated EGKK: 2 positions"));
    EXPECT_THAT(log, Contains(HasSubstr("futs ")));
    EXPECT_THAT(log, Contains(HasSubstr(gf_windowsPathText(addons / "Other" / "broken.bgl") + ": record at byte")));
    // The damaged file is named once in each log.
    const std::string beyond = gf_windowsPathText(addons / "Other" / "beyond.bgl");
    EXPECT_THAT(log, Contains(HasSubstr(beyond + ": damaged")).Times(1));
    EXPECT_THAT(m_folder.logLines(), Contains(HasSubstr("Exception in lf_processBGLfile: " + beyond)).Times(1));
    EXPECT_THAT(log, Not(Contains(HasSubstr("ABCD"))));

    EXPECT_TRUE(m_folder.logContains("++++++++++++++++++++++++ airports scan manual  starts"));
    EXPECT_TRUE(m_folder.logContains(afolder4.value.get() + " does not exist, skipped!"));
    EXPECT_TRUE(m_folder.logContains("===> Exception in lf_processBGLfile: "));
    EXPECT_TRUE(m_folder.logContains("LFPG copied to " + gf_pathText(g_tbloFolder / "LFPG.xml")));
    EXPECT_TRUE(m_folder.logContains("All your ORBX airports are done, no off line learning needed."));
    EXPECT_TRUE(m_folder.logContains("and mail to \"" + std::string(build::airportContact) + "\""));
    EXPECT_TRUE(m_folder.logContains("AirportsScanLog.txt written"));
    EXPECT_TRUE(m_folder.logContains("Airports scan successful"));
    EXPECT_TRUE(m_folder.logContains("-------------------------- airports scan ends"));

    EXPECT_FALSE(SCAN_AIRPORTS.value);
    EXPECT_EQ(stored("SCAN_AIRPORTS"), "false");
    EXPECT_EQ(gf_runningWorkers(), 0);
}

TEST_F(AddonAirportScan, AutomaticFoldersComeFromTheSimulatorsSceneryLists) {
    AFG_AUTOMATIC.value = true;
    writeFile(programData() / "scenery.cfg",
              "[Area.001]\r\nTitle=My Airport\r\nLocal=Addon Scenery\\MyAirport\r\nActive=TRUE\r\nLayer=1\r\n"
              "Required=FALSE\r\n"
              "[Area.002]\r\nTitle=Off\r\nLocal=Addon Scenery\\Off\r\nActive=FALSE\r\n"
              "[Area.003]\r\nTitle=Base\r\nLocal=Scenery\\World\r\nActive=TRUE\r\n");
    writeFile(programData() / "scenery_add-ons.xml",
              "<Path>" + gf_pathText(addons / "Packages") + "</Path>\n<Path>" + gf_pathText(install / "Scenery") +
                  "</Path>\n");
    writeFile(install / "Addon Scenery" / "MyAirport" / "scenery" / "EDDF.bgl", airportFile("EDDF", 3));
    writeFile(install / "Addon Scenery" / "Off" / "EDDM.bgl", airportFile("EDDM", 3));
    writeFile(install / "Scenery" / "World" / "scenery" / "KSEA.bgl", airportFile("KSEA", 3));
    bgl("Packages/SkyForge LSZH/scenery/LSZH.bgl", airportFile("LSZH", 5));

    EXPECT_EQ(userError(), "no error");

    // EDDF is in the simaddon set, but its path names no publisher.
    EXPECT_THAT(gf_findXmlFiles(g_myThirdpartyFolder), UnorderedElementsAre("EDDF", "LSZH"));
    EXPECT_THAT(gf_findXmlFiles(g_myOrbxFolder), IsEmpty());
    EXPECT_THAT(readLines(g_myThirdpartyFolder / "LSZH.txt"), ElementsAre("archive/thirdparty/SkyForge/LSZH.xml"));
    const auto log = scanLog();
    EXPECT_THAT(log, Contains("Generated LSZH: 5 positions"));
    EXPECT_THAT(log, Contains(HasSubstr("EDDF has 3 parkpos")));
    EXPECT_THAT(log, Not(Contains(HasSubstr("EDDM"))));
    EXPECT_THAT(log, Not(Contains(HasSubstr("KSEA"))));
    EXPECT_TRUE(m_folder.logContains("++++++++++++++++++++++++ airports scan automatic  starts"));
    EXPECT_TRUE(m_folder.logContains("1 scenery add-on paths found"));
    EXPECT_TRUE(m_folder.logContains("2 scenery add-on paths found"));
    EXPECT_TRUE(m_folder.logContains("All your third party airports are done, no off line learning needed."));
    EXPECT_FALSE(fs::exists(g_tbloFolder));
    EXPECT_FALSE(SCAN_AIRPORTS.value);
}

TEST_F(AddonAirportScan, NothingFoundStillEndsTheScanButMissingSettingsDoNot) {
    EXPECT_EQ(userError(), "49: Set afolder parameter(-s) to your add-on airports first, see Manual 6.1");
    EXPECT_TRUE(SCAN_AIRPORTS.value);

    afolder1.value = gf_pathText(install / "Scenery" / "World");
    EXPECT_EQ(userError(), "42: parameter afolder1 points to stock airports instead of add-on airports!");
    EXPECT_TRUE(SCAN_AIRPORTS.value);

    afolder1.value = gf_pathText(addons);
    fs::create_directories(addons);
    writeFile(addons / "not a folder.bgl", "x");
    afolder2.value = gf_pathText(addons / "not a folder.bgl");
    EXPECT_EQ(userError(), "no error");
    EXPECT_TRUE(m_folder.logContains("Warning: Scan has not found any add-on airports"));
    EXPECT_TRUE(m_folder.logContains(afolder2.value.get() + " is not a folder name, skipped!"));
    EXPECT_FALSE(m_folder.logContains("Airports scan successful"));
    EXPECT_THAT(scanLog(), ElementsAre("Scanning for addon airports in " + afolder1.value.get()));
    EXPECT_FALSE(fs::exists(g_tbloFolder));
    EXPECT_FALSE(SCAN_AIRPORTS.value);
    EXPECT_EQ(stored("SCAN_AIRPORTS"), "false");
}

TEST_F(AddonAirportScan, AStoppedScanStaysOnForTheNextStart) {
    bgl("Other/LFPG.bgl", airportFile("LFPG", 4));
    afolder0.value = gf_pathText(addons);
    g_stopRun = true;
    EXPECT_EQ(userError(), "no error");
    EXPECT_FALSE(fs::exists(g_myThirdpartyFolder / "LFPG.xml"));
    EXPECT_TRUE(SCAN_AIRPORTS.value);
    EXPECT_TRUE(m_folder.logContains("Airports scan stopped before its end, SCAN_AIRPORTS stays on"));
}

TEST_F(AddonAirportScan, FilesOfOneAirportWrittenAtOnceLeaveOneWholeFile) {
    // Eight files of the same airport with different stand counts, and others
    // beside them, read by tasks on two threads.
    for (int i = 0; i < 8; ++i) {
        bgl(fmt::format("Same/v{}/LFPG.bgl", i), airportFile("LFPG", 10 + i));
        bgl(fmt::format("Other/A{}.bgl", i), airportFile(fmt::format("LF{:02}", i), 5));
    }
    afolder0.value = gf_pathText(addons);
    EXPECT_EQ(userError(), "no error");

    pugi::xml_document doc;
    ASSERT_TRUE(gf_loadXml(doc, g_myThirdpartyFolder / "LFPG.xml"));
    const int stands = doc.select_node("/parameters/parameter[@name='num_parkpos']").node().attribute("value").as_int();
    EXPECT_GE(stands, 10);
    EXPECT_LE(stands, 17);
    EXPECT_EQ(doc.select_nodes("/parkpositions/parkpos").size(), static_cast<std::size_t>(stands));
    EXPECT_EQ(gf_findXmlFiles(g_myThirdpartyFolder).size(), 9u);
    std::size_t generated = 0;
    for (const auto& line : scanLog()) generated += line.starts_with("Generated ") ? 1 : 0;
    EXPECT_EQ(generated, 16u);
}

}  // namespace
}  // namespace zrb::test
