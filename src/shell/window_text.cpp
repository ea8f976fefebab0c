#include "shell/window_text.h"

#include "config/parameters.h"
#include "foundation/log.h"
#include "foundation/utf16.h"
#include "platform/window.h"

namespace zrb {

namespace {

platform::ControlHandle lf_handle(const GuiControl& control) {
    const platform::ControlHandle stored = control.handle_;
    return stored != platform::noControl ? stored : platform::controlById(control.controlId);
}

}  // namespace

std::string lf_getTextFromId(std::uint16_t id) {
    try {
        const auto handle = platform::controlById(id);
        const auto text = handle == platform::noControl ? std::nullopt : platform::controlText(handle);
        if (!text) {
            gf_logLine("GetDlgItem failed for ID {}", id);
            return {};
        }
        return gf_utf16ToUtf8(*text);
    } catch (const std::exception& e) {
        gf_logLine("{} exception {}", "lf_getTextFromId", e.what());
        return {};
    }
}

void gf_clearControlText(std::uint16_t id) {
    const auto handle = platform::controlById(id);
    if (handle != platform::noControl) platform::setControlText(handle, {});
}

void gf_clearControlText(const GuiControl& control) {
    const auto handle = lf_handle(control);
    if (handle != platform::noControl) platform::setControlText(handle, {});
}

void gf_enableControl(const GuiControl& control, bool enable) {
    const auto handle = lf_handle(control);
    if (handle != platform::noControl) platform::enableControl(handle, enable);
}

void gf_setWindowTopmost(bool topmost) { platform::setTopmost(topmost); }

}  // namespace zrb
