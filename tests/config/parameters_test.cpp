#include "config/parameters.h"

#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/parameter_controls.h"
#include "config/paths.h"
#include "settings_fixture.h"

namespace zrb {
namespace {

template <typename T>
std::vector<T*> lf_all() {
    std::vector<T*> found;
    for (Parameter* p : gf_allParameters())
        if (auto* t = dynamic_cast<T*>(p)) found.push_back(t);
    return found;
}

TEST(Parameters, TableHoldsEveryKindWithSaneRanges) {
    EXPECT_EQ(lf_all<BoolCheckParameter>().size(), 26u);
    EXPECT_EQ(lf_all<IntComboParameter>().size(), 7u);
    EXPECT_EQ(lf_all<IntEditParameter>().size(), 5u);  // MAX_FIT_FL is a float edit
    EXPECT_EQ(lf_all<FloatEditParameter>().size(), 1u);
    EXPECT_EQ(lf_all<IntParameter>().size(), 7u + 5u + 13u);
    EXPECT_EQ(lf_all<StringEditParameter>().size(), 3u);
    EXPECT_EQ(lf_all<StringParameter>().size(), 25u + 3u);
    EXPECT_EQ(lf_all<ButtonControl>().size(), 3u);

    for (IntParameter* p : lf_all<IntParameter>()) {
        SCOPED_TRACE(p->name);
        EXPECT_LE(p->min, p->defaultValue);
        EXPECT_LE(p->defaultValue, p->max);
        EXPECT_EQ(p->value, p->defaultValue);
    }
    for (IntComboParameter* c : lf_all<IntComboParameter>()) {
        SCOPED_TRACE(c->name);
        ASSERT_FALSE(c->choices.empty());
        EXPECT_TRUE(std::is_sorted(c->choices.begin(), c->choices.end()));
        EXPECT_EQ(c->min, static_cast<std::int32_t>(c->choices.front()));
        EXPECT_EQ(c->max, static_cast<std::int32_t>(c->choices.back()));
    }
    EXPECT_EQ(RANGE.choices, (std::vector<std::uint32_t>{2, 3, 4, 5, 6, 8, 10, 12, 14, 16, 18, 20, 25, 30, 35, 40, 50,
                                                         65, 80, 100}));
    EXPECT_EQ(RANGE.defaultValue, 40);
    EXPECT_EQ(AR_ABOVE_HEIGHT.choices, (std::vector<std::uint32_t>{18000, 21000, 24000, 27000, 30000, 33000, 36000,
                                                                   39000, 42000, 45000, 48000}));
    EXPECT_EQ(AIRP_HEIGHT.choices, (std::vector<std::uint32_t>{2000, 4000, 6000, 8000, 10000, 12000, 14000, 16000,
                                                               18000, 36000, 48000}));
    EXPECT_EQ(AIRP_HEIGHT.max, 48000);
    EXPECT_EQ(AIRPORT_HEIGHT.max, 45000);
    const std::vector<std::uint32_t> sel{10, 25, 50, 75, 100, 500};
    EXPECT_EQ(MAX_PARK_SEL.choices, sel);
    EXPECT_EQ(MAX_LIVE_SEL.choices, sel);
    EXPECT_EQ(MATCHING_DEPTH.choices, (std::vector<std::uint32_t>{1, 2, 3, 4}));

    for (BoolParameter* b : lf_all<BoolParameter>())
        EXPECT_TRUE(b->workingCopy1 == b->defaultValue && b->workingCopy2 == b->defaultValue) << b->name;
    for (StringParameter* s : lf_all<StringParameter>()) EXPECT_TRUE(s->defaultValue.empty()) << s->name;
}

TEST(Parameters, MaxFitInHoursIsAFloat) {
    EXPECT_EQ(MAX_FIT_FL.defaultValue, 24.0F);
    EXPECT_EQ(MAX_FIT_FL.min, 0.5F);
    EXPECT_EQ(MAX_FIT_FL.max, 24.0F);
    EXPECT_EQ(MAX_FIT_FL.value, 24.0F);
    EXPECT_EQ(static_cast<int>(std::lround(2.0F * MAX_FIT_FL.value)) - 1, MAX_FIT.defaultValue);
    EXPECT_EQ(MAX_FIT.defaultValue, 47);
    EXPECT_EQ(MAX_FIT_FL.controlId, 32855);
    EXPECT_EQ(fmt::format("{}", MAX_FIT_FL.value), "24");
    MAX_FIT_FL.value = 7.5F;
    EXPECT_EQ(fmt::format("{:.1f}", MAX_FIT_FL.value), "7.5");
    MAX_FIT_FL.value = MAX_FIT_FL.defaultValue;
}

TEST(Parameters, ControlsHaveUniqueIdsAndTheirRows) {
    std::set<std::uint16_t> ids;
    std::size_t controls = 0;
    for (Parameter* p : gf_allParameters()) {
        const auto* c = dynamic_cast<GuiControl*>(p);
        if (c == nullptr) continue;
        ++controls;
        SCOPED_TRACE(p->name);
        EXPECT_TRUE(ids.insert(c->controlId).second);
        EXPECT_GE(c->controlId, 32771);
        EXPECT_LE(c->controlId, 32863);
        const std::uint32_t y = c->rowY + (dynamic_cast<const ButtonControl*>(p) != nullptr ? 2 : 0);
        EXPECT_EQ((y - 119) % 28, 0u);
        EXPECT_LE(y, 371u);
        EXPECT_EQ(c->handle_, platform::noControl);
        EXPECT_EQ(c->prevProc_, nullptr);
    }
    EXPECT_EQ(controls, 26u + 7u + 6u + 3u + 3u);
    EXPECT_EQ(MAX_FIT.controlId, 32853);
    EXPECT_EQ(MAX_FIT.rowY, 371u);
    EXPECT_EQ(ALL_INSTALL_PATH.rowY, 119u);
    EXPECT_EQ(TIME_SHIFT_DAYS.rowY, 259u);
    EXPECT_EQ(SIM_TIME.rowY, 231u);
    EXPECT_EQ(KEEP_SIM_TIME_PAR.controlId, 32863);
    EXPECT_EQ(ALWAYS_ON_TOP.controlId, 32771);
    EXPECT_EQ(UNBLOCK_BUTTON.rowY, 257u);
    EXPECT_EQ(REREAD_BUTTON.rowY, 341u);
    EXPECT_EQ(FLUSH_STATIC_BUTTON.rowY, 369u);
}

TEST(Parameters, NamesAndListsAreExact) {
    EXPECT_EQ(LAST_EPOCH_TIME.name, "LAST_EPOCH_TIME:");
    EXPECT_EQ(parking_percentage.name, "parking_percentage");
    EXPECT_EQ(g_lfolders[7]->name, "lfolder7");
    EXPECT_EQ(g_afolders[0]->name, "afolder0");
    EXPECT_EQ(FLUSH_STATIC_BUTTON.name, "Flush static");
    EXPECT_EQ(gf_findParameter("LAST_EPOCH_TIME:"), &LAST_EPOCH_TIME);
    EXPECT_EQ(gf_findParameter("Re-read"), &REREAD_BUTTON);
    EXPECT_EQ(gf_findParameter("LAST_EPOCH_TIME"), nullptr);

    std::set<std::string> names;
    for (Parameter* p : gf_allParameters()) EXPECT_TRUE(names.insert(p->name).second) << p->name;

    const ParameterReadLists& l = gf_parameterReadLists();
    EXPECT_EQ(l.checkBoxes.size(), 26u);
    EXPECT_EQ(l.fileInts.size(), 13u);
    EXPECT_EQ(l.shownInts.size(), 11u);
    EXPECT_EQ(l.fileStrings.size(), 26u);
    EXPECT_EQ(l.fileStrings.back(), &DESTINATION);
    ASSERT_EQ(l.shownStrings.size(), 1u);
    EXPECT_EQ(l.shownStrings[0], &BLOCK_CALLSIGN);
    std::set<const Parameter*> listed;
    for (auto* p : l.checkBoxes) listed.insert(p);
    for (auto* p : l.fileInts) listed.insert(p);
    for (auto* p : l.shownInts) listed.insert(p);
    for (auto* p : l.fileStrings) listed.insert(p);
    for (auto* p : l.shownStrings) listed.insert(p);
    EXPECT_EQ(listed.size(), 26u + 13u + 11u + 26u + 1u);
    for (const Parameter* notRead : {static_cast<const Parameter*>(&MAX_FIT_FL),
                                     static_cast<const Parameter*>(&parking_percentage),
                                     static_cast<const Parameter*>(&ALL_INSTALL_PATH)})
        EXPECT_FALSE(listed.contains(notRead)) << notRead->name;

    for (std::string_view name : g_airportFileSettingNames) EXPECT_NE(gf_findParameter(name), nullptr) << name;
}

#ifndef _WIN32  // the headless controls stand in for the window on Linux only
class ParameterControls : public test::SettingsTest {};

TEST_F(ParameterControls, ComboListsSelectTheValueWhenItIsAChoice) {
    gf_fillCombo(RANGE);  // no control yet: nothing happens, nothing logged
    EXPECT_FALSE(m_folder.logContains("GetDlgItem"));

    const platform::ControlHandle combo = platform::createHeadlessControl();
    RANGE.handle_ = combo;
    gf_fillCombo(RANGE);
    auto state = platform::headlessControlState(combo);
    ASSERT_EQ(state.items.size(), 20u);
    EXPECT_EQ(state.items.front(), u"2");
    EXPECT_EQ(state.items.back(), u"100");
    EXPECT_EQ(state.selection, 15);
    EXPECT_EQ(state.text, u"40");

    RANGE.value = 7;  // between two choices
    gf_fillCombo(RANGE);
    state = platform::headlessControlState(combo);
    EXPECT_EQ(state.items.size(), 20u);
    EXPECT_EQ(state.selection, -1);

    RANGE.value = 100;
    gf_showIntParameter(RANGE);
    EXPECT_EQ(platform::headlessControlState(combo).selection, 19);
    platform::destroyHeadlessControl(combo);
}

int g_shownCount = 0;
void lf_countShown() { ++g_shownCount; }

TEST_F(ParameterControls, ShownValuesReachTheirControls) {
    gf_setControlShownHook(&lf_countShown);
    const platform::ControlHandle edit = platform::createHeadlessControl();
    const platform::ControlHandle box = platform::createHeadlessControl();
    TIME_SHIFT_HOURS.handle_ = edit;
    WEEK.handle_ = box;
    TIME_SHIFT_HOURS.value = 23;
    gf_showIntParameter(TIME_SHIFT_HOURS);
    EXPECT_EQ(platform::headlessControlState(edit).text, u"23");
    WEEK.value = true;
    gf_setCheckBox(WEEK);
    EXPECT_TRUE(platform::headlessControlState(box).checked);

    DESTINATION.handle_ = edit;
    DESTINATION.value = "K\xC3\x9CRZ";  // UTF-8 reaches the control as UTF-16
    gf_showStringParameter(DESTINATION);
    EXPECT_EQ(platform::headlessControlState(edit).text, u"K\u00DCRZ");
    EXPECT_EQ(g_shownCount, 2);

    DESTINATION.value = "bad \xC3";  // not UTF-8: logged, nothing written
    gf_showTextParameter(DESTINATION);
    EXPECT_EQ(platform::headlessControlState(edit).text, u"K\u00DCRZ");
    EXPECT_EQ(g_shownCount, 2);

    gf_showIntParameter(LATERAL_RANGE);  // a setting without a control
    EXPECT_TRUE(m_folder.logContains("GetDlgItem failed for ID 0"));
    platform::destroyHeadlessControl(edit);
    gf_showIntParameter(TIME_SHIFT_HOURS);  // its control is gone
    EXPECT_TRUE(m_folder.logContains("GetDlgItem failed for ID 32860"));
    gf_setCheckBox(SIM_TIME);  // no control: silently nothing
    platform::destroyHeadlessControl(box);
    gf_setControlShownHook(nullptr);
}
#endif

}  // namespace
}  // namespace zrb
