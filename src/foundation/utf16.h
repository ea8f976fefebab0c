#pragma once
// UTF-16 <-> UTF-8 at the Windows boundaries. Inside the program all text is
// UTF-8; these conversions are strict: invalid input raises, it is never
// replaced.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zrb {

namespace win32 {

// A failed conversion, with the system error number (1113 for invalid input)
// and the direction in which it failed.
class Utf8ConversionException : public std::runtime_error {
public:
    static constexpr std::uint32_t fromUtf16 = 1;  // UTF-16 -> UTF-8
    static constexpr std::uint32_t fromUtf8 = 2;   // UTF-8 -> UTF-16

    Utf8ConversionException(const std::string& message, std::uint32_t errorCode, std::uint32_t direction);

    std::uint32_t errorCode() const noexcept { return m_errorCode; }
    std::uint32_t direction() const noexcept { return m_direction; }

private:
    std::uint32_t m_errorCode;
    std::uint32_t m_direction;
};

}  // namespace win32

// The error for a text longer than the system converters take (2^31-1 units).
std::overflow_error gf_inputTooLongError();

// Throw win32::Utf8ConversionException or the overflow error above.
std::string gf_utf16ToUtf8(std::u16string_view text);
std::u16string gf_utf8ToUtf16(std::string_view text);

// Splits UTF-16 text at line feeds (a CR before the LF stays at the end of its
// line; no empty line after a final LF) and appends each line as UTF-8. Throws
// as gf_utf16ToUtf8 on the first bad line; the lines before it are kept.
void lf_readWideLinesAsUtf8(std::u16string_view text, std::vector<std::string>& lines);

}  // namespace zrb
