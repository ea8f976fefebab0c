#pragma once
// The add-on airport scan. At start-up, when SCAN_AIRPORTS is on, the worker
// finds the add-on scenery folders (scenery_folders.h), walks them for BGL
// files that hold airports and reads each such file in a task of its own
// (addon_airport_files.h). Every add-on airport found is linked to the
// download archive or given a generated parking file in airports/my_ORBX or
// airports/my_thirdparty, where the park-airport lookup searches first.
// Everything done or skipped goes to output/info/AirportsScanLog.txt;
// generated airports that still need offline learning are copied into TBLO
// for the user to send in. A completed scan switches SCAN_AIRPORTS off.
//
// Threads: gf_scanAddonAirports runs on the worker thread. Its file tasks run
// on threads of the worker throttle; every task has ended before it returns.

#include <atomic>
#include <cstdint>

namespace zrb {

// Entries of the TBLO folder after the last hand-off (0: nothing waits for
// learning). Written by the scan, read by the window.
inline std::atomic<std::uint64_t> g_tbloCount{0};

// Runs the scan. Throws UserErrorException 49 (manual mode without any
// afolder setting) or 42 (an afolder setting inside the stock scenery), which
// leave SCAN_AIRPORTS on. A scan cut short by a stop leaves it on too, so
// that the next start scans again.
void gf_scanAddonAirports();

}  // namespace zrb
