#include "config/parameter_controls.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "foundation/log.h"
#include "foundation/number_text.h"
#include "foundation/utf16.h"

namespace zrb {

namespace {

std::atomic<ControlShownHook> g_controlShownHook{nullptr};

void lf_controlShown() {
    if (const ControlShownHook hook = g_controlShownHook.load()) hook();
}

// Digits and a minus sign only, so a plain widening is exact.
std::u16string lf_decimalText(std::int64_t value) {
    const std::string text = std::to_string(value);
    return {text.begin(), text.end()};
}

std::optional<std::u16string> lf_toUtf16(const std::string& text) {
    try {
        return gf_utf8ToUtf16(text);
    } catch (const std::exception& e) {
        gf_logLine("{}", e.what());
        return std::nullopt;
    }
}

// The existing control of a shown setting, or nothing (logged as the window's
// GetDlgItem failure would be).
std::optional<platform::ControlHandle> lf_existingControl(const GuiControl* control) {
    if (control != nullptr) {
        const platform::ControlHandle handle = control->handle_.load();
        if (platform::isWindow(handle)) return handle;
    }
    gf_logLine("GetDlgItem failed for ID {}", control != nullptr ? control->controlId : 0);
    return std::nullopt;
}

}  // namespace

void gf_fillCombo(IntComboParameter& parameter) {
    const platform::ControlHandle handle = parameter.handle_.load();
    if (!platform::isWindow(handle)) return;
    platform::resetComboBox(handle);
    const std::int64_t value = parameter.value.load();
    int selection = -1;
    for (std::size_t i = 0; i < parameter.choices.size(); ++i) {
        platform::addComboItem(handle, lf_decimalText(parameter.choices[i]));
        if (parameter.choices[i] == value) selection = static_cast<int>(i);
    }
    if (selection >= 0) platform::setComboSelection(handle, selection);
}

void gf_setCheckBox(BoolCheckParameter& parameter) {
    const platform::ControlHandle handle = parameter.handle_.load();
    if (platform::isWindow(handle)) platform::setCheck(handle, parameter.value.load());
}

void gf_showIntParameter(IntParameter& parameter) {
    const auto handle = lf_existingControl(dynamic_cast<const GuiControl*>(&parameter));
    if (!handle) return;
    if (const auto* combo = dynamic_cast<const IntComboParameter*>(&parameter)) {
        // A drop-down list ignores a written text: it shows the value only when
        // that choice is selected.
        const std::int64_t value = parameter.value.load();
        int selection = -1;
        for (std::size_t i = 0; i < combo->choices.size(); ++i)
            if (combo->choices[i] == value) selection = static_cast<int>(i);
        platform::setComboSelection(*handle, selection);
    } else {
        platform::setControlText(*handle, lf_decimalText(parameter.value.load()));
    }
    lf_controlShown();
}

void gf_showFloatParameter(FloatEditParameter& parameter) {
    const auto handle = lf_existingControl(&parameter);
    if (!handle) return;
    const auto text = lf_toUtf16(gf_floatToText(parameter.value.load()));
    if (!text) return;
    platform::setControlText(*handle, *text);
    lf_controlShown();
}

void gf_showTextParameter(StringEditParameter& parameter) {
    const auto handle = lf_existingControl(&parameter);
    if (!handle) return;
    const auto text = lf_toUtf16(parameter.value.get());
    if (!text) return;
    platform::setControlText(*handle, *text);
    lf_controlShown();
}

void gf_showStringParameter(StringEditParameter& parameter) { gf_showTextParameter(parameter); }

void gf_setControlShownHook(ControlShownHook hook) { g_controlShownHook.store(hook); }

}  // namespace zrb
