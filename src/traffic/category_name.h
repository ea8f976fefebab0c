#pragma once
// The names of the aircraft categories, as the log prints them. Header only:
// the livery processing and the simulator link name categories too, without
// needing the rest of the manager. Any thread.

#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <unordered_map>

namespace zrb {

// "Light", "Buzjets", "Large", "Heavy", "HighPerf", "Rotorcraft" for 0..5.
// Any other value throws std::out_of_range "invalid unordered_map<K, T> key".
inline std::string_view gf_categoryName(std::uint32_t category) {
    static const std::unordered_map<std::uint32_t, std::string_view> names{
        {0, "Light"}, {1, "Buzjets"}, {2, "Large"}, {3, "Heavy"}, {4, "HighPerf"}, {5, "Rotorcraft"}};
    const auto found = names.find(category);
    if (found == names.end()) throw std::out_of_range("invalid unordered_map<K, T> key");
    return found->second;
}

}  // namespace zrb
