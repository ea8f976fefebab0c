#pragma once
// The livery tables that the matcher searches: every installed livery title by
// airline and type, by type alone, by registration, and the installed types of
// the small categories. Built from the scan result once per process
// (livery_processing.h) and kept across the restarts of a run.
//
// Title texts live in the title store (gf_keepTitle), which keeps every text it
// was given until the process ends. Every table and every aircraft record holds
// non-owning views of those texts, so a view stays valid for the life of the
// process, also after the tables have been rebuilt from a new scan.
//
// Threads: the tables and the store are written only by the worker thread,
// during the livery processing of a start-up, before the run's readers and
// main loop start; afterwards every thread reads them without a lock. The one
// exception is the rebuild request of gf_clearCategoryLiveries, an atomic flag
// that any thread may set: the tables themselves are emptied by the worker at
// its next start-up, never under a reader's feet.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "foundation/number_text.h"

namespace zrb {

// 64-bit FNV-1a over the text's bytes; lets the tables be searched with a
// string_view.
struct TitleTextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const noexcept;
};

// Tables keyed by text: exact byte comparison, at most one entry per bucket
// on average.
template <typename Value>
using TextKeyMap = std::unordered_map<std::string, Value, TitleTextHash, std::equal_to<>>;
using TextViewSet = std::unordered_set<std::string_view, TitleTextHash, std::equal_to<>>;
using TextViewMap = std::unordered_map<std::string_view, std::string_view, TitleTextHash, std::equal_to<>>;
inline constexpr float g_liveryTableLoadFactor = 1.0F;

using TitleList = std::vector<std::string_view>;  // views of stored titles
using TypeTitleMap = TextKeyMap<TitleList>;       // type -> titles
using AirlineTypeTitleMap = TextKeyMap<TypeTitleMap>;
using RegcodeMap = TextKeyMap<std::string_view>;  // registration -> title

struct LiveryEntry {
    std::string_view title;  // a text of the title store
    bool cargo = false;
};
using TypeEntryMap = TextKeyMap<std::vector<LiveryEntry>>;
using LiveryIndex = TextKeyMap<TypeEntryMap>;  // airline -> type -> liveries

inline constexpr std::size_t g_paxTable = 0;
inline constexpr std::size_t g_cargoTable = 1;

// airline -> type -> liveries, in the scan result's order within one type.
extern LiveryIndex g_liveryIndex;
// 0 pax, 1 cargo: a pair is in a table only with at least one such livery.
extern std::array<AirlineTypeTitleMap, 2> g_airlineTypeTitles;
// 0 pax, 1 cargo: type -> titles of every airline.
extern std::array<TypeTitleMap, 2> g_typeTitles;
extern RegcodeMap g_regcodeMap;
// Every title of g_liveryIndex (views of stored texts) by its UTF-8 form, for
// finding a title that a registration-code file names: the files are UTF-8,
// while a title keeps the bytes of its aircraft.cfg, which may be legacy text.
extern TextViewMap g_indexedTitles;
// Titles reserved for their own registrations, in the order they were defined.
extern TitleList g_specialTitles;
// The installed types of categories Light, Buzjets and Rotorcraft, ascending.
extern std::vector<std::string> g_lightTypes;
extern std::vector<std::string> g_buzjetTypes;
extern std::vector<std::string> g_rotorcraftTypes;

// Set when the livery processing has finished; while set, a start-up keeps the
// tables. Cleared by gf_clearCategoryLiveries.
inline std::atomic<bool> g_liveriesProcessed{false};

inline constexpr std::size_t g_specialTitlesReserve = 4096;
inline constexpr std::size_t g_lightTypesReserve = 64;
inline constexpr std::size_t g_buzjetTypesReserve = 128;
inline constexpr std::size_t g_rotorcraftTypesReserve = 32;

// The stored text equal to the given one, stored now when it is new. Worker
// thread (livery processing) only.
std::string_view gf_keepTitle(std::string_view title);

// Appends an installed livery to g_liveryIndex (and its title to the store and
// g_indexedTitles). Liveries of one airline and type keep the order they are
// appended in. Worker thread, livery processing.
void gf_indexLivery(std::string_view airline, std::string_view type, std::string_view title, bool cargo);

// The pax and cargo titles of each airline and type, each list sized to its
// content, into g_airlineTypeTitles.
void lf_buildAirlineModelIndex();
// The pax and cargo titles of each type, of every airline, into g_typeTitles.
void lf_buildModelIndex();

// Reserves the fixed capacities of the lists; only the first call of the
// process does anything.
void gf_reserveLiveryLists();

// Asks for the tables to be rebuilt from the scan result at the next start-up
// and sets the window's livery count to 0. Any thread (the window calls it when
// SCAN_LIVERIES is switched on before the run has connected); it empties
// nothing itself.
void gf_clearCategoryLiveries();

// Whether a rebuild was asked for since the last call; the livery processing
// takes the request (and clears it) when it starts.
bool gf_takeLiveryRebuildRequest();

// Empties every table (the titles stay in the store). Worker thread, before a
// rebuild.
void gf_emptyLiveryTables();

// Whether the livery index holds that airline with that type.
bool gf_airlineHasModel(std::string_view airline, std::string_view type);

// The airline keys of the livery index, each cut to its first three characters.
std::vector<std::string> gf_getLiveryAirlines();

// The stored title whose UTF-8 form equals that of the text; an empty view
// when no installed livery has it (also for the empty text).
std::string_view lf_findIndexedTitle(std::string_view title);

// Whether the title is reserved for its own registrations.
bool gf_isSpecialTitle(std::string_view title);
// Appends a title view to g_specialTitles (once per title).
void gf_addSpecialTitle(std::string_view title);

// A random type of the category's list, drawn with the calling thread's engine
// (no draw for a single type); empty for an empty list.
std::string lf_randomLightType();
std::string lf_randomBuzjetType();
std::string lf_randomRotorcraftType();

// "" for 1, "s" for any other count (0 included).
inline std::string gf_pluralSuffix(std::uint64_t count) { return gf_plural(count); }

}  // namespace zrb
