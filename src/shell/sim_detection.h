#pragma once
// Which simulator version is installed and where: detection from the registry
// when SIM_INSTALL_PATH is empty, the version as text for the scanners and the
// SimClient thread, and the stock scenery folder.

#include <string>
#include <string_view>

namespace zrb {

// Only when SIM_INSTALL_PATH is empty. Throws UserErrorException 153 (both
// versions installed) or 151 (none found and no livery or airport folder set).
void lf_detectSim();

// "5" or "6": from the installation path, else from P3D_VERSION. Throws
// UserErrorException 77 when neither tells.
std::string gf_getSimVersion();
// The version a path names: the last path component that holds "v5"/"V5" or
// "v6"/"V6" as a word of its own decides; 0 when none does.
int gf_simVersionFromPath(std::string_view path);

// SIM_INSTALL_PATH / "Scenery" for the airport scan; a missing folder is
// reported on the message line.
void lf_setStockAirportsPath();

}  // namespace zrb
