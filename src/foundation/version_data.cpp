#include "foundation/version_data.h"

#include <charconv>
#include <limits>
#include <regex>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "foundation/bounded_json.h"
#include "foundation/log.h"

namespace zrb {

namespace {

std::int32_t lf_versionNumber(const std::string& digits) {
    std::int32_t value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc{} || end != digits.data() + digits.size())
        throw std::runtime_error("parse error in version string");
    return value;
}

// nlohmann converts out-of-range numbers by a plain cast (a wrapped integer, or
// undefined behaviour for a large float), so the range is checked first, with
// the same error as the dotted form.
std::int32_t lf_versionNumber(const nlohmann::json& value) {
    constexpr auto lowest = std::numeric_limits<std::int32_t>::min();
    constexpr auto highest = std::numeric_limits<std::int32_t>::max();
    if (value.is_number_unsigned()) {
        if (value.get<std::uint64_t>() > static_cast<std::uint64_t>(highest))
            throw std::runtime_error("parse error in version string");
    } else if (value.is_number_integer()) {
        const auto number = value.get<std::int64_t>();
        if (number < lowest || number > highest) throw std::runtime_error("parse error in version string");
    } else if (value.is_number_float()) {
        const auto number = value.get<double>();
        if (!(number >= lowest && number <= highest)) throw std::runtime_error("parse error in version string");
    }
    return value.get<std::int32_t>();  // other types raise the library's type error
}

// std::regex matches recursively, one stack frame per character: a long text
// (a damaged file) would overflow a thread's stack. No real version comes near.
constexpr std::size_t maxDottedVersionLength = 256;

}  // namespace

VersionData::VersionData(std::string_view text) {
    if (text.empty()) return;
    try {
        // The dots are deliberately unescaped: "11-0-2" has always been read as 11.0.2.
        static const std::regex pattern(R"((\d+).(\d+).(\d+))", std::regex::ECMAScript);
        const std::string s(text);
        std::smatch match;
        if (s.size() <= maxDottedVersionLength && std::regex_match(s, match, pattern)) {
            major = lf_versionNumber(match[1].str());
            minor = lf_versionNumber(match[2].str());
            patch = lf_versionNumber(match[3].str());
            return;
        }
        const auto json = gf_parseJson(s);
        if (!json.is_object()) return;
        if (json.contains("major")) major = lf_versionNumber(json.at("major"));
        if (json.contains("minor")) minor = lf_versionNumber(json.at("minor"));
        if (json.contains("patch")) patch = lf_versionNumber(json.at("patch"));
    } catch (const std::exception& e) {
        gf_logLine("{} exception: {}", "VersionData", e.what());
    }
}

}  // namespace zrb
