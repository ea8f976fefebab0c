#include "airports/parking_controls.h"

#include <atomic>

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

void gf_setAutoRangeFunction(AutoRangeFunction function) { g_autoRangeFunction.store(function); }

void gf_applyAutoRange() {
    if (const AutoRangeFunction function = g_autoRangeFunction.load()) function();
}

}  // namespace zrb
