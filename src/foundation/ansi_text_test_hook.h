#pragma once
// For tests only: the legacy code page the conversions of ansi_text.h use
// instead of the system's (so that a test can read Polish text on a western
// system). Any thread; the program never calls it.

#include <cstdint>

namespace zrb {

inline constexpr std::uint32_t g_systemCodePage = 0xFFFFFFFF;  // the system's own again

void gf_setLegacyCodePageForTest(std::uint32_t codePage);

}  // namespace zrb
