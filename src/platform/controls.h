#pragma once
// The few window-control calls that the settings code makes on the main
// window's child controls: fill a drop-down list, tick a check box, set a
// control's text. The win32 side sends the real messages; the posix side keeps a
// headless model of each control so that the logic above runs and is checked on
// Linux.
//
// Win32 delivers these calls to the window's own thread (SendMessage blocks the
// caller until the GUI thread has handled them), so a caller must hold no lock
// that the GUI thread may wait for.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zrb::platform {

// An HWND on Windows, a model id on Linux. 0 = no control.
using ControlHandle = std::uintptr_t;
inline constexpr ControlHandle noControl = 0;

// IsWindow: the handle names an existing control. False for noControl.
bool isWindow(ControlHandle control);

// CB_RESETCONTENT, CB_ADDSTRING, CB_SETCURSEL (index -1 = no selection).
void resetComboBox(ControlHandle control);
void addComboItem(ControlHandle control, const std::u16string& text);
void setComboSelection(ControlHandle control, int index);

// CB_GETCURSEL: the selected index, none while nothing is selected or for a
// handle that names no control. CB_GETLBTEXT: the item's text (at most 255
// units), none for an index the list does not hold.
std::optional<int> comboSelection(ControlHandle control);
std::optional<std::u16string> comboItemText(ControlHandle control, int index);

// BM_SETCHECK with BST_CHECKED or BST_UNCHECKED.
void setCheck(ControlHandle control, bool checked);

// SetWindowTextW. A drop-down list ignores it (it shows only its selected
// item): select the item instead.
void setControlText(ControlHandle control, const std::u16string& text);

// EnableWindow.
void enableControl(ControlHandle control, bool enable);

// GetWindowTextW (at most 1023 characters), IsWindowEnabled, BM_GETCHECK.
// Empty optional for a handle that names no control.
std::optional<std::u16string> controlText(ControlHandle control);
std::optional<bool> controlEnabled(ControlHandle control);
std::optional<bool> controlChecked(ControlHandle control);

#if !defined(_WIN32)
// ---------------------------------------------------------------- headless model
// The posix side's stand-in for the window's controls. One process-wide table,
// guarded by one mutex, maps a handle to its state. Calls on a handle that is not
// in the table do nothing, as messages to a destroyed window do.
//
// A drop-down list's text is its selected item; setting its text changes
// nothing, as WM_SETTEXT on a CBS_DROPDOWNLIST combo box does not.

struct ControlState {
    std::u16string text;
    bool checked = false;
    bool enabled = true;
    bool dropDownList = false;
    std::vector<std::u16string> items;
    int selection = -1;  // -1 = none
};

// Creates an empty control and returns its (never 0) handle.
ControlHandle createHeadlessControl(bool dropDownList = false);
void destroyHeadlessControl(ControlHandle control);
// A copy of the control's state; a default state for an unknown handle.
ControlState headlessControlState(ControlHandle control);
#endif

}  // namespace zrb::platform
