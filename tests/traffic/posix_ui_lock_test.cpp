// The parking controls locked while the planner works, on the headless
// controls: every one disabled with the busy flag, then enabled again as the
// run offers them.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "config/parameters.h"
#include "config/settings_fixture.h"
#include "platform/controls.h"
#include "shell/common/message_line.h"
#include "support/temp_folder.h"
#include "traffic/ui_lock.h"

namespace zrb::test {
namespace {

class UiLock : public ::testing::Test {
protected:
    UiLock() {
        resetAllParameters();
        for (GuiControl* control : m_all) {
            control->handle_ = platform::createHeadlessControl();
            platform::enableControl(control->handle_, true);
        }
    }
    ~UiLock() override {
        for (GuiControl* control : m_all) {
            platform::destroyHeadlessControl(control->handle_);
            control->handle_ = platform::noControl;
        }
        g_uiBusy = false;
        resetAllParameters();
    }

    static bool enabled(const GuiControl& control) { return platform::headlessControlState(control.handle_).enabled; }

    LoggedFolder m_folder;
    std::vector<GuiControl*> m_parking{&parking_percentage, &INITIAL_LOAD_ONLY, &PARK_FAKE, &PARK_SOFT, &MAX_FIT_FL,
                                       &WEEK};
    std::vector<GuiControl*> m_all{&parking_percentage, &INITIAL_LOAD_ONLY, &PARK_FAKE,          &PARK_SOFT,
                                   &MAX_FIT_FL,         &WEEK,              &MAX_PARK_SEL,       &RT_PARKTRAFFIC_ONLY,
                                   &FLUSH_STATIC_BUTTON, &REREAD_BUTTON};
};

TEST_F(UiLock, LockDisablesEveryParkingControlUnlockEnablesWhatTheRunOffers) {
    gf_showMessage("Making changes ...", false);
    gf_lockUi();
    EXPECT_TRUE(gf_staticParkingComputing());
    for (GuiControl* control : m_all) EXPECT_FALSE(enabled(*control)) << control->controlId;

    gf_unlockUi();
    EXPECT_FALSE(g_uiBusy);
    for (GuiControl* control : m_all) EXPECT_TRUE(enabled(*control)) << control->controlId;
    EXPECT_EQ(platform::headlessControlState(parking_percentage.handle_).text, u"30");

    // Only the service's parked traffic: the controls of the plan stay off and empty.
    RT_PARKTRAFFIC_ONLY.value = true;
    gf_lockUi();
    gf_unlockUi();
    for (GuiControl* control : m_parking) EXPECT_FALSE(enabled(*control)) << control->controlId;
    EXPECT_TRUE(platform::headlessControlState(parking_percentage.handle_).text.empty());
    for (const GuiControl* control : std::initializer_list<const GuiControl*>{
             &MAX_PARK_SEL, &RT_PARKTRAFFIC_ONLY, &FLUSH_STATIC_BUTTON, &REREAD_BUTTON})
        EXPECT_TRUE(enabled(*control)) << control->controlId;
}

}  // namespace
}  // namespace zrb::test
