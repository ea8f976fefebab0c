#include "foundation/log_repeats.h"

#include <algorithm>
#include <atomic>
#include <vector>

#include "foundation/log.h"

namespace zrb {

namespace {

// Owns the list of kinds; kinds register themselves for the whole process.
struct KindList {
    std::mutex mutex;
    std::vector<RepeatedLogLines*> kinds;
};

KindList& lf_kindList() {
    static KindList list;
    return list;
}

// Lines held back by any kind since gf_logHeldRepeats last found none: lets
// the frequent callers return without taking a lock.
std::atomic<bool> g_anyHeld{false};

template <typename Fn>
void lf_forEachKind(Fn fn) {
    KindList& list = lf_kindList();
    std::lock_guard lock(list.mutex);
    for (RepeatedLogLines* kind : list.kinds) fn(*kind);
}

}  // namespace

RepeatedLogLines::RepeatedLogLines(LogLineKind kind, std::string label, std::uint32_t wholeLines,
                                   Clock::duration period)
    : m_kind(kind), m_label(std::move(label)), m_wholeLines(wholeLines), m_period(period) {
    KindList& list = lf_kindList();
    std::lock_guard lock(list.mutex);
    list.kinds.push_back(this);
}

RepeatedLogLines::~RepeatedLogLines() {
    KindList& list = lf_kindList();
    std::lock_guard lock(list.mutex);
    std::erase(list.kinds, this);
}

void RepeatedLogLines::write(std::string_view text) {
    std::lock_guard lock(m_mutex);
    if (lf_admitLocked(Clock::now())) lf_writeLocked(text);
}

bool RepeatedLogLines::admit() {
    std::lock_guard lock(m_mutex);
    return lf_admitLocked(Clock::now());
}

void RepeatedLogLines::summarise() {
    std::lock_guard lock(m_mutex);
    lf_summariseLocked();
}

bool RepeatedLogLines::summariseIfDue(Clock::time_point now, bool all) {
    std::lock_guard lock(m_mutex);
    if (all || (m_inPeriod && now - m_periodStart >= m_period)) lf_summariseLocked();
    return m_held > 0;
}

void RepeatedLogLines::reset() {
    std::lock_guard lock(m_mutex);
    m_inPeriod = false;
    m_written = 0;
    m_held = 0;
}

bool RepeatedLogLines::lf_admitLocked(Clock::time_point now) {
    if (m_inPeriod && now - m_periodStart >= m_period) lf_summariseLocked();
    if (!m_inPeriod) {
        m_inPeriod = true;
        m_periodStart = now;
        m_written = 0;
    }
    if (m_written < m_wholeLines) {
        ++m_written;
        return true;
    }
    ++m_held;
    g_anyHeld.store(true);
    return false;
}

void RepeatedLogLines::lf_writeLocked(std::string_view text) const {
    switch (m_kind) {
        case LogLineKind::plain: gf_logLine(text); break;
        case LogLineKind::marked: gf_logMarked(text); break;
        case LogLineKind::indented: gf_logIndented(text); break;
    }
}

void RepeatedLogLines::lf_summariseLocked() {
    if (m_held > 0) lf_writeLocked(fmt::format("{} ... and {} more like it", m_label, gf_groupedCount(m_held)));
    m_inPeriod = false;
    m_written = 0;
    m_held = 0;
}

void gf_logHeldRepeats(RepeatedLogLines::Clock::time_point now) {
    // A line held after the exchange sets the flag again itself.
    if (!g_anyHeld.exchange(false)) return;
    bool stillHeld = false;
    lf_forEachKind([&](RepeatedLogLines& kind) { stillHeld = kind.summariseIfDue(now, false) || stillHeld; });
    if (stillHeld) g_anyHeld.store(true);
}

void gf_logAllHeldRepeats() {
    lf_forEachKind([](RepeatedLogLines& kind) { kind.summariseIfDue({}, true); });
}

void gf_resetRepeatedLogLines() {
    lf_forEachKind([](RepeatedLogLines& kind) { kind.reset(); });
}

std::string gf_groupedCount(std::uint64_t count) {
    const std::string digits = std::to_string(count);
    std::string grouped;
    grouped.reserve(digits.size() + digits.size() / 3);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

}  // namespace zrb
