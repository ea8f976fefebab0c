// A rebuild of the livery tables asked for from the window's thread while the
// worker builds them: the request is only a flag, so the tables are never
// emptied under the worker, and a request that arrives during a build is kept
// for the next start-up.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "../config/settings_fixture.h"
#include "data_file_writer.h"
#include "liveries/dbase.h"
#include "liveries/liveries_scanned_file.h"
#include "liveries/livery_processing.h"
#include "liveries/livery_tables.h"
#include "livery_fixture.h"

namespace zrb::test {
namespace {

class LiveryRebuildThread : public SettingsTest {
protected:
    ~LiveryRebuildThread() override {
        resetLiveryTables();
        gf_clearDbase();
        g_liveriesProcessed = false;
        (void)gf_takeLiveryRebuildRequest();
    }
};

TEST_F(LiveryRebuildThread, RequestsFromTheWindowNeverEmptyTheTablesUnderTheWorker) {
    gf_readDbaseXml(testDataPath("dbase_sample.xml"));
    std::filesystem::create_directories(g_outputFolder);
    ASSERT_TRUE(lf_writeLiveriesScannedXml({{"DLH", "A320", "DLH A320", "D-AIAA", 0, false},
                                            {"ZZZ", "C172", "Generic C172", "", 0, false}}));
    constexpr int rounds = 30;
    std::atomic<int> requests{0};
    std::jthread window([&] {
        for (int i = 0; i < rounds; ++i) {
            gf_clearCategoryLiveries();
            ++requests;
            std::this_thread::yield();
        }
    });
    int builds = 0;
    while (requests < rounds || builds == 0) {
        gf_processScannedLiveries();
        ++builds;
        // Whatever the window did meanwhile, a finished build is whole.
        ASSERT_TRUE(gf_airlineHasModel("DLH", "A320"));
        ASSERT_EQ(g_regcodeMap.size(), 1u);
    }
    window.join();
    // The last request may have come during the last build: it is kept.
    gf_processScannedLiveries();
    gf_processScannedLiveries();
    EXPECT_TRUE(g_liveriesProcessed);
    EXPECT_FALSE(gf_takeLiveryRebuildRequest());
    EXPECT_TRUE(gf_airlineHasModel("DLH", "A320"));
}

}  // namespace
}  // namespace zrb::test
