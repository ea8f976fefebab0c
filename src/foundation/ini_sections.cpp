#include "foundation/ini_sections.h"

#include "foundation/strings.h"

namespace zrb {

std::vector<IniSection> gf_parseIniSections(const std::vector<std::string>& lines) {
    std::vector<IniSection> sections;
    for (const std::string& raw : lines) {
        const std::string line = gf_trim(raw);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            if (close != std::string::npos) {
                sections.push_back({gf_trim(std::string_view(line).substr(1, close - 1)), {}});
                continue;
            }
        }
        const std::size_t equals = line.find('=');
        if (sections.empty() || equals == std::string::npos) continue;
        const std::string_view text = line;
        sections.back().entries.emplace_back(gf_trim(text.substr(0, equals)), gf_trim(text.substr(equals + 1)));
    }
    return sections;
}

std::string gf_iniValue(const IniSection& section, std::string_view key) {
    for (const auto& [name, value] : section.entries)
        if (gf_equalsNoCase(name, key)) return value;
    return {};
}

bool gf_iniNameStartsWith(const IniSection& section, std::string_view prefix) {
    return section.name.size() >= prefix.size() && gf_equalsNoCase(section.name.substr(0, prefix.size()), prefix);
}

}  // namespace zrb
