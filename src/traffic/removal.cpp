#include "traffic/removal.h"

#include <algorithm>
#include <cmath>

#include "airports/aircraft_keys.h"
#include "airports/static_parking_plan.h"
#include "airports/stand.h"
#include "config/parameters.h"
#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "foundation/time.h"
#include "shell/common/run_state.h"
#include "traffic/stand_search.h"
#include "traffic/traffic_lists.h"

namespace zrb {

namespace {

constexpr std::int64_t secondsPerMinute = 60;

// A create request still waiting in the manager: on the spawn stack or in a
// create deque. Taken back, it is never sent. Matched by hex id, which is
// unique among the live and among the static records, while two aircraft may
// share a callsign.
bool lf_withdrawQueuedCreate(const AiAc& aircraft) {
    if (gf_isLiveHexId(aircraft.hexId)) {
        const auto it = std::find(g_spawnStack.begin(), g_spawnStack.end(), aircraft.hexId);
        if (it != g_spawnStack.end()) {
            g_spawnStack.erase(it);
            return true;
        }
        return gf_dropQueuedCreate(g_liveCreateDeque, aircraft.hexId);
    }
    return gf_dropQueuedCreate(g_staticCreateDeque, aircraft.hexId);
}

void lf_freeLiveStand(const AiAc& aircraft) {
    if (!gf_isLiveHexId(aircraft.hexId)) return;
    if (Stand* stand = gf_standById(aircraft.standId)) stand->occupied = 0;
    gf_releaseStand(aircraft);
}

double lf_distanceToUser(double lat, double lon) {
    return gf_distanceNm(LatLon{g_userAcCopy.lat, g_userAcCopy.lon}, LatLon{lat, lon});
}

}  // namespace

void removeAircraftFromSim(AiAc& aircraft) {
    switch (aircraft.fs) {
        case LifecycleState::buffer:
            aircraft.dropFromList = 1;
            if (!gf_isLiveHexId(aircraft.hexId)) g_staticFlagged = true;
            return;
        case LifecycleState::removingfromsim:
            return;  // its removal is on its way
        case LifecycleState::liveryrespawn:
            // The old object's removal is queued already; when it is reported
            // the record goes instead of being spawned again.
            aircraft.fs = LifecycleState::removingfromsim;
            return;
        default: break;
    }
    if (aircraft.removeWhenCreated != 0) return;
    if (aircraft.fs == LifecycleState::adding2sim) {
        if (lf_withdrawQueuedCreate(aircraft)) {
            aircraft.cancelled = 1;
            if (!gf_isLiveHexId(aircraft.hexId)) g_staticFlagged = true;
        } else {
            aircraft.removeWhenCreated = 1;
        }
        return;
    }
    lf_freeLiveStand(aircraft);
    aircraft.fs = LifecycleState::removingfromsim;
    if (aircraft.objectId != 0)
        g_removalDeque.push_back(aircraft.objectId);
    else
        gf_logMarked("{} removing act {}, with objectid=0 ?", "removeAircraftFromSim", gf_acLogKey(aircraft));
}

bool lf_removeFarthestLive(double d) {
    double best = d;
    LiveAc* pick = nullptr;
    for (LiveAc& a : g_liveList) {
        if (a.fs != LifecycleState::active) continue;
        const double r = lf_distanceToUser(a.block.latitudeDeg, a.block.longitudeDeg);
        if (r > best + g_farthestMarginNm) {
            best = r;
            pick = &a;
        }
    }
    if (pick == nullptr) return true;
    removeAircraftFromSim(*pick);
    return false;
}

void gf_trimLiveToMax() {
    const std::int32_t max = MAX_LIVE_SEL.value;
    if (max == g_maxLiveSelDefault) return;
    const auto active = std::count_if(g_liveList.begin(), g_liveList.end(),
                                      [](const LiveAc& a) { return a.fs == LifecycleState::active; });
    for (auto k = active - max; k > 0; --k) lf_removeFarthestLive(-1.0);
}

void lf_checkMaxPark(std::int32_t extra) {
    if (RT_PARKTRAFFIC_ONLY.value) return;
    const std::int32_t wanted = lf_calcWantedStatic();
    if (wanted < 1) return;
    const auto parkedLive = std::count_if(g_liveList.begin(), g_liveList.end(), [](const LiveAc& a) {
        return a.st == MovementState::parked && a.fs == LifecycleState::active;
    });
    const std::int64_t n = parkedLive + extra;
    if (!INITIAL_LOAD_ONLY.value && n > wanted) {
        const std::vector<ParkedLive> parked = lf_listParkedLive();
        LiveAc* longest = parked.empty() ? nullptr : gf_findLive(parked.front().hexId);
        if (longest != nullptr && longest->fs == LifecycleState::active) {
            gf_logLine("{:8}: {} live max park exceeded, removed", lf_standName(longest->standId), longest->callsign);
            removeAircraftFromSim(*longest);
        }
    }
    const auto s = std::count_if(g_staticList.begin(), g_staticList.end(), [](const AiAc& a) {
        return a.fs == LifecycleState::active || a.fs == LifecycleState::removingfromsim;
    });
    if (s + n <= wanted) return;
    // The oldest parking record counts from now back, across the end of the week.
    const DaySlot now = g_currentDaySlot.load();
    AiAc* oldest = nullptr;
    std::int64_t oldestAge = -1;
    for (AiAc& a : g_staticList) {
        if (a.fs != LifecycleState::active && a.fs != LifecycleState::removingfromsim) continue;
        const std::int64_t age = gf_elapsedSlots(gf_makeDaySlot(a.day, a.slot), now);
        if (age > oldestAge) {
            oldestAge = age;
            oldest = &a;
        }
    }
    if (oldest != nullptr && oldest->fs == LifecycleState::active) {
        gf_logLine("{:8}: {} static max park exceeded, removed", lf_standName(oldest->standId), oldest->callsign);
        removeAircraftFromSim(*oldest);
    }
}

std::vector<ParkedLive> lf_listParkedLive() {
    std::vector<ParkedLive> parked;
    const Seconds now = gf_systemNow();
    for (const LiveAc& a : g_liveList)
        if (a.fs == LifecycleState::active && a.st == MovementState::parked)
            parked.push_back(ParkedLive{a.hexId, (now - a.parkTimeS) / secondsPerMinute});
    std::stable_sort(parked.begin(), parked.end(),
                     [](const ParkedLive& x, const ParkedLive& y) { return x.minutes > y.minutes; });
    return parked;
}

void gf_removeLiveParked(std::size_t count) {
    const std::vector<ParkedLive> parked = lf_listParkedLive();
    const std::size_t n = std::min(count, parked.size());
    for (std::size_t i = 0; i < n; ++i) {
        LiveAc* a = gf_findLive(parked[i].hexId);
        if (a == nullptr || a->fs != LifecycleState::active) continue;
        gf_logLine("live parked {} at {} removed", gf_acLogKey(*a), lf_standName(a->standId));
        removeAircraftFromSim(*a);
    }
}

void gf_collisionAvoidanceRemove(LiveAc& live) {
    if (live.touchedDown != 0 || live.landed != 0) return;
    live.lastCheckLat = live.block.latitudeDeg;
    live.lastCheckLon = live.block.longitudeDeg;
    const LatLon position{live.block.latitudeDeg, live.block.longitudeDeg};
    for (AiAc& s : g_staticList) {
        if (s.fs != LifecycleState::active || s.callsign == live.callsign) continue;
        if (gf_distanceNm(position, LatLon{s.lat, s.lon}) > (s.halfSpan + live.halfSpan) * g_staticCollisionFactor)
            continue;
        if (LOG.value)
            gf_logLine("{:8}: {:8} removed for collision avoidance with static {}", lf_standName(s.standId), s.callsign,
                       live.callsign);
        removeAircraftFromSim(s);
        return;
    }
}

void gf_collisionAvoidanceRemove(std::size_t liveIndex) {
    if (liveIndex < g_liveList.size()) gf_collisionAvoidanceRemove(g_liveList[liveIndex]);
}

bool gf_dropQueuedStaticCreate(std::deque<CreateAcRequest>& deque, std::string_view callsign) {
    const auto removed = std::erase_if(deque, [callsign](const CreateAcRequest& r) { return r.callsign == callsign; });
    return removed > 0;
}

bool gf_dropQueuedCreate(std::deque<CreateAcRequest>& deque, std::uint32_t hexId) {
    const auto removed = std::erase_if(deque, [hexId](const CreateAcRequest& r) { return r.hexId == hexId; });
    return removed > 0;
}

}  // namespace zrb
