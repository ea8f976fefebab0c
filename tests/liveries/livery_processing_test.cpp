#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../config/settings_fixture.h"
#include "config/paths.h"
#include "data_file_writer.h"
#include "foundation/user_error.h"
#include "liveries/dbase.h"
#include "liveries/liveries_scanned_file.h"
#include "liveries/livery_processing.h"
#include "liveries/livery_tables.h"
#include "liveries/similar_types.h"
#include "livery_fixture.h"
#include "shell/common/main_window_state.h"

namespace zrb::test {
namespace {

namespace fs = std::filesystem;

LiveryData livery(std::string airline, std::string type, std::string title, std::string atcid = {},
                  bool cargo = false) {
    return {std::move(airline), std::move(type), std::move(title), std::move(atcid), 0, cargo};
}

class LiveryProcessing : public SettingsTest {
protected:
    LiveryProcessing() {
        gf_readDbaseXml(testDataPath("dbase_sample.xml"));
        g_liveriesProcessed = false;
        (void)gf_takeLiveryRebuildRequest();
    }
    ~LiveryProcessing() override {
        resetLiveryTables();
        gf_clearDbase();
        g_liveriesProcessed = false;
        (void)gf_takeLiveryRebuildRequest();
    }

    static void writeScan(const std::vector<LiveryData>& liveries) {
        fs::create_directories(g_outputFolder);
        ASSERT_TRUE(lf_writeLiveriesScannedXml(liveries));
    }
};

TEST_F(LiveryProcessing, BuildsEveryTableOnceAndKeepsThemForLaterStartUps) {
    writeScan({livery("BAW", "A320", "BAW A320", "G-EUUA"), livery("DLH", "A320", "DLH A320 one", "D-AIAA"),
               livery("DLH", "A320", "DLH A320 two", "D-AIAA"), livery("DLH", "B744", "DLH B744 cargo", "", true),
               livery("ZZZ", "C172", "Generic C172"), livery("PVT", "R44", "Private R44")});
    writeFile(g_myRegcodesFolder / "mine.txt", "DLH A320 two;D-AIAB\n");
    gf_processScannedLiveries();

    EXPECT_TRUE(g_liveriesProcessed);
    EXPECT_EQ(g_mainWindowState.liveries, 6u);
    EXPECT_TRUE(m_folder.logContains("3 registration codes"));
    EXPECT_TRUE(m_folder.logContains("4 airlines, 3 pax aircraft models and 1 cargo aircraft models"));
    // A320 stands in for A20N, A319 and A321, B744 for B748.
    EXPECT_TRUE(m_folder.logContains("4 similar model definitions"));
    EXPECT_TRUE(m_folder.logContains("Category Large: 3 pax liveries"));
    EXPECT_EQ(readLines(g_inlineRegcodesFile),
              std::vector<std::string>{"D-AIAA 'DLH A320 two' => already in use by 'DLH A320 one'"});
    EXPECT_EQ(g_lightTypes, std::vector<std::string>{"C172"});
    EXPECT_EQ(g_rotorcraftTypes, std::vector<std::string>{"R44"});
    EXPECT_TRUE(HELICOPTERS.value);
    EXPECT_FALSE(HIGH_PERF_AIRCRAFT.value);

    // Every view of every table reads an installed title, now that all are built.
    for (const auto& [registration, title] : g_regcodeMap) EXPECT_EQ(lf_findIndexedTitle(title), title);
    for (const auto& table : g_typeTitles)
        for (const auto& [type, titles] : table)
            for (const auto title : titles) EXPECT_EQ(lf_findIndexedTitle(title).data(), title.data());
    EXPECT_EQ(g_regcodeMap.at("D-AIAB"), "DLH A320 two");
    EXPECT_TRUE(gf_isSpecialTitle("DLH A320 two"));

    // A restart keeps the tables, even when the result file changed.
    writeScan({livery("KLM", "B77W", "KLM B77W")});
    gf_processScannedLiveries();
    EXPECT_TRUE(m_folder.logContains("Processing scanned liveries skipped; already done in previous start-up"));
    EXPECT_TRUE(gf_airlineHasModel("DLH", "A320"));
    EXPECT_FALSE(gf_airlineHasModel("KLM", "B77W"));
}

TEST_F(LiveryProcessing, ARequestedRebuildLeavesNothingOfTheEarlierTables) {
    writeScan({livery("BAW", "A320", "BAW A320", "G-EUUA"), livery("ZZZ", "C172", "Generic C172"),
               livery("DLH", "A321", "DLH A321")});
    writeFile(g_myRegcodesFolder / "mine.txt", "BAW A320;G-EUUB\n");
    gf_processScannedLiveries();
    const std::string_view heldByAnAircraft = lf_findIndexedTitle("BAW A320");
    ASSERT_FALSE(g_similarInstalledTypes.empty());

    gf_clearCategoryLiveries();  // the window's thread, before the run connects
    EXPECT_FALSE(g_liveriesProcessed);
    EXPECT_EQ(g_mainWindowState.liveries, 0u);
    EXPECT_TRUE(gf_airlineHasModel("BAW", "A320"));  // emptied by the worker, not under its feet

    fs::remove_all(g_myRegcodesFolder);
    writeScan({livery("KLM", "B77W", "KLM B77W", "PH-BVA")});
    gf_processScannedLiveries();
    EXPECT_EQ(g_liveryIndex.size(), 1u);
    EXPECT_EQ(g_regcodeMap.size(), 1u);
    EXPECT_TRUE(g_specialTitles.empty());
    EXPECT_TRUE(lf_findIndexedTitle("BAW A320").empty());
    EXPECT_FALSE(g_typeTitles[g_paxTable].contains("A320"));
    EXPECT_EQ(g_similarInstalledTypes.size(), 1u);  // B77W for B77L
    EXPECT_EQ(g_airlineSimilarTypes.size(), 1u);
    EXPECT_TRUE(g_airlineSimilarTypes.contains("KLM"));
    EXPECT_TRUE(g_lightTypes.empty());
    EXPECT_FALSE(LIGHT_AIRCRAFT.value);
    EXPECT_EQ(heldByAnAircraft, "BAW A320");  // still readable
    EXPECT_EQ(g_mainWindowState.liveries, 1u);
}

TEST_F(LiveryProcessing, AMissingOrEmptyResultLeavesEveryTableEmpty) {
    buildLiveryTables({{"DLH", "A320", "left over"}});
    g_regcodeMap.emplace("D-AIAA", lf_findIndexedTitle("left over"));
    try {
        gf_processScannedLiveries();
        FAIL() << "no error";
    } catch (const UserErrorException& e) {
        EXPECT_TRUE(std::string(e.what()).starts_with("51: "));
    }
    EXPECT_TRUE(g_liveryIndex.empty());
    EXPECT_TRUE(g_regcodeMap.empty());
    EXPECT_FALSE(g_liveriesProcessed);

    // An empty list gives empty tables and every category switched off.
    gf_buildLiveryTables({});
    EXPECT_TRUE(g_liveryIndex.empty());
    EXPECT_TRUE(m_folder.logContains("Category Heavy: No livery found"));
    EXPECT_FALSE(LIGHT_AIRCRAFT.value);
    EXPECT_FALSE(HELICOPTERS.value);
    EXPECT_FALSE(HIGH_PERF_AIRCRAFT.value);
}

}  // namespace
}  // namespace zrb::test
