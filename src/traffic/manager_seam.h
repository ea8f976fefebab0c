#pragma once
// What a run needs of the AI traffic manager, until the manager is built: the
// per-pass and per-second jobs the main loop calls, the resets of a run, and a
// read-only view of the live and static lists for the shell's own rules
// (collision avoidance round the user, static doubles, blocked callsign). The
// minimal implementation (manager_seam.cpp) manages no aircraft. The manager
// issue replaces both files.
//
// Threads: worker thread only, except where a function says otherwise.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zrb {

enum class LifecycleState : std::uint32_t { buffer = 0, adding2sim = 1, active = 2, liveryrespawn = 3, removingfromsim = 4 };
enum class MovementState : std::uint32_t {
    pushingBack = 0,
    pushedBack = 1,
    taxi = 2,
    takeOff = 3,
    flying = 4,
    parking = 5,
    parked = 6,
    birth = 7,
};

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

void gf_reserveTrafficLists();
// The manager's pass while the simulation runs.
void lf_handleAddingStack();
void gf_processSimNotices();
// Empties the lists and the manager's run state for a new run.
void gf_resetTraffic();
void gf_logNoMatches();
void gf_clearRememberedLiveries();
void gf_createFlightPlanFolder();
void gf_removeFlightPlanFolder();
// Empties the string list that spawn waiting and ghost removal share.
void gf_clearSharedStringList();
void gf_lockUi();
// A static-parking computation is under way (Re-read then waits).
bool gf_staticParkingComputing();
void gf_clearReservedStand();
void gf_removeAllStatic();
void gf_trimLiveToMax();
// Queues NAV_LIGHTS_SET for parked static and live aircraft.
void gf_setParkedNavLights(bool on);
// The traffic part of a time shift: active live aircraft removed, queued
// creations withdrawn, static aircraft removed.
void gf_clearTrafficForTimeShift();

std::vector<AircraftView> gf_liveAircraftViews();
std::vector<AircraftView> gf_staticAircraftViews();
// removeAircraftFromSim on the aircraft at that index of the list as the
// views above listed it (valid until the manager's next pass).
void gf_removeLiveAircraftAt(std::size_t index);
void gf_removeStaticAircraftAt(std::size_t index);
void gf_collisionAvoidanceRemove(std::size_t liveIndex);

// The queue of live aircraft to check for coupled callsigns and static doubles.
std::optional<std::uint32_t> gf_checkQueueFront();
void gf_popCheckQueue();
bool gf_coupledSearchDone(std::uint32_t hexId);
// lf_searchForCoupledCsAroundThisTime, then marks the aircraft searched.
void gf_searchCoupledCallsigns(std::uint32_t hexId);
void gf_removeStaticDoubles(std::uint32_t hexId, bool onGround);

ParkedCount gf_countLiveParked();
ParkedCount gf_countStaticParked();

}  // namespace zrb
