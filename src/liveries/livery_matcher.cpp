#include "liveries/livery_matcher.h"

#include <optional>
#include <string>
#include <string_view>

#include "airports/aircraft_keys.h"
#include "config/parameters.h"
#include "foundation/ansi_text.h"
#include "foundation/log.h"
#include "foundation/random.h"
#include "liveries/dbase.h"
#include "liveries/livery_tables.h"
#include "liveries/similar_types.h"
#include "traffic/failed_titles.h"

namespace zrb {

std::array<std::uint32_t, g_matchStepCount> g_matchCounts{};

namespace {

constexpr std::string_view genericAirline = "ZZZ";
constexpr std::string_view privateAirline = "PVT";
constexpr std::string_view fsltlMark = "FSLTL_";
constexpr int freePickTries = 5;
constexpr int stepRegcode = 1;
constexpr int stepAirlineType = 2;
constexpr int stepSimilarType = 3;
constexpr int stepGeneric = 4;
constexpr int stepAnyAirline = 5;
constexpr int stepCategoryType = 6;
constexpr int depthAirline = 2;
constexpr int depthSimilar = 3;
constexpr int depthFull = 4;
constexpr int summaryWidth = 100;
constexpr std::string_view summaryTitle = "live traffic livery matching summary";
constexpr std::string_view simulatorName = "P3D";

struct LookupKey {
    std::string_view airline;
    std::string_view type;
};

std::size_t lf_drawIndex(std::size_t count) {
    return count == 1 ? 0 : static_cast<std::size_t>(lf_initThreadRng()() % count);
}

// Sets the title to a random candidate that is not reserved for its own
// registrations; empty when every candidate is reserved (a reserved livery is
// never given to another aircraft).
void lf_pickFreeTitle(AcIdentity& aircraft, const TitleList& candidates) {
    const std::size_t n = candidates.size();
    aircraft.title = {};
    if (n == 0) return;
    if (g_specialTitles.empty()) {
        aircraft.title = candidates[lf_drawIndex(n)];
        return;
    }
    for (int attempt = 0; attempt < freePickTries; ++attempt) {
        const std::string_view title = candidates[lf_drawIndex(n)];
        if (!gf_isSpecialTitle(title)) {
            aircraft.title = title;
            return;
        }
    }
    TitleList free;
    for (const std::string_view title : candidates)
        if (!gf_isSpecialTitle(title)) free.push_back(title);
    if (!free.empty()) aircraft.title = free[lf_drawIndex(free.size())];
}

bool lf_matchByRegcode(AcIdentity& aircraft) {
    aircraft.title = {};
    if (aircraft.registration.empty()) return false;
    const auto found = g_regcodeMap.find(aircraft.registration);
    if (found != g_regcodeMap.end()) aircraft.title = found->second;
    return !aircraft.title.empty();
}

bool lf_lookupAirlineModel(AcIdentity& aircraft, const LookupKey& key, std::size_t table) {
    aircraft.title = {};
    const auto& airlines = g_airlineTypeTitles[table];
    const auto types = airlines.find(key.airline);
    if (types == airlines.end()) return false;
    const auto titles = types->second.find(key.type);
    if (titles == types->second.end()) return false;
    lf_pickFreeTitle(aircraft, titles->second);
    return !aircraft.title.empty();
}

// Cargo aircraft: cargo liveries, then passenger ones; others: passenger only.
bool lf_matchAirlineModel(AcIdentity& aircraft, const LookupKey& key) {
    if (aircraft.cargo != 0 && lf_lookupAirlineModel(aircraft, key, g_cargoTable)) return true;
    return lf_lookupAirlineModel(aircraft, key, g_paxTable);
}

// Any airline's livery of the type, from the table of the aircraft's kind only.
bool lf_lookupModel(AcIdentity& aircraft, std::string_view type) {
    aircraft.title = {};
    const auto& types = g_typeTitles[aircraft.cargo != 0 ? g_cargoTable : g_paxTable];
    const auto titles = types.find(type);
    if (titles == types.end()) return false;
    lf_pickFreeTitle(aircraft, titles->second);
    return !aircraft.title.empty();
}

// What the database holds for a registration: the airline that owns it and the
// operator that flies it, when that is another one (a leased aircraft, which
// may still wear its owner's livery).
struct RegisteredOwner {
    std::string airline;
    std::string operatorCode;
    bool leased() const { return !operatorCode.empty(); }
};

RegisteredOwner lf_registeredOwner(std::string_view registration) {
    const std::optional<DbaseRecord> record = gf_findDbaseRecord(registration);
    if (!record) return {};
    return {record->airl, record->opr};
}

bool lf_matchGeneric(AcIdentity& aircraft) { return lf_matchAirlineModel(aircraft, {genericAirline, aircraft.type}); }

// The similar types of the key's airline and type; each of the aircraft's own
// category (when asked) tried with that airline.
bool lf_matchSimilarTypes(AcIdentity& aircraft, const TypeList& types, std::string_view airline,
                          bool sameCategoryOnly) {
    for (const std::string& type : types) {
        if (sameCategoryOnly && std::cmp_not_equal(gf_typeCategory(type), aircraft.category)) continue;
        if (lf_matchAirlineModel(aircraft, {airline, type})) return true;
    }
    return false;
}

bool lf_matchSimilarModel(AcIdentity& aircraft, LookupKey key) {
    return lf_matchSimilarTypes(aircraft, gf_similarTypes(key.airline, key.type), key.airline, true);
}

const TypeList& lf_categoryTypeCandidates(std::string_view type) {
    const auto similar = g_similarInstalledTypes.find(type);
    if (similar != g_similarInstalledTypes.end()) {
        gf_shuffle(similar->second);
        return similar->second;
    }
    switch (gf_typeCategory(type)) {
        case g_categoryLight:
            return gf_pickedTypeList(lf_randomLightType);
        case g_categoryBuzjets:
            return gf_pickedTypeList(lf_randomBuzjetType);
        case g_categoryRotorcraft:
            return gf_pickedTypeList(lf_randomRotorcraftType);
        default:
            return gf_pickedTypeList([] { return std::string(); });
    }
}

// Steps 4 to 6; the step that matched, 0 when none did.
int lf_matchFallback(AcIdentity& aircraft) {
    const int depth = MATCHING_DEPTH.value;
    if (depth == depthFull && lf_matchGeneric(aircraft)) return stepGeneric;
    const std::uint32_t category = aircraft.category;
    if (category != g_categoryLight && category != g_categoryBuzjets && category != g_categoryRotorcraft) return 0;
    // At full depth the generic livery was just tried; a private aircraft tried
    // it before everything else.
    if (depth == depthSimilar && aircraft.airline != privateAirline && lf_matchGeneric(aircraft)) return stepGeneric;
    if (lf_lookupModel(aircraft, aircraft.type)) return stepAnyAirline;
    for (const std::string& candidate : lf_categoryTypeCandidates(aircraft.type))
        if (lf_lookupModel(aircraft, candidate)) return stepCategoryType;
    aircraft.title = {};
    return 0;
}

// Log.txt is UTF-8; the title keeps the bytes of its aircraft.cfg, which may
// be legacy text.
void lf_acceptMatch(AcIdentity& aircraft, int step) {
    if (gf_isFailedTitle(aircraft.title)) {
        aircraft.title = {};
        return;
    }
    if (step < stepRegcode || step > stepCategoryType) {
        gf_logMarked("livery match at unknown step {} dropped", step);
        aircraft.title = {};
        return;
    }
    ++g_matchCounts[static_cast<std::size_t>(step - 1)];
    if (LOG.value) gf_logLine("          {} ={}= {}", gf_acLogKey(aircraft), step, gf_legacyTextToUtf8(aircraft.title));
    aircraft.fsltl = aircraft.title.find(fsltlMark) != std::string_view::npos ? 1 : 0;
}

// The step a static aircraft was matched at; false when the title is refused.
bool lf_acceptStatic(AcIdentity& aircraft, int step) {
    if (gf_isFailedTitle(aircraft.title)) {
        aircraft.title = {};
        return false;
    }
    if (LOG.value) gf_logLine("          {} ={}= {}", gf_acLogKey(aircraft), step, gf_legacyTextToUtf8(aircraft.title));
    return true;
}

bool lf_noStaticMatch(const AcIdentity& aircraft, const Stand& stand) {
    if (LOG.value) gf_logLine("{:8}: {} no livery match ...", stand.id, gf_callsignRegKey(aircraft));
    return false;
}

}  // namespace

void gf_matchLiveryLive(AcIdentity& aircraft) {
    // A record matched before (a livery respawn) must not keep its old title
    // through steps that find nothing.
    aircraft.title = {};
    const int depth = MATCHING_DEPTH.value;
    if (lf_matchByRegcode(aircraft)) return lf_acceptMatch(aircraft, stepRegcode);
    if (depth < depthAirline) return;
    if (aircraft.airline == privateAirline && lf_matchGeneric(aircraft)) return lf_acceptMatch(aircraft, stepGeneric);
    const RegisteredOwner owner = lf_registeredOwner(aircraft.registration);
    if (!aircraft.airline.empty()) {
        if (lf_matchAirlineModel(aircraft, {aircraft.airline, aircraft.type}) ||
            (owner.leased() && lf_matchAirlineModel(aircraft, {owner.airline, aircraft.type})))
            return lf_acceptMatch(aircraft, stepAirlineType);
    }
    if (depth < depthSimilar) return;
    if (!aircraft.airline.empty()) {
        if (lf_matchSimilarModel(aircraft, {aircraft.airline, aircraft.type}) ||
            (owner.leased() && lf_matchSimilarModel(aircraft, {owner.airline, aircraft.type})))
            return lf_acceptMatch(aircraft, stepSimilarType);
    }
    const int step = lf_matchFallback(aircraft);
    if (!aircraft.title.empty()) lf_acceptMatch(aircraft, step);
}

bool gf_matchLiveryStatic(AcIdentity& aircraft, const Stand& stand) {
    if (!aircraft.title.empty()) {
        if (LOG.value) gf_logLine("          {} =s= {}", gf_acLogKey(aircraft), gf_legacyTextToUtf8(aircraft.title));
        return true;
    }
    aircraft.cargo = stand.cargo;
    const int depth = MATCHING_DEPTH.value;
    if (lf_matchByRegcode(aircraft)) return lf_acceptStatic(aircraft, stepRegcode);
    if (depth < depthAirline) return lf_noStaticMatch(aircraft, stand);
    if (aircraft.airline == privateAirline && lf_matchGeneric(aircraft)) return lf_acceptStatic(aircraft, stepGeneric);
    const RegisteredOwner owner = lf_registeredOwner(aircraft.registration);
    if (lf_matchAirlineModel(aircraft, {aircraft.airline, aircraft.type}) ||
        (owner.leased() && lf_matchAirlineModel(aircraft, {owner.airline, aircraft.type})))
        return lf_acceptStatic(aircraft, stepAirlineType);
    if (depth < depthSimilar) return lf_noStaticMatch(aircraft, stand);
    const TypeList& similar = gf_similarTypes(aircraft.airline, aircraft.type);
    if (lf_matchSimilarTypes(aircraft, similar, aircraft.airline, false) ||
        (owner.leased() && lf_matchSimilarTypes(aircraft, similar, owner.airline, false)))
        return lf_acceptStatic(aircraft, stepSimilarType);
    const int step = lf_matchFallback(aircraft);
    if (aircraft.title.empty()) return lf_noStaticMatch(aircraft, stand);
    return lf_acceptStatic(aircraft, step);
}

void gf_logLiveryMatchingSummary() {
    std::vector<std::string> lines;
    lines.push_back(gf_banner(summaryWidth - static_cast<int>(summaryTitle.size()), 0, true, false, summaryTitle));
    lines.emplace_back("Matches at step: ");
    for (std::size_t step = 0; step < g_matchCounts.size(); ++step)
        lines.push_back(fmt::format("  {}: {}", step + 1, g_matchCounts[step]));
    const std::vector<std::string> failed = gf_failedLiveryLines();
    if (!failed.empty()) {
        lines.push_back(fmt::format("\nCould not be created by {}:", simulatorName));
        lines.insert(lines.end(), failed.begin(), failed.end());
    }
    lines.push_back(gf_banner(summaryWidth, 0, false, true));
    for (const std::string& line : lines) gf_logLine(line);
}

}  // namespace zrb
