#include "liveries/livery_tables.h"

#include <mutex>

#include "foundation/ansi_text.h"
#include "foundation/random.h"
#include "shell/common/main_window_state.h"

namespace zrb {

LiveryIndex g_liveryIndex;
std::array<AirlineTypeTitleMap, 2> g_airlineTypeTitles;
std::array<TypeTitleMap, 2> g_typeTitles;
RegcodeMap g_regcodeMap;
TitleList g_specialTitles;
TextViewMap g_indexedTitles;
std::vector<std::string> g_lightTypes;
std::vector<std::string> g_buzjetTypes;
std::vector<std::string> g_rotorcraftTypes;

namespace {

// Every title text ever stored. A node-based set: its elements never move, so
// the views handed out stay valid while it grows. Never shrinks.
std::unordered_set<std::string, TitleTextHash, std::equal_to<>> g_titleStore;

// Membership of g_specialTitles, for the matcher's random picks.
TextViewSet g_specialTitleSet;

std::atomic<bool> g_rebuildRequested{false};

std::string lf_randomType(const std::vector<std::string>& types) {
    if (types.empty()) return {};
    if (types.size() == 1) return types.front();
    return types[lf_initThreadRng()() % types.size()];
}

}  // namespace

std::size_t TitleTextHash::operator()(std::string_view text) const noexcept {
    constexpr std::uint64_t offsetBasis = 14695981039346656037ull;
    constexpr std::uint64_t prime = 1099511628211ull;
    std::uint64_t hash = offsetBasis;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= prime;
    }
    return static_cast<std::size_t>(hash);
}

std::string_view gf_keepTitle(std::string_view title) {
    auto found = g_titleStore.find(title);
    if (found == g_titleStore.end()) found = g_titleStore.emplace(title).first;
    return *found;
}

void gf_indexLivery(std::string_view airline, std::string_view type, std::string_view title, bool cargo) {
    const std::string_view stored = gf_keepTitle(title);
    auto airlineTypes = g_liveryIndex.find(airline);
    if (airlineTypes == g_liveryIndex.end()) {
        airlineTypes = g_liveryIndex.try_emplace(std::string(airline)).first;
        airlineTypes->second.max_load_factor(g_liveryTableLoadFactor);
    }
    auto entries = airlineTypes->second.find(type);
    if (entries == airlineTypes->second.end()) entries = airlineTypes->second.try_emplace(std::string(type)).first;
    entries->second.push_back({stored, cargo});
    const std::string_view key = gf_isWellFormedUtf8(stored) ? stored : gf_keepTitle(gf_ansiToUtf8(stored));
    g_indexedTitles.try_emplace(key, stored);
}

void lf_buildAirlineModelIndex() {
    for (const auto& [airline, types] : g_liveryIndex) {
        std::array<TypeTitleMap, 2> byKind;
        for (const auto& [type, entries] : types) {
            std::array<std::size_t, 2> counts{};
            for (const LiveryEntry& entry : entries) ++counts[entry.cargo ? g_cargoTable : g_paxTable];
            for (std::size_t table : {g_paxTable, g_cargoTable}) {
                if (counts[table] == 0) continue;
                TitleList titles;
                titles.reserve(counts[table]);
                for (const LiveryEntry& entry : entries)
                    if ((entry.cargo ? g_cargoTable : g_paxTable) == table) titles.push_back(entry.title);
                byKind[table].emplace(type, std::move(titles));
            }
        }
        for (std::size_t table : {g_paxTable, g_cargoTable})
            if (!byKind[table].empty()) g_airlineTypeTitles[table].emplace(airline, std::move(byKind[table]));
    }
}

void lf_buildModelIndex() {
    for (const auto& [airline, types] : g_liveryIndex)
        for (const auto& [type, entries] : types)
            for (const LiveryEntry& entry : entries) {
                TypeTitleMap& table = g_typeTitles[entry.cargo ? g_cargoTable : g_paxTable];
                auto titles = table.find(type);
                if (titles == table.end()) titles = table.try_emplace(type).first;
                titles->second.push_back(entry.title);
            }
}

void gf_reserveLiveryLists() {
    static std::once_flag reserved;
    std::call_once(reserved, [] {
        g_specialTitles.reserve(g_specialTitlesReserve);
        g_lightTypes.reserve(g_lightTypesReserve);
        g_buzjetTypes.reserve(g_buzjetTypesReserve);
        g_rotorcraftTypes.reserve(g_rotorcraftTypesReserve);
        g_titleStore.max_load_factor(g_liveryTableLoadFactor);
        g_specialTitleSet.max_load_factor(g_liveryTableLoadFactor);
        g_regcodeMap.max_load_factor(g_liveryTableLoadFactor);
        g_liveryIndex.max_load_factor(g_liveryTableLoadFactor);
        g_indexedTitles.max_load_factor(g_liveryTableLoadFactor);
        for (auto& table : g_airlineTypeTitles) table.max_load_factor(g_liveryTableLoadFactor);
        for (auto& table : g_typeTitles) table.max_load_factor(g_liveryTableLoadFactor);
    });
}

void gf_clearCategoryLiveries() {
    g_rebuildRequested = true;
    g_liveriesProcessed = false;
    g_mainWindowState.liveries = 0;
    gf_invalidateBand(g_statusBand);
}

bool gf_takeLiveryRebuildRequest() { return g_rebuildRequested.exchange(false); }

void gf_emptyLiveryTables() {
    g_lightTypes.clear();
    g_buzjetTypes.clear();
    g_rotorcraftTypes.clear();
    g_specialTitles.clear();
    g_specialTitleSet.clear();
    g_regcodeMap.clear();
    for (auto& table : g_typeTitles) table.clear();
    for (auto& table : g_airlineTypeTitles) table.clear();
    g_liveryIndex.clear();
    g_indexedTitles.clear();
}

bool gf_airlineHasModel(std::string_view airline, std::string_view type) {
    const auto types = g_liveryIndex.find(airline);
    return types != g_liveryIndex.end() && types->second.contains(type);
}

std::vector<std::string> gf_getLiveryAirlines() {
    constexpr std::size_t airlineCodeLength = 3;
    std::vector<std::string> airlines;
    airlines.reserve(g_liveryIndex.size());
    for (const auto& entry : g_liveryIndex) airlines.push_back(entry.first.substr(0, airlineCodeLength));
    return airlines;
}

std::string_view lf_findIndexedTitle(std::string_view title) {
    const auto found =
        gf_isWellFormedUtf8(title) ? g_indexedTitles.find(title) : g_indexedTitles.find(gf_ansiToUtf8(title));
    return found == g_indexedTitles.end() ? std::string_view() : found->second;
}

bool gf_isSpecialTitle(std::string_view title) { return g_specialTitleSet.contains(title); }

void gf_addSpecialTitle(std::string_view title) {
    if (g_specialTitleSet.insert(title).second) g_specialTitles.push_back(title);
}

std::string lf_randomLightType() { return lf_randomType(g_lightTypes); }
std::string lf_randomBuzjetType() { return lf_randomType(g_buzjetTypes); }
std::string lf_randomRotorcraftType() { return lf_randomType(g_rotorcraftTypes); }

}  // namespace zrb
