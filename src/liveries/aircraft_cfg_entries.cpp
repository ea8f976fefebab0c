#include "liveries/aircraft_cfg_entries.h"

#include "foundation/strings.h"

namespace zrb {

namespace {

constexpr std::string_view blanks = " \t\n\v\f\r";
constexpr std::string_view lineBreaks = "\n\r";
constexpr std::string_view headerOpen = "[fltsim.";
constexpr std::string_view headerOpenUpper = "[FLTSIM.";
constexpr std::string_view commentMark = "//";
// What a malformed [fltsim.] header counts as: the highest number allowed.
constexpr std::string_view malformedHeaderNumber = "10000";

bool lf_isBlank(char c) { return blanks.find(c) != std::string_view::npos; }
bool lf_isDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t lf_skipBlanks(std::string_view line, std::size_t at) {
    while (at < line.size() && lf_isBlank(line[at])) ++at;
    return at;
}

bool lf_startsWithNoCase(std::string_view line, std::size_t at, std::string_view word) {
    return line.size() - at >= word.size() && gf_equalsNoCase(line.substr(at, word.size()), word);
}

bool lf_readEntry(std::string_view line, std::string_view key, std::string& value) {
    std::string matched = lf_matchKeyValue(line, key);
    if (matched.empty()) return false;
    value = std::move(matched);
    return true;
}

// The digits of a well-formed header "[fltsim.<digits>]" with blanks around it.
std::string_view lf_headerDigits(std::string_view line) {
    std::size_t at = lf_skipBlanks(line, 0);
    if (!lf_startsWithNoCase(line, at, headerOpen)) return {};
    at += headerOpen.size();
    const std::size_t first = at;
    while (at < line.size() && lf_isDigit(line[at])) ++at;
    if (at == first || at == line.size() || line[at] != ']') return {};
    if (lf_skipBlanks(line, at + 1) != line.size()) return {};
    return line.substr(first, at - first);
}

}  // namespace

std::string lf_matchKeyValue(std::string_view line, std::string_view key) {
    std::size_t at = lf_skipBlanks(line, 0);
    if (!lf_startsWithNoCase(line, at, key)) return {};
    at = lf_skipBlanks(line, at + key.size());
    if (at == line.size() || line[at] != '=') return {};
    at = lf_skipBlanks(line, at + 1);
    std::size_t end = line.size();
    while (end > at && lf_isBlank(line[end - 1])) --end;
    const std::string_view value = line.substr(at, end - at);
    // A value never spans a line break left inside the line.
    if (value.empty() || value.find_first_of(lineBreaks) != std::string_view::npos) return {};
    return std::string(value);
}

bool lf_readTitle(std::string_view line, std::string& value) { return lf_readEntry(line, "title", value); }
bool lf_readSim(std::string_view line, std::string& value) { return lf_readEntry(line, "sim", value); }
bool lf_readModel(std::string_view line, std::string& value) { return lf_readEntry(line, "model", value); }
bool lf_readTexture(std::string_view line, std::string& value) { return lf_readEntry(line, "texture", value); }
bool lf_readAtcId(std::string_view line, std::string& value) { return lf_readEntry(line, "atc_id", value); }
bool lf_readParkingTypes(std::string_view line, std::string& value) {
    return lf_readEntry(line, "atc_parking_types", value);
}

std::string lf_atcModelValue(std::string_view line) { return lf_matchKeyValue(line, "atc_model"); }
std::string lf_parkingCodesValue(std::string_view line) { return lf_matchKeyValue(line, "atc_parking_codes"); }

std::string lf_fltsimNumber(std::string_view line) {
    if (line.starts_with(commentMark)) return {};
    if (const std::string_view digits = lf_headerDigits(line); !digits.empty()) return std::string(digits);
    if (line.find(headerOpen) != std::string_view::npos || line.find(headerOpenUpper) != std::string_view::npos)
        return std::string(malformedHeaderNumber);
    return {};
}

bool lf_hasAtcIdKey(std::string_view line) { return line.find("atc_id=") != std::string_view::npos; }
bool lf_hasParkingTypesKey(std::string_view line) { return line.find("atc_parking_types") != std::string_view::npos; }
bool lf_hasParkingCodesKey(std::string_view line) { return line.find("atc_parking_codes") != std::string_view::npos; }

}  // namespace zrb
