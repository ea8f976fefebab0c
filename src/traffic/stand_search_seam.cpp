// The stand searches' least form (see the header).
#include "traffic/stand_search_seam.h"

#include <algorithm>

namespace zrb {

StandIterator gf_findNearestFreeStand(const LatLon& position, const AiAc& aircraft, double radiusNm,
                                      bool /*allowSecondChoice*/) {
    auto best = StandTable.end();
    double bestDistance = radiusNm;
    for (auto it = StandTable.begin(); it != StandTable.end(); ++it) {
        if (it->occupied != 0 || aircraft.halfSpan - it->radius > g_standFitToleranceNm) continue;
        const double d = gf_distanceNm(position, LatLon{it->lat, it->lon});
        if (d <= bestDistance) {
            bestDistance = d;
            best = it;
        }
    }
    return best;
}

StandIterator gf_findStandByName(std::string_view name) {
    return std::find_if(StandTable.begin(), StandTable.end(), [name](const Stand& s) { return s.id == name; });
}

StandIterator gf_chooseStand(DaySlot /*time*/, const AiAc& /*aircraft*/, bool /*retryNextSlot*/) {
    return StandTable.end();
}

void gf_learnLiveStand(LiveAc& /*aircraft*/, bool /*forced*/) {}

}  // namespace zrb
