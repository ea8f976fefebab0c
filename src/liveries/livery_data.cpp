#include "liveries/livery_data.h"

#include <algorithm>
#include <tuple>

namespace zrb {

bool gf_liveryOrder(const LiveryData& a, const LiveryData& b) {
    // std::string compares by char_traits<char>, which orders bytes as unsigned.
    return std::tie(a.airl, a.type, a.title) < std::tie(b.airl, b.type, b.title);
}

void gf_sortLiveries(std::vector<LiveryData>& liveries) {
    std::stable_sort(liveries.begin(), liveries.end(), gf_liveryOrder);
}

}  // namespace zrb
