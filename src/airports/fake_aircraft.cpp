#include "airports/fake_aircraft.h"

#include <array>
#include <stdexcept>
#include <string_view>

#include <fmt/format.h>

#include "airports/stand_options.h"
#include "foundation/random.h"
#include "foundation/time.h"
#include "liveries/dbase.h"

namespace zrb {

namespace {

struct Pair {
    std::string_view airline;
    std::string_view type;
};

// Regional tables by the first character of the ICAO code. A pair listed
// twice is drawn twice as often.
constexpr std::array<Pair, 4> canadaPairs{{{"ACA", "B789"}, {"ACA", "B38M"}, {"ROU", "A321"}, {"JZA", "CRJ9"}}};
constexpr std::array<Pair, 7> europePairs{{{"KLM", "B77W"}, {"SAS", "A320"}, {"EZY", "A320"}, {"RYR", "B738"},
                                           {"DLH", "A320"}, {"KLM", "B738"}, {"BAW", "A21N"}}};
constexpr std::array<Pair, 10> usPairs{{{"UAL", "B77W"}, {"DAL", "B739"}, {"JBU", "BCS3"}, {"FFT", "A320"},
                                        {"UAL", "B78X"}, {"UAL", "B738"}, {"AAL", "B738"}, {"SKW", "E75L"},
                                        {"SWA", "B737"}, {"FFT", "A320"}}};
constexpr std::array<Pair, 3> japanPairs{{{"ANA", "A20N"}, {"JAL", "A35K"}, {"JAL", "B738"}}};
constexpr std::array<Pair, 3> chinaPairs{{{"CSA", "A320"}, {"CES", "A333"}, {"CES", "A321"}}};
constexpr std::array<Pair, 5> cargoPairs{
    {{"FDX", "C208"}, {"FDX", "B752"}, {"FDX", "B763"}, {"UPS", "A306"}, {"DHK", "B763"}}};
constexpr std::array<std::string_view, 19> generalAviationTypes{
    "C172", "C206", "P28A", "PC12", "C550", "TBM9", "LJ25", "GLF6", "FA6X", "FA8X",
    "GLF4", "GLF5", "LJ60", "DHC7", "DH8A", "DH8C", "E550", "CL30", "GA6C"};
constexpr std::string_view privateAirline = "PVT";
constexpr Pair helicopter{"PVT", "EC35"};
// Any region without a table, taken whatever the stand's size.
constexpr Pair anyRegion{"ZZZ", "B738"};

bool lf_fits(const Stand& stand, std::string_view type) { return lf_standFitsSize(stand, gf_wingspan(type)); }

template <std::size_t N>
void lf_collectFittingPairs(const std::array<Pair, N>& pairs, const Stand& stand, std::vector<Pair>& candidates) {
    for (const Pair& pair : pairs)
        if (lf_fits(stand, pair.type)) candidates.push_back(pair);
}

void lf_regionalCandidates(char region, const Stand& stand, std::vector<Pair>& candidates) {
    switch (region) {
    case 'C': lf_collectFittingPairs(canadaPairs, stand, candidates); break;
    case 'E': lf_collectFittingPairs(europePairs, stand, candidates); break;
    case 'K': lf_collectFittingPairs(usPairs, stand, candidates); break;
    case 'R': lf_collectFittingPairs(japanPairs, stand, candidates); break;
    case 'Z': lf_collectFittingPairs(chinaPairs, stand, candidates); break;
    default: candidates.push_back(anyRegion); break;
    }
}

void lf_candidates(char region, const Stand& stand, std::vector<Pair>& candidates) {
    candidates.clear();
    if (stand.heli != 0) {
        candidates.push_back(helicopter);
    } else if (stand.cargo != 0) {
        lf_collectFittingPairs(cargoPairs, stand, candidates);
    } else if (stand.ramp != 0) {
        for (std::string_view type : generalAviationTypes)
            if (lf_fits(stand, type)) candidates.push_back({privateAirline, type});
    } else {
        lf_regionalCandidates(region, stand, candidates);
    }
}

}  // namespace

void lf_addFakeAircraft(const std::string& icao, std::vector<Stand>& table) {
    const DaySlot now = gf_slotAndWeekday();
    const std::uint32_t slot = gf_slotOf(now);
    const std::uint32_t weekday = gf_dayOf(now);
    if (slot >= g_slotsPerDay || weekday < 1 || weekday > g_daysPerWeek)
        throw std::out_of_range(fmt::format("lf_addFakeAircraft: no valid time (day {}, half-hour {})", weekday, slot));
    const std::uint64_t halfHours = std::uint64_t{1} << slot;
    const auto day = static_cast<std::int32_t>(weekday);
    const char region = icao.empty() ? '\0' : icao.front();
    std::vector<Pair> candidates;
    std::uint32_t k = 1;
    for (Stand& stand : table) {
        lf_candidates(region, stand, candidates);
        if (candidates.empty()) continue;
        std::size_t pick = 0;
        if (candidates.size() > 1) pick = lf_initThreadRng()() % candidates.size();
        const Pair& pair = candidates[pick];
        const std::uint32_t optionId = stand.options.empty() ? 1 : stand.options.back().optionId + 1;
        stand.options.push_back({std::string(pair.airline), std::string(pair.type), fmt::format("REGFAKE{}", k),
                                 fmt::format("FAKE{}", k), {}, halfHours, optionId, day, g_optionOriginFake, 0});
        ++k;
    }
}

}  // namespace zrb
