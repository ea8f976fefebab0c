// The livery scanner's least form: no livery folders are scanned, so the run
// goes on with no liveries (no aircraft can be matched).
#include "liveries/livery_scan_seam.h"

#include "config/parameter_controls.h"
#include "config/parameter_store.h"
#include "config/parameters.h"
#include "foundation/log.h"

namespace zrb {

void gf_scanLiveries() {
    if (SCAN_LIVERIES.value) {
        gf_logLine("Livery scan is not available in this build");
        SCAN_LIVERIES.value = false;
        gf_saveBoolParameter(SCAN_LIVERIES);
        gf_setCheckBox(SCAN_LIVERIES);
    }
    g_liveriesProcessed = true;
}

void gf_reserveLiveryLists() {}
void gf_clearCategoryLiveries() {}
void gf_logLiveryMatchingSummary() {}

}  // namespace zrb
