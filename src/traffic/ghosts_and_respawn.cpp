#include "traffic/ghosts_and_respawn.h"

#include <algorithm>

#include "airports/aircraft_keys.h"
#include "config/parameters.h"
#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "traffic/feed_intake.h"
#include "traffic/removal.h"
#include "traffic/traffic_lists.h"

namespace zrb {

namespace {

LiveAc* lf_liveWithCallsign(const std::string& callsign) {
    const auto it = std::find_if(g_liveList.begin(), g_liveList.end(), [&](const LiveAc& a) {
        return a.fs != LifecycleState::removingfromsim && a.callsign == callsign;
    });
    return it == g_liveList.end() ? nullptr : &*it;
}

}  // namespace

void lf_removeGhost(const std::string& callsign) {
    if (callsign.empty()) return;
    LiveAc* ghost = lf_liveWithCallsign(callsign + '_');
    if (ghost == nullptr) return;
    if (LOG.value) {
        if (ghost->st == MovementState::parked)
            gf_logLine("{:8}: {:8} is a ghost and will be removed, continue with {}", lf_standName(ghost->standId),
                       ghost->callsign, callsign);
        else
            gf_logLine("          {:8} is a ghost and will be removed, continue with {}", ghost->callsign, callsign);
    }
    g_ghostList.push_back(ghost->callsign);
    removeAircraftFromSim(*ghost);
}

bool lf_liveCopySourceExists(const std::string& callsign) {
    if (callsign.size() < 2) return false;
    return lf_liveWithCallsign(callsign.substr(0, callsign.size() - 1)) != nullptr;
}

void liveryRespawn(LiveAc& a) {
    if (!a.samples.empty()) {
        if (a.st == MovementState::parked) {
            // A parked aircraft's only sample may be due a week ahead: it is
            // created again now, not then.
            if (a.samples.front().duePass > g_passTick.load()) a.samples.front().duePass = g_passTick.load();
        } else {
            // Created again where it is now, so that it neither jumps back nor
            // ahead. On the ground it then stands until the feed moves it; in
            // the air it flies on along the track it had, which no aircraft
            // could wait for.
            const bool flying = a.onGround == 0 && a.samples.front().airborne != 0;
            if (!flying) {
                a.samples.resize(1);
                a.samples.front().stationary = 1;
            }
            PosSample here = a.samples.front();
            here.lat = a.block.latitudeDeg;
            here.lon = a.block.longitudeDeg;
            here.altitude = a.block.altitudeFt;
            here.heading = a.block.headingRad * g_radToDeg;
            here.stationary = flying ? 0 : 1;
            a.samples.push_front(here);
        }
    }
    a.fs = LifecycleState::liveryrespawn;
    if (a.objectId == 0)
        gf_logMarked("{} removing act {} with objectid=0 ?", "liveryRespawn", gf_acLogKey(a));
    else
        g_removalDeque.push_back(a.objectId);
}

}  // namespace zrb
