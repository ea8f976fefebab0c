// Strict conversions at the Windows boundaries and the wide line reader.
#include <gtest/gtest.h>

#include "foundation/utf16.h"

namespace zrb {
namespace {

TEST(Utf16, ConvertsBothWaysAndRefusesInvalidText) {
    EXPECT_EQ(gf_utf16ToUtf8(u""), "");
    EXPECT_EQ(gf_utf8ToUtf16(""), u"");
    EXPECT_EQ(gf_utf16ToUtf8(u"D:\\Prepar3D v6\\\u00DC"), "D:\\Prepar3D v6\\\xC3\x9C");
    EXPECT_EQ(gf_utf8ToUtf16("\xE2\x82\xAC\xF0\x9F\x98\x80"), u"\u20AC\U0001F600");

    try {
        gf_utf16ToUtf8(u"ab\xD800");
        FAIL() << "a lone surrogate must not convert";
    } catch (const win32::Utf8ConversionException& e) {
        EXPECT_EQ(e.errorCode(), 1113u);
        EXPECT_EQ(e.direction(), 1u);
        EXPECT_STREQ(e.what(), "Invalid UTF-16 sequence found in input string.");
        const win32::Utf8ConversionException copy = e;  // catchers may keep a copy
        EXPECT_EQ(copy.errorCode(), 1113u);
    }
    try {
        gf_utf8ToUtf16("Caf\xE9");
        FAIL() << "Latin-1 bytes are no UTF-8";
    } catch (const win32::Utf8ConversionException& e) {
        EXPECT_EQ(e.errorCode(), 1113u);
        EXPECT_EQ(e.direction(), 2u);
        EXPECT_STREQ(e.what(), "Invalid UTF-8 sequence found in input string.");
    }
    EXPECT_STREQ(gf_inputTooLongError().what(), "Input string too long: size_t-length doesn't fit into int.");
}

TEST(Utf16, WideLinesSplitAtLineFeedsKeepingCarriageReturns) {
    std::vector<std::string> lines{"kept"};
    lf_readWideLinesAsUtf8(u"a\r\n\r\n\u00DC\nlast", lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"kept", "a\r", "\r", "\xC3\x9C", "last"}));

    lines.clear();
    lf_readWideLinesAsUtf8(u"one\n\ntwo\n", lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "", "two"})) << "no empty line after the final LF";

    lines.clear();
    lf_readWideLinesAsUtf8(u"", lines);
    EXPECT_TRUE(lines.empty());

    // The bad line stops the reading; the lines before it stay.
    lines.clear();
    EXPECT_THROW(lf_readWideLinesAsUtf8(u"good\nbad\xDC00\nnever", lines), win32::Utf8ConversionException);
    EXPECT_EQ(lines, (std::vector<std::string>{"good"}));
}

}  // namespace
}  // namespace zrb
