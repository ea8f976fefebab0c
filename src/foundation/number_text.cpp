#include "foundation/number_text.h"

#include <cmath>

#include <fmt/format.h>

namespace zrb {

std::string gf_floatToText(float value) {
    if (std::fmod(value, 1.0f) == 0.0f) return fmt::format("{:.0f}", value);
    return fmt::format("{:.1f}", value);
}

}  // namespace zrb
