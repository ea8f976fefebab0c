// The strict UTF-16 <-> UTF-8 converters: results, size queries and the error
// numbers callers compare against, on either system.
#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"

namespace zrb::platform {
namespace {

std::string toUtf8(const std::u16string& in, std::uint32_t& error) {
    const int n = utf16ToUtf8(in.data(), static_cast<int>(in.size()), nullptr, 0, error);
    if (n == 0) return "<fail>";
    std::string out(static_cast<std::size_t>(n), '\0');
    if (utf16ToUtf8(in.data(), static_cast<int>(in.size()), out.data(), n, error) != n) return "<fail>";
    return out;
}

std::u16string toUtf16(const std::string& in, std::uint32_t& error) {
    const int n = utf8ToUtf16(in.data(), static_cast<int>(in.size()), nullptr, 0, error);
    if (n == 0) return u"<fail>";
    std::u16string out(static_cast<std::size_t>(n), u'\0');
    if (utf8ToUtf16(in.data(), static_cast<int>(in.size()), out.data(), n, error) != n) return u"<fail>";
    return out;
}

TEST(TextConversion, ValidTextRoundTripsThroughBothDirections) {
    // ASCII, 2-, 3- and 4-byte characters (the last a surrogate pair), and an embedded NUL.
    const std::u16string wide = u"a\u00DC\u20AC\U0001F600z" + std::u16string(1, u'\0') + u"!";
    const std::string narrow = "a\xC3\x9C\xE2\x82\xAC\xF0\x9F\x98\x80z" + std::string(1, '\0') + "!";
    std::uint32_t error = 99;
    EXPECT_EQ(toUtf8(wide, error), narrow);
    EXPECT_EQ(error, 0u);
    EXPECT_EQ(toUtf16(narrow, error), wide);
    EXPECT_EQ(error, 0u);
}

TEST(TextConversion, InvalidUtf16IsRefusedWith1113) {
    for (const std::u16string& bad : {std::u16string(u"\xD800"), std::u16string(u"a\xDC00"),
                                     std::u16string(u"\xD800" u"a"), std::u16string(u"x\xDBFF\xDBFF\xDC00")}) {
        std::uint32_t error = 0;
        EXPECT_EQ(utf16ToUtf8(bad.data(), static_cast<int>(bad.size()), nullptr, 0, error), 0);
        EXPECT_EQ(error, errorNoUnicodeTranslation);
    }
}

TEST(TextConversion, InvalidUtf8IsRefusedWith1113) {
    const char* bad[] = {
        "\x80",              // stray continuation byte
        "a\xC3",             // truncated 2-byte sequence
        "\xE2\x82",          // truncated 3-byte sequence
        "\xC3\x28",          // lead without continuation
        "\xC0\x80",          // overlong NUL
        "\xE0\x80\xAF",      // overlong '/'
        "\xED\xA0\x80",      // encoded surrogate
        "\xF4\x90\x80\x80",  // above U+10FFFF
        "\xF8\x88\x80\x80\x80",
        "\xFF",
    };
    for (const char* text : bad) {
        std::uint32_t error = 0;
        EXPECT_EQ(utf8ToUtf16(text, static_cast<int>(std::char_traits<char>::length(text)), nullptr, 0, error), 0)
            << text;
        EXPECT_EQ(error, errorNoUnicodeTranslation);
    }
}

TEST(TextConversion, BufferAndParameterErrorsFollowTheSystemConventions) {
    const std::u16string wide = u"\u00DC\u00DC";  // 4 bytes of UTF-8
    std::uint32_t error = 0;
    char small[3] = {};
    EXPECT_EQ(utf16ToUtf8(wide.data(), 2, small, 3, error), 0);
    EXPECT_EQ(error, errorInsufficientBuffer);

    char16_t tiny[1] = {};
    EXPECT_EQ(utf8ToUtf16("ab", 2, tiny, 1, error), 0);
    EXPECT_EQ(error, errorInsufficientBuffer);

    EXPECT_EQ(utf16ToUtf8(wide.data(), 0, nullptr, 0, error), 0);
    EXPECT_EQ(error, errorInvalidParameter);
    EXPECT_EQ(utf8ToUtf16("ab", 0, nullptr, 0, error), 0);
    EXPECT_EQ(error, errorInvalidParameter);

    // -1: the input ends at its NUL, which is converted too.
    EXPECT_EQ(utf16ToUtf8(u"ab", -1, nullptr, 0, error), 3);
    EXPECT_EQ(utf8ToUtf16("ab", -1, nullptr, 0, error), 3);
}

}  // namespace
}  // namespace zrb::platform
