#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "config/paths.h"
#include "data_file_writer.h"
#include "foundation/text_file.h"
#include "liveries/dbase.h"
#include "liveries/liveries_scanned_file.h"
#include "liveries/livery_processing.h"
#include "liveries/regcode_files.h"
#include "liveries/scan_findings.h"
#include "liveries/regcode_merge.h"
#include "livery_fixture.h"
#include "support/temp_folder.h"

namespace zrb::test {
namespace {

namespace fs = std::filesystem;

const TitleList* titlesOf(const AirlineTypeTitleMap& table, const std::string& airline, const std::string& type) {
    const auto types = table.find(airline);
    if (types == table.end()) return nullptr;
    const auto titles = types->second.find(type);
    return titles == types->second.end() ? nullptr : &titles->second;
}

TEST(LiveryTables, SplitEachAirlineAndTypeIntoPaxAndCargoViewsOfOneStoredTitle) {
    LoggedFolder folder;
    buildLiveryTables({{"DLH", "B744", "DLH B744 pax"},
                       {"DLH", "B744", "DLH B744 freighter", true},
                       {"DLH", "A320", "DLH A320 one"},
                       {"DLH", "A320", "DLH A320 two"},
                       {"BAW", "A320", "BAW A320"},
                       {"ABCD", "C172", "Long code"},
                       {"AB", "C172", "Short code"}});

    const TitleList* pax = titlesOf(g_airlineTypeTitles[g_paxTable], "DLH", "B744");
    const TitleList* cargo = titlesOf(g_airlineTypeTitles[g_cargoTable], "DLH", "B744");
    ASSERT_TRUE(pax && cargo);
    EXPECT_EQ(*pax, TitleList{"DLH B744 pax"});
    EXPECT_EQ(*cargo, TitleList{"DLH B744 freighter"});
    EXPECT_EQ(titlesOf(g_airlineTypeTitles[g_cargoTable], "DLH", "A320"), nullptr);
    EXPECT_FALSE(g_airlineTypeTitles[g_cargoTable].contains("BAW"));
    const TitleList* a320 = titlesOf(g_airlineTypeTitles[g_paxTable], "DLH", "A320");
    ASSERT_TRUE(a320);
    EXPECT_EQ(*a320, (TitleList{"DLH A320 one", "DLH A320 two"}));
    EXPECT_EQ(a320->capacity(), a320->size());

    // Every table holds views of the one stored text.
    const std::string_view stored = lf_findIndexedTitle("DLH B744 pax");
    EXPECT_EQ(stored.data(), pax->front().data());
    EXPECT_EQ(g_typeTitles[g_paxTable].at("B744").front().data(), stored.data());
    EXPECT_EQ(g_typeTitles[g_cargoTable].at("B744"), TitleList{"DLH B744 freighter"});
    EXPECT_EQ(g_typeTitles[g_paxTable].at("A320").size(), 3u);
    EXPECT_TRUE(lf_findIndexedTitle("not installed").empty());
    EXPECT_TRUE(lf_findIndexedTitle("").empty());

    EXPECT_TRUE(gf_airlineHasModel("DLH", "A320"));
    EXPECT_FALSE(gf_airlineHasModel("BAW", "B744"));
    std::vector<std::string> airlines = gf_getLiveryAirlines();
    std::ranges::sort(airlines);
    EXPECT_EQ(airlines, (std::vector<std::string>{"AB", "ABC", "BAW", "DLH"}));

    EXPECT_EQ(gf_pluralSuffix(0), "s");
    EXPECT_EQ(gf_pluralSuffix(1), "");
    EXPECT_EQ(gf_pluralSuffix(2), "s");
    resetLiveryTables();
}

TEST(LiveryTables, TitleViewsOutliveARebuildWithoutThem) {
    LoggedFolder folder;
    buildLiveryTables({{"DLH", "A320", std::string(200, 'x')}, {"DLH", "A320", "short"}});
    const std::string_view longTitle = g_typeTitles[g_paxTable].at("A320").front();
    const std::string_view shortTitle = lf_findIndexedTitle("short");
    buildLiveryTables({{"BAW", "B738", "other"}});
    // The old titles are no longer installed, but a record that holds one still
    // reads its text.
    EXPECT_TRUE(lf_findIndexedTitle("short").empty());
    EXPECT_EQ(longTitle, std::string(200, 'x'));
    EXPECT_EQ(shortTitle, "short");
    // A title installed again is the same stored text.
    buildLiveryTables({{"KLM", "B738", "short"}});
    EXPECT_EQ(lf_findIndexedTitle("short").data(), shortTitle.data());
    resetLiveryTables();
}

TEST(Regcodes, InlineCodesKeepTheFirstTitleAndReportClashes) {
    LoggedFolder folder;
    buildLiveryTables({{"DLH", "A320", "First"}, {"DLH", "A320", "Second"}, {"DLH", "A320", "Third"}});
    lf_processInlineRegcodes({{"D-AIAA", "First"}, {"D-AIAA", "Second"}, {"D-AIAA", "First"}, {"", "Third"}});
    EXPECT_EQ(g_regcodeMap.size(), 1u);
    EXPECT_EQ(g_regcodeMap.at("D-AIAA"), "First");
    EXPECT_EQ(readLines(g_inlineRegcodesFile), std::vector<std::string>{"D-AIAA 'Second' => already in use by 'First'"});
    EXPECT_TRUE(folder.logContains("1 in-line regcode clashes, see '"));
    resetLiveryTables();
}

TEST(Regcodes, UserFilesOverrideTheShippedFileAndReserveSpecialTitles) {
    LoggedFolder folder;
    buildLiveryTables({{"DLH", "A320", "Shipped"}, {"DLH", "A320", "Mine"}, {"DLH", "A320", "Reserved"}});
    g_regcodeMap.emplace("D-INLN", lf_findIndexedTitle("Shipped"));
    writeEncryptedFile(g_regcodesEncFile,
                       "<AIG-regcodes>"
                       "<livery title=\"Shipped\" reg=\"D-AAAA,D-AAAB,D-INLN\"/>"
                       "<livery title=\"Not installed\" reg=\"D-ZZZZ\" special=\"true\"/>"
                       "</AIG-regcodes>");
    writeFile(g_myRegcodesFolder / "mine.txt", "Mine;D-AAAA,D-AAAC\nReserved;D-RSVD\nBad;AB\n");
    lf_processOfflineRegcodes();

    EXPECT_EQ(g_regcodeMap.at("D-AAAA"), "Mine");
    EXPECT_EQ(g_regcodeMap.at("D-AAAB"), "Shipped");
    EXPECT_EQ(g_regcodeMap.at("D-RSVD"), "Reserved");
    EXPECT_FALSE(g_regcodeMap.contains("D-ZZZZ"));
    EXPECT_EQ(g_regcodeMap.at("D-AAAB").data(), lf_findIndexedTitle("Shipped").data());
    EXPECT_EQ(g_specialTitles, TitleList{"Reserved"});
    EXPECT_TRUE(gf_isSpecialTitle("Reserved"));
    EXPECT_FALSE(gf_isSpecialTitle("Mine"));

    const std::string folderText = gf_pathText(g_myRegcodesFolder);
    EXPECT_EQ(readLines(g_offlineRegcodesFile),
              (std::vector<std::string>{
                  "Processing file " + gf_pathText(g_regcodesXmlFile),
                  "2 new regcodes added",
                  "Processing files in " + folderText,
                  "There were errors processing the regcode files in folder '" + folderText + "', see Log.txt",
                  "   regcode D-AAAA for 'Mine', instead of the same for 'Shipped'",
                  "2 new regcodes added, 1 regcode replaced, 1 regcode defined as special",
              }));
    EXPECT_TRUE(folder.logContains("Offline regcode files processed, results can be found in '"));
    EXPECT_TRUE(folder.logContains("1 special liveries"));
    EXPECT_FALSE(fs::exists(g_regcodesXmlFile));
    resetLiveryTables();
}

// A result file of an earlier version holds a title in the legacy bytes of its
// aircraft.cfg; the user's files name titles in UTF-8. They meet, and the
// livery keeps its bytes for the simulator.
TEST(Regcodes, AnEarlierResultFilesLegacyTitleMeetsTheUsersUtf8Files) {
    LoggedFolder folder;
    writeFile(g_liveriesScannedFile,
              "<?xml version=\"1.0\"?>\n<meta><info name=\"author\" value=\"TLVR_P3D\"/><info name=\"date\" "
              "value=\"Mar 02, 2024\"/><info name=\"version\" value=\"1.0.0\"/></meta>\n<liveries>"
              "<liv airl=\"DLH\" type=\"A320\" title=\"DLH K\xF6ln\"/></liveries>\n");
    resetLiveryTables();
    gf_buildLiveryTables(lf_readLiveriesScannedXml(g_liveriesScannedFile));
    writeFile(g_myRegcodesFolder / "mine.txt", "DLH K\xC3\xB6ln;D-AIQA\nDLH D\xC3\xBCsseldorf\n");
    lf_processOfflineRegcodes();
    EXPECT_EQ(g_regcodeMap.at("D-AIQA"), "DLH K\xF6ln");
    g_dontUseTitles.clear();
    lf_readDontUseTitles();
    EXPECT_TRUE(lf_isDontUseTitle("DLH D\xFCsseldorf"));
    g_dontUseTitles.clear();
    resetLiveryTables();
}

TEST(Regcodes, AShippedFileThatDoesNotDecryptLeavesTheUsersCodes) {
    LoggedFolder folder;
    buildLiveryTables({{"DLH", "A320", "Mine"}});
    writeEncryptedFile(g_regcodesEncFile, "<AIG-regcodes/>", testKey());
    writeFile(g_myRegcodesFolder / "mine.TXT", "Mine;D-AAAA\n");
    lf_processOfflineRegcodes();
    EXPECT_EQ(g_regcodeMap.at("D-AAAA"), "Mine");
    EXPECT_EQ(readLines(g_offlineRegcodesFile).back(), "1 new regcode added, 1 regcode defined as special");

    // Nothing to report: no report file, not even an old one.
    resetLiveryTables();
    fs::remove_all(g_myRegcodesFolder);
    fs::remove(g_regcodesEncFile);
    lf_processOfflineRegcodes();
    EXPECT_FALSE(fs::exists(g_offlineRegcodesFile));

    // A file where the folder should be is reported, not fatal.
    writeFile(g_myRegcodesFolder, "not a folder");
    EXPECT_NO_THROW(lf_processOfflineRegcodes());
    EXPECT_TRUE(folder.logContains("===> Error reading regcode files in "));
}

}  // namespace
}  // namespace zrb::test
