#pragma once
// Learned files: what Tolvaren learned at an airport on top of its base
// parking file (observed and planned options, learned radii and cargo marks,
// stands the user added, the settings the user had there), kept under
// airports/learned in branches that mirror the base file's source. A learned
// file marked "handmade" replaces the base file's stands altogether.
//
// Threads: worker thread (the park airport's loader). The settings the
// reader changes are atomics that the window's handlers change too.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "airports/park_airport_file.h"
#include "airports/stand.h"

namespace zrb {

// A publisher name (or ICAO code) that can be used as one folder or file name
// of its own: no separators, no "..", no ':' and no control characters.
bool gf_isSafePathComponent(std::string_view name);

// Where the learned file of a base file lies:
//   archive/stock/EGLL.xml              -> airports/learned/stock/EGLL.xml
//   archive/thirdparty/My%20Pub/X.xml   -> airports/learned/thirdparty/My Pub/X.xml
//   airports/my_thirdparty/X.xml, P     -> airports/learned/thirdparty/P/X.xml
//   airports/my_ORBX/X.xml              -> airports/learned/my_ORBX/X.xml
// with the platform's separator. Empty for an empty source, and for a
// publisher that is no safe folder name (logged).
std::filesystem::path lf_learnedApfPath(const std::string& source, const std::string& publisher);

// What reading a learned file came to.
struct LearnedFileRead {
    bool handmade = false;  // the table now comes from a handmade file
    // Everything the file holds was taken. Otherwise (it did not parse, lacked
    // its meta entries, or stands, options or a learned radius were left out)
    // saving over it would lose what was left out: the saver keeps it first.
    bool complete = false;
};

// Merges the learned file into the table and the eleven settings it carries.
// A handmade file replaces the table (only when all its stands could be
// read). Failures are logged, never thrown; a file that does not parse is
// kept as X.0.xml.
LearnedFileRead lf_readLearned(const std::filesystem::path& path, const ApfHeader& header, std::vector<Stand>& table);

// Qf_real and Qf_soft of the table: -1 each when no stand has any option.
QualityFactors lf_computeQualityFactors(const std::vector<Stand>& table);

// The eleven settings a learned file repeats, read back into the settings
// and their controls (never saved to parameters.xml), each logged.
void gf_readLearnedSettings(const pugi::xml_node& doc);

}  // namespace zrb
