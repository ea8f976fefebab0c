// Windows: error numbers, the AppData and ProgramData folders, the UTC calendar and the timer
// resolution.
#include <windows.h>
#include <mmsystem.h>
#include <shlobj.h>

#include <ctime>

#include "platform/platform.h"

namespace zrb::platform {

namespace {
constexpr UINT timerResolutionMs = 1;
}

std::uint32_t lastSystemError() { return GetLastError(); }

std::optional<std::filesystem::path> appDataFolder() {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, folder))) return std::nullopt;
    // wchar_t holds UTF-16 here, which a path takes as it is.
    return std::filesystem::path(folder);
}

std::optional<std::filesystem::path> programDataFolder() {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, folder))) return std::nullopt;
    return std::filesystem::path(folder);
}

bool utcCalendar(std::time_t t, std::tm& out) {
    // The documented range of _gmtime64_s, checked here: not every C runtime
    // enforces it (Wine's accepts later years).
    constexpr std::time_t lastSupported = 32535215999;  // 3000-12-31 23:59:59 UTC
    if (t < 0 || t > lastSupported) return false;
    const __time64_t t64 = t;
    return _gmtime64_s(&out, &t64) == 0;
}

void copyFileReplacing(const std::filesystem::path& from, const std::filesystem::path& to, std::error_code& ec) {
    ec.clear();
    if (!CopyFileW(from.c_str(), to.c_str(), FALSE))
        ec = std::error_code(static_cast<int>(GetLastError()), std::system_category());
}

void replaceFile(const std::filesystem::path& from, const std::filesystem::path& to, std::error_code& ec) {
    ec.clear();
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        ec = std::error_code(static_cast<int>(GetLastError()), std::system_category());
}

void beginHighTimerResolution() { timeBeginPeriod(timerResolutionMs); }
void endHighTimerResolution() { timeEndPeriod(timerResolutionMs); }

}  // namespace zrb::platform
