#pragma once
// Linux only: the Win32 error number that names the same situation as an
// errno value (see lastSystemError in platform/platform.h).

#include <cstdint>

namespace zrb::platform {

std::uint32_t win32ErrorOfErrno(int error);

}  // namespace zrb::platform
