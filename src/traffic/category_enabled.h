#pragma once
#include <cstdint>

namespace zrb {

// Whether aircraft of a category (0..5) are wanted: Light follows
// LIGHT_AIRCRAFT, Buzjets, Large and Heavy always, HighPerf follows
// HIGH_PERF_AIRCRAFT, Rotorcraft follows HELICOPTERS; any other value is not.
bool gf_categoryEnabled(std::uint32_t category);

}  // namespace zrb
