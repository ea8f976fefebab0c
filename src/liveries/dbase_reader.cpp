// Reading dbase.xml into the containers of the aircraft database.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <fmt/format.h>
#include <pugixml.hpp>

#include "config/paths.h"
#include "foundation/log.h"
#include "foundation/strings.h"
#include "foundation/text_file.h"
#include "foundation/user_error.h"
#include "foundation/xml_file.h"
#include "liveries/dbase.h"
#include "liveries/encrypted_file.h"

namespace zrb {

namespace {

namespace fs = std::filesystem;

constexpr std::int32_t notReadCode = 60;
constexpr std::int32_t emptyListCode = 61;
constexpr std::size_t similarGroupsReserve = 64;
constexpr std::size_t publishersReserve = 640;
constexpr std::size_t thirdPartyReserve = 200;

// Removes the plain database however the read ends: the point of shipping it
// encrypted is that it never stays on disk.
class PlainFileRemover {
public:
    explicit PlainFileRemover(fs::path path) : m_path(std::move(path)) {}
    ~PlainFileRemover() { gf_removeFile(m_path); }
    PlainFileRemover(const PlainFileRemover&) = delete;
    PlainFileRemover& operator=(const PlainFileRemover&) = delete;

private:
    fs::path m_path;
};

std::string lf_attr(const pugi::xml_node& entry, const char* name) { return gf_getAttrString(entry, name); }

// A decimal number in the C locale; anything that is not a finite number of 0
// or more reads as 0.
double lf_readMetres(std::string_view text) {
    const auto trimmed = gf_trim(text);
    double value = 0.0;
    const auto [end, ec] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
    if (ec != std::errc{} || !std::isfinite(value) || value < 0.0) return 0.0;
    return value;
}

// The names of one publisher group: split at "," without trimming.
std::vector<std::string> lf_splitUntrimmed(std::string_view text) {
    std::vector<std::string> pieces;
    if (text.empty()) return pieces;
    std::size_t start = 0;
    for (std::size_t comma = text.find(','); comma != std::string_view::npos; comma = text.find(',', start)) {
        pieces.emplace_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    pieces.emplace_back(text.substr(start));
    return pieces;
}

// Inserts the word lists of every entry of the section into the target; a
// required list that stays empty is an error the user must see.
void lf_readWordLists(const pugi::xml_document& doc, const char* section, const char* entry, const char* attribute,
                      DbaseTextSet& target) {
    for (const auto node : doc.child(section).children(entry))
        for (auto& word : gf_split(lf_attr(node, attribute), ','))
            target.insert(std::move(word));
    if (target.empty())
        throw UserErrorException(emptyListCode,
                                 fmt::format("In XML file section [{}], element [{}], attribute [{}] is empty.",
                                             section, entry, attribute));
}

void lf_readTypeList(const pugi::xml_document& doc, const char* section, const char* entry, DbaseTextSet& target) {
    DbaseTextSet types;
    lf_readWordLists(doc, section, entry, "types", types);
    target = std::move(types);
}

void lf_readCodeList(const pugi::xml_document& doc, const char* section, DbaseTextSet& target) {
    DbaseTextSet codes;
    lf_readWordLists(doc, section, "ICAO", "codes", codes);
    target = std::move(codes);
}

void lf_readThirdPartyAirports(const pugi::xml_document& doc) {
    if (g_dbaseThirdPartyAirports.capacity() < thirdPartyReserve) g_dbaseThirdPartyAirports.reserve(thirdPartyReserve);
    for (const auto node : doc.child("thirdpartiesP3D").children("thirdpartieP3D"))
        g_dbaseThirdPartyAirports.push_back({lf_attr(node, "pub"), gf_split(lf_attr(node, "arpts"), ',')});
}

void lf_readSimilarGroups(const pugi::xml_document& doc) {
    g_dbaseSimilarGroups.reserve(similarGroupsReserve);
    for (const auto node : doc.child("similar_types").children("similar")) {
        auto group = gf_split(lf_attr(node, "types"), ',');
        std::ranges::sort(group);
        g_dbaseSimilarGroups.push_back(std::move(group));
    }
    g_dbaseSimilarGroups.shrink_to_fit();
}

void lf_readPublishers(const pugi::xml_document& doc) {
    std::vector<std::string> texts;
    for (const auto node : doc.child("publishers").children("pub")) {
        auto names = lf_attr(node, "names");
        // A group without a name would give a publisher without a name.
        if (!names.empty()) texts.push_back(std::move(names));
    }
    std::ranges::sort(texts);
    texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
    g_dbasePublishers.reserve(publishersReserve);
    for (const auto& text : texts)
        g_dbasePublishers.push_back(lf_splitUntrimmed(text));
    g_dbasePublishers.shrink_to_fit();
    gf_logLine("   {} publishers", g_dbasePublishers.size());
}

void lf_computeCategoryMeans() {
    std::array<double, g_categoryCount> sums{};
    std::array<std::size_t, g_categoryCount> counts{};
    for (const auto& [type, halfSpan] : g_dbaseWingspans) {
        const auto category = static_cast<std::size_t>(gf_typeCategory(type));
        sums[category] += halfSpan;
        ++counts[category];
    }
    for (std::size_t category = 0; category < g_categoryCount; ++category) {
        if (counts[category] > 0) {
            g_dbaseCategoryHalfSpans[category] = sums[category] / static_cast<double>(counts[category]);
        } else {
            // 0/0 would give NaN, which later breaks every stand-size test.
            g_dbaseCategoryHalfSpans[category] = 0.0;
            gf_logMarked("no wingspan of category {} in the database, its mean half span is 0", category);
        }
    }
}

void lf_readWingspans(const pugi::xml_document& doc) {
    bool anyValid = false;
    for (const auto node : doc.child("wingspans").children("wingspan")) {
        auto type = lf_attr(node, "type");
        if (!gf_isKnownType(type)) {
            gf_logMarked("wingspan model {} is not valid, skipped", type);
            continue;
        }
        anyValid = true;
        const double halfSpan = lf_readMetres(lf_attr(node, "meters")) * 0.5 * g_nmPerMetre;
        g_dbaseWingspans.try_emplace(std::move(type), halfSpan);
        g_dbaseMaxHalfSpan = std::max(g_dbaseMaxHalfSpan, halfSpan);
    }
    if (anyValid) lf_computeCategoryMeans();
}

void lf_readFixes(const pugi::xml_document& doc) {
    for (const auto node : doc.child("fixes").children("fx")) {
        auto wrong = lf_attr(node, "wro");
        auto correct = lf_attr(node, "cor");
        if (!gf_isKnownType(correct)) {
            gf_logMarked("wrong fix {} -> {}, the latter is not valid", wrong, correct);
            continue;
        }
        if (!g_dbaseModelFixes.try_emplace(wrong, std::move(correct)).second)
            gf_logMarked("wrong part of fix: '{}', already exists, skipped", wrong);
    }
}

void lf_readRegistrations(const pugi::xml_document& doc) {
    g_dbaseRecords.clear();
    for (const auto node : doc.child("dbase").children("db")) {
        auto registration = lf_attr(node, "reg");
        // pugixml's as_bool is the program's rule: true when the text begins with 1, t, T, y or Y.
        DbaseRecord record{lf_attr(node, "airl"), lf_attr(node, "type"), lf_attr(node, "opr"),
                           node.attribute("cargo").as_bool()};
        if (!g_dbaseRecords.try_emplace(registration, std::move(record)).second)
            gf_logMarked("regcode {} already exists", registration);
    }
    gf_indexShortRegistrations();
    gf_logLine("{} dbase records read", g_dbaseRecords.size());
}

void lf_readSections(const pugi::xml_document& doc) {
    lf_readTypeList(doc, "aircrafts", "aircraft", g_dbaseKnownTypes);
    lf_readTypeList(doc, "high_performance", "hpf", g_dbaseHighPerfTypes);
    lf_readTypeList(doc, "heavy", "hvy", g_dbaseHeavyTypes);
    lf_readTypeList(doc, "large", "lar", g_dbaseLargeTypes);
    lf_readTypeList(doc, "buzjet", "bzj", g_dbaseBuzjetTypes);
    lf_readTypeList(doc, "rotorcraft", "rot", g_dbaseRotorcraftTypes);
    lf_readTypeList(doc, "cargo_types", "cargo_type", g_dbaseCargoTypes);
    lf_readSimilarGroups(doc);
    lf_readCodeList(doc, "ICAO_airlines", g_dbaseIcaoAirlines);
    lf_readCodeList(doc, "cargo_operators", g_dbaseCargoOperators);
    lf_readPublishers(doc);
    lf_readWingspans(doc);
    lf_readFixes(doc);
    lf_readWordLists(doc, "simaddonsP3D", "simaddonP3D", "arpts", g_dbaseSimaddonAirports);
    lf_readThirdPartyAirports(doc);
    lf_readRegistrations(doc);
}

}  // namespace

void gf_readDbaseDocument(const pugi::xml_document& doc) {
    gf_clearDbase();
    try {
        lf_readSections(doc);
    } catch (...) {
        // Half-read tables must not pass for a database.
        gf_clearDbase();
        throw;
    }
}

void gf_readDbaseXml(const fs::path& xmlPath) {
    gf_clearDbase();
    pugi::xml_document doc;
    if (const auto result = gf_loadXml(doc, xmlPath); !result)
        throw UserErrorException(notReadCode, fmt::format("'{}' not read because of {}", gf_pathText(xmlPath),
                                                          result.description()));
    gf_readDbaseDocument(doc);
}

bool gf_readDbase() {
    const fs::path& encrypted = g_dbaseEncFile;
    const fs::path& plain = g_dbaseXmlFile;
    const PlainFileRemover remover(plain);
    std::error_code ec;
    if (!fs::exists(encrypted, ec)) throw std::runtime_error(fmt::format("{} not available", gf_pathText(encrypted)));
    if (!gf_streamDecrypt(encrypted, plain))
        throw std::runtime_error(fmt::format("{} stream decrypt failed", gf_pathText(encrypted)));
    gf_readDbaseXml(plain);
    return true;
}

}  // namespace zrb
