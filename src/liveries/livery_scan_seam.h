#pragma once
// What a run needs of the livery scanner and matcher, until they are built:
// the per-run livery step, the list reservation, the matching summary and the
// counters the window shows. The minimal implementation
// (livery_scan_seam.cpp) finds no liveries. The livery issue replaces both files.

#include <atomic>
#include <cstdint>

namespace zrb {

// Set when the livery processing has finished; cleared by the SCAN_LIVERIES box.
inline std::atomic<bool> g_liveriesProcessed{false};

// The livery step of a run: scans when SCAN_LIVERIES is on (then switches it
// off, saved and unchecked), and always loads the scanned liveries. Throws
// UserErrorException for what the user must put right.
void gf_scanLiveries();
// Reserves the livery lists (once per process).
void gf_reserveLiveryLists();
// Empties the category lists, indexes and the registration-code map.
void gf_clearCategoryLiveries();
void gf_logLiveryMatchingSummary();

}  // namespace zrb
