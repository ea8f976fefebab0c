#pragma once
#include <string_view>

namespace zrb {

// The program's id in file headers, the log and the data folder's name.
inline constexpr std::string_view g_programId = "TLVR_P3D";
// The simulator family this build serves, as the log header names it.
inline constexpr std::string_view g_simulatorFamily = "Prepar3D v5/v6";

}  // namespace zrb
