#include "platform/controls.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>

namespace zrb::platform {

namespace {

constexpr std::size_t maxControlTextUnits = 1023;  // UTF-16 units a read of a control's text gives at most
constexpr std::size_t maxComboItemUnits = 255;     // UTF-16 units a read of a list item gives at most

// Owns g_controls and g_nextHandle.
std::mutex g_controlsMutex;
std::unordered_map<ControlHandle, ControlState> g_controls;
ControlHandle g_nextHandle = 1;

// Runs f on the control's state under the mutex; does nothing for an unknown handle.
template <typename F>
void lf_withControl(ControlHandle control, F&& f) {
    std::lock_guard lock(g_controlsMutex);
    const auto it = g_controls.find(control);
    if (it != g_controls.end()) f(it->second);
}

}  // namespace

bool isWindow(ControlHandle control) {
    std::lock_guard lock(g_controlsMutex);
    return g_controls.contains(control);
}

void resetComboBox(ControlHandle control) {
    lf_withControl(control, [](ControlState& s) {
        s.items.clear();
        s.selection = -1;
        s.text.clear();
    });
}

void addComboItem(ControlHandle control, const std::u16string& text) {
    lf_withControl(control, [&](ControlState& s) { s.items.push_back(text); });
}

void setComboSelection(ControlHandle control, int index) {
    lf_withControl(control, [&](ControlState& s) {
        if (index >= 0 && static_cast<std::size_t>(index) < s.items.size()) {
            s.selection = index;
            s.text = s.items[static_cast<std::size_t>(index)];
        } else {
            s.selection = -1;
            s.text.clear();
        }
    });
}

void setCheck(ControlHandle control, bool checked) {
    lf_withControl(control, [&](ControlState& s) { s.checked = checked; });
}

void setControlText(ControlHandle control, const std::u16string& text) {
    lf_withControl(control, [&](ControlState& s) {
        if (!s.dropDownList) s.text = text;
    });
}

std::optional<int> comboSelection(ControlHandle control) {
    std::optional<int> selection;
    lf_withControl(control, [&](ControlState& s) {
        if (s.selection >= 0) selection = s.selection;
    });
    return selection;
}

std::optional<std::u16string> comboItemText(ControlHandle control, int index) {
    std::optional<std::u16string> text;
    lf_withControl(control, [&](ControlState& s) {
        if (index >= 0 && static_cast<std::size_t>(index) < s.items.size())
            text = s.items[static_cast<std::size_t>(index)].substr(0, maxComboItemUnits);
    });
    return text;
}

void enableControl(ControlHandle control, bool enable) {
    lf_withControl(control, [&](ControlState& s) { s.enabled = enable; });
}

std::optional<std::u16string> controlText(ControlHandle control) {
    std::optional<std::u16string> text;
    // As GetWindowTextW into the window's buffer, which keeps its last unit for the NUL.
    lf_withControl(control, [&](ControlState& s) { text = s.text.substr(0, maxControlTextUnits); });
    return text;
}

std::optional<bool> controlEnabled(ControlHandle control) {
    std::optional<bool> enabled;
    lf_withControl(control, [&](ControlState& s) { enabled = s.enabled; });
    return enabled;
}

std::optional<bool> controlChecked(ControlHandle control) {
    std::optional<bool> checked;
    lf_withControl(control, [&](ControlState& s) { checked = s.checked; });
    return checked;
}

ControlHandle createHeadlessControl(bool dropDownList) {
    std::lock_guard lock(g_controlsMutex);
    const ControlHandle handle = g_nextHandle++;
    ControlState state;
    state.dropDownList = dropDownList;
    g_controls.emplace(handle, std::move(state));
    return handle;
}

void destroyHeadlessControl(ControlHandle control) {
    std::lock_guard lock(g_controlsMutex);
    g_controls.erase(control);
}

ControlState headlessControlState(ControlHandle control) {
    std::lock_guard lock(g_controlsMutex);
    const auto it = g_controls.find(control);
    return it == g_controls.end() ? ControlState{} : it->second;
}

}  // namespace zrb::platform
