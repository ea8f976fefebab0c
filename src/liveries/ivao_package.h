#pragma once
// The scan task of an aircraft.cfg in an IVAO model-matching package: one
// folder per aircraft type, "IVAO_<type>", directly under "IVAO_MTL". The type
// comes from that folder's name and the airline from the livery title
// ("B738 DLH Lufthansa"); otherwise the file is read as a generic aircraft.cfg
// (aircraft_cfg_file.h), with these differences: any "[" ends a section,
// atc_parking_codes is not read, every livery is a passenger livery.
//
// Same threads and shared state as the generic task.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "liveries/livery_data.h"

namespace zrb {

// The liveries of the file, in file order. Exceptions go on to the task's owner.
std::vector<LiveryData> lf_searchIvaoLiveriesinFile(std::int32_t folderIndex, const std::filesystem::path& path);

// The type code the package folder names ("...\IVAO_MTL\IVAO_B738w\aircraft.cfg"
// gives B738), known or fixed by the database; empty (with a finding) otherwise.
std::string lf_ivaoModelFromPath(const std::filesystem::path& path);

}  // namespace zrb
