// The livery scan as a run's start-up takes it: folders from the settings or
// from the simulator's add-on lists, tasks on worker threads, the result file,
// the reports and SCAN_LIVERIES.
#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "config/meta_info.h"
#include "config/paths.h"
#include "config/settings_fixture.h"
#include "foundation/user_error.h"
#include "foundation/worker_throttle.h"
#include "liveries/liveries_scanned_file.h"
#include "liveries/livery_scan.h"
#include "liveries/livery_tables.h"
#include "livery_scan_fixture.h"
#include "shell/common/main_window_state.h"

namespace zrb::test {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

class LiveryScan : public SettingsTest {
protected:
    LiveryScan() {
        writeFile(m_folder / "dbase.xml", liveryTestDbase);
        gf_readDbaseXml(m_folder / "dbase.xml");
        fs::create_directories(m_folder / "output" / "info");
        gf_initWorkerThrottle(2);
        g_liveriesProcessed = false;
#ifndef _WIN32
        // The stand-in AppData and ProgramData folders lie below it.
        const char* old = std::getenv("XDG_CONFIG_HOME");
        m_oldConfigHome = old == nullptr ? "" : old;
        setenv("XDG_CONFIG_HOME", (m_folder / "AppData").c_str(), 1);
#endif
    }
    ~LiveryScan() override {
#ifndef _WIN32
        if (m_oldConfigHome.empty())
            unsetenv("XDG_CONFIG_HOME");
        else
            setenv("XDG_CONFIG_HOME", m_oldConfigHome.c_str(), 1);
#endif
        g_liveriesProcessed = false;
        gf_clearDbase();
        gf_initWorkerThrottle();
    }

    // An aircraft folder of the type with one section per title, airline `airline`.
    static void liveryFolder(const fs::path& folder, const std::vector<std::string>& titles,
                             const std::string& airline = "DLH", const std::string& type = "B738",
                             const std::string& cfgName = "aircraft.cfg") {
        std::string cfg = generalSection(type);
        for (std::size_t i = 0; i < titles.size(); ++i) cfg += fltsim(static_cast<int>(i), titles[i], airline);
        makeAircraftFolder(folder, cfg, {"DLH"}, cfgName);
    }

    static std::vector<std::string> resultTitles() {
        std::vector<std::string> titles;
        for (const auto& l : lf_readLiveriesScannedXml()) titles.push_back(l.title);
        return titles;
    }

    std::string userError() {
        try {
            gf_scanLiveries();
        } catch (const UserErrorException& e) {
            return e.what();
        }
        return "no error";
    }

    void manual(const std::vector<std::pair<int, fs::path>>& folders) {
        LIG_AUTOMATIC.value = false;
        for (const auto& [n, folder] : folders) g_lfolders[static_cast<std::size_t>(n)]->value = folder.string();
    }

    bool logged(const std::string& text) const { return m_folder.logContains(text); }

    // Every task has given its worker back: a task thread counts itself out
    // just after handing over its result, so allow it a moment.
    static bool allWorkersDone() {
        for (int i = 0; i < 5000 && gf_runningWorkers() > 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return gf_runningWorkers() == 0;
    }

    std::string m_oldConfigHome;
};

TEST_F(LiveryScan, AManualScanFindsEveryConfigurationFileAndSwitchesItselfOff) {
    const fs::path root = m_folder / "Liveries";
    liveryFolder(root / "a", {"Lower"});
    liveryFolder(root / "b", {"Sim cfg"}, "DLH", "B738", "sim.cfg");
    liveryFolder(root / "c", {"Upper"}, "DLH", "B738", "AIRCRAFT.CFG");
    liveryFolder(root / "d", {"Mixed"}, "DLH", "B738", "Aircraft.Cfg");
    liveryFolder(root / "e", {"Backup"}, "DLH", "B738", "aircraft.cfg.bak");
    liveryFolder(root / "f", {"Text"}, "DLH", "B738", "aircraft.txt");
    liveryFolder(root / "airport_objects" / "g", {"Scenery"});
    liveryFolder(root / "elsewhere" / "Airport_Objects" / "h", {"Capital scenery"});  // the test is case-sensitive
    liveryFolder(root / "IVAO_MTL" / "IVAO_B738w", {"B738 KLM"}, "", "");
    liveryFolder(root / "deep" / "er" / "still" / "deeper", {"Deep", "Deep 2"}, "BAW");
    liveryFolder(root / "empty", {});
#ifndef _WIN32
    fs::create_symlink(root / "nowhere.cfg", root / "a" / "sim.cfg");  // a broken link
#endif
    writeFile(root / "bad" / "aircraft.cfg", generalSection() + fltsim(0, "Bad", "XYZ"));
    manual({{2, m_folder / "missing"}, {5, root}});

    gf_scanLiveries();

    EXPECT_THAT(resultTitles(), UnorderedElementsAre("Lower", "Sim cfg", "Upper", "Mixed", "Capital scenery", "B738 KLM",
                                                     "Deep", "Deep 2"));
    EXPECT_TRUE(logged((m_folder / "missing").string() + " does not exist, skipped!"));
    EXPECT_TRUE(logged("8 liveries found in " + root.string()));
    EXPECT_TRUE(logged("8 in total"));
#ifndef _WIN32
    EXPECT_TRUE(logged("===> liveries search in " + (root / "a" / "sim.cfg").string() + " aborted, cause: "));
#endif
    EXPECT_TRUE(logged("liveries scan manual starts"));
    EXPECT_TRUE(logged("liveries scan ends"));
    EXPECT_TRUE(logged("8 liveries in " + g_liveriesScannedFile.string()));
    // The reports of what was wrong, and the empty file.
    EXPECT_THAT(readLines(g_invalidAirlineCodesFile), ElementsAre("XYZ          in " +
                                                                  (root / "bad" / "aircraft.cfg").string() +
                                                                  " [fltsim.0]"));
    EXPECT_THAT(readLines(g_noFltsimSectionFile), ElementsAre((root / "empty" / "aircraft.cfg").string()));
    // Switched off, saved and shown; then the liveries were loaded.
    EXPECT_FALSE(SCAN_LIVERIES.value);
    EXPECT_EQ(stored("SCAN_LIVERIES"), "false");
    EXPECT_TRUE(g_liveriesProcessed);
    EXPECT_EQ(g_mainWindowState.liveries.load(), 8U);
    EXPECT_TRUE(logged("8 liveries read from " + g_liveriesScannedFile.string()));
    EXPECT_TRUE(allWorkersDone());
    EXPECT_TRUE(g_scannedLiveries.empty());

    // The next scan of the process starts afresh: the same titles are found again.
    SCAN_LIVERIES.value = true;
    g_liveriesProcessed = false;
    gf_scanLiveries();
    EXPECT_EQ(resultTitles().size(), 8U);
}

TEST_F(LiveryScan, PriorityKeepsTheFirstFolderOfEachAirlineAndType) {
    std::vector<fs::path> folders;
    for (int i = 1; i <= 11; ++i) folders.push_back(m_folder / ("folder" + std::to_string(i)));
    liveryFolder(folders[0] / "b738", {"ABC B738 one"}, "ABC");
    liveryFolder(folders[2] / "b738", {"ABC B738 three"}, "ABC");
    liveryFolder(folders[2] / "a320", {"ABC A320 three"}, "ABC", "A320");
    liveryFolder(folders[9] / "a321", {"KLM A321 ten"}, "KLM", "A321");
    liveryFolder(folders[10] / "a321", {"KLM A321 eleven"}, "KLM", "A321");
    for (const auto& folder : folders) fs::create_directories(folder);
    LIG_PRIORITIZE.value = true;

    ASSERT_EQ(lf_scanLiveryFolders(folders), LiveryScanOutcome::done);
    // Folders ten and eleven share the lowest priority, 10.
    EXPECT_THAT(resultTitles(), ElementsAre("ABC A320 three", "ABC B738 one", "KLM A321 eleven", "KLM A321 ten"));
    EXPECT_TRUE(logged("1 liverie found in " + folders[0].string()));
    EXPECT_TRUE(logged("No liveries found in " + folders[1].string()));
}

#ifndef _WIN32
// The simulator's lists lie in the stand-in folders (the Windows build reads the real ones).
TEST_F(LiveryScan, AnAutomaticScanReadsTheSimulatorsAddOnLists) {
    const fs::path sim = m_folder / "Prepar3D v5";
    SIM_INSTALL_PATH.value = sim.string();
    const fs::path cfgFolder = m_folder / "AppData" / "Lockheed Martin" / "Prepar3D v5";
    const fs::path dataFolder = m_folder / "AppData" / "ProgramData" / "Lockheed Martin" / "Prepar3D v5";
    const fs::path package = m_folder / "Add-ons" / "AI Package";
    const fs::path off = m_folder / "Add-ons" / "Switched off";
    writeFile(cfgFolder / "add-ons.cfg",
              "[Package.0]\nPATH=" + package.string() + "\nTITLE=AI\nACTIVE=TRUE\nREQUIRED=FALSE\n\n"
              "[Package.1]\nPATH=" + off.string() + "\nACTIVE=FALSE\n[Package.2]\nPATH=relative\n");
    writeFile(package / "add-on.xml",
              "<?xml version=\"1.0\"?>\n<SimBase.Document Type=\"AddOnXml\">\n"
              "<AddOn.Component>\n<Category>SimObjects</Category>\n<Path>SimObjects\\Airplanes</Path>\n"
              "</AddOn.Component>\n<AddOn.Component><Path>Reversed</Path><Category>SIMOBJECTS</Category>"
              "</AddOn.Component>\n<AddOn.Component><Category>Scenery</Category><Path>Scenery</Path>"
              "</AddOn.Component>\n<AddOn.Component><Category>SimObjects</Category><Path>Lights Reborn</Path>"
              "</AddOn.Component>\n</SimBase.Document>\n");
    writeFile(off / "add-on.xml",
              "<SimBase.Document><AddOn.Component><Category>SimObjects</Category><Path>Off</Path>"
              "</AddOn.Component></SimBase.Document>");
    writeFile(cfgFolder / "relative" / "add-on.xml",
              "<SimBase.Document><AddOn.Component><Category>SimObjects</Category><Path>Rel</Path>"
              "</AddOn.Component></SimBase.Document>");
    liveryFolder(package / "SimObjects" / "Airplanes" / "x", {"Package livery"});
    liveryFolder(package / "Reversed" / "x", {"Reversed livery"});
    liveryFolder(package / "Lights Reborn" / "x", {"Lights"});
    liveryFolder(off / "Off" / "x", {"Switched off livery"});
    liveryFolder(cfgFolder / "relative" / "Rel" / "x", {"Relative livery"});
    writeFile(dataFolder / "simobjects.cfg",
              "[Entry.0]\nTitle=Default\nPath=SimObjects\\Airplanes\nRequired=True\nActive=True\n"
              "[Entry.1]\nTitle=Mine\nPath=SimObjects\\MyAI\nActive=True\n"
              "[Entry.2]\nPath=" + (m_folder / "Elsewhere").string() + "\n[Entry.3]\nPath=SimObjects\\MyAI2\n"
              "Active=False\n");
    liveryFolder(sim / "SimObjects" / "Airplanes" / "x", {"Stock livery"});
    liveryFolder(sim / "SimObjects" / "MyAI" / "x", {"My AI livery"});
    liveryFolder(sim / "SimObjects" / "MyAI2" / "x", {"Inactive livery"});
    liveryFolder(m_folder / "Elsewhere" / "x", {"Elsewhere livery"});

    gf_scanLiveries();

    EXPECT_THAT(resultTitles(), UnorderedElementsAre("Package livery", "Reversed livery", "Relative livery",
                                                     "My AI livery", "Elsewhere livery"));
    EXPECT_TRUE(logged("\\nReading " + (cfgFolder / "add-ons.cfg").string() + " for AI add-on packages..."));
    EXPECT_TRUE(logged("path found:" + package.string()));
    EXPECT_TRUE(logged("   exploring " + (package / "add-on.xml").string()));
    EXPECT_TRUE(logged("      Simobjects found:SimObjects\\Airplanes"));
    EXPECT_TRUE(logged("3 AI add-on packages found"));
    EXPECT_TRUE(logged("2 AI add-on packages found"));
    EXPECT_TRUE(logged("liveries scan automatic starts"));
    EXPECT_EQ(stored("SCAN_LIVERIES"), "false");
}
#endif

TEST_F(LiveryScan, TellsTheUserWhatToDoWhenNothingIsFound) {
    // No folder set: nothing is touched.
    LIG_AUTOMATIC.value = false;
    fs::create_directories(g_outputErrorsFolder);
    writeFile(g_fixesFile, "old");
    EXPECT_EQ(userError(), "48: Set lfolder parameter(-s) to your liveries first, see Manual 5.1 (or check Liveries "
                           "automatic)");
    EXPECT_TRUE(fs::exists(g_fixesFile));

    // Folders without liveries: the previous result stays, and so does the setting.
    writeFile(g_liveriesScannedFile, "previous");
    fs::create_directories(m_folder / "none" / "empty");
    manual({{0, m_folder / "none"}});
    EXPECT_EQ(userError(), "53: no liveries found");
    EXPECT_TRUE(SCAN_LIVERIES.value);
    EXPECT_EQ(readFile(g_liveriesScannedFile), "previous");
    EXPECT_FALSE(fs::exists(g_fixesFile));
    EXPECT_EQ(g_mainWindowState.liveries.load(), 0U);

#ifndef _WIN32
    LIG_AUTOMATIC.value = true;
    SIM_INSTALL_PATH.value = (m_folder / "Prepar3D v6").string();
    EXPECT_EQ(userError(), "43: Automatic scan has not found any liveries, switch off automatic and set lfolder "
                           "parameter(-s), Manual 5.1");
    EXPECT_TRUE(logged((m_folder / "AppData" / "Lockheed Martin" / "Prepar3D v6" / "add-ons.cfg").string() +
                       " not found!"));
    EXPECT_TRUE(logged("0 AI add-on packages found"));
#endif

    LIG_AUTOMATIC.value = true;
    SIM_INSTALL_PATH.value = "";
    P3D_VERSION.value = 0;
    EXPECT_EQ(userError().substr(0, 4), "77: ");
    EXPECT_FALSE(g_liveriesProcessed);
}

TEST_F(LiveryScan, AResultThatCannotBeSavedKeepsTheScanOn) {
    liveryFolder(m_folder / "Liveries" / "a", {"One"});
    manual({{0, m_folder / "Liveries"}});
    writeFile(g_liveriesScannedFile / "in the way", "x");  // a folder where the file belongs
    EXPECT_EQ(userError(), "51: File " + g_liveriesScannedFile.string() + " not found");
    EXPECT_TRUE(logged("could not save to '" + g_liveriesScannedFile.string() + "'"));
    EXPECT_TRUE(SCAN_LIVERIES.value);
    EXPECT_FALSE(logged("liveries scan ends"));
}

TEST_F(LiveryScan, AStopEndsTheScanWithoutTouchingTheLastResult) {
    liveryFolder(m_folder / "Liveries" / "a", {"One"});
    manual({{0, m_folder / "Liveries"}});
    writeFile(g_liveriesScannedFile, "previous");
    g_stopRun = true;
    gf_scanLiveries();
    EXPECT_TRUE(SCAN_LIVERIES.value);
    EXPECT_EQ(readFile(g_liveriesScannedFile), "previous");
    EXPECT_FALSE(g_liveriesProcessed);
    EXPECT_TRUE(allWorkersDone());
}

#ifndef _WIN32
TEST_F(LiveryScan, ATaskThatFailsCostsItsOwnFileOnly) {
    const fs::path root = m_folder / "Liveries";
    liveryFolder(root / "good", {"Good"});
    // A model folder that links to itself cannot be examined: the section's
    // check fails with an error that is not "missing".
    liveryFolder(root / "loop", {"Loop"});
    std::string cfg = generalSection() + "[fltsim.0]\ntitle=Loop\nsim=b738\nmodel=loop\ntexture=DLH\n"
                                         "atc_parking_codes=DLH\n";
    writeFile(root / "loop" / "aircraft.cfg", cfg);
    fs::create_symlink(root / "loop" / "model.loop", root / "loop" / "model.loop");
    manual({{0, root}});
    gf_scanLiveries();
    EXPECT_THAT(resultTitles(), ElementsAre("Good"));
    EXPECT_TRUE(logged("Exception in lf_procesFltSimSection: "));
    EXPECT_TRUE(logged("Exception in lf_searchLiveriesinFile " + (root / "loop" / "aircraft.cfg").string()));
    EXPECT_TRUE(logged("===> liveries search aborted, futs "));
    EXPECT_TRUE(allWorkersDone());
}
#endif

TEST_F(LiveryScan, WithoutAScanTheStoredResultIsLoaded) {
    SCAN_LIVERIES.value = false;
    g_metaSimulator = "P3D";
    ASSERT_TRUE(lf_writeLiveriesScannedXml({{"DLH", "B738", "Stored", "", 0, false}}));
    gf_scanLiveries();
    EXPECT_TRUE(g_liveriesProcessed);
    EXPECT_EQ(g_mainWindowState.liveries.load(), 1U);
    gf_scanLiveries();
    EXPECT_TRUE(logged("Processing scanned liveries skipped; already done in previous start-up"));
}

}  // namespace
}  // namespace zrb::test
