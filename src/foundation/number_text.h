#pragma once
// Texts of counts and measured values for messages and log lines.

#include <concepts>
#include <string>
#include <string_view>

namespace zrb {

// The plural suffix, as in "{} update{}".
inline constexpr std::string_view g_pluralSuffix = "s";

// "" when the count is 1 or negative, otherwise "s". Takes any integer count
// (32-bit, 64-bit, sizes) with the same rule.
template <std::integral Count>
std::string gf_plural(Count count) {
    if (count == 1) return {};
    if constexpr (std::signed_integral<Count>) {
        if (count < 0) return {};
    }
    return std::string(g_pluralSuffix);
}

// "{:.0f}" of a whole value ("3"), otherwise "{:.1f}" ("2.5", and "3.0" for 2.96).
std::string gf_floatToText(float value);

}  // namespace zrb
