#pragma once
// A landed or taxiing live aircraft that comes to a stop near a free stand of
// the park airport drives onto it and parks there with the stand's heading;
// the stand is held for it from the moment it is chosen (no other live
// aircraft is given it), and whatever stands there or too close beside it
// makes way. Also the claims of an aircraft born on the ground at a stand,
// the bookkeeping of a created aircraft that stands on the ground, and of
// touchdown.
//
// Threads: worker thread.

#include <cstdint>
#include <string>

#include "airports/stand.h"
#include "foundation/geodesy.h"
#include "traffic/ai_aircraft.h"

namespace zrb {

inline constexpr double g_arrivedNm = 0.0010799136069114472;  // 2 m
inline constexpr std::int32_t g_minDriveToStandPasses = 100;
inline constexpr std::int32_t g_stopAfterDrivePasses = 50;
inline constexpr double g_adjacentClaimFactor = 1.1;
inline constexpr double g_touchdownControlsPercent = 100.0;

// The park airport's stands are in use: its file is read and holds stands.
bool gf_parkAirportActive();

// Looks for a free stand near the last queued sample (55 m wide, with the
// stands of options for the callsign; 20 m narrow) and starts the drive onto it.
void try2Park(LiveAc& aircraft, bool wide);

// The end of the drive: a stand (position and heading in radians).
struct StandTarget {
    LatLon position;
    double headingRad = 0.0;
};
// Appends the drive onto the stand at the stand approach speed (at least 100
// passes) and the stop 50 passes later.
void drive2Stand(LiveAc& aircraft, const StandTarget& target);
// The queue ran out while parking: parked when within 2 m of the stand, else
// it taxis on; removed when another aircraft has taken the stand meanwhile.
void lf_arrivedAtStand(LiveAc& aircraft);

// For an aircraft born on the ground at the stand: whether it may take it (an
// aircraft of the same callsign, or its ghost, standing there is removed).
bool lf_claimStandOnSpawn(std::uint32_t standId, const std::string& callsign);
// A live aircraft parked or pushing back on the stand with this number whose
// wings would touch the aircraft parking on the stand is removed.
void lf_clearAdjacentStand(std::uint32_t standId, const LiveAc& aircraft, const Stand& stand);
// A cargo aircraft of a named airline arrives at a stand that was no cargo
// stand when it was chosen and is one now: the stand's cargo attribute is
// cleared. Nothing else changes it.
void lf_setCargoFalse(LiveAc& aircraft, Stand& stand);

// From the created notice, for an aircraft whose front sample is on the ground.
void lf_park(LiveAc& aircraft);
// Touchdown, from the simulator's ground data during a flare or an approach.
void lf_setOnGroundSlots(LiveAc& aircraft);

}  // namespace zrb
