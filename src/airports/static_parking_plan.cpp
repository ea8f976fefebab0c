// The planner's computation: the parked traffic first, then the options
// nearest in time, up to the wanted number of stands.
#include "airports/static_parking_plan.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <fmt/format.h>

#include "airports/park_airport.h"
#include "airports/parking_controls.h"
#include "config/parameters.h"
#include "feed/feed_shared.h"
#include "foundation/log.h"
#include "foundation/number_text.h"
#include "foundation/random.h"
#include "foundation/strings.h"
#include "foundation/time.h"
#include "shell/common/main_window_state.h"
#include "shell/common/message_line.h"
#include "shell/common/run_state.h"
#include "traffic/traffic_lists.h"
#include "traffic/stand_search.h"
#include "traffic/traffic_manager.h"

namespace zrb {

std::vector<PendingParking> PendingParkingList;
std::vector<ToRemove> ToRemoveList;
std::vector<KeptStatic> KeptStaticList;

namespace {

constexpr std::uint32_t realMode = 1;
constexpr std::uint32_t softMode = 0;
constexpr std::int32_t noLimitMaxPark = 500;
constexpr std::int32_t halfOfStands = 50;
constexpr std::int64_t fewStands = 3;
constexpr double hoursPerSlot = 0.5;
constexpr std::array<std::string_view, 7> dayNames{"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};

float lf_slotHours(std::int64_t slots) { return static_cast<float>(static_cast<double>(slots) * hoursPerSlot + hoursPerSlot); }

std::int64_t lf_countOccupied() {
    return std::count_if(StandTable.begin(), StandTable.end(), [](const Stand& s) { return s.occupied != 0; });
}

void lf_recomputeBlocked() {
    for (Stand& s : StandTable) s.blocked = 0;
    for (const Stand& s : StandTable) {
        if (s.occupied == 0) continue;
        for (const std::uint32_t n : s.neighbours)
            if (Stand* other = gf_standById(n)) other->blocked = 1;
    }
}

void lf_releaseStand(std::uint32_t standId) {
    if (Stand* s = gf_standById(standId)) s->occupied = 0;
}

// Uniform, with the thread's engine: an index among n is the next draw modulo n.
void lf_shuffle(std::vector<PendingParking>& records) {
    for (std::size_t i = records.size(); i > 1; --i) {
        const std::size_t j = lf_initThreadRng()() % i;
        std::swap(records[i - 1], records[j]);
    }
}

void lf_sortByFit(bool largestFirst) {
    std::stable_sort(PendingParkingList.begin(), PendingParkingList.end(),
                     [largestFirst](const PendingParking& a, const PendingParking& b) {
                         return largestFirst ? a.ageSlots > b.ageSlots : a.ageSlots < b.ageSlots;
                     });
}

// Keeps the first n records; the stands of the others are free again.
void lf_cutPending(std::size_t n) {
    if (PendingParkingList.size() <= n) return;
    for (std::size_t i = n; i < PendingParkingList.size(); ++i) lf_releaseStand(PendingParkingList[i].standId);
    PendingParkingList.resize(n);
    lf_recomputeBlocked();
}

void lf_setAverageFit(std::atomic<float>& value, float fit) {
    if (value.exchange(fit) != fit) gf_invalidateBand(g_lowerBand);
}

// One widening search: round r looks r half-hours back from the time. The
// candidates of the round that reaches the wanted count stay in cand.
bool lf_fitParkedTime(DaySlot time, std::uint32_t mode, std::int64_t wanted, std::vector<PendingParking>& cand) {
    const std::int64_t before = lf_countOccupied();
    std::int64_t occupied = before;
    const std::int32_t maxFit = std::clamp<std::int32_t>(MAX_FIT.value, 0, static_cast<std::int32_t>(g_slotsPerDay) - 1);
    std::int32_t r = 0;
    bool reached = false;
    for (; r <= maxFit; ++r) {
        lf_searchStands(time, mode, static_cast<std::uint32_t>(r), cand);
        occupied = lf_countOccupied();
        if (occupied >= wanted) {
            reached = true;
            break;
        }
        PendingParkingList.insert(PendingParkingList.end(), cand.begin(), cand.end());
        cand.clear();
    }
    const std::int64_t added = occupied - before;
    g_softFitRound = r;
    if (mode == realMode) {
        g_softFitRound = -1;
        g_realFitRound = r;
    }
    if (added > 0) {
        const std::string week = WEEK.value ? std::string(", week") : fmt::format(", day {}", gf_dayOf(time));
        gf_logLine("{} {} position{} found, Max fit={} hours{}{}", added, mode == realMode ? "real" : "soft",
                   gf_plural(added), gf_floatToText(lf_slotHours(maxFit)), week,
                   fmt::format(", hh:{} or {} hrs, fit: {} hour", gf_slotOf(time),
                               gf_floatToText(lf_slotHours(gf_slotOf(time))), gf_floatToText(lf_slotHours(r))));
    }
    g_mainWindowState.staticFitMark = mode == softMode && added > 0;
    gf_invalidateBand(g_lowerBand);
    return reached;
}

}  // namespace

std::int64_t gf_slotsSince(std::uint32_t day, std::uint32_t slot, DaySlot now) {
    const std::int64_t elapsed = gf_elapsedSlots(gf_makeDaySlot(day, slot), now) % g_slotsPerWeek;
    return elapsed < 0 ? elapsed + g_slotsPerWeek : elapsed;
}

DaySlot lf_logSimDay() {
    const DaySlot t = g_currentDaySlot.load();
    const std::uint32_t day = gf_dayOf(t);
    const std::string_view name = day >= 1 && day <= g_daysPerWeek ? dayNames[day - 1] : std::string_view("???");
    gf_logLine("\n{} (utc) It is day {} ({}), {} hours", gf_dataTimeStamp(), day, name,
               gf_floatToText(lf_slotHours(gf_slotOf(t))));
    return t;
}

void lf_takeFeedIds() {
    FeedIds ids = gf_takeFeedIds();
    g_liveCallsigns = std::move(ids.callsigns);
    g_liveHexIds = std::move(ids.hexIds);
}

void lf_clearStandFlags() {
    for (Stand& s : StandTable) {
        s.occupied = 0;
        s.excluded = 0;
        s.blocked = 0;
    }
}

void lf_markReservedStands() {
    const std::string reserved = gf_reservedStand();
    if (!reserved.empty()) {
        if (const auto it = gf_findStandByName(reserved); it != StandTable.end()) it->excluded = 1;
    }
    const std::string user = gf_getUserStand(LatLon{g_userAcCopy.lat, g_userAcCopy.lon});
    if (user.empty() || user == reserved) return;
    if (const auto it = gf_findStandByName(user); it != StandTable.end()) it->excluded = 1;
}

std::int32_t lf_calcWantedStatic() {
    const std::int64_t percent = std::clamp<std::int64_t>(
        CUSTOM_PARKING_PERCENTAGE.value >= 0 ? CUSTOM_PARKING_PERCENTAGE.value : parking_percentage.value, 0, 100);
    const auto n = static_cast<std::int64_t>(StandTable.size());
    std::int64_t wanted = 1;
    if (n > 1 && (n > fewStands || percent >= halfOfStands))
        wanted = std::llround(static_cast<double>(percent * n) / 100.0);
    // A share never asks for more stands than there are, nor for a negative count.
    wanted = std::clamp<std::int64_t>(wanted, 0, n);
    if (MAX_PARK_SEL.value != noLimitMaxPark) {
        wanted = std::min<std::int64_t>(wanted, MAX_PARK_SEL.value);
        g_mainWindowState.maxParkPercentage = gf_percentOf(wanted, n);
    } else {
        g_mainWindowState.maxParkPercentage = static_cast<std::int32_t>(percent);
    }
    g_mainWindowState.maxPark = static_cast<std::int32_t>(wanted);
    gf_invalidateBand(g_lowerBand);
    return static_cast<std::int32_t>(wanted);
}

void lf_occupyStand(Stand& stand) {
    stand.occupied = 1;
    for (const std::uint32_t n : stand.neighbours)
        if (Stand* other = gf_standById(n)) other->blocked = 1;
}

void lf_rebuildStandFlags(const std::vector<std::uint32_t>& liveStands) {
    for (Stand& s : StandTable) s.occupied = 0;
    const auto occupy = [](std::uint32_t standId) {
        if (Stand* s = gf_standById(standId)) s->occupied = 1;
    };
    for (const PendingParking& p : PendingParkingList) occupy(p.standId);
    for (const AiAc& s : g_staticList) {
        const bool holds = s.fs != LifecycleState::removingfromsim && s.dropFromList == 0 && s.cancelled == 0;
        if (holds) occupy(s.standId);
    }
    for (const std::uint32_t standId : liveStands) occupy(standId);
    lf_recomputeBlocked();
}

void lf_fillByFit(DaySlot time, std::int64_t wanted, std::int64_t extra, std::uint32_t mode) {
    std::vector<PendingParking> cand;
    cand.reserve(g_candidateReserve);
    if (!lf_fitParkedTime(time, mode, wanted, cand)) return;
    // The last round may bring more than the stands still wanted: as all its
    // candidates fit equally well, chance decides which stay.
    const auto surplus = static_cast<std::int64_t>(PendingParkingList.size() + cand.size()) + extra - wanted;
    if (surplus > 0 && !cand.empty()) {
        lf_shuffle(cand);
        const auto drop = std::min<std::size_t>(static_cast<std::size_t>(surplus), cand.size());
        for (std::size_t i = cand.size() - drop; i < cand.size(); ++i) lf_releaseStand(cand[i].standId);
        cand.resize(cand.size() - drop);
    }
    PendingParkingList.insert(PendingParkingList.end(), cand.begin(), cand.end());
    const auto s = static_cast<std::int64_t>(PendingParkingList.size()) + extra - wanted;
    if (s > 0 && s <= static_cast<std::int64_t>(PendingParkingList.size()))
        lf_cutPending(PendingParkingList.size() - static_cast<std::size_t>(s));
    else
        lf_recomputeBlocked();
}

void lf_fitStaticParking(DaySlot time, std::int64_t wanted, std::int64_t extra) {
    g_softFitRound = -1;
    g_realFitRound = 0;
    lf_fillByFit(time, wanted, extra, realMode);
    if (wanted > static_cast<std::int64_t>(PendingParkingList.size()) + extra && (PARK_SOFT.value || PARK_FAKE.value))
        lf_fillByFit(time, wanted, extra, softMode);
}

void gf_calcStaticParking() {
    const DaySlot t = lf_logSimDay();
    gf_showMessage("Making changes to airport parking parameters is disabled while static parking takes place ...",
                   false);
    PendingParkingList.clear();
    KeptStaticList.clear();
    ToRemoveList.clear();
    ParkedLiveList.clear();
    lf_setAverageFit(g_mainWindowState.staticAverageFit, -1.0F);
    lf_setAverageFit(g_mainWindowState.liveAverageFit, -1.0F);
    g_mainWindowState.staticFitMark = false;
    gf_invalidateBand(g_lowerBand);
    lf_takeFeedIds();
    lf_clearStandFlags();
    lf_markReservedStands();
    gf_enableParkingControls();
    if (lf_requestParkedTraffic()) lf_ptToStands();
    const bool parkedTrafficOnly = RT_PARKTRAFFIC_ONLY.value;
    if (!parkedTrafficOnly) {
        const std::size_t fromPt = PendingParkingList.size();
        gf_logLine("{} parking position{} from PT", fromPt, gf_plural(fromPt));
        const std::int64_t wanted = lf_calcWantedStatic();
        if (wanted > static_cast<std::int64_t>(PendingParkingList.size())) lf_fitStaticParking(t, wanted, 0);
        lf_sortByFit(false);
        lf_cutPending(static_cast<std::size_t>(std::max<std::int64_t>(wanted, 0)));
    }
    // Aircraft of the parked traffic that gave way to newer ones go now.
    lf_applyRemovals();
    lf_rebuildStandFlags({});
    const std::size_t n = PendingParkingList.size();
    if (n == 0) {
        gf_logLine("no parking positions found");
        gf_unlockUi();
        return;
    }
    const std::int32_t share = gf_percentOf(static_cast<std::int64_t>(n), static_cast<std::int64_t>(StandTable.size()));
    if (parkedTrafficOnly) {
        gf_logLine("{} positions from RT parktraffic only\n", n);
    } else {
        gf_logLine("{} positions ({}% vs wanted {}%, with Max fit={} hours)\n", n, share, parking_percentage.value.load(),
                   gf_floatToText(lf_slotHours(MAX_FIT.value)));
    }
    lf_sortByFit(true);
    gf_lockUi();
}

void gf_resetStaticParkingPlan() {
    PendingParkingList.clear();
    ToRemoveList.clear();
    KeptStaticList.clear();
    g_liveCallsigns.clear();
    g_liveHexIds.clear();
    g_realFitRound = 0;
    g_softFitRound = -1;
}

}  // namespace zrb
