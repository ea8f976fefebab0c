#pragma once
// Small text operations shared by the settings, the data-file readers and the
// traffic manager. They work on UTF-8 byte by byte and keep no state: safe from
// any thread.
//
// "Trimmed" always means without leading and trailing space, tab, line feed and
// carriage return; whitespace inside a text stays.

#include <cstdint>
#include <list>
#include <string>
#include <string_view>
#include <vector>

namespace zrb {

inline constexpr std::string_view g_whitespace = " \t\n\r";

std::string gf_trim(std::string_view text);

// The trimmed pieces between delimiters, in order. An empty text gives no
// piece; otherwise every delimiter ends a piece and the text after the last one
// is the last piece, so "a,,b," gives "a", "", "b", "".
std::vector<std::string> gf_split(std::string_view text, char delimiter);
std::vector<std::string> gf_splitComma(std::string_view text);
std::vector<std::string> gf_splitCommaVector(std::string_view text);

// The trimmed comma pieces, sorted by byte value, each distinct piece once.
std::list<std::string> gf_splitCommaToList(std::string_view text);

// When the text holds any whitespace, rewrites it as its trimmed comma pieces
// joined by bare commas ("a , b" -> "a,b"); otherwise leaves it as it is.
void gf_normalizeCommaList(std::string& text);

// Whether b is a followed by "*" (a static aircraft standing in for a live one).
bool gf_equalsWithStar(std::string_view a, std::string_view b);

// Whether a equals b upper-cased byte by byte (ASCII only); a is given in upper
// case, such as ".XML".
bool gf_equalsUppercased(std::string_view a, std::string_view b);

// The text with a-z upper-cased (ASCII only; other bytes stay).
std::string gf_toUpperAscii(std::string_view text);

// Whether part occurs in text, both compared in lower case (ASCII only). An
// empty part is always contained.
bool gf_containsNoCase(std::string_view text, std::string_view part);

// Whether the texts are equal with ASCII letter case ignored.
bool gf_equalsNoCase(std::string_view a, std::string_view b);

// What gf_parseNamedInt reads: the entry must begin with the key; the number
// that follows the key goes into value. The context text only names the caller
// in the warning.
struct NamedIntTarget {
    std::string_view contextText;
    std::string_view key;
    std::int32_t& value;
};

// False when the entry does not begin with the key. Otherwise reads the decimal
// number (optional '-', digits, stopping at the first other character) that
// follows the key and returns true, also when there is no valid number: then
// the value keeps what it held and the warning
// "{context} {key} {entry} invalid number" is logged.
bool gf_parseNamedInt(const NamedIntTarget& target, std::string_view entry);

// part × 100 / whole rounded to the nearest integer (halves away from zero);
// 0 when whole is below 1. Throws gsl::narrowing_error when the result does not
// fit a 32-bit integer.
std::int32_t gf_percentOf(std::int64_t part, std::int64_t whole);

}  // namespace zrb
