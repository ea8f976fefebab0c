// The foundation's UTF-16 <-> UTF-8 wrappers over the system's own converters:
// the error number the system sets must reach the caller with its exact text.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/utf16.h"
#include "platform/platform.h"

namespace {

namespace platform = zrb::platform;
using zrb::win32::Utf8ConversionException;

constexpr const char* invalidUtf16Text = "Invalid UTF-16 sequence found in input string.";
constexpr const char* invalidUtf8Text = "Invalid UTF-8 sequence found in input string.";

// The exception of converting the text, or a failure when none was thrown.
template <typename Text, typename Convert>
Utf8ConversionException lf_conversionError(const Text& text, Convert convert) {
    try {
        convert(text);
    } catch (const Utf8ConversionException& e) {
        return e;
    }
    ADD_FAILURE() << "converted without error";
    return Utf8ConversionException("", 0, 0);
}

TEST(Win32TextConversion, InvalidUtf16GivesError1113AndItsText) {
    const char16_t loneHigh[] = {u'a', 0xD800, u'b'};
    const char16_t loneLow[] = {u'a', 0xDC00};
    const char16_t highAtEnd[] = {u'a', 0xD83D};
    const char16_t reversedPair[] = {0xDE00, 0xD83D};
    for (const std::u16string& bad : {std::u16string(loneHigh, 3), std::u16string(loneLow, 2),
                                      std::u16string(highAtEnd, 2), std::u16string(reversedPair, 2)}) {
        const Utf8ConversionException e = lf_conversionError(bad, [](const std::u16string& t) { zrb::gf_utf16ToUtf8(t); });
        EXPECT_STREQ(e.what(), invalidUtf16Text);
        EXPECT_EQ(e.errorCode(), platform::errorNoUnicodeTranslation);
        EXPECT_EQ(e.direction(), Utf8ConversionException::fromUtf16);
    }
    // A bad line stops the line reader; the lines before it are kept.
    std::vector<std::string> lines;
    const char16_t text[] = {u'o', u'k', u'\n', 0xD800, u'\n', u'x'};
    EXPECT_THROW(zrb::lf_readWideLinesAsUtf8(std::u16string_view(text, 6), lines), Utf8ConversionException);
    EXPECT_EQ(lines, std::vector<std::string>{"ok"});
}

TEST(Win32TextConversion, MalformedUtf8GivesError1113AndItsText) {
    const std::string cases[] = {
        "a\xff" "b",           // a byte that never occurs in UTF-8
        "\x80",                // stray continuation byte
        "a\xe2\x82",           // sequence cut short at the end
        "\xe2\x82" "a",        // continuation missing in the middle
        "\xc0\x80",            // overlong NUL
        "\xe0\x80\xaf",        // overlong '/'
        "\xed\xa0\x80",        // encoded surrogate U+D800
        "\xf4\x90\x80\x80",    // above U+10FFFF
    };
    for (const std::string& bad : cases) {
        SCOPED_TRACE(testing::PrintToString(bad));
        const Utf8ConversionException e = lf_conversionError(bad, [](const std::string& t) { zrb::gf_utf8ToUtf16(t); });
        EXPECT_STREQ(e.what(), invalidUtf8Text);
        EXPECT_EQ(e.errorCode(), platform::errorNoUnicodeTranslation);
        EXPECT_EQ(e.direction(), Utf8ConversionException::fromUtf8);
    }
}

}  // namespace
