#include "traffic/category_name_seam.h"

#include <array>

namespace zrb {

std::string_view gf_categoryName(std::uint32_t category) {
    static constexpr std::array<std::string_view, 6> names{"Light", "Buzjets", "Large", "Heavy", "HighPerf",
                                                           "Rotorcraft"};
    return category < names.size() ? names[category] : std::string_view("Unknown");
}

}  // namespace zrb
