// The least form of ghosts, doubles and parked live aircraft (see the header).
#include "traffic/ghosts_doubles_seam.h"

#include <algorithm>
#include <deque>

#include "traffic/removal.h"
#include "traffic/traffic_lists.h"

namespace zrb {

namespace {

// Worker thread.
std::deque<std::uint32_t> g_doublesCheckList;

}  // namespace

void lf_removeGhost(const std::string& /*callsign*/) {}

void lf_queueDoublesCheck(std::uint32_t hexId) { g_doublesCheckList.push_back(hexId); }

std::optional<std::uint32_t> gf_checkQueueFront() {
    if (g_doublesCheckList.empty()) return std::nullopt;
    return g_doublesCheckList.front();
}

void gf_popCheckQueue() {
    if (!g_doublesCheckList.empty()) g_doublesCheckList.pop_front();
}

bool gf_coupledSearchDone(std::uint32_t hexId) {
    const LiveAc* a = gf_findLive(hexId);
    return a == nullptr || a->coupledSearched != 0;
}

void gf_searchCoupledCallsigns(std::uint32_t hexId) {
    if (LiveAc* a = gf_findLive(hexId)) a->coupledSearched = 1;
}

void gf_removeStaticDoubles(std::uint32_t /*hexId*/, bool /*onGround*/) {}

void gf_collectParkedLive() {}

void liveryRespawn(LiveAc& aircraft) {
    aircraft.fs = LifecycleState::liveryrespawn;
    if (aircraft.objectId != 0) g_removalDeque.push_back(aircraft.objectId);
}

void gf_removeAllStatic() {
    for (AiAc& s : g_staticList) {
        if (s.fs == LifecycleState::active || s.fs == LifecycleState::adding2sim) removeAircraftFromSim(s);
    }
    lf_eraseFlaggedStatic();
}

void gf_clearReservedStand() {}

ParkedCount gf_countStaticParked(bool /*withFit*/) {
    const auto n = std::count_if(g_staticList.begin(), g_staticList.end(), [](const AiAc& a) {
        return a.fs == LifecycleState::active || a.fs == LifecycleState::removingfromsim;
    });
    return ParkedCount{static_cast<std::uint64_t>(n), -1.0F};
}

ParkedCount gf_countLiveParked(bool /*withFit*/) {
    const auto n = std::count_if(g_liveList.begin(), g_liveList.end(), [](const LiveAc& a) {
        return a.fs == LifecycleState::active && a.st == MovementState::parked;
    });
    return ParkedCount{static_cast<std::uint64_t>(n), -1.0F};
}

void lf_resetDoublesCheck() { g_doublesCheckList.clear(); }

}  // namespace zrb
