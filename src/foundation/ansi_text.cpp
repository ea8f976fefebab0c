#include "foundation/ansi_text.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <stdexcept>

#include "foundation/ansi_text_test_hook.h"
#include "foundation/utf16.h"
#include "platform/platform.h"

namespace zrb {

namespace {

// Code points of 0x80..0x9F; the rest of the upper half is Latin-1.
constexpr std::array<char32_t, 32> g_cp1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr unsigned char firstHighByte = 0x80;
constexpr unsigned char firstLatin1Byte = 0xA0;
constexpr std::uint32_t codePageUtf8 = 65001;
constexpr std::uint32_t codePageWestern = 1252;  // the table above

std::atomic<std::uint32_t> g_codePageForTest{g_systemCodePage};

std::uint32_t lf_systemCodePage() {
    const std::uint32_t forTest = g_codePageForTest.load();
    if (forTest != g_systemCodePage) return forTest;
    static const std::uint32_t system = platform::ansiCodePage();  // fixed for the life of the process
    return system;
}

// The code page the system converts, or 0 where the table does: no code page
// of the system's own, Windows-1252 itself, or a system whose 8-bit text is
// UTF-8 (legacy text there that is no UTF-8 came from a western machine).
std::uint32_t lf_legacyCodePage() {
    const std::uint32_t codePage = lf_systemCodePage();
    return codePage == codePageUtf8 || codePage == codePageWestern ? 0 : codePage;
}

std::optional<std::string> lf_systemToUtf8(std::string_view text) {
    const std::uint32_t codePage = lf_legacyCodePage();
    if (codePage == 0) return std::nullopt;
    const std::optional<std::u16string> wide = platform::codePageToUtf16(codePage, text);
    if (!wide) return std::nullopt;
    try {
        return gf_utf16ToUtf8(*wide);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<std::string> lf_utf8ToSystem(std::string_view text) {
    const std::uint32_t codePage = lf_legacyCodePage();
    if (codePage == 0 || !gf_isWellFormedUtf8(text)) return std::nullopt;
    try {
        return platform::utf16ToCodePage(codePage, gf_utf8ToUtf16(text));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// A lead byte of UTF-8: the length of its sequence (0: no lead byte) and the
// range of the byte after it, which rules out overlong forms, surrogates and
// code points past U+10FFFF.
struct Utf8Lead {
    std::size_t length;
    unsigned char low;
    unsigned char high;
};

Utf8Lead lf_utf8Lead(unsigned char b) {
    if (b >= 0xC2 && b <= 0xDF) return {2, 0x80, 0xBF};
    if (b == 0xE0) return {3, 0xA0, 0xBF};
    if (b == 0xED) return {3, 0x80, 0x9F};
    if (b >= 0xE1 && b <= 0xEF) return {3, 0x80, 0xBF};
    if (b == 0xF0) return {4, 0x90, 0xBF};
    if (b >= 0xF1 && b <= 0xF3) return {4, 0x80, 0xBF};
    if (b == 0xF4) return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

}  // namespace

void gf_setLegacyCodePageForTest(std::uint32_t codePage) { g_codePageForTest = codePage; }

std::string gf_ansiToUtf8(std::string_view text) {
    if (std::optional<std::string> converted = lf_systemToUtf8(text)) return std::move(*converted);
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < firstHighByte)
            out.push_back(ch);
        else if (b < firstLatin1Byte)
            gf_appendUtf8(out, g_cp1252High[b - firstHighByte]);
        else
            gf_appendUtf8(out, b);
    }
    return out;
}

void gf_appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::string gf_utf8ToAnsi(std::string_view text) {
    if (lf_systemCodePage() == codePageUtf8 && gf_isWellFormedUtf8(text)) return std::string(text);
    if (std::optional<std::string> converted = lf_utf8ToSystem(text)) return std::move(*converted);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < firstHighByte) {
            out.push_back(text[i++]);
            continue;
        }
        const std::size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        char32_t c = length == 4 ? b & 0x07 : length == 3 ? b & 0x0F : b & 0x1F;
        bool valid = length > 1 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        i += valid ? length : 1;
        char byte = '?';
        if (valid && c >= firstLatin1Byte && c <= 0xFF) {
            byte = static_cast<char>(c);
        } else if (valid) {
            for (std::size_t k = 0; k < g_cp1252High.size(); ++k)
                if (g_cp1252High[k] == c) byte = static_cast<char>(firstHighByte + k);
        }
        out.push_back(byte);
    }
    return out;
}

bool gf_isWellFormedUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < firstHighByte) {
            ++i;
            continue;
        }
        const Utf8Lead lead = lf_utf8Lead(b);
        if (lead.length == 0 || i + lead.length > text.size()) return false;
        const auto second = static_cast<unsigned char>(text[i + 1]);
        if (second < lead.low || second > lead.high) return false;
        for (std::size_t k = 2; k < lead.length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += lead.length;
    }
    return true;
}

std::string gf_legacyTextToUtf8(std::string_view text) {
    return gf_isWellFormedUtf8(text) ? std::string(text) : gf_ansiToUtf8(text);
}

std::string gf_firstUtf8Chars(std::string_view text, std::size_t maxChars) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool continuation = (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
        if (continuation) continue;
        if (chars == maxChars) return std::string(text.substr(0, i));
        ++chars;
    }
    return std::string(text);
}

}  // namespace zrb
