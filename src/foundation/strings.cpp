#include "foundation/strings.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include <gsl/narrow>

#include "foundation/log.h"

namespace zrb {

namespace {

char lf_asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char lf_asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string gf_trim(std::string_view text) {
    const auto first = text.find_first_not_of(g_whitespace);
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(g_whitespace);
    return std::string(text.substr(first, last - first + 1));
}

std::vector<std::string> gf_split(std::string_view text, char delimiter) {
    std::vector<std::string> pieces;
    if (text.empty()) return pieces;
    pieces.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), delimiter)) + 1);
    std::size_t start = 0;
    while (true) {
        const auto end = text.find(delimiter, start);
        if (end == std::string_view::npos) {
            pieces.push_back(gf_trim(text.substr(start)));
            return pieces;
        }
        pieces.push_back(gf_trim(text.substr(start, end - start)));
        start = end + 1;
    }
}

std::vector<std::string> gf_splitComma(std::string_view text) { return gf_split(text, ','); }

std::vector<std::string> gf_splitCommaVector(std::string_view text) { return gf_split(text, ','); }

std::list<std::string> gf_splitCommaToList(std::string_view text) {
    auto pieces = gf_split(text, ',');
    std::list<std::string> list(std::make_move_iterator(pieces.begin()), std::make_move_iterator(pieces.end()));
    list.sort();
    list.unique();
    return list;
}

void gf_normalizeCommaList(std::string& text) {
    if (text.find_first_of(g_whitespace) == std::string::npos) return;
    std::string joined;
    joined.reserve(text.size());
    bool first = true;
    for (const auto& piece : gf_splitComma(text)) {
        if (!first) joined += ',';
        joined += piece;
        first = false;
    }
    text = std::move(joined);
}

bool gf_equalsWithStar(std::string_view a, std::string_view b) {
    return b.size() == a.size() + 1 && b.back() == '*' && b.substr(0, a.size()) == a;
}

bool gf_equalsUppercased(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return x == lf_asciiUpper(y); });
}

std::string gf_toUpperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) c = lf_asciiUpper(c);
    return upper;
}

bool gf_containsNoCase(std::string_view text, std::string_view part) {
    if (part.empty()) return true;
    // std::search rather than the ranges form: the fuzz build's clang cannot compile the latter.
    const auto found = std::search(text.begin(), text.end(), part.begin(), part.end(),
                                   [](char x, char y) { return lf_asciiLower(x) == lf_asciiLower(y); });
    return found != text.end();
}

bool gf_equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lf_asciiLower(x) == lf_asciiLower(y);
           });
}

bool gf_parseNamedInt(const NamedIntTarget& target, std::string_view entry) {
    if (!entry.starts_with(target.key)) return false;
    // The number follows the key, whatever the key's length.
    const auto digits = entry.substr(target.key.size());
    std::int32_t number = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    (void)end;
    if (ec != std::errc{}) {
        gf_logMarked("{} {} {} {}", target.contextText, target.key, entry, "invalid number");
        return true;
    }
    target.value = number;
    return true;
}

std::int32_t gf_percentOf(std::int64_t part, std::int64_t whole) {
    if (whole < 1) return 0;
    const double percent = std::round(static_cast<double>(part) * 100.0 / static_cast<double>(whole));
    // Converting an out-of-range double to an integer is undefined, so the range
    // is checked before gsl::narrow sees an integer.
    constexpr double int64Limit = 9.2e18;
    if (!(std::fabs(percent) < int64Limit)) throw gsl::narrowing_error{};
    return gsl::narrow<std::int32_t>(static_cast<std::int64_t>(percent));
}

}  // namespace zrb
