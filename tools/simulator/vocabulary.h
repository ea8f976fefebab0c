#pragma once
// The names the stand-in knows, as the simulator knows its own: the system
// events, the simulation variables with the units each may be read in, and
// the client events the program uses. Anything else is refused with
// NAME_UNRECOGNIZED, as the simulator refuses a name it does not know, so a
// misspelt or dropped name fails a test instead of reading 0. Names and units
// compare without regard to case.

#include <cstdint>
#include <string_view>
#include <vector>

namespace zrb::standin {

enum class VariableKind : std::uint8_t { number, text };

struct VariableInfo {
    VariableKind kind = VariableKind::number;
    std::vector<std::string_view> units;  // lower case; none for a text
};

bool gf_knownSystemEvent(std::string_view name);
bool gf_knownClientEvent(std::string_view name);
// The variable of that name; null when the simulator has none.
const VariableInfo* gf_findVariable(std::string_view name);
// The units fit the variable (a text takes none).
bool gf_unitsFit(const VariableInfo& variable, std::string_view units);
// A datum type of AddToDataDefinition that holds text (STRING8 .. STRINGV).
bool gf_isTextDatumType(std::uint32_t type);

}  // namespace zrb::standin
