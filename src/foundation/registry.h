#pragma once
// Finding Prepar3D through the keys its installers write, and the registry
// wrappers behind that. All calls go through platform.h, so on Linux they read
// the stand-in registry.xml.

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/platform.h"

namespace zrb {

namespace winreg {

// A failed registry call: what() is the message followed by the system's
// description of the status code; code().value() is the LSTATUS.
class RegException : public std::system_error {
public:
    RegException(std::int32_t status, const std::string& message);
};

}  // namespace winreg

// True when the installation key of Prepar3D v<version> (5 or 6) opens in the
// 64-bit view. Never throws.
bool gf_isP3DInstalled(int version);

// The "SetupPath" of Prepar3D v<version>. Throws winreg::RegException when the
// key cannot be opened or the value not read, and win32::Utf8ConversionException
// when the value is not valid UTF-16.
std::filesystem::path gf_getP3DSetupPath(int version);

// The REG_SZ value of an open key, without its terminating NUL.
std::u16string lf_regGetString(platform::RegKey key, const std::u16string& valueName);

// Closes a key this program opened; a key that is not open is left alone.
void lf_regKeyClose(platform::RegKey key);

}  // namespace zrb
