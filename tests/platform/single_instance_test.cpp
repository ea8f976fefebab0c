// The single-instance guard: the first holder wins until it releases.
#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"
#include "support/temp_folder.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#endif

namespace zrb::platform {
namespace {

std::string uniqueName() {
#ifdef _WIN32
    return "Local\\$tlv_single_instance_test$";
#else
    return "Local\\$tlv_single_instance_test_" + std::to_string(::getpid()) + "$";
#endif
}

TEST(SingleInstance, SecondAcquireFailsUntilReleased) {
    const std::string name = uniqueName();
    ASSERT_EQ(acquireSingleInstance(name), errorSuccess);
    EXPECT_EQ(acquireSingleInstance(name), errorAlreadyExists);
    releaseSingleInstance();
    EXPECT_EQ(acquireSingleInstance(name), errorSuccess);
    releaseSingleInstance();
}

#ifndef _WIN32
// Another process sees the name taken while this one holds it, and free after.
TEST(SingleInstance, AnotherProcessSeesItTaken) {
    const std::string name = uniqueName();
    auto childResult = [&name]() {
        const pid_t child = ::fork();
        if (child == 0) {
            // Forget the parent's holding copied into this process (its lock stays
            // with the parent's descriptor), so that the lock file itself decides.
            releaseSingleInstance();
            _exit(acquireSingleInstance(name) == errorAlreadyExists ? 1 : 0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    ASSERT_EQ(acquireSingleInstance(name), errorSuccess);
    EXPECT_EQ(childResult(), 1);
    releaseSingleInstance();
    EXPECT_EQ(childResult(), 0);
}

// Each user has a guard of their own, as the Windows mutex is per session:
// neither another user's running instance nor the lock file such an instance
// left, which this user may not open, stops this user's.
TEST(SingleInstance, AnotherUsersInstanceDoesNotCount) {
    if (::geteuid() != 0) GTEST_SKIP() << "becoming another user needs root";
    const test::TempFolder tmp;  // sticky and writable by all, as /tmp
    ASSERT_EQ(::chmod(tmp.path().c_str(), 01777), 0);
    const char* oldTmp = std::getenv("TMPDIR");
    const std::string restore = oldTmp != nullptr ? oldTmp : "";
    ASSERT_EQ(::setenv("TMPDIR", tmp.path().c_str(), 1), 0);
    const std::string name = uniqueName();
    // The name all users once shared, left by another user, unreadable to this one.
    const auto shared = tmp / ("Local__tlv_single_instance_test_" + std::to_string(::getpid()) + "_.lock");
    test::writeFile(shared, "");
    ASSERT_EQ(::chmod(shared.c_str(), 0600), 0);
    ASSERT_EQ(acquireSingleInstance(name), errorSuccess);
    constexpr int cannotSwitch = 3;
    const pid_t child = ::fork();
    if (child == 0) {
        releaseSingleInstance();
        const uid_t nobody = 65534;
        if (::setgid(nobody) != 0 || ::setuid(nobody) != 0) _exit(cannotSwitch);
        _exit(acquireSingleInstance(name) == errorSuccess ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    releaseSingleInstance();
    if (oldTmp != nullptr)
        ::setenv("TMPDIR", restore.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == cannotSwitch) GTEST_SKIP() << "this system lets no process become another user";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
#endif

}  // namespace
}  // namespace zrb::platform
