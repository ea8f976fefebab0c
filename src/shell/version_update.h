#pragma once
// The version bookkeeping of parameters.xml and the carrying over of settings
// that older versions kept under other names.

#include <array>
#include <cstdint>

#include "config/paths.h"  // gf_quantizeRange

namespace zrb {

class IntParameter;

// An altitude in feet rounded to the altitude choices.
std::int32_t gf_quantizeAltitude(std::int32_t feet);

// Once per run, right after parameters.xml was read: a first start records the
// program's version; a newer program records it, carries the older settings
// that are really in the file over to their present names (and removes them),
// removes "install_new_version.exe" and asks for fresh livery and airport scans.
void gf_copyFilesOnVersionUpdate();

// The six older names. They are never read into the settings list nor
// appended to the file: only the version update looks them up.
std::array<IntParameter*, 6> gf_obsoleteParameters();

}  // namespace zrb
