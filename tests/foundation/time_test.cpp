// The program's clock, its texts, half-hour slots, weekdays and hour sets.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <random>

#include "foundation/time.h"
#include "support/temp_folder.h"

namespace zrb {
namespace {

constexpr Seconds thursday = 1790812800;  // 2026-10-01 00:00:00 UTC, a Thursday
constexpr Seconds day = 86400;
constexpr Seconds mondayLastSecond = thursday + 5 * day - 1;  // 2026-10-05 23:59:59

std::atomic<Seconds> g_fixedNow{thursday + 5};
Seconds fixedClock() { return g_fixedNow.load(); }

// Monday's last second on the first reading, Tuesday from then on.
std::atomic<int> g_readings{0};
Seconds midnightClock() { return g_readings++ == 0 ? mondayLastSecond : mondayLastSecond + 1; }

class Clock : public ::testing::Test {
protected:
    Clock() { gf_setSystemClock(&fixedClock); }
    ~Clock() override {
        gf_setSystemClock(nullptr);
        g_dataTimeFlag = false;
        g_latestRecordTime = 0.0;
        g_fixedNow = thursday + 5;
    }
    test::LoggedFolder m_log;
};

TEST(TimeText, NamesMonthsAndDaysAndPadsFields) {
    EXPECT_EQ(gf_timeText(thursday + 5), "Thu Okt 01 00:00:05 2026");
    EXPECT_EQ(gf_timeText(0), "Thu Jan 01 00:00:00 1970");
    EXPECT_EQ(gf_timeText(1765023245), "Sat Dec 06 12:14:05 2025");
    EXPECT_EQ(gf_timeText(-1), "Invalid time");
    EXPECT_EQ(gf_timeText(std::numeric_limits<Seconds>::max()), "Invalid time");
}

TEST(HalfHourSlots, TurnAtTwentyNineAndAHalfMinutes) {
    EXPECT_EQ(gf_halfHourSlotOf(thursday + 29 * 60 + 29), 0);
    EXPECT_EQ(gf_halfHourSlotOf(thursday + 29 * 60 + 30), 1);
    EXPECT_EQ(gf_halfHourSlotOf(thursday + 59 * 60 + 59), 1);
    EXPECT_EQ(gf_halfHourSlotOf(thursday + 3600), 2);
    EXPECT_EQ(gf_halfHourSlotOf(thursday + 23 * 3600 + 45 * 60), 47);
    EXPECT_EQ(gf_halfHourSlotOf(-5), -1);

    EXPECT_EQ(gf_weekdayOf(thursday), 4);
    EXPECT_EQ(gf_weekdayOf(thursday + 3 * day), 7) << "Sunday";
    EXPECT_EQ(gf_weekdayOf(thursday + 4 * day), 1) << "Monday";
    EXPECT_EQ(gf_weekdayOf(-5), -1);
}

TEST_F(Clock, SlotAndWeekdayPackTheSameReading) {
    g_fixedNow = thursday + 6 * day + 12 * 3600 + 40 * 60;  // Wednesday 12:40
    EXPECT_EQ(gf_slotAndWeekday(), (std::uint64_t{25} << 32) | 3);
    EXPECT_EQ(gf_halfHourSlot(), 25);

    // At midnight a second reading would pair Monday with Tuesday's first slot.
    g_readings = 0;
    gf_setSystemClock(&midnightClock);
    EXPECT_EQ(gf_slotAndWeekday(), (std::uint64_t{47} << 32) | 1);
    EXPECT_EQ(g_readings.load(), 1);

    g_fixedNow = -1;
    gf_setSystemClock(&fixedClock);
    EXPECT_EQ(gf_slotAndWeekday(), 0xFFFFFFFFFFFFFFFFu);
    EXPECT_EQ(gf_halfHourSlot(), -1);
}

TEST_F(Clock, FollowsTheTrafficOnlyWhileShiftedAndReceiving) {
    EXPECT_EQ(gf_now(), thursday + 5);
    EXPECT_EQ(gf_dataTimeStamp(), "00:00:05");
    EXPECT_EQ(gf_timeOfDayText(), "00:00:05");
    EXPECT_EQ(gf_dateText(), "Okt 01, 2026");

    g_latestRecordTime = 1.7e9 + 0.5;
    EXPECT_EQ(gf_now(), thursday + 5) << "no time shift set";

    g_dataTimeFlag = true;
    g_latestRecordTime = 0.0;
    EXPECT_EQ(gf_now(), thursday + 5) << "shift set, nothing received yet";
    EXPECT_EQ(gf_dataTimeStamp(), "00:00:05");

    g_latestRecordTime = 1.7e9 + 0.5;
    EXPECT_EQ(gf_now(), 1700000001) << "halves round away from zero";
    EXPECT_EQ(gf_dataTimeStamp(), "<<< 22:13:21");
    EXPECT_EQ(gf_timeOfDayText(), "00:00:05") << "the time of day is always the system's";
    EXPECT_EQ(gf_systemNow(), thursday + 5);
}

TEST_F(Clock, RecordTimesThatAreNoTimeFallBackToTheSystemClock) {
    g_dataTimeFlag = true;
    for (const double bad : {std::nan(""), std::numeric_limits<double>::infinity(), 1e30, -1e30}) {
        g_latestRecordTime = bad;
        EXPECT_EQ(gf_now(), thursday + 5) << bad;
        EXPECT_EQ(gf_dataTimeStamp(), "00:00:05") << "the system clock is no data time";
    }
    int logged = 0;
    for (const auto& line : m_log.logLines())
        if (line.find("is no valid time, the system clock is used") != std::string::npos) ++logged;
    EXPECT_EQ(logged, 1) << "logged once per process, not per call";
}

TEST_F(Clock, TextsOfAClockBeyondTheCalendarStayReadable) {
    g_fixedNow = -1;
    EXPECT_EQ(gf_timeOfDayText(), "Invalid time");
    EXPECT_EQ(gf_dateText(), "Invalid time");
    EXPECT_EQ(gf_dataTimeStamp(), "Invalid time");
}

TEST_F(Clock, HourTextsParseLeniently) {
    EXPECT_EQ(gf_hours2bitset(""), 0u);
    EXPECT_EQ(gf_hours2bitset("0,1,47"), (HourBits{1} << 0) | (HourBits{1} << 1) | (HourBits{1} << 47));
    EXPECT_EQ(gf_hours2bitset("5x"), HourBits{1} << 5);
    EXPECT_EQ(gf_hours2bitset("7,7"), HourBits{1} << 7);
    EXPECT_EQ(gf_hours2bitset("-0"), HourBits{1});
    EXPECT_FALSE(m_log.logContains("invalid hour")) << "valid texts log nothing";

    EXPECT_EQ(gf_hours2bitset("48"), 0u);
    EXPECT_TRUE(m_log.logContains("===> gf_hours2bitset invalid hour '48' in 48"));
    EXPECT_EQ(gf_hours2bitset("1, 2"), HourBits{1} << 1);
    EXPECT_TRUE(m_log.logContains("===> gf_hours2bitset invalid hour ' 2' in 1, 2"));
    EXPECT_EQ(gf_hours2bitset("3,"), HourBits{1} << 3);
    EXPECT_TRUE(m_log.logContains("===> gf_hours2bitset invalid hour '' in 3,"));
    EXPECT_EQ(gf_hours2bitset("-1,x,99999999999,+4,2"), HourBits{1} << 2);
    EXPECT_TRUE(m_log.logContains("invalid hour '-1'"));
    EXPECT_TRUE(m_log.logContains("invalid hour 'x'"));
    EXPECT_TRUE(m_log.logContains("invalid hour '99999999999'"));
    EXPECT_TRUE(m_log.logContains("invalid hour '+4'"));
}

TEST(HourTexts, WriteAndReadBackEverySet) {
    EXPECT_EQ(gf_bitset2hours(0), "");
    EXPECT_EQ(gf_bitset2hours((HourBits{1} << 0) | (HourBits{1} << 47)), "0,47");
    EXPECT_EQ(gf_bitset2hours(HourBits{1} << 48), "") << "bits beyond the day are no slots";

    std::mt19937_64 random(12345);
    constexpr HourBits daySlots = (HourBits{1} << 48) - 1;
    for (int i = 0; i < 1000; ++i) {
        const HourBits bits = random() & daySlots;
        EXPECT_EQ(gf_hours2bitset(gf_bitset2hours(bits)), bits);
    }
}

}  // namespace
}  // namespace zrb
