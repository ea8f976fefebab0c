// The single-instance guard: the first holder wins until it releases.
#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
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
#endif

}  // namespace
}  // namespace zrb::platform
