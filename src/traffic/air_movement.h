#pragma once
// The rates of a live aircraft in the air, computed once per consumed sample:
// the next sample retimed by the speed between the two, then altitude (climb,
// cruise, descent to a landing, approach), pitch from the vertical rate,
// heading toward the leg after the next sample, bank into the turn. With them
// the commands of each altitude band: the light patterns, throttle, flaps and
// gear of climb and cruise, the start of an approach to the park airport, the
// go-around. The landing flare runs every pass below 400 ft on an approach.
//
// Threads: worker thread. The QNH is read from its atomic, the park airport
// through its copying accessor.

#include <cstdint>

#include "foundation/geodesy.h"
#include "traffic/ai_aircraft.h"

namespace zrb {

inline constexpr double g_highBandFt = 10000.0;
inline constexpr double g_flareStartAglFt = 400.0;
inline constexpr double g_flarePitchRad = -4.0 * g_degToRad;  // nose up
inline constexpr double g_approachRangeNm = 10.0;
inline constexpr double g_trackUseAglFt = 1000.0;
inline constexpr double g_trackUseApproachAglFt = 2000.0;

// Per category 0..5; a category outside throws std::out_of_range as the other
// category tables do.
double gf_largestBank(std::uint32_t category);        // radians
double gf_largestBankChange(std::uint32_t category);  // radians per pass
double gf_largestPitchChange(std::uint32_t category); // radians per pass
// Feet per pass an aircraft climbs at most between samples. The category's
// constant, not a field a landing could have zeroed.
double gf_climbLimit(std::uint32_t category);

// Before the step: the next sample retimed by the travel time between the
// front sample and it, inside the windows.
void lf_airStep(LiveAc& aircraft);
// Every pass while a rotorcraft in the air hovers over its front sample (it
// stands still, so lf_followCurve does not run): the altitude and bank rates
// of the hover step are applied until the sample is due.
void lf_hover(LiveAc& aircraft);
// The step itself: altitude, pitch, heading and bank rates and the commands
// of the altitude band. Needs two samples; the caller has set the latitude and
// longitude rates.
void lf_updateAirborneStep(LiveAc& aircraft);
// Every pass below 400 ft above ground on an approach, in the air: the four
// stages of the flare.
void lf_flare(LiveAc& aircraft);

// The attitude that goes with a vertical rate (feet per minute): −3° level,
// 2.2° more nose-up per 600 fpm of climb (up to 2400), half that per 600 fpm
// of descent (down to −3000). Negative is nose up.
double gf_pitchForVerticalRate(double verticalRateFpm);

// GEAR_SET, never for a rotorcraft.
void gf_setGear(const AiAc& aircraft, bool down);

}  // namespace zrb
