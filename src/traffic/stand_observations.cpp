#include "traffic/stand_observations.h"

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "airports/park_airport.h"
#include "airports/park_airport_choice.h"
#include "airports/stand_options.h"
#include "config/parameters.h"
#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "liveries/dbase.h"
#include "shell/common/run_state.h"
#include "traffic/stand_search.h"
#include "traffic/traffic_lists.h"

namespace zrb {

namespace {

constexpr std::uint32_t realOptions = 1;
constexpr std::uint32_t softOptions = 0;
constexpr std::uint32_t fromFile = 1;
constexpr std::uint32_t learned = 0;
constexpr std::size_t slotListReserve = 48;

std::uint64_t lf_slotBit(std::uint32_t slot) {
    if (slot >= g_slotsPerDay) throw std::out_of_range(fmt::format("half-hour slot {} outside 0..47", slot));
    return std::uint64_t{1} << slot;
}

std::int64_t lf_longestStay(const AiAc& aircraft) {
    if (aircraft.cargo != 0) return g_cargoStaySlots;
    if (aircraft.category == static_cast<std::uint32_t>(g_categoryHeavy)) return g_heavyStaySlots;
    return g_otherStaySlots;
}

// Both variants; real tells which options and which visit map.
std::uint32_t lf_addStandOption(std::uint32_t real, std::uint32_t standId, const AiAc& aircraft, DaySlot now,
                                std::uint32_t flag) {
    try {
        const std::string& key = aircraft.registration.empty() ? aircraft.callsign : aircraft.registration;
        if (key.empty()) return 0;
        Stand* stand = gf_standById(standId);
        if (stand == nullptr) return 0;
        const auto day = static_cast<std::int32_t>(gf_dayOf(now));
        if (day < 1 || day > static_cast<std::int32_t>(g_daysPerWeek))
            throw std::out_of_range(fmt::format("weekday {} outside 1..7", day));
        const std::uint64_t bit = lf_slotBit(gf_slotOf(now));
        StandOption* learnedOption = nullptr;
        for (StandOption& o : stand->options) {
            if (o.optionId == 0 || o.day != day || o.registration != key || o.real != real) continue;
            // The airport's own file knows this stay already.
            if (o.origin == fromFile && (o.halfHours & bit) != 0) return o.optionId;
            if (o.origin == learned && learnedOption == nullptr) learnedOption = &o;
        }
        bool updated = false;
        std::uint32_t optionId = 0;
        if (learnedOption != nullptr && flag == 0) {
            updated = (learnedOption->halfHours & bit) == 0;
            learnedOption->halfHours |= bit;
            optionId = learnedOption->optionId;
        }
        StandVisits& visits = real == realOptions ? stand->realVisits : stand->softVisits;
        const auto visit = visits.find(aircraft.hexId);
        if (visit != visits.end() && lf_checkStandSlot(now, *stand, visit->second.optionId, visit->second, aircraft, key, real)) {
            optionId = visit->second.optionId;
            updated = true;
        } else if (optionId == 0) {
            const OptionSlotResult added = gf_addStandOptionSlot(stand->options, aircraft, real, now, aircraft.callsign, key);
            optionId = added.optionId;
            updated = updated || added.added;
        }
        if (optionId != 0) visits[aircraft.hexId] = StandVisit{now, optionId};
        if (updated) gf_countLearnedUpdate();
        return optionId;
    } catch (const std::exception& e) {
        gf_logMarked("{}: hh_now: {}, {}", "lt_addStandOption", gf_slotOf(now), e.what());
        return 0;
    }
}

// A stand learned for the aircraft before, at another half-hour: recorded there again.
bool lf_relearnAtKnownStand(const LiveAc& aircraft, DaySlot now, bool forced) {
    const auto known = std::find_if(StandTable.begin(), StandTable.end(), [&](const Stand& s) {
        const auto it = s.softVisits.find(aircraft.hexId);
        return it != s.softVisits.end() && it->second.time != now;
    });
    if (known == StandTable.end() || known->number < 1) return false;
    if (lt_addStandOption(g_softStandOption, known->number, aircraft, 0, now, forced ? 0 : 1) == 0) return false;
    gf_rememberLearnedLive(aircraft.hexId, gf_slotOf(now));
    return true;
}

// Not learned within the last three half-hours; the pair then takes now's slot.
bool lf_learnSlotDue(DaySlot now, std::uint32_t hexId) {
    const std::uint32_t slot = gf_slotOf(now);
    const auto it = std::find_if(LearnedLiveList.begin(), LearnedLiveList.end(),
                                 [hexId](const LearnedLive& l) { return l.hexId == hexId; });
    if (it != LearnedLiveList.end()) {
        const auto elapsed = (static_cast<std::int64_t>(slot) - it->slot + g_slotsPerDay) % g_slotsPerDay;
        if (elapsed < g_learnAgainSlots) return false;
        it->slot = slot;
    } else {
        LearnedLiveList.push_back(LearnedLive{hexId, slot});
    }
    return true;
}

void lf_forgetLearnedLive(std::uint32_t hexId) {
    const auto it = std::find_if(LearnedLiveList.begin(), LearnedLiveList.end(),
                                 [hexId](const LearnedLive& l) { return l.hexId == hexId; });
    if (it == LearnedLiveList.end()) return;
    *it = LearnedLiveList.back();
    LearnedLiveList.pop_back();
}

bool lf_knownAtThisTime(const LiveAc& aircraft, DaySlot now) {
    const OptionSlotKey key{static_cast<std::int32_t>(gf_dayOf(now)), gf_slotOf(now), aircraft.registration};
    return std::any_of(StandTable.begin(), StandTable.end(), [&key](const Stand& s) {
        return std::any_of(s.options.begin(), s.options.end(), [&key](const StandOption& o) { return gf_optionHasSlot(key, o); });
    });
}

}  // namespace

std::uint32_t lt_addStandOption(std::uint32_t standId, const AiAc& aircraft, std::uint32_t /*unused*/, DaySlot now,
                                std::uint32_t flag) {
    return lf_addStandOption(realOptions, standId, aircraft, now, flag);
}

std::uint32_t lt_addStandOption(SoftStandOption, std::uint32_t standId, const AiAc& aircraft, std::uint32_t /*unused*/,
                                DaySlot now, std::uint32_t flag) {
    return lf_addStandOption(softOptions, standId, aircraft, now, flag);
}

bool lf_checkStandSlot(DaySlot now, Stand& stand, std::uint32_t optionId, StandVisit& last, const AiAc& aircraft,
                       std::string_view key, std::uint32_t real) {
    if (optionId == 0 || now == last.time) return false;
    const std::int64_t span = gf_elapsedSlots(last.time, now);
    if (span < 1 || span >= lf_longestStay(aircraft)) return false;
    if (gf_dayOf(now) == gf_dayOf(last.time)) {
        std::vector<std::int32_t> slots;
        slots.reserve(slotListReserve);
        gf_stepBackSlots(span, now, slots);
        updateOptions(stand.options, slots, optionId);
        gf_setOptionCallsign(stand.options, optionId, aircraft.callsign);
    } else {
        // Across midnight the stay goes on in an option of the new day.
        const OptionSlotResult next = gf_addStandOptionSlot(stand.options, aircraft, real, now, aircraft.callsign, key);
        gf_addOptionSlots(stand.options, now, aircraft.callsign, span, optionId, next.optionId);
        last.optionId = next.optionId;
    }
    last.time = now;
    return true;
}

void gf_learnLiveStand(LiveAc& aircraft, bool forced) {
    if (!LEARN_SOFT.value || !g_softLearningAllowed || aircraft.standId != 0) return;
    if (!forced && !(aircraft.agl < g_aglUnknownFt)) return;
    const CurrentParkAirportData park = gf_currentParkAirport();
    if (park.icao.empty()) return;
    const LatLon here{aircraft.block.latitudeDeg, aircraft.block.longitudeDeg};
    if (!(gf_distanceNm(LatLon{park.lat, park.lon}, here) <= g_learningRangeNm)) return;
    const DaySlot now = g_currentDaySlot.load();
    if (gf_dayOf(now) == 0) return;  // the run has not taken the time yet
    if (lf_relearnAtKnownStand(aircraft, now, forced)) return;
    if (!lf_learnSlotDue(now, aircraft.hexId)) return;
    if (lf_knownAtThisTime(aircraft, now)) return;
    const StandIterator stand = gf_chooseStand(now, aircraft, true);
    if (stand == StandTable.end()) return;
    if (lt_addStandOption(g_softStandOption, stand->number, aircraft, 0, now, forced ? 0 : 1) == 0)
        lf_forgetLearnedLive(aircraft.hexId);
}

void gf_rememberLearnedLive(std::uint32_t hexId, std::uint32_t slot) {
    const auto it = std::find_if(LearnedLiveList.begin(), LearnedLiveList.end(),
                                 [hexId](const LearnedLive& l) { return l.hexId == hexId; });
    if (it != LearnedLiveList.end())
        it->slot = slot;
    else
        LearnedLiveList.push_back(LearnedLive{hexId, slot});
}

}  // namespace zrb
