#include <gtest/gtest.h>

#include <pugixml.hpp>

#include "airport_test_support.h"
#include "airports/learned_file.h"
#include "airports/parking_controls.h"
#include "platform/controls.h"
#include "shell/common/run_state.h"

namespace zrb::test {
namespace {

// The controls the settings of a learned file show themselves in, as the
// headless window model keeps them.
class LearnedSettings : public ::testing::Test {
protected:
    LearnedSettings() {
        for (GuiControl* control : std::initializer_list<GuiControl*>{&RANGE, &MAX_LIVE_SEL, &parking_percentage,
                                                                      &MAX_FIT_FL, &WEEK, &AUTO_RANGE}) {
            const platform::ControlHandle handle = platform::createHeadlessControl();
            control->handle_ = handle;
            m_controls.push_back(control);
        }
        gf_setAutoRangeFunction(&LearnedSettings::autoRange);
        s_autoRangeCalls = 0;
    }
    ~LearnedSettings() override {
        gf_setAutoRangeFunction(nullptr);
        for (GuiControl* control : m_controls) {
            platform::destroyHeadlessControl(control->handle_);
            control->handle_ = platform::noControl;
        }
        g_manualRange = 40;
    }

    // Reads the settings of a learned file holding these parameters.
    void read(const std::vector<std::pair<std::string, std::string>>& parameters) {
        ASSERT_TRUE(m_doc.load_string(parkingFile(parameters, "").c_str()));
        gf_readLearnedSettings(m_doc);
    }
    static std::string text(const GuiControl& control) {
        const std::u16string t = platform::headlessControlState(control.handle_).text;
        return {t.begin(), t.end()};
    }
    static platform::ControlState state(const GuiControl& control) {
        return platform::headlessControlState(control.handle_);
    }
    static void autoRange() {
        ++s_autoRangeCalls;
        RANGE.value = 10;
    }

    static inline int s_autoRangeCalls = 0;
    AirportFolder folder;
    pugi::xml_document m_doc;
    std::vector<GuiControl*> m_controls;
};

TEST_F(LearnedSettings, MaxLiveMapsToTheNearestLowerChoice) {
    const std::vector<std::pair<std::string, std::int32_t>> cases{
        {"-1", 500}, {"24", 10}, {"25", 25}, {"49", 25}, {"50", 50}, {"99", 75}, {"300", 100}};
    for (const auto& [stored, expected] : cases) {
        MAX_LIVE_SEL.value = 10;
        read({{"MAX_LIVE", stored}});
        EXPECT_EQ(MAX_LIVE_SEL.value, expected) << stored;
    }
    MAX_LIVE_SEL.value = 10;
    read({});
    EXPECT_EQ(MAX_LIVE_SEL.value, 500) << "a file without it means the default";
    EXPECT_EQ(state(MAX_LIVE_SEL).selection, 5) << "shown: the last choice";
    EXPECT_TRUE(folder.logContains("          MAX_LIVE                : 100"));
}

TEST_F(LearnedSettings, RangeAndAutomaticRange) {
    gf_enableParkingControl(RANGE, false);
    read({{"LATERAL_RANGE", "7"}});
    EXPECT_EQ(RANGE.value, 8);
    EXPECT_EQ(g_workingRangeNm.load(), 8.0);
    EXPECT_EQ(g_objectSearchRadiusM.load(), 24816);
    EXPECT_TRUE(state(RANGE).enabled);
    EXPECT_TRUE(folder.logContains("LATERAL_RANGE           : 8"));

    read({{"LATERAL_RANGE", "30"}, {"AUTO_RANGE", "true"}});
    EXPECT_EQ(s_autoRangeCalls, 1);
    EXPECT_EQ(g_manualRange.load(), 30) << "the manual range is kept while the automatic one rules";
    EXPECT_EQ(RANGE.value, 10);
    EXPECT_FALSE(state(RANGE).enabled);
    EXPECT_TRUE(state(AUTO_RANGE).checked);

    read({{"AUTO_RANGE", "false"}});
    EXPECT_EQ(s_autoRangeCalls, 1);
    EXPECT_EQ(RANGE.value, 30);
    EXPECT_EQ(g_workingRangeNm.load(), 30.0);
    EXPECT_TRUE(state(RANGE).enabled);
    EXPECT_FALSE(state(AUTO_RANGE).checked);
}

TEST_F(LearnedSettings, ParkingShareAndFitAreKeptInBounds) {
    read({{"parking_percentage", "150"}, {"MAX_FIT", "60"}, {"WEEK", "27"}});
    EXPECT_EQ(parking_percentage.value, 100) << "a share above 100 would plan more aircraft than stands";
    EXPECT_EQ(text(parking_percentage), "100");
    EXPECT_EQ(MAX_FIT.value, 47);
    EXPECT_EQ(MAX_FIT_FL.value, 24.0F);
    EXPECT_EQ(text(MAX_FIT_FL), "24");
    EXPECT_FALSE(WEEK.value) << "an older file's number reads as false";
    EXPECT_TRUE(folder.logContains("          MAX_FIT                 : 47 (max number of half hours, is 24 hrs decimal)"));

    read({{"parking_percentage", "-5"}, {"MAX_FIT", "0"}, {"WEEK", "true"}});
    EXPECT_EQ(parking_percentage.value, 0);
    EXPECT_EQ(MAX_FIT_FL.value, 0.5F);
    EXPECT_EQ(text(MAX_FIT_FL), "0.5");
    EXPECT_TRUE(WEEK.value);
    EXPECT_TRUE(state(WEEK).checked);

    const auto linesBefore = folder.logLines().size();
    read({});
    EXPECT_EQ(parking_percentage.value, 30);
    EXPECT_EQ(text(parking_percentage), "30");
    for (std::size_t i = linesBefore; i < folder.logLines().size(); ++i)
        EXPECT_EQ(folder.logLines()[i].find("parking_percentage"), std::string::npos);
}

TEST_F(LearnedSettings, WithoutALearnedFileTheShareIsFixed) {
    gf_setCurrentParkAirport({"EGLL", "", 51.47, -0.46, 0.0});
    const std::string file = gf_pathText(g_myThirdpartyFolder / "EGLL.xml");
    writeFile(file, parkingFile({{"publisher", "SkyForge"}, {"altitude", "83"}}, parkpos("A", 51.47, -0.46, 20)));
    const std::string before = readFile(file);
    parking_percentage.value = 70;
    gf_enableParkingControl(parking_percentage, true);
    ApfHeader header;
    QualityFactors qf = 0;
    ASSERT_EQ(gf_readApf(file, header, qf), "");
    EXPECT_EQ(parking_percentage.value, 30);
    EXPECT_EQ(text(parking_percentage), "30");
    EXPECT_FALSE(state(parking_percentage).enabled);
    // The user's own file is read, never written.
    EXPECT_EQ(readFile(file), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(g_myThirdpartyFolder),
                            std::filesystem::directory_iterator()), 1);
}

}  // namespace
}  // namespace zrb::test
