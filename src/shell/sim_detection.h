#pragma once
// Which simulator version is installed and where: detection from the registry
// when SIM_INSTALL_PATH is empty, the version as text for the scanners and the
// SimClient thread, and the stock scenery folder.

#include "shell/common/sim_version.h"  // gf_getSimVersion, which the run uses too

namespace zrb {

// Only when SIM_INSTALL_PATH is empty. Throws UserErrorException 153 (both
// versions installed) or 151 (none found and no livery or airport folder set).
void lf_detectSim();

// SIM_INSTALL_PATH / "Scenery" for the airport scan; a missing folder is
// reported on the message line.
void lf_setStockAirportsPath();

}  // namespace zrb
