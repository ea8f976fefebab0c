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

// The version (5 or 6) an installation path names; 0 when it names none. The
// last path component that holds one decides. A version is "v5", "V5", "v6"
// or "V6", not followed by a letter or digit, and either standing apart or
// right after "3D": "Prepar3D v5", "P3D v5", "P3Dv6", "Prepar3D_v5", "V6"
// name one; "dev5" and "v51" do not. The simulator layer's Open check uses the
// same rule.
int gf_simVersionFromPath(std::string_view path);

}  // namespace zrb
