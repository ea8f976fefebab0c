#include "foundation/aircraft_filter.h"

#include <algorithm>
#include <set>
#include <string>

namespace zrb {

namespace {

constexpr std::size_t maxAircraftTypeLength = 4;  // ICAO type designators have at most 4 characters

const std::set<std::string, std::less<>>& lf_nonAircraftTypes() {
    static const std::set<std::string, std::less<>> types{"BALL", "EMER", "GLID", "GRND", "GND",
                                                          "PARA", "SERV", "SHIP", "VENT"};
    return types;
}

}  // namespace

bool lf_isNonAircraftType(std::string_view typeCode) {
    return typeCode.size() > maxAircraftTypeLength || lf_nonAircraftTypes().contains(typeCode);
}

bool gf_isAircraftTarget(std::string_view typeCode, std::string_view category) {
    if (typeCode.empty()) return false;
    if (category.empty() || category == g_noEmitterCategory) return true;
    if (std::ranges::find(g_nonAircraftCategories, category) != std::end(g_nonAircraftCategories)) return false;
    return !lf_isNonAircraftType(typeCode);
}

}  // namespace zrb
