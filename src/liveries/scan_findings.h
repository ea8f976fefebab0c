#pragma once
// What the tasks of one livery scan share: the lists their findings land in
// (written out as report files when the scan ends), the titles already given
// to a livery, and the titles that must never become one.
//
// Threads: each FindingList and the title set has a mutex of its own, held for
// one append or insert only (lines are formatted before it is taken). The
// don't-use titles are filled on the worker thread before the first task
// starts and emptied after the last has been collected; tasks only read them
// (regcode_files.h).
// g_airlineModelConversions belongs to the worker thread.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "liveries/livery_data.h"
#include "liveries/regcode_files.h"  // g_dontUseTitles

namespace zrb {

class FindingList {
public:
    void append(std::string line);
    std::vector<std::string> lines() const;  // a copy, in the order of the appends
    std::size_t size() const;
    bool empty() const { return size() == 0; }
    void clear();

private:
    mutable std::mutex m_mutex;  // owns m_lines
    std::vector<std::string> m_lines;
};

inline FindingList g_invalidAirlineCodes;       // output/errors/InvalidAirlineCodes.txt
inline FindingList g_invalidAircraftCodes;      // output/errors/InvalidAircraftCodes.txt
inline FindingList g_codeFixes;                 // output/errors/Fixes.txt
inline FindingList g_invalidAircraftCfgFiles;   // output/errors/InvalidAircraftCfgFiles.txt
inline FindingList g_incompleteFltsimSections;  // output/errors/IncompleFltsimSections.txt
inline FindingList g_emptyAircraftCfgFiles;     // output/info/AircraftCfgWithNoFltsimSection.txt
// Corrections of scanned liveries from the aircraft database
// (output/info/AirlineModelConversions.txt). Worker thread only.
inline std::vector<std::string> g_airlineModelConversions;

// "{:12} in {} " of code and path, then the tail (the section's first line).
void lf_addInvalidAirline(std::string_view code, std::string_view path, std::string_view tail);
// "{:16} in {}" of code and path.
void lf_addInvalidAircraftCode(std::string_view code, std::string_view path);
void lf_addCodeFix(std::string line);
void lf_addInvalidAircraftCfg(std::string line);
void lf_addIncompleteSection(std::string line);

// The record of a newly found title; the empty record when another section of
// this scan has taken the title already (the first to get here keeps it).
LiveryData lf_makeLiveryData(std::int32_t folderIndex, std::string airl, std::string type, bool passenger,
                             std::string title, std::string atcid);

// Whether a title as its aircraft.cfg holds it is one of g_dontUseTitles,
// which the user's and the shipped files name in UTF-8.
bool lf_isDontUseTitle(std::string_view title);

// Empties every finding list, the taken titles and the don't-use titles, for
// the next scan of the process. Only when no task of the scan runs any more.
void lf_resetScanLists();

}  // namespace zrb
