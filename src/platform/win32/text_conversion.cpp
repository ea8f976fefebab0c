// UTF-16 <-> UTF-8 through the system's converters, refusing invalid input.
#include <windows.h>

#include <limits>

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

std::uint32_t ansiCodePage() { return GetACP(); }

std::optional<std::u16string> codePageToUtf16(std::uint32_t codePage, std::string_view text) {
    if (text.empty()) return std::u16string();
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return std::nullopt;
    const int inLength = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(codePage, 0, text.data(), inLength, nullptr, 0);
    if (needed <= 0) return std::nullopt;
    std::u16string out(static_cast<std::size_t>(needed), u'\0');
    if (MultiByteToWideChar(codePage, 0, text.data(), inLength, reinterpret_cast<wchar_t*>(out.data()), needed) !=
        needed)
        return std::nullopt;
    return out;
}

std::optional<std::string> utf16ToCodePage(std::uint32_t codePage, std::u16string_view text) {
    if (text.empty()) return std::string();
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return std::nullopt;
    const auto* in = reinterpret_cast<const wchar_t*>(text.data());
    const int inLength = static_cast<int>(text.size());
    // A best fit would turn "Ł" into "L" silently; '?' at least shows that
    // something was lost.
    const int needed = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, in, inLength, nullptr, 0, "?", nullptr);
    if (needed <= 0) return std::nullopt;
    std::string out(static_cast<std::size_t>(needed), '\0');
    if (WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, in, inLength, out.data(), needed, "?", nullptr) != needed)
        return std::nullopt;
    return out;
}

}  // namespace zrb::platform
