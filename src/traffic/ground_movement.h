#pragma once
// The ground half of moving a live aircraft between its samples: before the
// rates of a step, the turns (a curve through the next sample, or a midway
// sample before a sharp turn), the speed changes, when to look for a stand,
// and the retiming of the next sample by the taxi speed and the turn; after
// the rates, the throttle of the runway roll, the roll-out after a landing
// and the take-off decision; every pass of the take-off, the rotation and the
// climb-out.
//
// Threads: worker thread.

#include <cstdint>

#include "traffic/ai_aircraft.h"

namespace zrb {

inline constexpr double g_runwaySpeedKt = 43.0;           // a roll at least this fast is on a runway
inline constexpr double g_takeOffVerticalRateFpm = 256.0;
inline constexpr double g_turnOffDeg = 15.0;              // off the touchdown heading: the runway is left
inline constexpr double g_rollOutSlowKt = 90.0;
inline constexpr double g_climbedOutAglFt = 800.0;
inline constexpr std::int32_t g_gearUpPhase = -300;        // passes after the rotation
inline constexpr std::int32_t g_lowestPhase = -1000;
inline constexpr std::uint32_t g_fullSpoilers = 16383;

// Knots at which a category rotates: 90, 110, 140, 150, 220, 0 (a helicopter
// lifts off at any speed). A category outside 0..5 throws std::out_of_range.
double gf_rotationSpeed(std::uint32_t category);

// The aircraft follows a curve this step.
bool gf_hasCurve(const LiveAc& aircraft);

// Before the rates of a step on the ground (front sample F and next N).
void lf_groundStep(LiveAc& aircraft);
// A curve from the aircraft through N to the sample after N, which becomes the
// next one (N is taken out). False, and nothing changes, when the three points
// lie on top of each other: a path of no length has no direction.
bool lf_setupCurve(LiveAc& aircraft);
// N retimed by the travel time between F and N, the turn rate scaled to the
// turn; a stop sample kept at its distance from F.
void lf_taxiTiming(LiveAc& aircraft);
// After the rates of a step on the ground toward a moving N.
void lf_startGroundMotion(LiveAc& aircraft);
// On the ground after touchdown: the runway is left once the heading is 15°
// off the touchdown heading, and the runway roll then ends.
void lf_rollOut(LiveAc& aircraft);
// The rotation starts (a touch-and-go when the aircraft had touched down).
void lf_startTakeOff(LiveAc& aircraft);
// Every pass during take_off: rotation, gear up 300 passes after it, and the
// climb-out until 800 ft above ground.
void lf_climbOut(LiveAc& aircraft);

}  // namespace zrb
