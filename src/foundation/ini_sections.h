#pragma once
// The sections of a Windows-style configuration file (the simulator's
// add-ons.cfg, simobjects.cfg, scenery.cfg):
//     [Package.0]
//     PATH=C:\Add-ons\Some package
//     ACTIVE=TRUE
// Section names and keys are compared without regard to ASCII letter case, as
// Windows does; names, keys and values are trimmed; lines beginning with ";"
// and lines before the first section are ignored.
//
// No state: safe from any thread.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zrb {

struct IniSection {
    std::string name;  // without the brackets
    std::vector<std::pair<std::string, std::string>> entries;  // key, value; in file order
};

std::vector<IniSection> gf_parseIniSections(const std::vector<std::string>& lines);

// The value of the first entry with the key; empty when there is none.
std::string gf_iniValue(const IniSection& section, std::string_view key);

// Whether the section's name begins with the prefix ("Package" for "Package.3").
bool gf_iniNameStartsWith(const IniSection& section, std::string_view prefix);

}  // namespace zrb
