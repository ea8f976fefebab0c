#pragma once
// Which live-traffic targets are aircraft worth mirroring in the simulator:
// balloons, gliders, ground vehicles, ships and the like are dropped by their
// type code or their ADS-B emitter category before they reach the simulator.

#include <string_view>

namespace zrb {

// The excluded ADS-B emitter categories, in the order they are tested.
inline constexpr std::string_view g_nonAircraftCategories[] = {"B1", "B2", "B4", "C1", "C2"};
// The category text of a target for which the service reported none.
inline constexpr std::string_view g_noEmitterCategory = "null";

// True when the type code is longer than 4 characters or is one of BALL, EMER,
// GLID, GRND, GND, PARA, SERV, SHIP, VENT.
bool lf_isNonAircraftType(std::string_view typeCode);

// Whether to keep the target: never without a type code; always when the
// service gave no category (empty or "null"), whatever the type; never with an
// excluded category; otherwise unless the type code marks a non-aircraft.
bool gf_isAircraftTarget(std::string_view typeCode, std::string_view category);

}  // namespace zrb
