#include "traffic/schedule_search.h"

#include <algorithm>
#include <random>
#include <string>
#include <utility>

#include <fmt/format.h>

#include "config/parameters.h"
#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "foundation/random.h"
#include "foundation/strings.h"
#include "liveries/dbase.h"
#include "traffic/ai_aircraft.h"
#include "traffic/parked_aircraft.h"
#include "traffic/static_parking.h"
#include "traffic/traffic_lists.h"

namespace zrb {

namespace {

// Options found present during the current widening, by stand number and
// option id.
std::vector<std::pair<std::uint32_t, std::uint32_t>> g_spentOptions;

bool lf_spent(const Stand& stand, std::uint32_t optionId) {
    return std::find(g_spentOptions.begin(), g_spentOptions.end(), std::make_pair(stand.number, optionId)) !=
           g_spentOptions.end();
}

// The active static aircraft of each stand number (index 0 unused).
using StaticsByStand = std::vector<std::vector<const AiAc*>>;

StaticsByStand lf_activeStaticsByStand() {
    StaticsByStand byStand(StandTable.size() + 1);
    for (const AiAc& s : g_staticList)
        if (s.fs == LifecycleState::active && s.standId != 0 && s.standId < byStand.size())
            byStand[s.standId].push_back(&s);
    return byStand;
}

bool lf_optionOfMode(const StandOption& o, std::uint32_t mode, DaySlot searched) {
    if (o.optionId == 0) return false;
    if (mode == g_searchReal && o.real != 1) return false;
    if (mode == g_searchSoft && o.real != 0) return false;
    if (!WEEK.value && o.day != static_cast<std::int32_t>(gf_dayOf(searched))) return false;
    return ((o.halfHours >> gf_slotOf(searched)) & 1U) != 0;
}

// The option's aircraft would overlap the first static aircraft on one of the
// stand's neighbours.
bool lf_collidesWithNeighbour(const Stand& stand, const StandOption& o, const StaticsByStand& statics) {
    for (const std::uint32_t neighbour : stand.neighbours) {
        if (neighbour >= statics.size() || statics[neighbour].empty()) continue;
        const AiAc& s = *statics[neighbour].front();
        const double distance = gf_distanceNm(LatLon{s.lat, s.lon}, LatLon{stand.lat, stand.lon});
        if (gf_wingspan(s.type) + gf_wingspan(o.type) > distance) return true;
    }
    return false;
}

const StandOption* lf_optionById(const Stand& stand, std::uint32_t optionId) {
    const auto it = std::find_if(stand.options.begin(), stand.options.end(),
                                 [optionId](const StandOption& o) { return o.optionId == optionId; });
    return it == stand.options.end() ? nullptr : &*it;
}

bool lf_starredIs(std::string_view optionCallsign, std::string_view staticCallsign) {
    return !optionCallsign.empty() && gf_equalsWithStar(optionCallsign, staticCallsign);
}

// A static aircraft already standing here keeps its option first; otherwise
// the order is random.
void lf_chooseOption(const Stand& stand, std::vector<std::uint32_t>& ids, const StaticsByStand& statics) {
    const std::vector<const AiAc*> none;
    for (const AiAc* s : stand.number < statics.size() ? statics[stand.number] : none) {
        for (auto it = ids.begin(); it != ids.end(); ++it) {
            const StandOption* o = lf_optionById(stand, *it);
            if (o == nullptr || o->airline != s->airline || o->type != s->type) continue;
            if (lf_starredIs(o->callsign, s->callsign) || lf_starredIs(o->coupledCallsign, s->callsign)) {
                std::rotate(ids.begin(), it, it + 1);
                return;
            }
        }
    }
    std::shuffle(ids.begin(), ids.end(), lf_initThreadRng());
}

bool lf_sameText(std::string_view a, std::string_view b) { return !a.empty() && a == b; }

bool lf_liveNow(const std::string& callsign) {
    return !callsign.empty() && (g_liveCallsigns.contains(callsign) || g_liveCallsigns.contains(callsign + "_"));
}

bool lf_plannedIn(const std::vector<PendingParking>& list, const StandOption& c) {
    return std::any_of(list.begin(), list.end(), [&c](const PendingParking& p) {
        return lf_sameText(c.registration, p.registration) || lf_pendingHasOptionCallsign(p, c);
    });
}

// The candidate's aircraft is live, stands, or is planned (this round's
// result counts as planned too).
bool lf_optionAlreadyPresent(const StandOption& c, const std::vector<PendingParking>& result) {
    if (lf_plannedIn(PendingParkingList, c) || lf_plannedIn(result, c)) return true;
    if (lf_liveNow(c.callsign) || lf_liveNow(c.coupledCallsign)) return true;
    for (const AiAc& s : g_staticList) {
        if (s.cancelled != 0 || s.dropFromList != 0) continue;
        if (lf_staticHasOptionCallsign(s, c, c.registration)) return true;
        if (s.fs == LifecycleState::active && s.planKind == 0 && lf_starredIs(c.callsign, s.callsign)) return true;
    }
    return std::any_of(ParkedLiveList.begin(), ParkedLiveList.end(), [&c](const ParkedLiveEntry& p) {
        return lf_sameText(p.callsign, c.callsign) || lf_sameText(p.callsign, c.coupledCallsign);
    });
}

bool lf_sameIdentity(const StandOption& a, const StandOption& b) {
    return a.airline == b.airline && a.type == b.type && a.registration == b.registration;
}

// Whether the aircraft of a turnaround (it has a coupled callsign) still
// stands in the half-hour after the searched one.
std::uint8_t lf_staysNextHalfHour(const Stand& stand, const StandOption& c, DaySlot searched) {
    if (c.coupledCallsign.empty()) return 1;
    const std::uint32_t next = gf_slotOf(searched) + 1;
    if (next < g_slotsPerDay) return ((c.halfHours >> next) & 1U) != 0 ? 1 : 0;
    const auto nextDay = static_cast<std::int32_t>(gf_dayOf(searched) % g_daysPerWeek + 1);
    const bool stays = std::any_of(stand.options.begin(), stand.options.end(), [&](const StandOption& o) {
        return o.optionId != 0 && o.day == nextDay && lf_sameIdentity(o, c) && (o.halfHours & 1U) != 0;
    });
    return stays ? 1 : 0;
}

void lf_markFilled(Stand& stand) {
    stand.occupied = 1;
    for (const std::uint32_t neighbour : stand.neighbours)
        if (Stand* n = gf_standById(neighbour)) n->blocked = 1;
}

}  // namespace

void lf_searchStands(DaySlot time, std::uint32_t mode, std::uint32_t offset, std::vector<PendingParking>& result) {
    if (offset == 0) g_spentOptions.clear();
    if (!gf_isDaySlot(time)) return;
    const DaySlot searched = gf_daySlotBefore(time, offset);
    const StaticsByStand statics = lf_activeStaticsByStand();
    std::vector<std::uint32_t> ids;
    ids.reserve(g_optionIdsReserve);
    std::string pairs;
    for (Stand& stand : StandTable) {
        if (stand.excluded != 0 || stand.occupied != 0 || stand.blocked != 0) continue;
        if (stand.heli != 0 && !HELICOPTERS.value) continue;
        ids.clear();
        for (const StandOption& o : stand.options)
            if (lf_optionOfMode(o, mode, searched) && !lf_spent(stand, o.optionId) &&
                !lf_collidesWithNeighbour(stand, o, statics))
                ids.push_back(o.optionId);
        if (ids.empty()) continue;
        if (ids.size() >= 2) lf_chooseOption(stand, ids, statics);
        const StandOption* candidate = lf_optionById(stand, ids.front());
        if (candidate == nullptr) continue;
        if (lf_optionAlreadyPresent(*candidate, result)) {
            g_spentOptions.emplace_back(stand.number, candidate->optionId);
            continue;
        }
        result.push_back(PendingParking{0, g_planKindOptions, stand.number, offset, candidate->airline,
                                        candidate->type, candidate->callsign, candidate->coupledCallsign,
                                        candidate->registration, lf_staysNextHalfHour(stand, *candidate, searched)});
        lf_markFilled(stand);
        pairs += fmt::format("[{},{}]", stand.id, candidate->optionId);
    }
    if (LOG.value)
        gf_logLine("{}: day: {}, offset {}: {}", "lf_searchStands", gf_dayOf(searched), offset, pairs);
}

}  // namespace zrb
