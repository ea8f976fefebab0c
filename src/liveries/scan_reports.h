#pragma once
// What a livery scan leaves besides its result file: the report files under
// output/errors and output/info with the scan's findings, the summary in
// Log.txt, and the corrections of the scanned liveries from the aircraft
// database.
//
// Worker thread only, after the scan's tasks have all been collected.

#include <vector>

#include "liveries/livery_data.h"

namespace zrb {

// Removes the report files of the previous scan and then the folder
// output/errors (only when it is empty by then). Each removal is tried on its
// own; a failure is logged ("problems with removing previous files: {}") and
// the others still run. The previous result file stays until a new one
// replaces it. Never throws.
void lf_removePreviousScanFiles();

// Corrects each livery whose registration the database knows: its cargo flag,
// its airline (the operator, else the airline of the registration) and its
// type, with one line per change in the conversion list.
void lf_logCodeFixes(std::vector<LiveryData>& liveries);

// The summary in Log.txt and a report file for each non-empty finding list.
// Throws the file-system error when output/errors cannot be made.
void lf_writeScanErrorSummary();

// output/errors/Fixes.txt from the code fixes, in the order found. Logs
// "Error writing file {}: {}" on failure; never throws.
void lf_writeFixesFile();

}  // namespace zrb
