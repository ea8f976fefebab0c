#pragma once
// The livery step of a run's start-up: when SCAN_LIVERIES is on, find every
// installed AI livery (the folders from the simulator's add-on lists, or the
// user's lfolder0..lfolder9), read their aircraft.cfg files on worker tasks,
// write output/LiveriesScanned.xml and the reports, and switch SCAN_LIVERIES
// off; then, scanned or not, load the scanned liveries for matching.
//
// Worker thread only. The scan tasks run on detached threads through the
// worker throttle, at most as many at once as its limit; the worker takes
// their results oldest first, and every started task is collected before the
// scan ends, so nothing of a scan outlives it.

#include <cstdint>
#include <filesystem>
#include <vector>

namespace zrb {

// Throws UserErrorException for what the user must put right: 48 (manual mode
// without any lfolder), 43 (an automatic scan found nothing), 53 (a manual
// scan found nothing), 77 (unknown simulator version), and the result file's
// errors (liveries_scanned_file.h).
void gf_scanLiveries();

enum class LiveryScanOutcome {
    done,          // result file and reports written
    notSaved,      // liveries found, but the result file could not be written
    nothingFound,  // no livery in any folder
    cancelled,     // a stop was asked for: nothing written
};

// The scan proper over the folders, in priority order (the first existing
// folder gets index 1, the tenth and every later one 10).
LiveryScanOutcome lf_scanLiveryFolders(const std::vector<std::filesystem::path>& folders);

}  // namespace zrb
