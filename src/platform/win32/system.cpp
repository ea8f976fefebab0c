// Windows: error numbers, the AppData folder, the UTC calendar and the timer
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

bool utcCalendar(std::time_t t, std::tm& out) {
    const __time64_t t64 = t;
    return _gmtime64_s(&out, &t64) == 0;
}

void beginHighTimerResolution() { timeBeginPeriod(timerResolutionMs); }
void endHighTimerResolution() { timeEndPeriod(timerResolutionMs); }

}  // namespace zrb::platform
