// The real program, started as its own process in a temporary installation.
#include <gtest/gtest.h>

#if defined(TOLVAREN_PROGRAM)

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "shell/app_main.h"
#include "support/temp_folder.h"

namespace zrb::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class Program : public ::testing::Test {
protected:
    Program() {
        fs::create_directories(install());
        fs::create_directories(home());
        fs::create_directories(tmp());
    }
    ~Program() override {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }

    fs::path install() const { return m_root / "install"; }
    fs::path home() const { return m_root / "home"; }
    fs::path tmp() const { return m_root / "tmp"; }
    fs::path log() const { return install() / "Log.txt"; }

    // Starts the program in the installation folder; the OS tells it that
    // AppData and the temporary folder are inside the test's folder.
    void spawn() {
        const std::string program = TOLVAREN_PROGRAM;
        const std::vector<std::string> env{"HOME=" + home().string(),
                                           "XDG_CONFIG_HOME=" + (home() / ".config").string(),
                                           "TMPDIR=" + tmp().string(), "PATH=/usr/bin:/bin"};
        std::vector<char*> envp;
        for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
        char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
        const std::string folder = install().string();
        m_pid = ::fork();
        ASSERT_GE(m_pid, 0);
        if (m_pid == 0) {
            if (::chdir(folder.c_str()) != 0) ::_exit(126);
            ::execve(program.c_str(), argv, envp.data());
            ::_exit(127);
        }
    }
    // The exit code, or -1000 when it did not end within the limit.
    int waitForExit(std::chrono::seconds limit = 30s) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -2000;
            }
            std::this_thread::sleep_for(10ms);
        }
        return -1000;
    }
    bool logHas(const std::string& text) const {
        for (const auto& line : readLines(log()))
            if (line.find(text) != std::string::npos) return true;
        return false;
    }
    bool waitForLog(const std::string& text) const {
        const auto end = std::chrono::steady_clock::now() + 30s;
        while (std::chrono::steady_clock::now() < end) {
            if (fs::exists(log()) && logHas(text)) return true;
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }

    TempFolder m_root;
    pid_t m_pid = -1;
};

TEST_F(Program, ASecondInstanceEndsAtOnceAndLeavesTheLogAlone) {
    writeFile(log(), "the first instance's log\n");
    const auto before = fs::last_write_time(log());
    // This test process is the first instance: it holds the guard in the same
    // temporary folder the program will look in.
    ASSERT_EQ(::setenv("TMPDIR", tmp().c_str(), 1), 0);
    ASSERT_EQ(platform::acquireSingleInstance(g_singleInstanceName), platform::errorSuccess);
    ::unsetenv("TMPDIR");
    spawn();
    const int code = waitForExit();
    platform::releaseSingleInstance();
    EXPECT_EQ(code, 255);  // -1
    EXPECT_EQ(readFile(log()), "the first instance's log\n");
    EXPECT_EQ(fs::last_write_time(log()), before);
    EXPECT_FALSE(fs::exists(install() / "Log0.txt"));
}

TEST_F(Program, StartedOutsideItsFolderItShowsError41UntilClosed) {
    spawn();
    ASSERT_TRUE(waitForLog("Exiting: SYSTEM ERROR"));
    EXPECT_TRUE(logHas("Error 41: TLVR_P3D must be run from the TLVR_P3D folder!"));
    EXPECT_TRUE(fs::is_directory(home() / ".config" / "TLVR_P3D"));
    // Ctrl+C is the window's close button.
    ASSERT_EQ(::kill(m_pid, SIGINT), 0);
    EXPECT_EQ(waitForExit(), 0);
    EXPECT_TRUE(logHas("User closed TLVR_P3D"));
}

TEST_F(Program, WithoutAnAppDataFolderItStillRunsAndCloses) {
    fs::remove_all(home());
    writeFile(home(), "a file, not a folder");  // no AppData folder can be made here
    spawn();
    ASSERT_TRUE(waitForLog("Exiting: SYSTEM ERROR"));
    EXPECT_TRUE(logHas("Failed to create directory: "));
    ASSERT_EQ(::kill(m_pid, SIGTERM), 0);
    EXPECT_EQ(waitForExit(), 0);
}

TEST_F(Program, ALogThatCannotBeWrittenDoesNotStopTheProgram) {
    fs::create_directories(log());  // a folder where Log.txt should be
    spawn();
    // Without a log, the data folder shows that the start-up went on.
    const auto dataFolder = home() / ".config" / "TLVR_P3D";
    const auto end = std::chrono::steady_clock::now() + 30s;
    while (!fs::exists(dataFolder) && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(fs::is_directory(dataFolder));
    EXPECT_EQ(waitForExit(1s), -1000);  // still running: waiting for the user
    ASSERT_EQ(::kill(m_pid, SIGINT), 0);
    EXPECT_EQ(waitForExit(), 0);
}

}  // namespace
}  // namespace zrb::test

#else
TEST(Program, RunsOnlyOnLinux) { GTEST_SKIP() << "starts the Linux program"; }
#endif
