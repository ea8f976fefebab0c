// The renewal of the static parking: what stands is kept while it still fits
// the half-hour, the rest is removed and the gaps are planned anew.
#include "airports/parking_adjustments.h"

#include <algorithm>
#include <unordered_map>

#include <fmt/format.h>

#include "config/parameters.h"
#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "foundation/number_text.h"
#include "foundation/strings.h"
#include "liveries/dbase.h"
#include "shell/common/main_window_state.h"
#include "shell/common/message_line.h"
#include "traffic/traffic_lists.h"
#include "traffic/stand_search.h"
#include "traffic/traffic_manager.h"

namespace zrb {

namespace {

using PendingIterator = std::vector<PendingParking>::iterator;

constexpr std::uint32_t realMode = 1;
constexpr std::uint32_t softMode = 0;
constexpr std::int32_t maxScheduleWindow = 47;
constexpr char staticMark = '*';

void lf_keep(const AiAc& s, bool replan) {
    KeptStaticList.push_back(KeptStatic{s.callsign, s.text6, s.text7, s.registration, s.airline, s.type, s.day, s.slot,
                                        s.standId, static_cast<std::uint8_t>(replan ? 1 : 0)});
}

std::int64_t lf_seenAgo(const AiAc& s, DaySlot now) { return gf_slotsSince(s.day, s.slot, now); }

PendingIterator lf_plannedOn(std::uint32_t standId) {
    return std::find_if(PendingParkingList.begin(), PendingParkingList.end(),
                        [standId](const PendingParking& p) { return p.standId == standId; });
}

bool lf_starred(const std::string& planned, const std::string& shown) {
    return !planned.empty() && gf_equalsWithStar(planned, shown);
}

bool lf_sameAirlineType(const PendingParking& p, const AiAc& s) { return p.airline == s.airline && p.type == s.type; }

// Counting options are numbered 1, 2, ... in list order; the stand's visits
// follow their options' new numbers.
void lf_numberOptions(Stand& stand) {
    std::unordered_map<std::uint32_t, std::uint32_t> renumbered;
    std::uint32_t next = 1;
    for (StandOption& o : stand.options) {
        if (o.optionId == 0) continue;
        renumbered.emplace(o.optionId, next);
        o.optionId = next++;
    }
    for (StandVisits* visits : {&stand.realVisits, &stand.softVisits}) {
        for (auto& [hexId, visit] : *visits) {
            const auto it = renumbered.find(visit.optionId);
            visit.optionId = it == renumbered.end() ? 0 : it->second;
        }
    }
}

// The parked traffic planned again; its static aircraft stay where the
// service still reports them and go where it does not.
void lf_addPtPositions() {
    lf_ptToStands();
    for (const AiAc& s : g_staticList) {
        if (!lf_isStayingStatic(s, g_planKindParkedTraffic)) continue;
        if (g_liveHexIds.contains(s.liveHexId)) {  // it flies now
            lf_markForRemoval(s);
            continue;
        }
        const auto p = std::find_if(PendingParkingList.begin(), PendingParkingList.end(),
                                    [&s](const PendingParking& r) { return lf_pendingMatchesStatic(s, r); });
        if (p != PendingParkingList.end() && p->standId == s.standId) {
            lf_keep(s, false);
            PendingParkingList.erase(p);
        } else {
            lf_markForRemoval(s);
        }
    }
    const std::size_t n = PendingParkingList.size();
    gf_logLine("{} new parking position{} from PT", n, gf_plural(n));
}

// Static aircraft from the options against the parked traffic planned on
// their stands (or under their callsign): the more recent observation wins.
void lf_checkStaticAgainstPt(bool full, DaySlot now) {
    if (full) return;
    for (const AiAc& s : g_staticList) {
        if (!lf_isStayingStatic(s, g_planKindOptions)) continue;
        const auto p = std::find_if(PendingParkingList.begin(), PendingParkingList.end(), [&s](const PendingParking& r) {
            return r.standId == s.standId || lf_starred(r.callsign, s.callsign);
        });
        if (p == PendingParkingList.end()) continue;
        if (p->ageSlots >= lf_seenAgo(s, now) || (lf_starred(p->callsign, s.callsign) && lf_sameAirlineType(*p, s)))
            PendingParkingList.erase(p);
        else
            lf_markForRemoval(s);
    }
}

// True when the aircraft stays (the record is dropped), false when it goes.
bool lf_resolveStandConflict(const AiAc& s, DaySlot now, PendingIterator p) {
    if (p->ageSlots < lf_seenAgo(s, now)) {
        lf_markForRemoval(s);
        return false;
    }
    PendingParkingList.erase(p);
    return true;
}

bool lf_conflictsWithNeighbours(const AiAc& s, const Stand& stand, DaySlot now, bool& stays) {
    bool conflict = false;
    stays = true;
    for (const std::uint32_t n : stand.neighbours) {
        const auto p = lf_plannedOn(n);
        const Stand* other = gf_standById(n);
        if (p == PendingParkingList.end() || other == nullptr) continue;
        if (gf_distanceNm({s.lat, s.lon}, {other->lat, other->lon}) >= gf_wingspan(s.type) + gf_wingspan(p->type))
            continue;
        conflict = true;
        if (!lf_resolveStandConflict(s, now, p)) {
            stays = false;
            break;
        }
    }
    return conflict;
}

// One of the stand's options saw this aircraft within the window of the
// last fill's rounds before now.
bool lf_seenRecently(const AiAc& s, const Stand& stand, DaySlot now) {
    const std::int32_t window = std::min(std::max(g_realFitRound, g_softFitRound), maxScheduleWindow);
    for (const StandOption& o : stand.options) {
        std::int32_t previousDaySlots = -1;
        if (gf_coupledInSlotsBefore(o, s, now, window, previousDaySlots)) return true;
        if (previousDaySlots > 0) {
            const std::uint32_t day = gf_dayOf(now) <= 1 ? g_daysPerWeek : gf_dayOf(now) - 1;
            if (gf_coupledInLastSlotsOfDay(o, s, day, previousDaySlots)) return true;
        }
    }
    return false;
}

// A kept turnaround whose option ends with this half-hour is planned anew as
// its next flight.
void lf_markTurnarounds(DaySlot now) {
    std::stable_sort(KeptStaticList.begin(), KeptStaticList.end(),
                     [](const KeptStatic& a, const KeptStatic& b) { return a.day < b.day; });
    const auto day = static_cast<std::int32_t>(gf_dayOf(now));
    const std::uint32_t slot = gf_slotOf(now);
    for (KeptStatic& e : KeptStaticList) {
        const Stand* stand = gf_standById(e.standId);
        if (e.coupledCallsign.empty() || e.callsign.find(e.optionCallsign) == std::string::npos || stand == nullptr)
            continue;
        std::string cs = e.callsign;
        if (!cs.empty() && cs.back() == staticMark) cs.pop_back();
        const auto sameAircraft = [&e](const StandOption& o) { return o.airline == e.airline && o.type == e.type; };
        const auto o = std::find_if(stand->options.begin(), stand->options.end(), [&](const StandOption& x) {
            return x.optionId > 0 && x.day == day && x.callsign == cs && sameAircraft(x);
        });
        if (o == stand->options.end()) continue;
        if (slot + 1 < g_slotsPerDay) {
            e.replan = ((o->halfHours >> (slot + 1)) & 1U) == 0 ? 1 : 0;
            continue;
        }
        const auto nextDay = static_cast<std::int32_t>(gf_dayOf(now) % g_daysPerWeek + 1);
        const bool stays = std::any_of(stand->options.begin(), stand->options.end(), [&](const StandOption& x) {
            return x.optionId > 0 && x.day == nextDay && sameAircraft(x) && (x.halfHours & 1U) != 0;
        });
        e.replan = stays ? 0 : 1;
    }
}

void lf_checkStaticSchedule(DaySlot now) {
    for (const AiAc& s : g_staticList) {
        if (!lf_isStayingStatic(s, g_planKindOptions)) continue;
        if ((!s.text6.empty() && g_liveCallsigns.contains(s.text6)) ||
            (!s.text7.empty() && g_liveCallsigns.contains(s.text7))) {
            lf_markForRemoval(s);  // its flight is live now
            continue;
        }
        if (const auto p = lf_plannedOn(s.standId); p != PendingParkingList.end()) {
            if (lf_sameAirlineType(*p, s) && (lf_starred(p->callsign, s.callsign) || lf_starred(p->coupledCallsign, s.callsign))) {
                lf_keep(s, false);
                PendingParkingList.erase(p);
            } else if (lf_resolveStandConflict(s, now, p)) {
                lf_keep(s, false);
            }
            continue;
        }
        const Stand* stand = gf_standById(s.standId);
        if (stand == nullptr) continue;
        bool stays = true;
        if (lf_conflictsWithNeighbours(s, *stand, now, stays)) {
            if (stays) lf_keep(s, false);
            continue;
        }
        if (lf_seenRecently(s, *stand, now))
            lf_keep(s, false);
        else
            lf_markForRemoval(s);
    }
    lf_markTurnarounds(now);
}

// Re-planned turnarounds: the aircraft goes and its next flight is planned on its stand.
void lf_replanTurnarounds(DaySlot now) {
    for (const KeptStatic& e : KeptStaticList) {
        if (e.replan == 0) continue;
        const auto fit = static_cast<std::uint32_t>(gf_slotsSince(e.day, e.slot, now));
        PendingParkingList.push_back(PendingParking{0, g_planKindOptions, e.standId, fit, e.airline, e.type,
                                                    e.optionCallsign, e.coupledCallsign, e.registration, 0});
        ToRemoveList.push_back(ToRemove{e.callsign, e.standId});
    }
    std::erase_if(KeptStaticList, [](const KeptStatic& e) { return e.replan != 0; });
}

std::vector<std::uint32_t> lf_parkedLiveStands() {
    std::vector<std::uint32_t> stands;
    stands.reserve(ParkedLiveList.size());
    for (const ParkedLiveEntry& e : ParkedLiveList) stands.push_back(e.standId);
    return stands;
}

// The end of every renewal: removals carried out, the stand flags as the
// airport now stands and is planned.
void lf_finish() {
    lf_applyRemovals();
    lf_rebuildStandFlags(lf_parkedLiveStands());
}

}  // namespace

void lf_markForRemoval(const AiAc& aircraft) {
    if (!lf_isLeaving(aircraft)) ToRemoveList.push_back(ToRemove{aircraft.callsign, aircraft.standId});
}

bool lf_isLeaving(const AiAc& aircraft) {
    return std::any_of(ToRemoveList.begin(), ToRemoveList.end(), [&aircraft](const ToRemove& r) {
        return r.standId == aircraft.standId && r.callsign == aircraft.callsign;
    });
}

bool lf_isStayingStatic(const AiAc& aircraft, std::uint32_t planKind) {
    return aircraft.fs == LifecycleState::active && aircraft.planKind == planKind && !lf_isLeaving(aircraft);
}

void lf_applyRemovals() {
    for (const ToRemove& r : ToRemoveList) {
        // The listed aircraft itself; a record of another aircraft on the
        // stand is never taken for it.
        const auto it = std::find_if(g_staticList.begin(), g_staticList.end(), [&r](const AiAc& s) {
            return s.standId == r.standId && s.callsign == r.callsign &&
                   (s.fs == LifecycleState::active || s.fs == LifecycleState::removingfromsim);
        });
        if (it != g_staticList.end()) removeAircraftFromSim(*it);
    }
    ToRemoveList.clear();
    if (!PendingParkingList.empty()) gf_lockUi();
}

bool lf_pendingMatchesStatic(const AiAc& aircraft, const PendingParking& record) {
    return aircraft.callsign == record.callsign + staticMark || aircraft.callsign == record.coupledCallsign + staticMark ||
           record.registration == aircraft.registration;
}

void lf_trimToWanted(std::int64_t wanted) {
    std::int64_t excess = static_cast<std::int64_t>(PendingParkingList.size() + KeptStaticList.size() +
                                                    ParkedLiveList.size()) -
                          wanted;
    for (; excess >= 1; --excess) {
        if (!PendingParkingList.empty()) {
            PendingParkingList.pop_back();
        } else if (!KeptStaticList.empty()) {
            const KeptStatic& k = KeptStaticList.back();
            ToRemoveList.push_back(ToRemove{k.callsign, k.standId});
            KeptStaticList.pop_back();
        } else if (!ParkedLiveList.empty()) {
            const ParkedLiveEntry& e = ParkedLiveList.back();
            LiveAc* live = e.hexId != 0 ? gf_findLive(e.hexId) : nullptr;
            if (live == nullptr) {
                const auto it = std::find_if(g_liveList.begin(), g_liveList.end(),
                                             [&e](const LiveAc& a) { return a.standId == e.standId; });
                if (it != g_liveList.end()) live = &*it;
            }
            if (live != nullptr) removeAircraftFromSim(*live);
            ParkedLiveList.pop_back();
        } else {
            break;
        }
    }
}

void gf_parkingAdjustments(bool full) {
    const DaySlot now = lf_logSimDay();
    lf_takeFeedIds();
    gf_lockUi();
    g_mainWindowState.staticFitMark = false;
    gf_invalidateBand(g_lowerBand);
    ToRemoveList.clear();
    KeptStaticList.clear();
    ParkedLiveList.clear();
    PendingParkingList.clear();
    lf_clearStandFlags();
    for (Stand& stand : StandTable) lf_numberOptions(stand);
    lf_markReservedStands();
    if (full) {
        // They go before the search, so that their options can be planned anew.
        for (AiAc& s : g_staticList) {
            if (!lf_isStayingStatic(s, g_planKindOptions)) continue;
            lf_markForRemoval(s);
            removeAircraftFromSim(s);
        }
    }
    const std::int64_t wanted = lf_calcWantedStatic();
    gf_collectParkedLive();
    const bool parkedTrafficOnly = RT_PARKTRAFFIC_ONLY.value;
    if (!parkedTrafficOnly && wanted > 0 && wanted < static_cast<std::int64_t>(ParkedLiveList.size())) {
        const auto surplus = static_cast<std::int64_t>(ParkedLiveList.size()) - wanted;
        gf_showMessage(fmt::format("Parking adjustments: {} more live ac than wanted", surplus), true);
        gf_removeLiveParked(static_cast<std::size_t>(surplus));
        ParkedLiveList.clear();
        gf_collectParkedLive();
    }
    for (const ParkedLiveEntry& e : ParkedLiveList)
        if (Stand* stand = gf_standById(e.standId)) lf_occupyStand(*stand);
    const bool parkedTraffic = lf_requestParkedTraffic();
    if (parkedTraffic) lf_addPtPositions();
    if (parkedTrafficOnly) {
        // Only the service's parked traffic counts: no option is searched,
        // also when the service did not answer.
        if (parkedTraffic)
            gf_showMessage(fmt::format("ParkTraffic changes: {} to be removed, {} to be added", ToRemoveList.size(),
                                       PendingParkingList.size()),
                           true);
        lf_finish();
        return;
    }
    lf_checkStaticAgainstPt(full, now);
    const auto kept = static_cast<std::int64_t>(ParkedLiveList.size() + KeptStaticList.size());
    for (const KeptStatic& k : KeptStaticList)
        if (Stand* stand = gf_standById(k.standId)) lf_occupyStand(*stand);
    if (wanted - static_cast<std::int64_t>(PendingParkingList.size()) != kept) {
        g_realFitRound = 0;
        g_softFitRound = -1;
        lf_fillByFit(now, wanted, kept, realMode);
        if (static_cast<std::int64_t>(PendingParkingList.size()) + kept < wanted && (PARK_SOFT.value || PARK_FAKE.value))
            lf_fillByFit(now, wanted, kept, softMode);
    }
    lf_checkStaticSchedule(now);
    lf_replanTurnarounds(now);
    lf_trimToWanted(wanted);
    std::stable_sort(PendingParkingList.begin(), PendingParkingList.end(),
                     [](const PendingParking& a, const PendingParking& b) { return a.ageSlots > b.ageSlots; });
    gf_showMessage(fmt::format("Parking adjustments: {} to be removed, {} to be added", ToRemoveList.size(),
                               PendingParkingList.size()),
                   true);
    lf_finish();
}

}  // namespace zrb
