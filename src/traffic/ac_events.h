#pragma once
// The client events that animate an AI aircraft: engines, throttle, flaps,
// spoilers and the seven lights, with the light patterns of parking and of the
// start. Repeats of the throttle and flaps commands are suppressed by the
// indexes the record keeps.
//
// Threads: worker thread (the records are the manager's); the events go into
// the simulator link's client-event queue under its mutex and leave with the
// next Frame.

#include <array>
#include <cstdint>

#include "traffic/ai_aircraft.h"

namespace zrb {

// THROTTLE_SET data by index 0..4, FLAPS_SET data by index 0..3.
inline constexpr std::array<std::uint32_t, 5> g_throttleValues{0, 4914, 8191, 11468, 16383};
inline constexpr std::array<std::uint32_t, 4> g_flapsValues{0, 3072, 10240, 16383};
inline constexpr std::uint32_t g_throttleFull = 4;
inline constexpr double g_lightsHighAltitudeFt = 10000.0;  // landing and logo lights at or below
inline constexpr double g_cabinLightsAglFt = 2000.0;       // cabin lights from this height above ground

// The seven light states in the order NAV, BEACON, LANDING, TAXI, STROBES,
// LOGO, CABIN.
using LightStates = std::array<std::uint32_t, 7>;

// One client event to the aircraft's object.
void gf_sendAcEvent(const AiAc& aircraft, std::uint32_t eventId, std::uint32_t data = 0);
void gf_setAcLights(const AiAc& aircraft, const LightStates& states);

// THROTTLE_SET with the table value when the index differs from the stored
// one (0..4); the index is stored.
void gf_setThrottle(AiAc& aircraft, std::uint32_t index);
// FLAPS_SET likewise; never for category 5. An index above 4 logs
// "gf_setFlaps: invalid flaps index" and sends nothing.
void gf_setFlaps(AiAc& aircraft, std::uint32_t index);
// SPOILERS_SET, never for category 5.
void gf_setSpoilers(const AiAc& aircraft, std::uint32_t data);

// Parked: throttle 0, flaps 0, ENGINE_AUTO_SHUTDOWN, NAV as
// NAV_LIGHTS_WHILE_PARKED, BEACON, LANDING, TAXI and STROBES off, LOGO on,
// CABIN on in 9 draws of 10 of the worker's random engine unless the stand
// was a cargo stand.
void gf_shutDownAc(AiAc& aircraft);

// The first pattern of a newly created live aircraft, by its front sample:
// airborne, parked or on the ground otherwise.
void gf_startPattern(LiveAc& aircraft);

}  // namespace zrb
