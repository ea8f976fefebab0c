// The UTC calendar and the timer resolution calls.
#include <gtest/gtest.h>

#include "platform/platform.h"

namespace zrb::platform {
namespace {

TEST(Calendar, BreaksDownUtcTimesWithinTheWindowsRange) {
    std::tm tm{};
    ASSERT_TRUE(utcCalendar(1790812805, tm));  // 2026-10-01 00:00:05 UTC, a Thursday
    EXPECT_EQ(tm.tm_year, 126);
    EXPECT_EQ(tm.tm_mon, 9);
    EXPECT_EQ(tm.tm_mday, 1);
    EXPECT_EQ(tm.tm_hour, 0);
    EXPECT_EQ(tm.tm_sec, 5);
    EXPECT_EQ(tm.tm_wday, 4);

    EXPECT_TRUE(utcCalendar(0, tm));
    EXPECT_EQ(tm.tm_year, 70);
    ASSERT_TRUE(utcCalendar(32535215999, tm));  // the last second of the year 3000
    EXPECT_EQ(tm.tm_year + 1900, 3000);
    EXPECT_FALSE(utcCalendar(32535216000, tm));
    EXPECT_FALSE(utcCalendar(-1, tm));
}

TEST(Calendar, TimerResolutionCallsPairUp) {
    beginHighTimerResolution();
    endHighTimerResolution();
}

}  // namespace
}  // namespace zrb::platform
