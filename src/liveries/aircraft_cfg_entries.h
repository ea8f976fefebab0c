#pragma once
// The entries of an aircraft.cfg that the livery scan reads, one line at a
// time. An entry line is
//     <blanks> key <blanks> = <blanks> value <blanks>
// with the key in any letter case. The value runs from the first to the last
// non-blank character after "=" and keeps whatever stands between (inner
// blanks, a ";" comment); an all-blank value is no entry. Anything but blanks
// before the key ("//", ";") makes the line no entry, and only the exact key
// counts (title_x is no title). Blanks are space, tab, CR, LF, VT and FF.
//
// Matching is done by hand, in one pass: a regular-expression engine that
// recurses per character would overflow the stack on the long lines of a
// corrupt or binary file.
//
// No state: safe from any thread.

#include <string>
#include <string_view>

namespace zrb {

// The value of the entry `key`; empty when the line is no such entry.
std::string lf_matchKeyValue(std::string_view line, std::string_view key);

// The value of their entry into `value`, true; false and `value` unchanged
// when the line is no such entry.
bool lf_readTitle(std::string_view line, std::string& value);
bool lf_readSim(std::string_view line, std::string& value);
bool lf_readModel(std::string_view line, std::string& value);
bool lf_readTexture(std::string_view line, std::string& value);
bool lf_readAtcId(std::string_view line, std::string& value);
bool lf_readParkingTypes(std::string_view line, std::string& value);

std::string lf_atcModelValue(std::string_view line);
std::string lf_parkingCodesValue(std::string_view line);

// The number of a [fltsim.N] header as written (its digits); "10000" for a
// line that holds "[fltsim." or "[FLTSIM." without being a well-formed header
// (such as "[fltsim.x]" or a header commented out with ";"); empty for a line
// that is no header, which includes one beginning with "//".
std::string lf_fltsimNumber(std::string_view line);

// Whether the key occurs anywhere in the line, case-sensitively: a second
// occurrence of these keys rejects a section, even commented out.
bool lf_hasAtcIdKey(std::string_view line);          // "atc_id="
bool lf_hasParkingTypesKey(std::string_view line);   // "atc_parking_types"
bool lf_hasParkingCodesKey(std::string_view line);   // "atc_parking_codes"

}  // namespace zrb
