// The single-instance guard on Linux: an exclusive flock() on a lock file in the
// temporary folder, named after the mutex name and the user. flock() locks
// belong to the open file description, so a second open of the same file
// conflicts even inside one process, and the kernel drops the lock when the
// process ends.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>
#include <string>
#include <system_error>

#include "platform/platform.h"
#include "platform/posix/errno_map.h"

namespace zrb::platform {

namespace {

constexpr mode_t lockFileMode = 0644;

// Owns g_heldLocks: name -> descriptor whose lock this process holds.
std::mutex g_lockMutex;
std::map<std::string, int> g_heldLocks;

// "Local\$Tolvaren_P3D$" -> "Local__Tolvaren_P3D_-1000.lock" for user 1000: only
// characters that are safe in a file name on any system. One file per user, as
// the Windows mutex is one per session: a file shared by all users would be
// another user's once that user had run the program, and in a sticky temporary
// folder its open fails with EACCES, so no other user could start the program.
std::string lf_lockFileName(std::string_view name) {
    std::string file;
    file.reserve(name.size() + 5);
    for (const char c : name) {
        const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                          c == '.' || c == '-' || c == '_';
        file += safe ? c : '_';
    }
    if (file.empty() || file.front() == '.') file.insert(0, "_");
    return file + "-" + std::to_string(::geteuid()) + ".lock";
}

}  // namespace

std::uint32_t acquireSingleInstance(std::string_view name) {
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
    if (ec) return static_cast<std::uint32_t>(ec.value());
    const std::filesystem::path file = folder / lf_lockFileName(name);

    std::lock_guard lock(g_lockMutex);
    if (g_heldLocks.count(std::string(name)) != 0) return errorAlreadyExists;
    const int fd = ::open(file.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, lockFileMode);
    if (fd < 0) return lastSystemError();
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return error == EWOULDBLOCK ? errorAlreadyExists : win32ErrorOfErrno(error);
    }
    g_heldLocks.emplace(std::string(name), fd);
    return errorSuccess;
}

void releaseSingleInstance() {
    std::lock_guard lock(g_lockMutex);
    // The files stay: removing one could let a third process lock a new file
    // while a second still waits on the old one.
    for (const auto& [name, fd] : g_heldLocks) ::close(fd);
    g_heldLocks.clear();
}

}  // namespace zrb::platform
