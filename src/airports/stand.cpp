#include "airports/stand.h"

#include <utility>

#include "liveries/dbase.h"

namespace zrb {

std::vector<Stand> StandTable;
std::mutex g_standTableMutex;
std::uint64_t g_standTableGeneration = 0;

void gf_replaceStandTable(std::vector<Stand> stands) {
    std::lock_guard lock(g_standTableMutex);
    StandTable = std::move(stands);
    ++g_standTableGeneration;
}

void gf_clearStandTable() {
    std::lock_guard lock(g_standTableMutex);
    StandTable.clear();
    ++g_standTableGeneration;
}

void gf_reserveStandTable(std::size_t n) {
    std::lock_guard lock(g_standTableMutex);
    StandTable.reserve(n);
}

void gf_shrinkStandTable() {
    std::lock_guard lock(g_standTableMutex);
    StandTable.shrink_to_fit();
}

std::size_t HexIdHash::operator()(std::uint32_t hexId) const noexcept {
    constexpr std::uint64_t offsetBasis = 14695981039346656037ull;
    constexpr std::uint64_t prime = 1099511628211ull;
    std::uint64_t hash = offsetBasis;
    for (int byte = 0; byte < 4; ++byte) {
        hash ^= (hexId >> (8 * byte)) & 0xFFu;
        hash *= prime;
    }
    return static_cast<std::size_t>(hash);
}

Stand::Stand(std::string standId, std::vector<StandOption> standOptions, double latitude, double longitude,
             double headingRad, double radiusMetres, std::int32_t notCargo, std::int32_t notRamp,
             std::int32_t notHeli)
    : options(std::move(standOptions)),
      realVisits(g_standVisitBuckets),
      softVisits(g_standVisitBuckets),
      id(std::move(standId)),
      lat(latitude),
      lon(longitude),
      heading(headingRad),
      radius(radiusMetres * g_nmPerMetre),
      cargo(notCargo == 0 ? 1 : 0),
      ramp(notRamp == 0 ? 1 : 0),
      heli(notHeli == 0 ? 1 : 0) {
    realVisits.max_load_factor(1.0f);
    softVisits.max_load_factor(1.0f);
    neighbours.reserve(g_standNeighboursReserve);
}

}  // namespace zrb
