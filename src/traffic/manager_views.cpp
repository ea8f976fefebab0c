#include "traffic/manager_views.h"

#include "simlink/sim_ids.h"
#include "traffic/ac_events.h"
#include "traffic/parked_aircraft.h"
#include "traffic/removal.h"
#include "traffic/traffic_lists.h"

namespace zrb {

namespace {

AircraftView lf_view(const AiAc& a, double lat, double lon) {
    AircraftView v;
    v.hexId = a.hexId;
    v.callsign = a.callsign;
    v.registration = a.registration;
    v.lat = lat;
    v.lon = lon;
    v.headingRad = a.heading;
    v.halfSpanNm = a.halfSpan;
    v.onGround = true;
    v.state = a.fs;
    return v;
}

}  // namespace

std::vector<AircraftView> gf_liveAircraftViews() {
    std::vector<AircraftView> views;
    views.reserve(g_liveList.size());
    for (const LiveAc& a : g_liveList) {
        AircraftView v = lf_view(a, a.block.latitudeDeg, a.block.longitudeDeg);
        v.altitudeFt = a.block.altitudeFt;
        v.headingRad = a.block.headingRad;
        v.previousLat = a.lastCheckLat;
        v.previousLon = a.lastCheckLon;
        v.onGround = a.onGround != 0;
        v.movement = a.st;
        views.push_back(std::move(v));
    }
    return views;
}

std::vector<AircraftView> gf_staticAircraftViews() {
    std::vector<AircraftView> views;
    views.reserve(g_staticList.size());
    for (const AiAc& a : g_staticList) views.push_back(lf_view(a, a.lat, a.lon));
    return views;
}

void gf_removeLiveAircraftAt(std::size_t index) {
    if (index < g_liveList.size()) removeAircraftFromSim(g_liveList[index]);
}

void gf_removeStaticAircraftAt(std::size_t index) {
    if (index < g_staticList.size()) removeAircraftFromSim(g_staticList[index]);
}

void gf_setParkedNavLights(bool on) {
    const std::uint32_t data = on ? 1 : 0;
    for (const AiAc& s : g_staticList)
        if (s.fs == LifecycleState::active) gf_sendAcEvent(s, evNavLightsSet, data);
    for (const LiveAc& a : g_liveList)
        if (a.fs == LifecycleState::active && a.st == MovementState::parked) gf_sendAcEvent(a, evNavLightsSet, data);
}

void gf_clearTrafficForTimeShift() {
    for (LiveAc& a : g_liveList)
        if (a.fs == LifecycleState::active || a.fs == LifecycleState::adding2sim) removeAircraftFromSim(a);
    lf_eraseFlaggedLive();
    gf_removeAllStatic();
}

void gf_clearSharedStringList() { g_ghostList.clear(); }

}  // namespace zrb
