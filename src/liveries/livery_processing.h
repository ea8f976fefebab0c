#pragma once
// Turning the scan result into the livery tables the matcher searches
// (livery_tables.h): the index of every installed livery, the registration
// codes, the similar-type maps and the per-category report. Once per process;
// the restarts of a run keep the tables, unless the user asked for a new scan
// (gf_clearCategoryLiveries), after which the next start-up rebuilds them from
// nothing.
//
// Worker thread, during the start-up of a run, before the run's readers and
// main loop start.

#include <vector>

#include "liveries/livery_data.h"

namespace zrb {

// Reads output/LiveriesScanned.xml and builds every table from it; logs
// "Processing scanned liveries skipped; already done in previous start-up"
// while the tables are built. Throws the reader's UserErrorException; the
// tables are then empty.
void gf_processScannedLiveries();

// Empties every table and builds them from the liveries (in the scan result's
// order: airline, type, title), with the registration-code files and the
// category report. Sets g_liveriesProcessed.
void gf_buildLiveryTables(const std::vector<LiveryData>& liveries);

}  // namespace zrb
