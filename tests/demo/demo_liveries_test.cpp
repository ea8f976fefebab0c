// The demo's generated liveries as the program's own livery scan reads them,
// with the demo's aircraft database.
#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "config/settings_fixture.h"
#include "demo/demo_liveries.h"
#include "foundation/worker_throttle.h"
#include "liveries/dbase.h"
#include "liveries/liveries_scanned_file.h"
#include "config/parameters.h"
#include "liveries/livery_scan.h"
#include "support/temp_folder.h"

namespace zrb::test {
namespace {

namespace fs = std::filesystem;
using ::testing::UnorderedElementsAreArray;

class DemoLiveries : public SettingsTest {
protected:
    DemoLiveries() {
        gf_readDbaseXml(fs::path(TLV_DEMO_DIR) / "dbase.xml");
        fs::create_directories(m_folder / "output" / "info");
        gf_initWorkerThrottle(2);
    }
    ~DemoLiveries() override {
        gf_clearDbase();
        gf_initWorkerThrottle();
    }
};

TEST_F(DemoLiveries, TheScanFindsEveryGeneratedLiveryWithItsAirlineTypeAndRegistration) {
    // More than one folder of a type, and every fleet at least once.
    const std::size_t count = zrb::demo::gf_demoFleets().size() * 34 + 7;
    const fs::path entry = m_folder / "SimObjects" / "Demo AI";
    // A larger tree written before leaves nothing behind.
    zrb::demo::gf_writeDemoSimObjects(entry, count + 50);
    zrb::demo::gf_writeDemoSimObjects(entry, count);
    const std::vector<zrb::demo::DemoLivery> generated = zrb::demo::gf_demoLiveries(count);

    LIG_AUTOMATIC.value = false;
    g_lfolders[1]->value = entry.string();
    gf_scanLiveries();

    std::vector<std::string> expected;
    std::set<std::string> registrations;
    for (const auto& livery : generated) {
        expected.push_back(livery.title + "|" + livery.airline + "|" + livery.type + "|" + livery.registration + "|" +
                           (livery.cargo ? "cargo" : "passengers"));
        registrations.insert(livery.registration);
    }
    std::vector<std::string> found;
    for (const auto& livery : lf_readLiveriesScannedXml())
        found.push_back(livery.title + "|" + livery.airl + "|" + livery.type + "|" + livery.atcid + "|" +
                        (livery.cargo ? "cargo" : "passengers"));
    EXPECT_THAT(found, UnorderedElementsAreArray(expected));
    EXPECT_EQ(registrations.size(), count);
    EXPECT_EQ(generated.front().title, "Demo Boeing 737-800 KLM PH-BXA K\xF6ln");
    EXPECT_EQ(generated[2].title, "Demo Embraer E190 KLM Cityhopper PH-EZA \xC5\x81\xC3\xB3" "d\xC5\xBA");
    EXPECT_FALSE(m_folder.logContains("===>")) << readFile(m_folder / "Log.txt");
}

}  // namespace
}  // namespace zrb::test
