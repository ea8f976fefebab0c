// The single-instance guard: a named mutex. Its existence is the signal, so the
// handle is only kept open, never waited on.
#include <windows.h>

#include <map>
#include <mutex>
#include <string>

#include "platform/platform.h"

namespace zrb::platform {

namespace {

// Owns g_heldMutexes: name -> handle this process created.
std::mutex g_instanceMutex;
std::map<std::string, HANDLE> g_heldMutexes;

}  // namespace

std::uint32_t acquireSingleInstance(std::string_view name) {
    const std::string text(name);
    std::lock_guard lock(g_instanceMutex);
    if (g_heldMutexes.count(text) != 0) return errorAlreadyExists;
    HANDLE handle = CreateMutexA(nullptr, FALSE, text.c_str());
    const DWORD error = GetLastError();
    // The mutex exists but its maker's rights exceed this process's (it runs
    // elevated, this one does not): another holder all the same.
    if (handle == nullptr) return error == ERROR_ACCESS_DENIED ? errorAlreadyExists : error;
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(handle);
        return errorAlreadyExists;
    }
    g_heldMutexes.emplace(text, handle);
    return errorSuccess;
}

void releaseSingleInstance() {
    std::lock_guard lock(g_instanceMutex);
    for (const auto& [name, handle] : g_heldMutexes) CloseHandle(handle);
    g_heldMutexes.clear();
}

}  // namespace zrb::platform
