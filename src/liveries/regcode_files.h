#pragma once
// The registration-code files: a registration tied to one livery title, so
// that an aircraft can get its own livery. Two forms are read:
//
//   input/my_regcodes/*.TXT (the user's own), one entry per line, fields split
//   at ';' and trimmed:
//     title                       a "don't use" title: the scan leaves it out
//     title;REG                   REG (3..12 characters) has this title; special
//     title;REG1,REG2,...         each registration of 3..12 characters
//     title;REG1,REG2,...;#       the same, special
//   input/AIG-regcodes.xml (shipped encrypted as AIG-regcodes.enc):
//     <AIG-regcodes><livery title=".." reg="A,B" special="true"/>...</AIG-regcodes>
//     an element without registrations is a "don't use" title.
//
// A special title is reserved for its own registrations: the matcher's random
// picks never give it to another aircraft.
//
// Threads: the readers keep no state and may run on any thread; the scan and
// the livery processing call them on the worker thread at start-up.
// g_dontUseTitles is filled by the worker before the scan tasks start, read by
// them while they run and emptied by the worker after they have all ended.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

namespace zrb {

struct RegcodeEntry {
    std::string title;
    std::vector<std::string> registrations;  // none: a "don't use" title
    bool special = false;
};
using RegcodeEntries = std::vector<RegcodeEntry>;

inline constexpr std::size_t g_minRegcodeLength = 3;   // bytes
inline constexpr std::size_t g_maxRegcodeLength = 12;  // bytes
// A registration-code text file larger than this is refused whole (an error):
// no real list comes near it, and reading it would take the memory of the run.
inline constexpr std::uintmax_t g_maxRegcodeFileBytes = 16u * 1024u * 1024u;

// Appends the entries of every file directly in the folder whose extension,
// upper-cased, is ".TXT", in the order of the folder listing. Bad lines are
// logged as warnings and skipped. True when no error was counted (a wrong
// registration length, a wrong format, an unreadable or oversized file, a
// failed folder walk).
bool gf_readRegcodeTxtFiles(const std::filesystem::path& folder, RegcodeEntries& out);

// The lines of one registration-code text file (named by fileText in the
// warnings); appends their entries. False when an error was counted.
bool gf_parseRegcodeLines(const std::vector<std::string>& lines, std::string_view fileText, RegcodeEntries& out);

// Appends the entries of input/AIG-regcodes.xml. False when the file does not
// load ("Failed to load {}") or an element repeats the title of the one before
// it (skipped, "SAME AS PREVIOUS title '{}'").
bool gf_readAigRegcodesXml(RegcodeEntries& out);
bool gf_readAigRegcodesXml(const std::filesystem::path& path, RegcodeEntries& out);

// The elements of a loaded document, as gf_readAigRegcodesXml reads them
// (without its closing count line).
bool gf_readAigRegcodesDocument(const pugi::xml_document& doc, RegcodeEntries& out);

// "livery" for 1, else "liveries".
std::string_view gf_liveryWord(std::size_t count);

// Titles that the livery scan must never turn into a livery.
extern std::vector<std::string> g_dontUseTitles;

// At the start of a livery scan: appends to g_dontUseTitles the titles without
// registrations of the shipped file (decrypted for the time it is read) and of
// the user's folder. Never throws; problems are logged.
void lf_readDontUseTitles();

}  // namespace zrb
