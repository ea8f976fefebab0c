#pragma once
// What the shell reads of the manager's lists and the requests it makes of
// them: copies of the live and static aircraft for the per-second rules
// (collision avoidance round the user, static doubles, the blocked callsign,
// the counts), removals by index, and the window's requests that the worker
// serves (parked nav lights, the traffic part of a time shift).
//
// Threads: worker thread only (the window's handlers reach these through
// request flags that the worker serves).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "traffic/ai_aircraft.h"

namespace zrb {

// One aircraft of the live or static list as the per-second rules read it.
struct AircraftView {
    std::uint32_t hexId = 0;
    std::string callsign;
    std::string registration;
    double lat = 0.0;           // degrees
    double lon = 0.0;           // degrees
    double altitudeFt = 0.0;    // feet
    double headingRad = 0.0;    // radians
    double halfSpanNm = 0.0;    // nautical miles
    double previousLat = 0.0;   // degrees, at the last collision check (live only)
    double previousLon = 0.0;   // degrees
    bool onGround = false;
    LifecycleState state = LifecycleState::buffer;
    MovementState movement = MovementState::birth;
};

struct ParkedCount {
    std::uint64_t count = 0;
    float averageFitHours = -1.0F;  // -1 = none
};

std::vector<AircraftView> gf_liveAircraftViews();
std::vector<AircraftView> gf_staticAircraftViews();
// removeAircraftFromSim on the aircraft at that index of the list as the views
// above listed it (valid until the manager's next pass).
void gf_removeLiveAircraftAt(std::size_t index);
void gf_removeStaticAircraftAt(std::size_t index);

// NAV_LIGHTS_SET (1 on, 0 off) for every active static aircraft, then every
// active parked live aircraft.
void gf_setParkedNavLights(bool on);
// The traffic part of a time shift: active live aircraft removed, queued live
// creations withdrawn (or their removal follows the creation), static
// aircraft removed. Live aircraft waiting in buffer stay.
void gf_clearTrafficForTimeShift();
// Empties the ghost list.
void gf_clearSharedStringList();

}  // namespace zrb
