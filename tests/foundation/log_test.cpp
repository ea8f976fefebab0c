#include "foundation/log.h"

#include <regex>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/user_error.h"
#include "support/temp_folder.h"

namespace zrb {
namespace {

using test::CurrentDirectory;
using test::readFile;
using test::readLines;
using test::TempFolder;
using test::writeFile;

TEST(Log, HeaderIsFirstLineAndLinesHaveTheirPrefixes) {
    TempFolder folder;
    CurrentDirectory cd(folder.path());
    gf_logLine("dropped before open");
    gf_openLog();
    gf_logLine("plain");
    gf_logMarked("x");
    gf_logIndented("x");
    gf_logLine("{}={}", "LOG", true);
    // A service's text of a megabyte is cut, on a character boundary.
    const std::string quoted = std::string(g_logLineByteLimit - 6, 'a') + "\xC3\xA9" + std::string(1 << 20, 'b');
    gf_logMarked("msg: {}", quoted);
    gf_closeLog();
    gf_logLine("dropped after close");

    const auto lines = readLines(folder / "Log.txt");
    ASSERT_EQ(lines.size(), 6u);
    const std::regex header(
        R"(^(Mon|Tue|Wed|Thu|Fri|Sat|Sun) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Okt|Nov|Dec) \d\d \d\d:\d\d:\d\d \d{4} \(utc\) TLVR_P3D version 11\.0\.2 for Prepar3D v5/v6$)");
    EXPECT_TRUE(std::regex_match(lines[0], header)) << lines[0];
    EXPECT_EQ(lines[1], "plain");
    EXPECT_EQ(lines[2], "===> x");
    EXPECT_EQ(lines[3], "          x");
    EXPECT_EQ(lines[4], "LOG=true");
    EXPECT_EQ(lines[5], "===> msg: " + quoted.substr(0, g_logLineByteLimit - 6) +
                            fmt::format(" ... ({} more bytes)", quoted.size() - (g_logLineByteLimit - 6)));
}

TEST(Log, KeepsTwoOlderLogs) {
    TempFolder folder;
    CurrentDirectory cd(folder.path());
    gf_openLog();
    gf_logLine("first run");
    gf_closeLog();
    EXPECT_FALSE(std::filesystem::exists(folder / "Log0.txt"));

    gf_openLog();
    gf_logLine("second run");
    gf_closeLog();
    gf_openLog();
    gf_logLine("third run");
    gf_closeLog();

    EXPECT_EQ(readLines(folder / "Log.txt").back(), "third run");
    EXPECT_EQ(readLines(folder / "Log0.txt").back(), "second run");
    EXPECT_EQ(readLines(folder / "Log00.txt").back(), "first run");
}

TEST(Log, RotationCopiesAndSkipsNamesWithoutDot) {
    TempFolder folder;
    writeFile(folder / "data.txt", "a");
    gf_rotateBackups(folder / "data.txt");
    EXPECT_EQ(readFile(folder / "data.txt"), "a");  // copied, not moved
    EXPECT_EQ(readFile(folder / "data0.txt"), "a");

    const auto noDot = folder / "README";
    writeFile(noDot, "b");
    // The folder name has no dot either, so the whole path has none.
    CurrentDirectory cd(folder.path());
    gf_rotateBackups("README");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 3);
}

TEST(Log, FailedOpenLeavesLogClosedAndThrows) {
    TempFolder folder;
    CurrentDirectory cd(folder.path());
    std::filesystem::create_directory(folder / "Log.txt");  // a folder cannot be opened as a file
    EXPECT_THROW(gf_openLog(), std::exception);
    EXPECT_FALSE(gf_logIsOpen());
    gf_logLine("dropped");  // must not throw
}

TEST(Log, Banner) {
    EXPECT_EQ(gf_banner(70, 0, true, false, "parameters"),
              "\n" + std::string(34, '*') + " parameters " + std::string(34, '*'));
    EXPECT_EQ(gf_banner(70, 10, false, true), std::string(80, '*') + "\n");
    EXPECT_EQ(gf_banner(10, 0, false, false, "a-very-long-text"), "a-very-long-text");
    EXPECT_EQ(gf_banner(64, 0, true, false, "live traffic livery matching summary"),
              "\n" + std::string(31, '*') + " live traffic livery matching summary " + std::string(31, '*'));
    EXPECT_EQ(gf_banner(5, 0, false, false), std::string(6, '*'));  // odd widths round up
}

TEST(Log, LinesFromManyThreadsNeverInterleave) {
    TempFolder folder;
    CurrentDirectory cd(folder.path());
    gf_openLog();
    constexpr int threads = 8;
    constexpr int perThread = 10000;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([t] {
            for (int i = 0; i < perThread; ++i) gf_logMarked("thread {} line {} end", t, i);
        });
    for (auto& w : workers) w.join();
    gf_closeLog();

    const auto lines = readLines(folder / "Log.txt");
    ASSERT_EQ(lines.size(), 1u + threads * perThread);
    const std::regex line(R"(^===> thread \d line \d+ end$)");
    for (std::size_t i = 1; i < lines.size(); ++i) ASSERT_TRUE(std::regex_match(lines[i], line)) << lines[i];
}

TEST(UserError, MessageCarriesTheCode) {
    EXPECT_STREQ(UserErrorException(41, "TLVR_P3D must be run from the TLVR_P3D folder!").what(),
                 "41: TLVR_P3D must be run from the TLVR_P3D folder!");
    EXPECT_STREQ(UserErrorException(99, "text").what(), "text");
    EXPECT_STREQ(UserErrorException(-3, "text").what(), "-3: text");
    try {
        throw UserErrorException(5, "x");
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "5: x");
    }
}

}  // namespace
}  // namespace zrb
