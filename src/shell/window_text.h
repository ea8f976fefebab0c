#pragma once
// The window operations the run uses on single controls, by setting object or
// control id. None of them may be called with a lock held (on Windows they
// wait for the GUI thread).

#include <cstdint>
#include <string>

namespace zrb {

class GuiControl;

// The control's text as UTF-8; empty (and "GetDlgItem failed for ID {}"
// logged) when there is no such control.
std::string lf_getTextFromId(std::uint16_t id);
void gf_clearControlText(std::uint16_t id);
void gf_clearControlText(const GuiControl& control);
// EnableWindow on the setting's control; nothing when it does not exist.
void gf_enableControl(const GuiControl& control, bool enable = true);
// SetWindowPos HWND_TOPMOST or HWND_NOTOPMOST.
void gf_setWindowTopmost(bool topmost);

}  // namespace zrb
