// The livery scanner's least form: no livery folders are scanned; the tables
// are built from a scan result that is already there, and the run goes on
// with no liveries (no aircraft can be matched) when there is none.
#include "liveries/livery_scan_seam.h"

#include <filesystem>

#include "config/parameter_controls.h"
#include "config/parameter_store.h"
#include "config/parameters.h"
#include "config/paths.h"
#include "foundation/log.h"
#include "liveries/livery_processing.h"

namespace zrb {

void gf_scanLiveries() {
    if (SCAN_LIVERIES.value) {
        gf_logLine("Livery scan is not available in this build");
        SCAN_LIVERIES.value = false;
        gf_saveBoolParameter(SCAN_LIVERIES);
        gf_setCheckBox(SCAN_LIVERIES);
    }
    if (std::filesystem::exists(g_liveriesScannedFile)) gf_processScannedLiveries();
}

}  // namespace zrb
