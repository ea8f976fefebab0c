// UTF-16 <-> UTF-8 through the system's converters, refusing invalid input.
#include <windows.h>

#include "platform/platform.h"

namespace zrb::platform {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 code units");

int utf16ToUtf8(const char16_t* in, int inLength, char* out, int outLength, std::uint32_t& error) {
    const int result = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, reinterpret_cast<const wchar_t*>(in),
                                           inLength, out, outLength, nullptr, nullptr);
    error = result == 0 ? GetLastError() : errorSuccess;
    return result;
}

int utf8ToUtf16(const char* in, int inLength, char16_t* out, int outLength, std::uint32_t& error) {
    const int result = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, in, inLength,
                                           reinterpret_cast<wchar_t*>(out), outLength);
    error = result == 0 ? GetLastError() : errorSuccess;
    return result;
}

}  // namespace zrb::platform
