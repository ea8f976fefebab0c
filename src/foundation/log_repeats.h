#pragma once
// Log lines that input from outside can repeat without end: an unknown or
// malformed simulator message, a bad member of a service reply. Of each kind
// the first line (or first few) of a period is written whole and the rest only counted; the
// count goes out as one line, "<label> ... and 54,999 more like it", when the
// period is over: at the kind's next line after it, when gf_logHeldRepeats
// runs after it, when its owner ends the period (summarise, once per poll),
// and when the log is closed. A new Log.txt starts every kind afresh.
//
// Threads: any thread may write any kind. Each kind owns its counts under its
// own mutex; the list of kinds has one more. Lock order: the list, a kind, the
// log mutex. Kinds are objects of static storage duration (file-local in the
// code that logs them).

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include <fmt/format.h>

namespace zrb {

enum class LogLineKind { plain, marked, indented };

class RepeatedLogLines {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds g_defaultPeriod{60};

    // label: the opening of the summary line, naming what was held back;
    // wholeLines: how many lines of a period are written whole.
    RepeatedLogLines(LogLineKind kind, std::string label, std::uint32_t wholeLines = 1,
                     Clock::duration period = g_defaultPeriod);
    ~RepeatedLogLines();
    RepeatedLogLines(const RepeatedLogLines&) = delete;
    RepeatedLogLines& operator=(const RepeatedLogLines&) = delete;

    // The line, or only its count; the text is not even formatted then.
    template <typename... Args>
    void write(fmt::format_string<Args...> format, Args&&... args) {
        std::lock_guard lock(m_mutex);
        if (lf_admitLocked(Clock::now())) lf_writeLocked(fmt::format(format, std::forward<Args>(args)...));
    }
    void write(std::string_view text);
    // For a line the caller writes itself (through the message line, say):
    // true when it may, false when it was counted instead.
    bool admit();
    // Ends the period now: the summary when lines were held back.
    void summarise();
    // Writes the summary when the period is over (or at once with all);
    // true when lines are still held back.
    bool summariseIfDue(Clock::time_point now, bool all);
    // Forgets everything: a new log begins.
    void reset();

private:
    bool lf_admitLocked(Clock::time_point now);
    void lf_writeLocked(std::string_view text) const;
    void lf_summariseLocked();

    const LogLineKind m_kind;
    const std::string m_label;
    const std::uint32_t m_wholeLines;
    const Clock::duration m_period;
    mutable std::mutex m_mutex;  // owns the four below
    bool m_inPeriod = false;
    Clock::time_point m_periodStart;
    std::uint32_t m_written = 0;
    std::uint64_t m_held = 0;
};

// Summaries of every kind whose period is over. Cheap when nothing is held:
// the SimClient thread and the readers call it between their messages and polls.
void gf_logHeldRepeats(RepeatedLogLines::Clock::time_point now = RepeatedLogLines::Clock::now());
// Summaries of every kind that holds lines back (the log closes).
void gf_logAllHeldRepeats();
// Every kind starts afresh (a new log opens).
void gf_resetRepeatedLogLines();

// "54,999": a count with its thousands grouped.
std::string gf_groupedCount(std::uint64_t count);

}  // namespace zrb
