#include "foundation/time.h"

#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <ctime>

#include <fmt/format.h>
#include <gsl/narrow>

#include "foundation/log.h"
#include "platform/platform.h"

namespace zrb {

namespace {

constexpr int slotsPerDay = 48;
constexpr int secondsOfLateHalf = 29 * 60 + 30;  // from hh:29:30 on the later slot counts
constexpr std::uint32_t failedHalf = 0xFFFFFFFF;
constexpr int slotShift = 32;                    // the slot sits in the upper half of the packed value
constexpr std::size_t timeOfDayFromEnd = 13;     // "hh:mm:ss yyyy": hh starts 13 characters from the end
constexpr std::size_t timeOfDayLength = 8;
constexpr std::size_t fullTimeTextLength = 24;   // "Thu Okt 01 00:00:05 2026"
constexpr const char* invalidTimeText = "Invalid time";
// The largest double below 2^63: anything from 2^63 on does not fit a Seconds.
constexpr double firstDoubleBeyondSeconds = 9223372036854775808.0;

constexpr std::array<const char*, 12> monthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                    "Jul", "Aug", "Sep", "Okt", "Nov", "Dec"};
constexpr std::array<const char*, 7> weekdayNames = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};

std::atomic<SystemClockFn> g_systemClock{nullptr};
std::atomic<bool> g_badRecordTimeLogged{false};

struct ClockReading {
    Seconds time = 0;
    bool dataTime = false;  // the time is that of the live traffic, not of the system clock
};

// One reading of the program's clock: the flag and the record time are each
// read once, so that the time and its kind always agree.
ClockReading lf_readClock() {
    if (g_dataTimeFlag.load()) {
        const double latest = g_latestRecordTime.load();
        if (latest != 0.0) {
            const double rounded = std::round(latest);
            // Checked before narrowing: converting an out-of-range double is undefined.
            if (std::isfinite(rounded) && rounded >= -firstDoubleBeyondSeconds && rounded < firstDoubleBeyondSeconds)
                return {gsl::narrow<Seconds>(rounded), true};
            if (!g_badRecordTimeLogged.exchange(true))
                gf_logMarked("gf_now: record time {} is no valid time, the system clock is used", latest);
        }
    }
    return {gf_systemNow(), false};
}

const char* lf_name(const auto& names, int index) {
    return index >= 0 && static_cast<std::size_t>(index) < names.size() ? names[static_cast<std::size_t>(index)]
                                                                          : "???";
}

bool lf_calendar(Seconds t, std::tm& out) { return platform::utcCalendar(static_cast<std::time_t>(t), out); }

int lf_slotOf(const std::tm& tm) {
    const int secondsIntoHour = tm.tm_min * 60 + tm.tm_sec;
    return (2 * tm.tm_hour + (secondsIntoHour >= secondsOfLateHalf ? 1 : 0)) % slotsPerDay;
}

int lf_weekdayOf(const std::tm& tm) { return tm.tm_wday == 0 ? 7 : tm.tm_wday; }

std::string lf_timeOfDay(const std::string& text) {
    if (text.size() < timeOfDayFromEnd) return text;
    return text.substr(text.size() - timeOfDayFromEnd, timeOfDayLength);
}

}  // namespace

Seconds gf_systemNow() {
    if (const SystemClockFn clock = g_systemClock.load()) return clock();
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::floor<std::chrono::seconds>(now).count();
}

void gf_setSystemClock(SystemClockFn clock) { g_systemClock.store(clock); }

Seconds gf_now() { return lf_readClock().time; }

std::string gf_timeText(Seconds t) {
    std::tm tm{};
    if (!lf_calendar(t, tm)) return invalidTimeText;
    return fmt::format("{:3} {:3} {:02} {:02}:{:02}:{:02} {:4}", lf_name(weekdayNames, (tm.tm_wday + 6) % 7),
                       lf_name(monthNames, tm.tm_mon), tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
                       tm.tm_year + 1900);
}

std::string gf_timeOfDayText() { return lf_timeOfDay(gf_timeText(gf_systemNow())); }

std::string gf_dateText() {
    const std::string text = gf_timeText(gf_systemNow());
    if (text.size() < fullTimeTextLength) return text;
    return fmt::format("{}, {}", text.substr(4, 6), text.substr(20, 4));
}

std::string gf_dataTimeStamp() {
    const ClockReading reading = lf_readClock();
    const std::string timeOfDay = lf_timeOfDay(gf_timeText(reading.time));
    return reading.dataTime ? "<<< " + timeOfDay : timeOfDay;
}

int gf_halfHourSlotOf(Seconds t) {
    std::tm tm{};
    return lf_calendar(t, tm) ? lf_slotOf(tm) : -1;
}

int gf_weekdayOf(Seconds t) {
    std::tm tm{};
    return lf_calendar(t, tm) ? lf_weekdayOf(tm) : -1;
}

int gf_halfHourSlot() { return gf_halfHourSlotOf(gf_now()); }

std::uint64_t gf_slotAndWeekday() {
    std::tm tm{};
    if (!lf_calendar(gf_now(), tm)) return (std::uint64_t{failedHalf} << slotShift) | failedHalf;
    return (static_cast<std::uint64_t>(lf_slotOf(tm)) << slotShift) | static_cast<std::uint32_t>(lf_weekdayOf(tm));
}

HourBits gf_hours2bitset(std::string_view text) {
    HourBits bits = 0;
    if (text.empty()) return bits;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const std::string_view piece =
            text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        int value = -1;
        // An optional '-' and the digits that follow; anything after them is ignored.
        const std::from_chars_result parsed = std::from_chars(piece.data(), piece.data() + piece.size(), value);
        if (parsed.ec == std::errc() && value >= 0 && value < slotsPerDay) {
            bits |= HourBits{1} << value;
        } else {
            gf_logMarked("{} invalid hour '{}' in {}", "gf_hours2bitset", piece, text);
        }
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return bits;
}

std::string gf_bitset2hours(HourBits bits) {
    std::string text;
    for (int v = 0; v < slotsPerDay; ++v) {
        if ((bits & (HourBits{1} << v)) == 0) continue;
        if (!text.empty()) text += ',';
        text += std::to_string(v);
    }
    return text;
}

}  // namespace zrb
