// Strict UTF-16 <-> UTF-8 conversion with the results and error numbers of
// WideCharToMultiByte / MultiByteToWideChar when asked to reject invalid input.
#include <string>

#include "platform/platform.h"

namespace zrb::platform {

namespace {

constexpr char32_t maxCodePoint = 0x10FFFF;

bool lf_isHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool lf_isLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

template <typename Char>
int lf_terminatedLength(const Char* in) {
    int n = 0;
    while (in[n] != Char{}) ++n;
    return n + 1;  // the terminator is converted too
}

void lf_appendUtf8(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at in[i]; false for anything a strict decoder refuses.
bool lf_decodeUtf8(const unsigned char* in, int length, int& i, char32_t& cp) {
    const unsigned char lead = in[i];
    if (lead < 0x80) {
        cp = lead;
        ++i;
        return true;
    }
    int extra = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        minimum = 0x80;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        minimum = 0x800;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        minimum = 0x10000;
        cp = lead & 0x07;
    } else {
        return false;  // a stray continuation byte or an impossible lead byte
    }
    if (length - i <= extra) return false;
    for (int k = 1; k <= extra; ++k) {
        const unsigned char next = in[i + k];
        if ((next & 0xC0) != 0x80) return false;
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < minimum || cp > maxCodePoint || lf_isHighSurrogate(cp) || lf_isLowSurrogate(cp)) return false;
    i += extra + 1;
    return true;
}

}  // namespace

int utf16ToUtf8(const char16_t* in, int inLength, char* out, int outLength, std::uint32_t& error) {
    error = errorSuccess;
    if (in == nullptr || inLength == 0 || inLength < -1 || outLength < 0 || (out == nullptr && outLength != 0)) {
        error = errorInvalidParameter;
        return 0;
    }
    if (inLength == -1) inLength = lf_terminatedLength(in);
    std::string result;
    result.reserve(static_cast<std::size_t>(inLength));
    for (int i = 0; i < inLength; ++i) {
        char32_t cp = in[i];
        if (lf_isHighSurrogate(cp)) {
            if (i + 1 >= inLength || !lf_isLowSurrogate(in[i + 1])) {
                error = errorNoUnicodeTranslation;
                return 0;
            }
            cp = 0x10000 + ((cp - 0xD800) << 10) + (in[i + 1] - 0xDC00);
            ++i;
        } else if (lf_isLowSurrogate(cp)) {
            error = errorNoUnicodeTranslation;
            return 0;
        }
        lf_appendUtf8(cp, result);
    }
    const auto needed = static_cast<int>(result.size());
    if (outLength == 0) return needed;
    if (outLength < needed) {
        error = errorInsufficientBuffer;
        return 0;
    }
    result.copy(out, result.size());
    return needed;
}

int utf8ToUtf16(const char* in, int inLength, char16_t* out, int outLength, std::uint32_t& error) {
    error = errorSuccess;
    if (in == nullptr || inLength == 0 || inLength < -1 || outLength < 0 || (out == nullptr && outLength != 0)) {
        error = errorInvalidParameter;
        return 0;
    }
    if (inLength == -1) inLength = lf_terminatedLength(in);
    const auto* bytes = reinterpret_cast<const unsigned char*>(in);
    std::u16string result;
    result.reserve(static_cast<std::size_t>(inLength));
    for (int i = 0; i < inLength;) {
        char32_t cp = 0;
        if (!lf_decodeUtf8(bytes, inLength, i, cp)) {
            error = errorNoUnicodeTranslation;
            return 0;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            result += static_cast<char16_t>(0xD800 + (cp >> 10));
            result += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            result += static_cast<char16_t>(cp);
        }
    }
    const auto needed = static_cast<int>(result.size());
    if (outLength == 0) return needed;
    if (outLength < needed) {
        error = errorInsufficientBuffer;
        return 0;
    }
    result.copy(out, result.size());
    return needed;
}

// Linux has no ANSI code page: the callers fall back to Windows-1252, the code
// page of the western systems whose files the tests imitate.
std::uint32_t ansiCodePage() { return 0; }

std::optional<std::u16string> codePageToUtf16(std::uint32_t, std::string_view) { return std::nullopt; }

std::optional<std::string> utf16ToCodePage(std::uint32_t, std::u16string_view) { return std::nullopt; }

}  // namespace zrb::platform
