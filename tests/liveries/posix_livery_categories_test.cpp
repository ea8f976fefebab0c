// The per-category report of the installed liveries, with the check boxes of
// the categories it switches off (headless controls: Linux only).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <fmt/format.h>

#include "../config/settings_fixture.h"
#include "data_file_writer.h"
#include "liveries/dbase.h"
#include "liveries/livery_categories.h"
#include "livery_fixture.h"

namespace zrb::test {
namespace {

class CategoryReport : public SettingsTest {
protected:
    CategoryReport() { gf_readDbaseXml(testDataPath("dbase_sample.xml")); }
    ~CategoryReport() override {
        resetLiveryTables();
        gf_clearDbase();
        for (BoolCheckParameter* box : {&LIGHT_AIRCRAFT, &HELICOPTERS, &HIGH_PERF_AIRCRAFT}) {
            platform::destroyHeadlessControl(box->handle_);
            box->handle_ = platform::noControl;
        }
    }

    void giveBoxes() {
        for (BoolCheckParameter* box : {&LIGHT_AIRCRAFT, &HELICOPTERS, &HIGH_PERF_AIRCRAFT})
            box->handle_ = platform::createHeadlessControl();
    }
    static bool enabled(const BoolCheckParameter& box) { return platform::headlessControlState(box.handle_).enabled; }
};

TEST_F(CategoryReport, CountsEachCategoryAndSwitchesOffThoseWithoutLiveries) {
    giveBoxes();
    platform::enableControl(LIGHT_AIRCRAFT.handle_, false);
    HIGH_PERF_AIRCRAFT.value = false;
    buildLiveryTables({{"DLH", "B744", "DLH B744 pax"},
                       {"DLH", "B744", "DLH B744 freighter", true},
                       {"GEC", "B744", "GEC B744", true},
                       {"ZZZ", "C172", "Generic C172"},
                       {"PVT", "GLF5", "Private GLF5"}});
    for (int category = 0; category < 6; ++category) lf_reportCategory(category);

    EXPECT_TRUE(m_folder.logContains("Category Light: 1 pax liverie"));
    EXPECT_TRUE(m_folder.logContains("Category Heavy: 1 pax liverie and 2 cargo liveries"));
    EXPECT_TRUE(m_folder.logContains("Category Large: No livery found"));
    EXPECT_TRUE(m_folder.logContains("Category Rotorcraft: No livery found"));
    EXPECT_TRUE(m_folder.logContains("HELICOPTERS temporarily switched off because you do not have Helicopters installed"));
    EXPECT_FALSE(m_folder.logContains("HIGH_PERF_AIRCRAFT temporarily switched off"));
    EXPECT_FALSE(HELICOPTERS.value);
    EXPECT_EQ(stored("HELICOPTERS"), "false");
    EXPECT_FALSE(enabled(HELICOPTERS));
    EXPECT_FALSE(enabled(HIGH_PERF_AIRCRAFT));  // already off: only the box
    EXPECT_TRUE(enabled(LIGHT_AIRCRAFT));       // liveries found: enabled again
    EXPECT_TRUE(LIGHT_AIRCRAFT.value);
    EXPECT_EQ(g_lightTypes, std::vector<std::string>{"C172"});
    EXPECT_EQ(g_buzjetTypes, std::vector<std::string>{"GLF5"});
    EXPECT_TRUE(g_rotorcraftTypes.empty());
}

TEST_F(CategoryReport, ListsTypesTwentyToALine) {
    std::vector<std::string> types;
    for (int i = 0; i < 45; ++i) types.push_back(fmt::format("L{:03}", i));
    lf_addCategoryTypes(true, false, false, types);
    EXPECT_EQ(g_lightTypes, types);
    std::vector<std::string> lines;
    for (const std::string& line : m_folder.logLines())
        if (line.starts_with("  L")) lines.push_back(line);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "  L000,L001,L002,L003,L004,L005,L006,L007,L008,L009,L010,L011,L012,L013,L014,L015,L016,"
                        "L017,L018,L019");
    EXPECT_EQ(lines[2], "  L040,L041,L042,L043,L044");
    // With no list named the types are only logged.
    lf_addCategoryTypes(false, false, false, {"X1"});
    EXPECT_TRUE(m_folder.logContains("  X1"));
    EXPECT_EQ(g_lightTypes.size(), 45u);
}

}  // namespace
}  // namespace zrb::test
