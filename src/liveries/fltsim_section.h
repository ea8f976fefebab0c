#pragma once
// One [fltsim.N] section of an aircraft.cfg turned into at most one livery:
// its title, airline (atc_parking_codes, else from the aircraft database by
// its registration, else "PVT"), registration (atc_id), cargo flag
// (atc_parking_types) and the check that its model folder, texture folder and
// flight-model (.air) file exist. Every problem becomes a finding line
// (scan_findings.h).
//
// Runs on a scan task's thread; reads the aircraft database and the don't-use
// titles without a lock (nothing changes them while a scan runs).

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "liveries/livery_data.h"

namespace zrb {

// The file a section belongs to, as the findings name it.
struct AircraftCfgPlace {
    std::int32_t folderIndex = 0;
    std::filesystem::path path;    // the aircraft.cfg
    std::filesystem::path folder;  // the folder that holds it
    std::string pathText;          // both as the findings print them
    std::string folderText;
};

AircraftCfgPlace gf_aircraftCfgPlace(std::int32_t folderIndex, const std::filesystem::path& path);

// What a section's lines give, read rule by rule in line order. A repeated
// key (title, atc_parking_codes, atc_parking_types, atc_id) rejects the
// section with its finding and ends the reading.
struct SectionValues {
    std::string title;
    std::string airline;       // generic sections only
    std::string parkingTypes;  // normalised, upper case
    std::string registration;
    std::string model;
    std::string sim;
    std::string texture;
    bool rejected = false;
};

// IVAO sections read no atc_parking_codes, and their atc_id is not cut at ";".
enum class SectionKind { generic, ivao };

// `lines` begins with the header line, which the findings quote.
SectionValues gf_collectSectionValues(const std::vector<std::string>& lines, SectionKind kind,
                                      const AircraftCfgPlace& place);

// `lines` begins with the section's header line; trailing empty or "//"
// lines are removed from it. Gives no record or one. A file-system error
// other than a missing path is logged ("Exception in lf_procesFltSimSection:
// {}, file: {}") and thrown on.
std::vector<LiveryData> lf_procesFltSimSection(std::vector<std::string>& lines, const std::string& type,
                                               const AircraftCfgPlace& place);

// Shared with the IVAO packages: trailing lines that are empty or begin with "//" go.
void gf_dropTrailingComments(std::vector<std::string>& lines);

// The registration of an atc_id value: every comma piece must be 1 to 12
// characters without '*'. Valid with one piece: that piece; with several: empty.
// False (registration unchanged) when not valid.
bool lf_parseAtcIdList(std::string_view value, std::string& registration);

// The folder "model.<model>" ("model" for an empty value), the texture folder
// "texture.<texture>" ("texture") and the file "<sim>.air" inside the folder,
// each found whatever the letter case of its names. Values may hold
// backslashes.
std::filesystem::path gf_modelFolder(const std::filesystem::path& folder, std::string_view model);
std::filesystem::path gf_textureFolder(const std::filesystem::path& folder, std::string_view texture);
std::filesystem::path gf_flightModelFile(const std::filesystem::path& folder, std::string_view sim);

// Whether the path is a directory / a regular file. A missing path (or one
// the system cannot name) is false; other errors throw filesystem_error "status".
bool gf_isDirectoryChecked(const std::filesystem::path& path);
bool gf_isRegularFileChecked(const std::filesystem::path& path);

}  // namespace zrb
