#pragma once
// The program's clock, its time texts, half-hour slots, weekdays and 48-bit
// sets of half-hours. All calendar fields are UTC.

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

namespace zrb {

using Seconds = std::int64_t;  // seconds since 1970-01-01 00:00 UTC
using HourBits = std::uint64_t;  // bit v (0..47) = half-hour slot v

// Set by the time-shift control while the total shift is above zero; cleared
// when a run closes down. Written by the GUI thread, read everywhere.
inline std::atomic<bool> g_dataTimeFlag{false};
// Time stamp (s since 1970 UTC) of the newest live-traffic record, 0 = none.
// Written by the Traffic Reader, read everywhere.
inline std::atomic<double> g_latestRecordTime{0.0};

// The data time while g_dataTimeFlag is set and a record time exists, else the
// system clock. A record time that is no valid count of seconds (not finite, out
// of range) falls back to the system clock; the first such case is logged.
Seconds gf_now();
Seconds gf_systemNow();

// Test seam: a function that stands in for the system clock (nullptr: the real
// clock again). The program never sets it.
using SystemClockFn = Seconds (*)();
void gf_setSystemClock(SystemClockFn clock);

// "Thu Okt 01 00:00:05 2026"; "Invalid time" when the time cannot be broken down.
std::string gf_timeText(Seconds t);
std::string gf_timeOfDayText();  // hh:mm:ss of the system clock; "Invalid time" when it cannot be broken down
std::string gf_dateText();       // "Dec 06, 2026" of the system clock; "Invalid time" likewise
std::string gf_dataTimeStamp();  // hh:mm:ss of gf_now, "<<< hh:mm:ss" when that is the data time

int gf_halfHourSlot();                    // slot 0..47 of gf_now, -1 on failure
int gf_halfHourSlotOf(Seconds t);         // slot 0..47 of t, -1 on failure
int gf_weekdayOf(Seconds t);              // 1 = Monday .. 7 = Sunday, -1 on failure
// (slot << 32) | weekday of one reading of gf_now, so that both belong to the
// same day; 0xFFFFFFFF per failed half.
std::uint64_t gf_slotAndWeekday();

// "0,1,47" -> bits 0, 1 and 47. Pieces are not trimmed; a piece without digits
// (after an optional '-'), overflowing or outside 0..47 is logged as a warning
// "gf_hours2bitset invalid hour '{}' in {}" and skipped.
HourBits gf_hours2bitset(std::string_view text);
// Bits 0..47 as "0,47" (ascending, no blanks); empty for no bits.
std::string gf_bitset2hours(HourBits bits);

}  // namespace zrb
