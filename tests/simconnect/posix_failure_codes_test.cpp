// Linux: the system's errors reach the client as the Win32 errors of the same
// situation, so a broken connection reads as one and not as, say, a sharing
// violation (EPIPE is 32, ERROR_SHARING_VIOLATION's number).
#include <gtest/gtest.h>

#include <cerrno>

#include "fake_stream.h"
#include "platform/platform.h"
#include "simconnect/simconnect.h"

namespace zrb {
namespace {

TEST(FailureCodes, ErrnoReadsAsTheWin32ErrorOfTheSameSituation) {
    const std::pair<int, std::uint32_t> cases[] = {
        {EPIPE, platform::errorBrokenPipe},
        {ECONNRESET, platform::wsaErrorConnectionReset},
        {ECONNREFUSED, platform::wsaErrorConnectionRefused},
        {ETIMEDOUT, platform::wsaErrorTimedOut},
        {ENOENT, platform::errorFileNotFound},
        {EACCES, platform::errorAccessDenied},
        {EBADF, platform::errorInvalidHandle},
        {ENOSPC, platform::errorDiskFull},
        {EDOM, platform::errorGenFailure},
    };
    for (const auto& [error, win32] : cases) {
        errno = error;
        EXPECT_EQ(platform::lastSystemError(), win32) << error;
    }
}

// A write refused because the simulator's end is gone fails the connection
// with the broken pipe's code, which every later call returns.
TEST(FailureCodes, AWriteRefusedByABrokenPipeFailsWithTheBrokenPipesCode) {
    test::FakeEnvironment env;
    gf_setSimConnectEnvironment(env.make());
    SimConnectHandle handle = nullptr;
    ASSERT_EQ(SimConnect_Open(&handle, "TLVR_P3D", nullptr, 0, nullptr, 0xFFFFFFFF), hresult::ok);
    {
        std::lock_guard lock(env.wire->mutex);
        env.wire->failWrites = true;
        env.wire->failErrno = EPIPE;
    }
    EXPECT_EQ(SimConnect_AIReleaseControl(handle, 5, 103), hresult::ok);  // built; the send found the pipe gone
    constexpr HRESULT brokenPipe = static_cast<HRESULT>(0x8007006D);
    EXPECT_EQ(SimConnect_AIReleaseControl(handle, 5, 103), brokenPipe);
    EXPECT_EQ(SimConnect_CallDispatch(handle, [](const std::uint8_t*, std::uint32_t, void*) {}, nullptr), brokenPipe);
    EXPECT_EQ(SimConnect_Close(handle), hresult::ok);
    gf_setSimConnectEnvironment(gf_defaultSimConnectEnvironment());
}

}  // namespace
}  // namespace zrb
