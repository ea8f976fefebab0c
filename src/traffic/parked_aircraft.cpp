#include "traffic/parked_aircraft.h"

#include <algorithm>
#include <atomic>
#include <limits>

#include "airports/park_airport.h"
#include "airports/stand.h"
#include "config/parameters.h"
#include "foundation/log.h"
#include "foundation/time.h"
#include "liveries/dbase.h"
#include "shell/common/main_window_state.h"
#include "traffic/removal.h"
#include "traffic/stand_search.h"
#include "traffic/traffic_lists.h"

namespace zrb {

std::vector<ParkedLiveEntry> ParkedLiveList;

namespace {

constexpr std::int64_t secondsPerMinute = 60;
constexpr float noFit = -1.0F;
constexpr float halfHourInHours = 0.5F;

bool lf_parkedLive(const LiveAc& a) { return a.st == MovementState::parked && a.fs == LifecycleState::active; }

bool lf_countedStatic(const AiAc& a) {
    return a.fs == LifecycleState::active || a.fs == LifecycleState::removingfromsim;
}

// Sum of the half-hours from each parking record to now, and how many had a
// record (a weekday and a slot) to measure from.
struct FitSum {
    std::int64_t halfHours = 0;
    std::int64_t measured = 0;

    void add(const AiAc& a, DaySlot now) {
        const DaySlot parked = gf_makeDaySlot(a.day, a.slot);
        if (!gf_isDaySlot(parked) || !gf_isDaySlot(now)) return;
        halfHours += gf_elapsedSlots(parked, now);
        ++measured;
    }
};

// Stores the average fit the window shows (redrawn when it changed); with
// WEEK on the fit means nothing and the shown value stays.
float lf_showAverageFit(std::atomic<float>& shown, const FitSum& sum, bool withFit) {
    if (!withFit || WEEK.value) return shown.load();
    const float fit = sum.measured == 0 ? noFit
                                        : static_cast<float>(sum.halfHours) / static_cast<float>(2 * sum.measured) +
                                              halfHourInHours;
    if (shown.exchange(fit) != fit) gf_invalidateBand(g_lowerBand);
    return fit;
}

// The flag is set by each record at the stand and cleared only when the
// queue runs out, which for a parked aircraft happens once a week: alone it
// would keep an aircraft whose records stopped long ago "reported" for good.
bool lf_stillReported(const LiveAc& a) {
    return a.atStandChecked != 0 && static_cast<double>(gf_now()) - a.feedTime <= g_stillReportedSeconds;
}

std::int32_t lf_minutesParked(const LiveAc& a, Seconds now) {
    const std::int64_t minutes = (now - a.parkTimeS) / secondsPerMinute;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(minutes, 0, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

void gf_collectParkedLive() {
    ParkedLiveList.clear();
    const Seconds now = gf_systemNow();
    for (LiveAc& a : g_liveList) {
        if (!lf_parkedLive(a)) continue;
        std::int32_t minutes = 0;
        if (!lf_stillReported(a)) {
            minutes = lf_minutesParked(a, now);
            const std::int64_t limit = a.category == g_categoryHeavy ? g_maxParkedMinutesHeavy : g_maxParkedMinutes;
            if (!INITIAL_LOAD_ONLY.value && minutes > limit) {
                if (LOG.value)
                    gf_logLine("{:8}: {:8} parked for {} minutes, removed", lf_standName(a.standId), a.callsign,
                               minutes);
                removeAircraftFromSim(a);
                continue;
            }
        }
        ParkedLiveList.push_back(ParkedLiveEntry{a.callsign, a.hexId, a.standId, minutes});
    }
    std::stable_sort(ParkedLiveList.begin(), ParkedLiveList.end(),
                     [](const ParkedLiveEntry& x, const ParkedLiveEntry& y) { return x.minutes < y.minutes; });
}

void gf_removeAllStatic() {
    for (AiAc& s : g_staticList) {
        if (s.cancelled != 0 || s.dropFromList != 0) continue;
        if (s.fs == LifecycleState::active || s.fs == LifecycleState::adding2sim) removeAircraftFromSim(s);
    }
    lf_eraseFlaggedStatic();
}

void gf_clearReservedStand() {
    const std::string name = gf_reservedStand();
    if (name.empty()) return;
    const auto stand = gf_findStandByName(name);
    if (stand == StandTable.end()) return;  // the user's list may name a stand the airport does not have
    const std::uint32_t standId = stand->number;
    for (AiAc& s : g_staticList) {
        if (s.fs != LifecycleState::active || s.standId != standId) continue;
        if (LOG.value) gf_logLine("{:8}: {:8} removed from the reserved stand", name, s.callsign);
        removeAircraftFromSim(s);
        return;
    }
    for (LiveAc& a : g_liveList) {
        if (!lf_parkedLive(a) || a.standId != standId) continue;
        if (LOG.value) gf_logLine("{:8}: {:8} removed from the reserved stand", name, a.callsign);
        removeAircraftFromSim(a);
        return;
    }
}

ParkedCount gf_countStaticParked(bool withFit) {
    const DaySlot now = gf_slotAndWeekday();
    std::uint64_t count = 0;
    FitSum sum;
    for (const AiAc& s : g_staticList) {
        if (!lf_countedStatic(s)) continue;
        ++count;
        sum.add(s, now);
    }
    return ParkedCount{count, lf_showAverageFit(g_mainWindowState.staticAverageFit, sum, withFit)};
}

ParkedCount gf_countLiveParked(bool withFit) {
    const DaySlot now = gf_slotAndWeekday();
    std::uint64_t count = 0;
    FitSum sum;
    for (const LiveAc& a : g_liveList) {
        if (!lf_parkedLive(a)) continue;
        ++count;
        sum.add(a, now);
    }
    return ParkedCount{count, lf_showAverageFit(g_mainWindowState.liveAverageFit, sum, withFit)};
}

}  // namespace zrb
