// A whole start-up through the real livery and airport scans, for a user whose
// simulator lies in a folder with an umlaut and whose add-ons are named in
// files of the legacy code page (Windows-1252), as older installers write
// them. On Windows the library refuses a path made of text that is no UTF-8,
// and reads a plain string in the ANSI code page: either ended the run with
// SYSTEM ERROR at every start.
#include <gmock/gmock.h>

#include <filesystem>
#include <string>
#include <thread>

#include "airports/bgl_builder.h"
#include "config/parameters.h"
#include "config/paths.h"
#include "foundation/ansi_text.h"
#include "foundation/text_file.h"
#include "foundation/windows_path.h"
#include "liveries/dbase.h"
#include "liveries/download.h"
#include "liveries/liveries_scanned_file.h"
#include "liveries/livery_tables.h"
#include "liveries/livery_scan_fixture.h"
#include "platform/platform.h"
#include "shell/main_window.h"
#include "shell_test_support.h"

namespace zrb::test {
namespace {

namespace fs = std::filesystem;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;

// Windows-1252 bytes of a UTF-8 text, as a legacy file holds them.
std::string ansi(const fs::path& path) { return gf_utf8ToAnsi(gf_windowsPathText(path)); }

std::string airportFile(const std::string& icao) {
    const std::vector<BglParking> stands{{10, 2, 1, 20.0F, 90.0F, 50.86, 7.14}, {10, 2, 2, 20.0F, 90.0F, 50.87, 7.14}};
    return bglAirportFile({BglAirportRecord(icao).name(icao + " Field").parking(stands).bytes()});
}

class NonAsciiPaths : public ShellTest {
protected:
    NonAsciiPaths() {
        fs::create_directories(m_folder / "docs");
        writeFile(m_folder / "dbase.xml", liveryTestDbase);
        gf_readDbaseXml(m_folder / "dbase.xml");
        g_liveriesProcessed = false;
        gf_runServices().scanLiveries = gf_realRunServices().scanLiveries;
        gf_runServices().scanAddonAirports = gf_realRunServices().scanAddonAirports;
        gf_runServices().simInstalled = [](int version) { return version == 5; };
        gf_runServices().simSetupPath = [this](int) { return sim; };
        platform::setSimListFoldersForTest(appData, programData);
        gf_setDownloadSiteForTest("none://", "");  // no archive: nothing needs learning
    }
    ~NonAsciiPaths() override {
        if (m_gui.joinable()) {
            platform::postClose();
            m_gui.join();
        }
        gf_joinSimClient();
        gf_resetDownloadSiteForTest();
        platform::setSimListFoldersForTest({}, {});
        g_liveriesProcessed = false;
        gf_clearDbase();
    }

    void start() {
        m_gui = std::thread([] { (void)gf_initInstanceAndRun(); });
    }

    const fs::path sim = m_folder / u8"Pr\u00FCfung" / "Prepar3D v5";
    const fs::path appData = m_folder / "SimAppData";
    const fs::path programData = m_folder / "SimProgramData";

private:
    std::thread m_gui;
};

TEST_F(NonAsciiPaths, TheRunStartsAndBothScansFindEveryAddOn) {
    const fs::path lists = programData / "Lockheed Martin" / "Prepar3D v5";
    fs::create_directories(sim / "Scenery");

    // Liveries: a package of add-ons.cfg, an entry of simobjects.cfg below the
    // install folder and one elsewhere; one aircraft.cfg in Windows-1252 whose
    // texture folder has an umlaut.
    const fs::path package = m_folder / u8"Add-ons" / u8"Flugzeuge K\u00F6ln";
    writeFile(appData / "Lockheed Martin" / "Prepar3D v5" / "add-ons.cfg",
              "[Package.0]\r\nPATH=" + ansi(package) + "\r\nTITLE=K\xF6ln AI\r\nACTIVE=TRUE\r\n");
    writeFile(package / "add-on.xml",
              "<SimBase.Document><AddOn.Component><Category>SimObjects</Category><Path>Fl\xF6tz</Path>"
              "</AddOn.Component></SimBase.Document>");
    const fs::path elsewhere = m_folder / u8"Gr\u00F6bming";
    writeFile(lists / "simobjects.cfg", "[Entry.0]\r\nTitle=Meine\r\nPath=SimObjects\\Fl\xFCge\r\nActive=True\r\n"
                                        "[Entry.1]\r\nPath=" + ansi(elsewhere) + "\r\n");
    makeAircraftFolder(package / u8"Fl\u00F6tz" / "b738", generalSection() + fltsim(0, "Package B738", "DLH"));
    makeAircraftFolder(sim / "SimObjects" / u8"Fl\u00FCge" / "b738", generalSection() + fltsim(0, "Sim B738", "DLH"));
    std::string cfg = generalSection();
    for (int i = 0; i < 6; ++i) cfg += fltsim(i, "K\xF6ln B738 " + std::to_string(i), "DLH", "", "K\xF6ln");
    makeAircraftFolder(elsewhere / "b738", cfg, {"K\xC3\xB6ln"});

    // Airports: scenery.cfg areas below the install folder and elsewhere.
    writeFile(lists / "scenery.cfg", "[Area.001]\r\nTitle=K\xF6ln\r\nLocal=Addon Scenery\\K\xF6ln\r\nActive=TRUE\r\n"
                                     "[Area.002]\r\nLocal=" + ansi(m_folder / u8"ORBX M\u00FCnchen") +
                                     "\r\nActive=TRUE\r\n");
    writeFile(sim / "Addon Scenery" / u8"K\u00F6ln" / "scenery" / "EDDK.bgl", airportFile("EDDK"));
    writeFile(m_folder / u8"ORBX M\u00FCnchen" / "scenery" / "EGLL.bgl", airportFile("EGLL"));

    start();
    // The run reaches the simulator link, or ends.
    ASSERT_TRUE(eventually([&] { return calls.count("simClient start") == 1 || m_folder.logContains("Exiting: "); }));
    ASSERT_EQ(calls.count("simClient start"), 1) << gf_messageLineView().error;

    EXPECT_FALSE(m_folder.logContains("SYSTEM ERROR"));
    EXPECT_FALSE(m_folder.logContains("Stock airports path does not exist"));
    EXPECT_EQ(SIM_INSTALL_PATH.value.get(), gf_pathText(sim));
    std::vector<std::string> titles;
    for (const LiveryData& livery : lf_readLiveriesScannedXml()) titles.push_back(livery.title);
    // The titles as their aircraft.cfg holds them, by which the simulator knows them.
    EXPECT_THAT(titles, UnorderedElementsAre("Package B738", "Sim B738", "K\xF6ln B738 0", "K\xF6ln B738 1",
                                             "K\xF6ln B738 2", "K\xF6ln B738 3", "K\xF6ln B738 4", "K\xF6ln B738 5"));
    EXPECT_TRUE(fs::exists(g_myThirdpartyFolder / "EDDK.xml"));
    EXPECT_TRUE(fs::exists(g_myOrbxFolder / "EGLL.txt"));
    EXPECT_THAT(readLines(g_airportsScanLogFile), Contains(HasSubstr("Generated EDDK: 2 positions")));
    EXPECT_EQ(stored("SCAN_LIVERIES"), "false");
    EXPECT_EQ(stored("SCAN_AIRPORTS"), "false");
}

}  // namespace
}  // namespace zrb::test
