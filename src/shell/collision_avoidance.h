#pragma once
// Collision avoidance round the user's aircraft: the geometry of the rules,
// and the once-a-second pass that removes at most one aircraft by them.

#include "simlink/sim_link.h"
#include "traffic/traffic_manager.h"

namespace zrb {

inline constexpr double g_lowUserAglFt = 500.0;         // below: ground traffic ahead is removed
inline constexpr double g_groundAheadRangeNm = 1.0;
inline constexpr double g_groundAheadOffsetFt = 50.0;   // from the user's heading line
inline constexpr double g_crossingRangeNm = 4.0;
inline constexpr double g_crossingHeightFt = 1000.0;
inline constexpr double g_crossingOffsetFt = 700.0;     // of the user from the aircraft's heading line
inline constexpr double g_liveSpanFactor = 1.15;
inline constexpr double g_staticSpanFactor = 1.1;
inline constexpr double g_movedDegrees = 1e-8;

// The user is airborne and the aircraft on the ground within 1 NM, less than
// 50 ft off the user's heading line.
bool gf_groundAircraftAhead(const UserAcData& user, const AircraftView& aircraft);
// The aircraft is within 4 NM and less than 1000 ft above or below the user,
// and the user lies within 700 ft of the aircraft's heading line (ahead or behind).
bool gf_crossingAircraft(const UserAcData& user, const AircraftView& aircraft);
// On the ground: the two aircraft are closer than their half spans times factor.
bool gf_wingsTouch(const UserAcData& user, const AircraftView& aircraft, double factor);

// The per-second collision pass round the user (worker thread).
void lf_userCollisionAvoidance();
// Forgets the user position of the last static test (a new run).
void lf_resetCollisionState();

}  // namespace zrb
