#include "foundation/utf16.h"

#include <limits>

#include "platform/platform.h"

namespace zrb {

namespace win32 {

Utf8ConversionException::Utf8ConversionException(const std::string& message, std::uint32_t errorCode,
                                                 std::uint32_t direction)
    : std::runtime_error(message), m_errorCode(errorCode), m_direction(direction) {}

}  // namespace win32

namespace {

constexpr std::size_t maxConvertibleLength = static_cast<std::size_t>(std::numeric_limits<int>::max());

[[noreturn]] void lf_throwFromUtf16(std::uint32_t error, const char* otherwise) {
    throw win32::Utf8ConversionException(error == platform::errorNoUnicodeTranslation
                                             ? "Invalid UTF-16 sequence found in input string."
                                             : otherwise,
                                         error, win32::Utf8ConversionException::fromUtf16);
}

[[noreturn]] void lf_throwFromUtf8(std::uint32_t error, const char* otherwise) {
    throw win32::Utf8ConversionException(error == platform::errorNoUnicodeTranslation
                                             ? "Invalid UTF-8 sequence found in input string."
                                             : otherwise,
                                         error, win32::Utf8ConversionException::fromUtf8);
}

}  // namespace

std::overflow_error gf_inputTooLongError() {
    return std::overflow_error("Input string too long: size_t-length doesn't fit into int.");
}

std::string gf_utf16ToUtf8(std::u16string_view text) {
    if (text.empty()) return {};
    if (text.size() > maxConvertibleLength) throw gf_inputTooLongError();
    const int inLength = static_cast<int>(text.size());
    std::uint32_t error = 0;
    const int length = platform::utf16ToUtf8(text.data(), inLength, nullptr, 0, error);
    if (length == 0)
        lf_throwFromUtf16(error,
                          "Cannot get result string length when converting from UTF-16 to UTF-8 "
                          "(WideCharToMultiByte failed).");
    std::string result(static_cast<std::size_t>(length), '\0');
    if (platform::utf16ToUtf8(text.data(), inLength, result.data(), length, error) == 0)
        lf_throwFromUtf16(error, "Cannot convert from UTF-16 to UTF-8 (WideCharToMultiByte failed).");
    return result;
}

std::u16string gf_utf8ToUtf16(std::string_view text) {
    if (text.empty()) return {};
    if (text.size() > maxConvertibleLength) throw gf_inputTooLongError();
    const int inLength = static_cast<int>(text.size());
    std::uint32_t error = 0;
    const int length = platform::utf8ToUtf16(text.data(), inLength, nullptr, 0, error);
    if (length == 0)
        lf_throwFromUtf8(error,
                         "Cannot get result string length when converting from UTF-8 to UTF-16 "
                         "(MultiByteToWideChar failed).");
    std::u16string result(static_cast<std::size_t>(length), u'\0');
    if (platform::utf8ToUtf16(text.data(), inLength, result.data(), length, error) == 0)
        lf_throwFromUtf8(error, "Cannot convert from UTF-8 to UTF-16 (MultiByteToWideChar failed).");
    return result;
}

void lf_readWideLinesAsUtf8(std::u16string_view text, std::vector<std::string>& lines) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find(u'\n', start);
        const std::size_t stop = end == std::u16string_view::npos ? text.size() : end;
        lines.push_back(gf_utf16ToUtf8(text.substr(start, stop - start)));
        if (end == std::u16string_view::npos) break;
        start = end + 1;
    }
}

}  // namespace zrb
