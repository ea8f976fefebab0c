#pragma once
// The scan task of one aircraft.cfg (or sim.cfg): read it in its character
// set, check its [fltsim.N] numbering, take the aircraft type from its
// atc_model entry, cut it into [fltsim.N] sections and turn each into at most
// one livery (fltsim_section.h). IVAO packages have a task of their own
// (ivao_package.h) that shares the reading and numbering steps.
//
// Runs on a scan task's thread, many at once; shared writes go only through
// scan_findings.h. The worker throttle counts the task (gf_startWorkerTask).

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "liveries/fltsim_section.h"
#include "liveries/livery_data.h"

namespace zrb {

// The liveries of the file, in file order. A missing, unreadable or rejected
// file gives none (with its findings). An exception is logged ("Exception in
// lf_searchLiveriesinFile {}: {}") and thrown on to the task's owner.
std::vector<LiveryData> lf_searchLiveriesinFile(std::int32_t folderIndex, const std::filesystem::path& path);

// The file's lines without line ends, as UTF-8 except title entries, which keep
// the bytes of an ANSI line (the name the simulator knows the livery by). False
// when it cannot be read:
// a file too large to be an aircraft.cfg or one that cannot be opened gets a
// line in the invalid-files findings; a file of fewer than 2 bytes, or a
// failed character conversion, is passed over. `noCharsetLog` also logs
// "No character set found for {}" when no character set was found.
bool gf_readAircraftCfgLines(const AircraftCfgPlace& place, std::vector<std::string>& lines, bool noCharsetLog);

// False rejects the file: a section number beyond 10000 (a finding) or beyond
// 32 bits (only logged, "fltsim num {} incorrect"). A file without sections
// passes with a line in the empty-files findings.
bool lf_checkFltsimNumbers(const std::vector<std::string>& lines, std::string_view pathText);

// The type code of the file from its first atc_model entry; empty (with a
// finding) when it has none or the code is neither known nor fixable.
std::string lf_fixAtcModel(std::string_view pathText, const std::vector<std::string>& lines);

// A known type code as it is; a code the database's fixes correct, corrected
// (with a "Model fix" finding); otherwise empty with an invalid-code finding.
std::string gf_knownOrFixedType(const std::string& code, std::string_view pathText);

}  // namespace zrb
