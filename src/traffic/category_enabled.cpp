#include "traffic/category_enabled.h"

#include "config/parameters.h"

namespace zrb {

bool gf_categoryEnabled(std::uint32_t category) {
    switch (category) {
        case 0:
            return LIGHT_AIRCRAFT.value.load();
        case 1:
        case 2:
        case 3:
            return true;
        case 4:
            return HIGH_PERF_AIRCRAFT.value.load();
        case 5:
            return HELICOPTERS.value.load();
        default:
            return false;
    }
}

}  // namespace zrb
