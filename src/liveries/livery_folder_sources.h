#pragma once
// Where an automatic livery scan looks: the SimObjects folders of the add-on
// packages listed in the simulator's add-ons.cfg (each package's add-on.xml
// names them), and the entries of the simulator's simobjects.cfg other than
// its standard category folders. Packages and entries switched off in the
// simulator (ACTIVE=FALSE) are left out: the simulator does not load them, so
// none of their liveries could be created.
//
// Worker thread only.

#include <filesystem>
#include <vector>

namespace zrb {

// Appends the SimObjects folders of the add-on packages. Every failure is
// logged ("sys error exception {} in {}, no AI add-on packages found"); the
// folders appended until then stay. Never throws.
void lf_readP3DAddOnsAircraft(std::vector<std::filesystem::path>& folders);

// Appends the folders of simobjects.cfg: a relative path is taken below the
// simulator's installation folder (SIM_INSTALL_PATH); SimObjects\Airplanes and
// the other standard category folders are skipped. Nothing when the file does
// not exist. Throws UserErrorException 77 when the simulator version is unknown.
void lf_readP3DSimObjectsCfg(std::vector<std::filesystem::path>& folders);

}  // namespace zrb
