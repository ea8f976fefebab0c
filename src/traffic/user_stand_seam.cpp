#include "traffic/user_stand_seam.h"

#include <cmath>
#include <mutex>

#include "airports/stand.h"
#include "simlink/sim_state.h"

namespace zrb {

namespace {

constexpr double noBestNm = 900.0;
constexpr double samePositionDeg = 1e-8;

// Owns the cache below.
std::mutex g_userStandCacheMutex;
bool g_cached = false;
LatLon g_cachedPosition{};
std::string g_cachedName;

}  // namespace

std::string gf_getUserStand(const LatLon& position) {
    if (StandTable.empty() || !g_userOnGround.load()) return {};
    std::lock_guard lock(g_userStandCacheMutex);
    if (g_cached && std::abs(position.lat - g_cachedPosition.lat) < samePositionDeg &&
        std::abs(position.lon - g_cachedPosition.lon) < samePositionDeg)
        return g_cachedName;
    double best = noBestNm;
    const Stand* found = nullptr;
    for (const Stand& stand : StandTable) {
        const double d = gf_distanceNm(position, LatLon{stand.lat, stand.lon});
        if (d <= g_userStandRadiusNm && d < best) {
            best = d;
            found = &stand;
        }
    }
    g_cached = true;
    g_cachedPosition = position;
    g_cachedName = found ? found->id : std::string{};
    return g_cachedName;
}

void gf_resetUserStandCache() {
    std::lock_guard lock(g_userStandCacheMutex);
    g_cached = false;
    g_cachedPosition = LatLon{};
    g_cachedName.clear();
}

}  // namespace zrb
