// The three registry calls, on the real registry.
#include <windows.h>

#include "platform/platform.h"

namespace zrb::platform {

namespace {

HKEY lf_handle(RegKey key) { return reinterpret_cast<HKEY>(key.handle); }

// The predefined root keys belong to the system and must never be closed.
bool lf_isPredefined(HKEY key) {
    return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE ||
           key == HKEY_USERS || key == HKEY_PERFORMANCE_DATA || key == HKEY_CURRENT_CONFIG ||
           key == HKEY_DYN_DATA || key == HKEY_CURRENT_USER_LOCAL_SETTINGS || key == HKEY_PERFORMANCE_TEXT ||
           key == HKEY_PERFORMANCE_NLSTEXT;
}

}  // namespace

std::int32_t regOpenKey(RegRoot root, const std::u16string& subKey, bool view64, RegKey& key) {
    const HKEY rootKey = root == RegRoot::localMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    const REGSAM access = KEY_READ | (view64 ? KEY_WOW64_64KEY : 0);
    HKEY opened = nullptr;
    const LSTATUS status =
        RegOpenKeyExW(rootKey, reinterpret_cast<const wchar_t*>(subKey.c_str()), 0, access, &opened);
    key.handle = status == ERROR_SUCCESS ? reinterpret_cast<std::uintptr_t>(opened) : 0;
    return status;
}

std::int32_t regGetString(RegKey key, const std::u16string& valueName, char16_t* buffer, std::uint32_t& bytes) {
    DWORD size = bytes;
    const LSTATUS status = RegGetValueW(lf_handle(key), nullptr, reinterpret_cast<const wchar_t*>(valueName.c_str()),
                                        RRF_RT_REG_SZ, nullptr, buffer, &size);
    bytes = size;
    return status;
}

void regCloseKey(RegKey key) {
    const HKEY handle = lf_handle(key);
    if (handle == nullptr || lf_isPredefined(handle)) return;
    RegCloseKey(handle);
}

}  // namespace zrb::platform
