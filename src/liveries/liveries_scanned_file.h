#pragma once
// output/LiveriesScanned.xml: the result of the livery scan, written when a
// scan ends with at least one livery and read back at every start-up.
//
//   <?xml version="1.0"?>
//   <meta>
//       <info name="author" value="..."/> ... (config/meta_info.h)
//   </meta>
//   <liveries>
//       <liv airl="DLH" type="A320" cargo="true" title="..." atcid="D-AIAB"/>
//   </liveries>
//
// Two top-level elements and no common root. `cargo` is written only for a
// cargo livery and `atcid` only when the livery has a registration.
//
// Worker thread only (the scan driver and the livery processing).

#include <filesystem>
#include <vector>

#include "config/paths.h"
#include "liveries/livery_data.h"

namespace zrb {

// Writes the liveries in their order (the caller sorts them) and logs
// "{} liveries in {}". Nothing is written for an empty list. The old file is
// replaced only by a complete new one. False when no file was written (the
// reason is logged: "could not save to '{}'").
bool lf_writeLiveriesScannedXml(const std::vector<LiveryData>& liveries,
                                const std::filesystem::path& file = g_liveriesScannedFile);

// Reads the file back, sorted by airline, type and title, every folder index
// 0, and logs "{} liveries read from {}". Throws UserErrorException:
//   51 "File {} not found"                          the file cannot be loaded
//   51 "{}: refused to load (copyright), ..."       its meta header lacks author, date or version
//   52 "{} does not contain a <liveries> section"
//   999 "Missing required attribute '{}' in <{}>"   a <liv> without airl, type or title
//   533 "{} does not contain liveries"              no <liv> at all
std::vector<LiveryData> lf_readLiveriesScannedXml(const std::filesystem::path& file = g_liveriesScannedFile);

}  // namespace zrb
