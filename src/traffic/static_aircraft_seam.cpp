// The least form of static doubles and parked live aircraft (see the header).
#include "traffic/static_aircraft_seam.h"

#include <algorithm>

#include "traffic/removal.h"
#include "traffic/traffic_lists.h"

namespace zrb {

bool gf_coupledSearchDone(std::uint32_t hexId) {
    const LiveAc* a = gf_findLive(hexId);
    return a == nullptr || a->coupledSearched != 0;
}

void gf_searchCoupledCallsigns(std::uint32_t hexId) {
    if (LiveAc* a = gf_findLive(hexId)) a->coupledSearched = 1;
}

void gf_removeStaticDoubles(std::uint32_t /*hexId*/, bool /*onGround*/) {}

void gf_collectParkedLive() {}

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

}  // namespace zrb
