#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "config/paths.h"
#include "liveries/scan_reports.h"
#include "livery_scan_fixture.h"

namespace zrb::test {
namespace {

using ::testing::ElementsAre;

using ScanReports = LiveryScanFixture;

TEST_F(ScanReports, WritesAReportForEachKindOfFindingAndSumsThemUp) {
    g_invalidAirlineCodes.append("XYZ          in b.cfg [fltsim.0]");
    g_invalidAircraftCodes.append("b738             in z.cfg");
    g_invalidAircraftCodes.append("b737             in a.cfg");
    g_codeFixes.append("Model fix: z");
    g_codeFixes.append("Model fix: a");
    g_invalidAircraftCfgFiles.append("c.cfg contains ...");
    g_incompleteFltsimSections.append("same line");
    g_incompleteFltsimSections.append("same line");
    g_incompleteFltsimSections.append("a line");
    g_emptyAircraftCfgFiles.append("z.cfg");
    g_emptyAircraftCfgFiles.append("y.cfg");
    g_airlineModelConversions = {"second", "first"};

    lf_writeScanErrorSummary();

    EXPECT_THAT(readLines(g_invalidAirlineCodesFile), ElementsAre("XYZ          in b.cfg [fltsim.0]"));
    EXPECT_THAT(readLines(g_invalidAircraftCodesFile),
                ElementsAre("b737             in a.cfg", "b738             in z.cfg"));
    EXPECT_THAT(readLines(g_fixesFile), ElementsAre("Model fix: z", "Model fix: a"));  // in the order found
    EXPECT_THAT(readLines(g_invalidAircraftCfgFilesFile), ElementsAre("c.cfg contains ..."));
    EXPECT_THAT(readLines(g_incompleteFltsimSectionsFile), ElementsAre("a line", "same line"));
    EXPECT_THAT(readLines(g_noFltsimSectionFile), ElementsAre("y.cfg", "z.cfg"));
    EXPECT_THAT(readLines(g_airlineModelConversionsFile), ElementsAre("second", "first"));
    EXPECT_EQ(readFile(g_fixesFile), "Model fix: z\r\nModel fix: a\r\n");

    const auto log = m_folder.logLines();
    const auto at = std::find(log.begin(), log.end(), "Errors:");
    ASSERT_NE(at, log.end());
    EXPECT_EQ(*(at - 1), "");
    const auto path = [](const fs::path& p) { return p.string(); };
    EXPECT_THAT(std::vector<std::string>(at + 1, at + 9),
                ElementsAre("1 invalid airline code, see " + path(g_invalidAirlineCodesFile),
                            "2 invalid model codes, see " + path(g_invalidAircraftCodesFile),
                            "2 code fixes, see " + path(g_fixesFile),
                            "1 invalid aircraft.cfg files, see " + path(g_invalidAircraftCfgFilesFile),
                            "3 incomplete [fltsim.x] sections, see " + path(g_incompleteFltsimSectionsFile), "",
                            "Information:", "2 empty aircraft.cfg files, see " + path(g_noFltsimSectionFile)));
    EXPECT_TRUE(logged("2 liveries updated with real live data from dbase, see " + path(g_airlineModelConversionsFile)));
}

TEST_F(ScanReports, WritesNoReportWithoutFindings) {
    lf_writeScanErrorSummary();
    EXPECT_TRUE(logged("No errors"));
    EXPECT_TRUE(logged("Information:"));
    EXPECT_FALSE(fs::exists(g_outputErrorsFolder));
    EXPECT_TRUE(fs::is_empty(g_outputInfoFolder));
}

TEST_F(ScanReports, RemovesThePreviousReportsButWhatTheUserLeft) {
    fs::create_directories(g_outputErrorsFolder);
    for (const fs::path& file : {g_noFltsimSectionFile, g_inlineRegcodesFile, g_invalidAirlineCodesFile,
                                 g_invalidAircraftCodesFile, g_fixesFile, g_invalidAircraftCfgFilesFile,
                                 g_incompleteFltsimSectionsFile, g_liveriesScannedFile, g_airlineModelConversionsFile})
        writeFile(file, "old");
    writeFile(g_outputErrorsFolder / "my notes.txt", "mine");

    lf_removePreviousScanFiles();

    for (const fs::path& file : {g_noFltsimSectionFile, g_inlineRegcodesFile, g_invalidAirlineCodesFile,
                                 g_invalidAircraftCodesFile, g_fixesFile, g_invalidAircraftCfgFilesFile,
                                 g_incompleteFltsimSectionsFile})
        EXPECT_FALSE(fs::exists(file)) << file;
    EXPECT_TRUE(fs::exists(g_outputErrorsFolder / "my notes.txt"));
    EXPECT_TRUE(logged("problems with removing previous files: "));
    // The previous result stays until a new scan replaces it; the conversions are kept.
    EXPECT_TRUE(fs::exists(g_liveriesScannedFile));
    EXPECT_TRUE(fs::exists(g_airlineModelConversionsFile));

    fs::remove(g_outputErrorsFolder / "my notes.txt");
    lf_removePreviousScanFiles();
    EXPECT_FALSE(fs::exists(g_outputErrorsFolder));
}

TEST_F(ScanReports, CorrectsLiveriesFromTheDatabase) {
    std::vector<LiveryData> liveries{
        {"DLH", "B738", "Operator wins", "D-ABCD", 1, false},
        {"DLH", "B738", "Airline without operator", "N123", 1, false},
        {"DLH", "B738", "No registration", "", 1, false},
        {"DLH", "B738", "Unknown registration", "G-XXXX", 1, false},
    };
    lf_logCodeFixes(liveries);
    EXPECT_EQ(liveries[0], (LiveryData{"ABC", "A321", "Operator wins", "D-ABCD", 1, true}));
    EXPECT_EQ(liveries[1], (LiveryData{"KLM", "B738", "Airline without operator", "N123", 1, false}));
    EXPECT_EQ(liveries[2].airl, "DLH");
    EXPECT_EQ(liveries[3].airl, "DLH");
    const std::string pad1 = std::string(80 - std::string("Operator wins").size(), ' ');
    const std::string pad2 = std::string(80 - std::string("Airline without operator").size(), ' ');
    EXPECT_THAT(g_airlineModelConversions,
                ElementsAre("Operator wins" + pad1 + " D-ABCD cargo false => true",
                            "Operator wins" + pad1 + " D-ABCD airl DLH => ABC",
                            "Operator wins" + pad1 + " D-ABCD model B738 => A321",
                            "Airline without operator" + pad2 + " N123 airl DLH => KLM"));
}

}  // namespace
}  // namespace zrb::test
