// The single-instance guard on the real named mutex: a second process must see
// the first one's mutex, and the mutex must go with the process that held it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include <fmt/format.h>

#include "platform/platform.h"

namespace {

using zrb::platform::acquireSingleInstance;
using zrb::platform::errorAlreadyExists;
using zrb::platform::errorSuccess;
using zrb::platform::releaseSingleInstance;

// The test program starts itself again as the "second instance". In that role it
// only tries the mutex named in this variable and reports through its exit code,
// before GoogleTest runs anything.
constexpr const wchar_t* childRoleVariable = L"TLVR_TEST_SECOND_INSTANCE";
constexpr DWORD childSawOtherInstance = 3;
constexpr DWORD childGotMutex = 4;
constexpr DWORD childFailed = 5;
constexpr DWORD childWaitMs = 60000;

const bool g_childRoleDone = [] {
    wchar_t name[256] = {};
    const DWORD length = GetEnvironmentVariableW(childRoleVariable, name, 256);
    if (length == 0 || length >= 256) return false;
    char narrow[256] = {};
    WideCharToMultiByte(CP_UTF8, 0, name, -1, narrow, sizeof narrow, nullptr, nullptr);
    const std::uint32_t result = acquireSingleInstance(narrow);
    ExitProcess(result == errorAlreadyExists ? childSawOtherInstance : result == errorSuccess ? childGotMutex : childFailed);
}();

// Runs this program as a second instance trying the named mutex; its exit code.
DWORD lf_runSecondInstance(const std::string& mutexName) {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    const std::wstring wideName(mutexName.begin(), mutexName.end());
    SetEnvironmentVariableW(childRoleVariable, wideName.c_str());
    std::wstring commandLine = L"\"" + std::wstring(exe) + L"\" --gtest_list_tests";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const BOOL started =
        CreateProcessW(exe, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableW(childRoleVariable, nullptr);
    if (!started) return static_cast<DWORD>(-1);
    DWORD code = static_cast<DWORD>(-2);
    if (WaitForSingleObject(process.hProcess, childWaitMs) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

std::string lf_uniqueName() { return fmt::format("Local\\$Tolvaren_Test_{}$", GetCurrentProcessId()); }

TEST(Win32SingleInstance, SecondProcessSeesTheFirstAndTheMutexDiesWithItsHolder) {
    ASSERT_FALSE(g_childRoleDone);
    const std::string name = lf_uniqueName();

    ASSERT_EQ(acquireSingleInstance(name), errorSuccess);
    EXPECT_EQ(lf_runSecondInstance(name), childSawOtherInstance);
    // Also an unrelated caller of the raw call sees it, as a second tolvaren.exe would.
    HANDLE raw = CreateMutexA(nullptr, FALSE, name.c_str());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    if (raw != nullptr) CloseHandle(raw);

    releaseSingleInstance();
    // Once released, a new process gets it; when that process ends the mutex ends
    // with it, so this process can take it again.
    EXPECT_EQ(lf_runSecondInstance(name), childGotMutex);
    EXPECT_EQ(acquireSingleInstance(name), errorSuccess);
    releaseSingleInstance();
}

TEST(Win32SingleInstance, AMutexHeldOutsideTheGuardBlocksIt) {
    const std::string name = lf_uniqueName() + "_held";
    HANDLE other = CreateMutexA(nullptr, FALSE, name.c_str());
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(acquireSingleInstance(name), errorAlreadyExists);
    CloseHandle(other);
    EXPECT_EQ(acquireSingleInstance(name), errorSuccess);
    releaseSingleInstance();
}

// An instance run as administrator makes the mutex with rights that a normal
// one lacks: opening it is denied, which means another instance all the same.
TEST(Win32SingleInstance, AMutexThatMayNotBeOpenedBlocksItToo) {
    const std::string name = lf_uniqueName() + "_denied";
    SECURITY_DESCRIPTOR descriptor;
    ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
    ACL emptyAcl;  // grants nobody anything
    ASSERT_TRUE(InitializeAcl(&emptyAcl, sizeof emptyAcl, ACL_REVISION));
    ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, &emptyAcl, FALSE));
    SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
    HANDLE elevated = CreateMutexA(&attributes, FALSE, name.c_str());
    ASSERT_NE(elevated, nullptr);
    HANDLE raw = CreateMutexA(nullptr, FALSE, name.c_str());
    ASSERT_EQ(raw, nullptr) << "the system let the mutex be opened";
    ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    EXPECT_EQ(acquireSingleInstance(name), errorAlreadyExists);
    CloseHandle(elevated);
    EXPECT_EQ(acquireSingleInstance(name), errorSuccess);
    releaseSingleInstance();
}

}  // namespace
