#include "platform/controls.h"

#include <windows.h>

namespace zrb::platform {

namespace {

HWND lf_hwnd(ControlHandle control) { return reinterpret_cast<HWND>(control); }

const wchar_t* lf_wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

}  // namespace

bool isWindow(ControlHandle control) { return control != noControl && IsWindow(lf_hwnd(control)) != FALSE; }

void resetComboBox(ControlHandle control) { SendMessageW(lf_hwnd(control), CB_RESETCONTENT, 0, 0); }

void addComboItem(ControlHandle control, const std::u16string& text) {
    SendMessageW(lf_hwnd(control), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lf_wide(text)));
}

void setComboSelection(ControlHandle control, int index) {
    // -1 travels as (WPARAM)-1, which the combo box reads as "no selection".
    SendMessageW(lf_hwnd(control), CB_SETCURSEL, static_cast<WPARAM>(static_cast<INT_PTR>(index)), 0);
}

std::optional<int> comboSelection(ControlHandle control) {
    if (!isWindow(control)) return std::nullopt;
    const LRESULT index = SendMessageW(lf_hwnd(control), CB_GETCURSEL, 0, 0);
    if (index == CB_ERR || index < 0) return std::nullopt;
    return static_cast<int>(index);
}

std::optional<std::u16string> comboItemText(ControlHandle control, int index) {
    if (!isWindow(control) || index < 0) return std::nullopt;
    const HWND combo = lf_hwnd(control);
    constexpr LRESULT bufferUnits = 256;  // the item and its NUL
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR || length < 0 || length >= bufferUnits) return std::nullopt;
    wchar_t buffer[bufferUnits] = {};
    const LRESULT copied = SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer));
    if (copied == CB_ERR || copied < 0) return std::nullopt;
    return std::u16string(reinterpret_cast<const char16_t*>(buffer), static_cast<std::size_t>(copied));
}

void setCheck(ControlHandle control, bool checked) {
    SendMessageW(lf_hwnd(control), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void setControlText(ControlHandle control, const std::u16string& text) {
    SetWindowTextW(lf_hwnd(control), lf_wide(text));
}

void enableControl(ControlHandle control, bool enable) { EnableWindow(lf_hwnd(control), enable ? TRUE : FALSE); }

std::optional<std::u16string> controlText(ControlHandle control) {
    if (!isWindow(control)) return std::nullopt;
    constexpr int bufferUnits = 1024;  // GetWindowTextW keeps the last unit for the NUL
    wchar_t buffer[bufferUnits] = {};
    const int length = GetWindowTextW(lf_hwnd(control), buffer, bufferUnits);
    return std::u16string(reinterpret_cast<const char16_t*>(buffer), static_cast<std::size_t>(length > 0 ? length : 0));
}

std::optional<bool> controlEnabled(ControlHandle control) {
    if (!isWindow(control)) return std::nullopt;
    return IsWindowEnabled(lf_hwnd(control)) != FALSE;
}

std::optional<bool> controlChecked(ControlHandle control) {
    if (!isWindow(control)) return std::nullopt;
    return SendMessageW(lf_hwnd(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

}  // namespace zrb::platform
