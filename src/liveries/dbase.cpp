#include "liveries/dbase.h"

#include <algorithm>

namespace zrb {

DbaseTextSet g_dbaseKnownTypes;
DbaseTextSet g_dbaseHighPerfTypes;
DbaseTextSet g_dbaseHeavyTypes;
DbaseTextSet g_dbaseLargeTypes;
DbaseTextSet g_dbaseBuzjetTypes;
DbaseTextSet g_dbaseRotorcraftTypes;
DbaseTextSet g_dbaseCargoTypes;
std::vector<std::vector<std::string>> g_dbaseSimilarGroups;
DbaseTextSet g_dbaseIcaoAirlines;
DbaseTextSet g_dbaseCargoOperators;
std::vector<std::vector<std::string>> g_dbasePublishers;
std::map<std::string, double, std::less<>> g_dbaseWingspans;
double g_dbaseMaxHalfSpan = 0.0;
double& g_maxHalfWingspan = g_dbaseMaxHalfSpan;
std::array<double, g_categoryCount> g_dbaseCategoryHalfSpans{};
DbaseTextMap g_dbaseModelFixes;
DbaseTextSet g_dbaseSimaddonAirports;
std::vector<ThirdPartyAirports> g_dbaseThirdPartyAirports;
DbaseRecordMap g_dbaseRecords;
DbaseTextHashSet g_dbaseShortRegistrations;

namespace {

// A registration spelled without its dash is tried with one from this length on.
constexpr std::size_t minLengthForVariants = 5;
// Registrations of 1 or 2 characters would be found in almost any title.
constexpr std::size_t minShortRegistration = 3;
// Only registrations shorter than this are looked for inside a text.
constexpr std::size_t maxShortRegistration = 5;

bool lf_takesVariants(std::string_view registration) {
    return registration.size() >= minLengthForVariants && registration.front() != 'N' &&
           registration.find('-') == std::string_view::npos;
}

std::string lf_withDashAfter(std::string_view registration, std::size_t count) {
    std::string text;
    text.reserve(registration.size() + 1);
    text.append(registration.substr(0, count));
    text.push_back('-');
    text.append(registration.substr(count));
    return text;
}

const DbaseRecord* lf_recordOf(std::string_view key) {
    const auto it = g_dbaseRecords.find(key);
    return it == g_dbaseRecords.end() ? nullptr : &it->second;
}

// The same order as gf_registrationVariants, without building the list.
const DbaseRecord* lf_findRecord(std::string_view registration) {
    if (registration.empty()) return nullptr;
    if (lf_takesVariants(registration)) {
        if (const auto* record = lf_recordOf(lf_withDashAfter(registration, 2))) return record;
        if (const auto* record = lf_recordOf(lf_withDashAfter(registration, 1))) return record;
    }
    return lf_recordOf(registration);
}

}  // namespace

void gf_clearDbase() {
    for (auto* set : {&g_dbaseKnownTypes, &g_dbaseHighPerfTypes, &g_dbaseHeavyTypes, &g_dbaseLargeTypes,
                      &g_dbaseBuzjetTypes, &g_dbaseRotorcraftTypes, &g_dbaseCargoTypes, &g_dbaseIcaoAirlines,
                      &g_dbaseCargoOperators, &g_dbaseSimaddonAirports})
        set->clear();
    g_dbaseSimilarGroups.clear();
    g_dbasePublishers.clear();
    g_dbaseWingspans.clear();
    g_dbaseMaxHalfSpan = 0.0;
    g_dbaseCategoryHalfSpans.fill(0.0);
    g_dbaseModelFixes.clear();
    g_dbaseThirdPartyAirports.clear();
    g_dbaseRecords.clear();
    g_dbaseShortRegistrations.clear();
}

int gf_typeCategory(std::string_view type) {
    if (g_dbaseLargeTypes.contains(type)) return g_categoryLarge;
    if (g_dbaseHeavyTypes.contains(type)) return g_categoryHeavy;
    if (g_dbaseBuzjetTypes.contains(type)) return g_categoryBuzjets;
    if (g_dbaseRotorcraftTypes.contains(type)) return g_categoryRotorcraft;
    if (g_dbaseHighPerfTypes.contains(type)) return g_categoryHighPerf;
    return g_categoryLight;
}

bool gf_isKnownType(std::string_view type) { return !type.empty() && g_dbaseKnownTypes.contains(type); }

bool gf_isIcaoAirline(std::string_view airline) { return !airline.empty() && g_dbaseIcaoAirlines.contains(airline); }

double gf_wingspan(std::string_view type) {
    if (const auto it = g_dbaseWingspans.find(type); it != g_dbaseWingspans.end()) return it->second;
    return g_dbaseCategoryHalfSpans[static_cast<std::size_t>(gf_typeCategory(type))];
}

std::vector<std::string> gf_registrationVariants(std::string_view registration) {
    std::vector<std::string> variants;
    variants.reserve(3);
    if (lf_takesVariants(registration)) {
        variants.push_back(lf_withDashAfter(registration, 2));
        variants.push_back(lf_withDashAfter(registration, 1));
    }
    variants.emplace_back(registration);
    return variants;
}

std::optional<DbaseRecord> gf_findDbaseRecord(std::string_view registration) {
    if (const auto* record = lf_findRecord(registration)) return *record;
    return std::nullopt;
}

std::string gf_dbaseAirlineByReg(std::string_view registration) {
    const auto* record = lf_findRecord(registration);
    return record ? record->airl : std::string();
}

std::string gf_dbaseOperatorByReg(std::string_view registration) {
    const auto* record = lf_findRecord(registration);
    return record ? record->opr : std::string();
}

std::optional<std::string> gf_dbaseRegInText(std::string_view text) {
    if (g_dbaseShortRegistrations.empty()) return std::nullopt;
    // Every substring of the text of a length a short registration can have is
    // looked up, longest first; of one length the smallest text wins, so the
    // answer never depends on the hash map's order.
    for (std::size_t length = maxShortRegistration; length >= minShortRegistration; --length) {
        if (text.size() < length) continue;
        std::optional<std::string_view> best;
        for (std::size_t pos = 0; pos + length <= text.size(); ++pos) {
            const auto piece = text.substr(pos, length);
            if ((!best || piece < *best) && g_dbaseShortRegistrations.contains(piece)) best = piece;
        }
        if (best) return std::string(*best);
    }
    return std::nullopt;
}

void gf_indexShortRegistrations() {
    g_dbaseShortRegistrations.clear();
    for (const auto& [registration, record] : g_dbaseRecords)
        if (registration.size() >= minShortRegistration && registration.size() <= maxShortRegistration)
            g_dbaseShortRegistrations.insert(registration);
}

}  // namespace zrb
