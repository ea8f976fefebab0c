#include "airports/parking_controls.h"

#include <atomic>
#include <initializer_list>
#include <string>

#include "config/parameter_controls.h"
#include "foundation/number_text.h"
#include "foundation/utf16.h"
#include "platform/controls.h"
#include "platform/window.h"
#include "shell/common/main_window_state.h"

namespace zrb {

namespace {

std::atomic<AutoRangeFunction> g_autoRangeFunction{nullptr};

platform::ControlHandle lf_controlOf(const GuiControl& control) {
    const platform::ControlHandle stored = control.handle_.load();
    return stored != platform::noControl ? stored : platform::controlById(control.controlId);
}

}  // namespace

void gf_enableParkingControl(const GuiControl& control, bool enable) {
    const platform::ControlHandle handle = lf_controlOf(control);
    if (handle != platform::noControl) platform::enableControl(handle, enable);
}

void gf_showMaxFitHours() {
    const platform::ControlHandle handle = lf_controlOf(MAX_FIT_FL);
    if (handle == platform::noControl) return;
    platform::setControlText(handle, gf_utf8ToUtf16(gf_floatToText(MAX_FIT_FL.value)));
    gf_invalidateBand(g_middleBand);
}

void gf_enableParkingControls() {
    const bool enable = !RT_PARKTRAFFIC_ONLY.value;
    for (const GuiControl* control : std::initializer_list<const GuiControl*>{
             &parking_percentage, &MAX_FIT_FL, &INITIAL_LOAD_ONLY, &PARK_SOFT, &PARK_FAKE, &WEEK})
        gf_enableParkingControl(*control, enable);
    if (enable) {
        gf_showIntParameter(parking_percentage);
        gf_showFloatParameter(MAX_FIT_FL);
    } else {
        for (const GuiControl* edit : std::initializer_list<const GuiControl*>{&parking_percentage, &MAX_FIT_FL}) {
            const platform::ControlHandle handle = lf_controlOf(*edit);
            if (handle != platform::noControl) platform::setControlText(handle, std::u16string());
        }
    }
    gf_invalidateBand(g_middleBand);
}

void gf_setAutoRangeFunction(AutoRangeFunction function) { g_autoRangeFunction.store(function); }

void gf_applyAutoRange() {
    if (const AutoRangeFunction function = g_autoRangeFunction.load()) function();
}

}  // namespace zrb
