// Lines that outside input repeats: written whole once a period, counted and
// summed up, from many threads at once; and the size limit of Log.txt.
#include "foundation/log_repeats.h"

#include <atomic>
#include <regex>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/log.h"
#include "support/temp_folder.h"

namespace zrb {
namespace {

using test::LoggedFolder;

RepeatedLogLines g_floodLines(LogLineKind::marked, "flood lines");
RepeatedLogLines g_fewLines(LogLineKind::plain, "few lines", 3);

TEST(RepeatedLogLines, ManyThreadsLeaveOneLineAndTheExactCount) {
    LoggedFolder folder;
    constexpr int threads = 8;
    constexpr int perThread = 25000;
    std::atomic<bool> writing{true};
    std::thread summariser([&] {
        while (writing.load()) gf_logHeldRepeats();
    });
    std::vector<std::thread> writers;
    for (int t = 0; t < threads; ++t)
        writers.emplace_back([t] {
            for (int i = 0; i < perThread; ++i) g_floodLines.write("line {} of thread {}", i, t);
        });
    for (auto& w : writers) w.join();
    writing = false;
    summariser.join();
    gf_closeLog();  // sums up what is held

    const auto lines = folder.logLines();
    ASSERT_EQ(lines.size(), 3U);
    EXPECT_TRUE(std::regex_match(lines[1], std::regex(R"(===> line 0 of thread \d)"))) << lines[1];
    EXPECT_EQ(lines[2], "===> flood lines ... and 199,999 more like it");
}

TEST(RepeatedLogLines, APeriodsEndWritesTheCountAndTheNextLinesWholeAgain) {
    LoggedFolder folder;
    for (int i = 0; i < 5; ++i) g_fewLines.write("few {}", i);
    gf_logHeldRepeats();  // the minute is not over
    gf_logHeldRepeats(RepeatedLogLines::Clock::now() + std::chrono::seconds(61));
    g_fewLines.write("few again");
    EXPECT_TRUE(g_fewLines.admit());  // lines the caller writes itself count alike
    EXPECT_TRUE(g_fewLines.admit());
    EXPECT_FALSE(g_fewLines.admit());
    g_fewLines.summarise();  // an owner's poll ends
    g_fewLines.write("next poll");
    const auto lines = folder.logLines();
    const std::vector<std::string> expected{"few 0", "few 1", "few 2", "few lines ... and 2 more like it",
                                            "few again", "few lines ... and 1 more like it", "next poll"};
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.end()), expected);
    EXPECT_EQ(gf_groupedCount(0), "0");
    EXPECT_EQ(gf_groupedCount(999), "999");
    EXPECT_EQ(gf_groupedCount(54999), "54,999");
    EXPECT_EQ(gf_groupedCount(1234567), "1,234,567");
}

TEST(RepeatedLogLines, TheLogStopsAtItsLimitSaysSoOnceAndANewLogStartsAfresh) {
    gf_setLogByteLimitForTest(64 * 1024);
    LoggedFolder folder;
    for (int i = 0; i < 5; ++i) g_fewLines.write("few {}", i);
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t)
        writers.emplace_back([t] {
            for (int i = 0; i < 5000; ++i) gf_logLine("thread {} writes line {}", t, i);
        });
    for (auto& w : writers) w.join();
    EXPECT_LE(std::filesystem::file_size(folder / "Log.txt"), 64U * 1024U + 100U);
    const auto lines = folder.logLines();
    EXPECT_EQ(lines.back(),
              "===> Log.txt has reached 65536 bytes: nothing more is written to it until the program starts again");
    EXPECT_EQ(lines[lines.size() - 2].find("has reached"), std::string::npos);

    gf_openLog();
    g_fewLines.write("few after the new start");
    gf_setLogByteLimitForTest(g_logByteLimitDefault);
    EXPECT_EQ(folder.logLines().size(), 2U);
    EXPECT_TRUE(folder.logContains("few after the new start"));
}

}  // namespace
}  // namespace zrb
