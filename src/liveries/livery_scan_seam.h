#pragma once
// What a run needs of the livery scanner, until it is built: the per-run
// livery step. The minimal implementation (livery_scan_seam.cpp) scans no
// folder; it builds the livery tables from an earlier scan result when there
// is one. The livery scan issue replaces both files.

namespace zrb {

// The livery step of a run: scans when SCAN_LIVERIES is on (then switches it
// off, saved and unchecked), and always loads the scanned liveries. Throws
// UserErrorException for what the user must put right.
void gf_scanLiveries();

}  // namespace zrb
