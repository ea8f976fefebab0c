#pragma once
// The simulator's major version, as the scans and the SimClient thread need
// it: from the installation path, else from the file-only setting P3D_VERSION.
// Any thread (it reads settings only).

#include <string>
#include <string_view>

namespace zrb {

// "5" or "6": from SIM_INSTALL_PATH, else from P3D_VERSION when that is 5 or
// more. Throws UserErrorException 77 when neither tells.
std::string gf_getSimVersion();

// The version a path names: the last path component that holds "v5"/"V5" or
// "v6"/"V6" as a word of its own decides; 0 when none does.
int gf_simVersionFromPath(std::string_view path);

}  // namespace zrb
