// Finding and merging an airport's learned file, and the quality factors
// that say how much the stand table knows.
#include "airports/learned_file.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <iterator>
#include <system_error>

#include <fmt/format.h>

#include "airports/parking_file.h"
#include "config/meta_info.h"
#include "foundation/log.h"
#include "foundation/text_file.h"
#include "foundation/windows_path.h"
#include "foundation/xml_file.h"
#include "shell/common/message_line.h"

namespace zrb {

namespace {

constexpr std::string_view archiveWord = "archive";
constexpr std::string_view airportsWord = "airports";
constexpr std::string_view thirdpartyWord = "my_thirdparty";
constexpr std::string_view thirdparty2024Word = "my_thirdparty2024";
// A manual stand this near (0, 0) has no position [deg].
constexpr double noPositionDeg = 0.0001;

// Quality factors: stand weights by radius [NM], and the scale of the sums.
constexpr double smallStandNm = 7.0;
constexpr double mediumStandNm = 10.0;
constexpr double smallStandWeight = 0.3;
constexpr double mediumStandWeight = 1.5;
constexpr double largeStandWeight = 1.0;
constexpr std::int64_t perOptionScore = 20;
constexpr std::int64_t maxOptionScore = 4000;
constexpr std::int64_t standScore = 10000;
constexpr std::int64_t perWeekdayScore = 100;
constexpr std::int64_t perHalfHourScore = 2;
constexpr std::int64_t maxHalfHours = 600;
constexpr double qualityScale = 0.00625;
constexpr std::int32_t maxQuality = 100;

void lf_replaceFirst(std::string& text, std::string_view what, std::string_view with) {
    if (const auto at = text.find(what); at != std::string::npos) text.replace(at, what.size(), with);
}

void lf_replaceAll(std::string& text, std::string_view what, std::string_view with) {
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

std::string lf_separator() { return std::string(1, static_cast<char>(std::filesystem::path::preferred_separator)); }

// EGLL.xml -> EGLL.0.xml
std::filesystem::path lf_brokenCopyPath(const std::filesystem::path& path) {
    std::filesystem::path copy = path.parent_path() / path.stem();
    copy += ".0";
    copy += path.extension();
    return copy;
}

void lf_keepBrokenFile(const std::filesystem::path& path, const std::string& error) {
    std::error_code ec;
    if (std::filesystem::exists(path, ec))
        std::filesystem::copy_file(path, lf_brokenCopyPath(path), std::filesystem::copy_options::overwrite_existing);
    gf_logLine("{} found, but could not be loaded, saved as *.0.xml: {}", gf_pathText(path), error);
}

bool lf_hasMeta(const pugi::xml_document& doc) {
    return gf_readMetaInfo(doc, g_metaAuthor) && gf_readMetaInfo(doc, g_metaDate) &&
           gf_readMetaInfo(doc, g_metaVersion);
}

std::size_t lf_findStand(const std::vector<Stand>& table, std::string_view id) {
    const auto it = std::find_if(table.begin(), table.end(), [&](const Stand& s) { return s.id == id; });
    return static_cast<std::size_t>(it - table.begin());
}

std::size_t lf_childCount(const pugi::xml_node& node, const char* name) {
    const auto children = node.children(name);
    return static_cast<std::size_t>(std::distance(children.begin(), children.end()));
}

// True when the stand was added with all its options.
bool lf_addManualStand(const pugi::xml_node& parkpos, const std::string& id, const std::filesystem::path& path,
                       std::vector<Stand>& table) {
    if (lf_findStand(table, id) < table.size()) {
        gf_logMarked("manually created standid {} already exists in {}", id, gf_pathText(path));
        return false;
    }
    const double lat = parkpos.attribute("latitude").as_double();
    const double lon = parkpos.attribute("longitude").as_double();
    const double radius = parkpos.attribute("radius").as_double();
    if (!((std::abs(lat) > noPositionDeg || std::abs(lon) > noPositionDeg) && radius != 0.0)) {
        gf_logMarked("manually created standid {} misses correct attributes in {}", id, gf_pathText(path));
        return false;
    }
    if (table.size() >= g_maxParkingStands) {
        gf_logMarked("manually created standid {} left out of {}: too many parking positions", id, gf_pathText(path));
        return false;
    }
    const std::size_t before = table.size();
    lf_readParkPos(parkpos, id, 0, table);
    if (table.size() == before) return false;
    table.back().manual = 1;
    return table.back().options.size() == lf_childCount(parkpos, "opt");
}

// True when every element was taken whole.
bool lf_mergeLearnedStands(const pugi::xml_node& parkpositions, const std::filesystem::path& path,
                           std::vector<Stand>& table) {
    bool complete = true;
    for (const pugi::xml_node& parkpos : parkpositions.children("parkpos")) {
        const std::string id = gf_getAttrString(parkpos, "id");
        if (parkpos.attribute("manual").as_bool()) {
            complete = lf_addManualStand(parkpos, id, path, table) && complete;
            continue;
        }
        std::size_t leftOut = 0;
        const bool found = std::any_of(table.begin(), table.end(), [&](Stand& stand) {
            return lf_applyParkPosChanges({id, parkpos, &leftOut}, stand);
        });
        if (!found) gf_logLine("learned stand {} in {} not found?", id, gf_pathText(path));
        complete = complete && found && leftOut == 0;
    }
    return complete;
}

// The readers drop a stand without a usable position or beyond the cap, and
// an option whose day is no weekday: the totals tell whether anything went.
bool lf_readWhole(const pugi::xml_node& parkpositions, const std::vector<Stand>& stands) {
    std::size_t elements = 0;
    std::size_t opts = 0;
    for (const pugi::xml_node& parkpos : parkpositions.children("parkpos")) {
        ++elements;
        opts += lf_childCount(parkpos, "opt");
    }
    std::size_t options = 0;
    for (const Stand& stand : stands) options += stand.options.size();
    return elements == stands.size() && opts == options;
}

// True when everything of the file was taken.
bool lf_readLearnedDocument(const pugi::xml_document& doc, const std::filesystem::path& path,
                            const ApfHeader& header, std::vector<Stand>& table, bool& handmade) {
    const std::string learnedName = lf_getApfStringParameter(doc, "airport_name").value_or("");
    if (learnedName != header.airportName) {
        gf_showMessage(fmt::format("Warning: learned file airport name: '{}' differs from archived file airport name: '{}'",
                                   learnedName, header.airportName),
                       true);
    }
    gf_readLearnedSettings(doc);
    const pugi::xml_node parkpositions = doc.child("parkpositions");
    if (const auto mark = lf_getApfStringParameter(doc, "handmade")) {
        // Read apart, so that a damaged handmade file leaves the base stands in place.
        std::vector<Stand> stands;
        gf_readParkPositions(parkpositions, 1, stands, gf_pathText(path));
        const bool complete = lf_readWhole(parkpositions, stands);
        table = std::move(stands);
        handmade = true;
        gf_logIndented("{:24}: {}", "handmade", *mark);
        return complete;
    }
    return lf_mergeLearnedStands(parkpositions, path, table);
}

}  // namespace

bool gf_isSafePathComponent(std::string_view name) {
    if (name == "." || name.find("..") != std::string_view::npos) return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F || c == '/' || c == '\\' || c == ':';
    });
}

std::filesystem::path lf_learnedApfPath(const std::string& source, const std::string& publisher) {
    if (source.empty()) return {};
    const std::string learnedRoot = std::string(airportsWord) + lf_separator() + "learned";
    std::string path = source;
    const bool local = source.compare(0, airportsWord.size(), airportsWord) == 0;
    if (!local && source.find(archiveWord) != std::string::npos) {
        lf_replaceFirst(path, archiveWord, learnedRoot);
        lf_replaceAll(path, "/", lf_separator());
        lf_replaceAll(path, "%20", " ");
        return gf_pathFromUtf8(path);
    }
    if (!local) return gf_pathFromUtf8(path);
    lf_replaceFirst(path, airportsWord, learnedRoot);
    const bool thirdparty = path.find(thirdpartyWord) != std::string::npos;
    if (thirdparty && !gf_isSafePathComponent(publisher)) {
        gf_logMarked("Publisher '{}' of {} is no folder name: no learned file", publisher, source);
        return {};
    }
    const std::string branch = "thirdparty" + lf_separator() + publisher;
    if (path.find(thirdparty2024Word) != std::string::npos) lf_replaceFirst(path, thirdparty2024Word, branch);
    else if (thirdparty) lf_replaceFirst(path, thirdpartyWord, branch);
    return gf_pathFromUtf8(path);
}

LearnedFileRead lf_readLearned(const std::filesystem::path& path, const ApfHeader& header, std::vector<Stand>& table) {
    LearnedFileRead read;
    try {
        pugi::xml_document doc;
        std::string error;
        if (!gf_loadParkingXml(doc, path, error)) {
            lf_keepBrokenFile(path, error);
            return read;
        }
        gf_logLine("Read from learned airport file: '{}'", gf_pathText(path));
        if (!lf_hasMeta(doc)) return read;
        read.complete = lf_readLearnedDocument(doc, path, header, table, read.handmade);
    } catch (const std::exception& e) {
        read.complete = false;
        gf_logLine("{}: {}", "lf_readLearned", e.what());
    }
    return read;
}

QualityFactors lf_computeQualityFactors(const std::vector<Stand>& table) {
    const bool anyOption = std::any_of(table.begin(), table.end(), [](const Stand& s) { return !s.options.empty(); });
    if (!anyOption) return gf_packQualityFactors(-1, -1);
    double totalWeight = 0.0;
    double sums[2] = {0.0, 0.0};  // soft, real
    for (const Stand& stand : table) {
        // The radius is compared in nautical miles, so every real stand weighs the same.
        const double w = stand.radius <= smallStandNm    ? smallStandWeight
                         : stand.radius <= mediumStandNm ? mediumStandWeight
                                                         : largeStandWeight;
        totalWeight += w;
        for (std::uint32_t real = 0; real <= 1; ++real) {
            std::int64_t n = 0;
            std::int64_t halfHours = 0;
            std::uint32_t weekdays = 0;  // bit d for weekday d
            for (const StandOption& option : stand.options) {
                if (option.optionId == 0 || option.real != real || option.origin == g_optionOriginFake) continue;
                ++n;
                halfHours += std::popcount(option.halfHours);
                if (option.day >= 1 && option.day <= 7) weekdays |= 1u << option.day;
            }
            if (n == 0) continue;
            const std::int64_t score = std::min(perOptionScore * n, maxOptionScore) + standScore +
                                       perWeekdayScore * std::popcount(weekdays) +
                                       perHalfHourScore * std::min(halfHours, maxHalfHours);
            sums[real] += static_cast<double>(score) * w;
        }
    }
    const auto factor = [&](double sum) {
        const double value = std::round(sum / totalWeight * qualityScale);
        return static_cast<std::int32_t>(std::clamp(value, 0.0, static_cast<double>(maxQuality)));
    };
    return gf_packQualityFactors(factor(sums[1]), factor(sums[0]));
}

}  // namespace zrb
