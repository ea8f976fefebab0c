// Linux stand-ins for the small system queries: error numbers, the AppData
// and ProgramData folders, the UTC calendar and the timer resolution.
#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "platform/platform.h"
#include "platform/posix/errno_map.h"

namespace zrb::platform {

namespace {

// The last second the Windows calendar call accepts: 3000-12-31 23:59:59 UTC.
constexpr std::time_t lastCalendarSecond = 32535215999;

std::optional<std::filesystem::path> lf_absoluteFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return std::nullopt;
    std::filesystem::path path(value);
    // A relative XDG_CONFIG_HOME is to be ignored, by the XDG rules.
    if (!path.is_absolute()) return std::nullopt;
    return path;
}

}  // namespace

std::uint32_t win32ErrorOfErrno(int error) {
    switch (error) {
        case 0: return errorSuccess;
        case ENOENT:
        case ENOTDIR: return errorFileNotFound;
        case EACCES:
        case EPERM:
        case EROFS: return errorAccessDenied;
        case EBADF: return errorInvalidHandle;
        case ENOMEM: return errorNotEnoughMemory;
        case EINVAL: return errorInvalidParameter;
        case EPIPE: return errorBrokenPipe;
        case ENOSPC: return errorDiskFull;
        case EEXIST: return errorAlreadyExists;
        case EAGAIN: return wsaErrorWouldBlock;
        case EADDRNOTAVAIL: return wsaErrorAddressNotAvailable;
        case ENETUNREACH: return wsaErrorNetworkUnreachable;
        case ECONNABORTED: return wsaErrorConnectionAborted;
        case ECONNRESET: return wsaErrorConnectionReset;
        case ENOTCONN: return wsaErrorNotConnected;
        case ESHUTDOWN: return wsaErrorShutdown;
        case ETIMEDOUT: return wsaErrorTimedOut;
        case ECONNREFUSED: return wsaErrorConnectionRefused;
        case EHOSTUNREACH: return wsaErrorHostUnreachable;
        default: return errorGenFailure;
    }
}

std::uint32_t lastSystemError() { return win32ErrorOfErrno(errno); }

std::optional<std::filesystem::path> appDataFolder() {
    if (auto config = lf_absoluteFromEnvironment("XDG_CONFIG_HOME")) return config;
    if (auto home = lf_absoluteFromEnvironment("HOME")) return *home / ".config";
    return std::nullopt;
}

std::optional<std::filesystem::path> programDataFolder() {
    auto appData = appDataFolder();
    if (!appData) return std::nullopt;
    return *appData / "ProgramData";
}

bool utcCalendar(std::time_t t, std::tm& out) {
    if (t < 0 || t > lastCalendarSecond) return false;
    return gmtime_r(&t, &out) != nullptr;
}

void copyFileReplacing(const std::filesystem::path& from, const std::filesystem::path& to, std::error_code& ec) {
    ec.clear();
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, ec);
}

void replaceFile(const std::filesystem::path& from, const std::filesystem::path& to, std::error_code& ec) {
    ec.clear();
    std::filesystem::rename(from, to, ec);
}

void beginHighTimerResolution() {}
void endHighTimerResolution() {}

}  // namespace zrb::platform
