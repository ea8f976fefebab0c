#pragma once
// The names of the aircraft categories, as the log prints them. Part of the
// manager's aircraft records; here ahead of them because the simulator link
// logs the user aircraft's category. Any thread.

#include <cstdint>
#include <string_view>

namespace zrb {

// "Light", "Buzjets", "Large", "Heavy", "HighPerf", "Rotorcraft" for 0..5;
// "Unknown" for any other value.
std::string_view gf_categoryName(std::uint32_t category);

}  // namespace zrb
