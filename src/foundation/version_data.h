#pragma once
#include <compare>
#include <cstdint>
#include <string_view>

namespace zrb {

// A three-number version: the program's, the one stored in parameters.xml and
// in file headers, and the data files' versions on the download site.
struct VersionData {
    std::int32_t major = 0;
    std::int32_t minor = 0;
    std::int32_t patch = 0;

    VersionData() = default;
    constexpr VersionData(std::int32_t ma, std::int32_t mi, std::int32_t pa) : major(ma), minor(mi), patch(pa) {}
    // "a.b.c" (any one character between the numbers), else a JSON object with
    // "major", "minor", "patch". Never throws: a failure is logged and the value
    // keeps what was read before it.
    explicit VersionData(std::string_view text);

    friend bool operator==(const VersionData&, const VersionData&) = default;
    friend auto operator<=>(const VersionData&, const VersionData&) = default;
};

// The program's own version.
inline constexpr VersionData g_programVersion{11, 0, 2};
inline constexpr std::string_view g_programVersionText = "11.0.2";

}  // namespace zrb
