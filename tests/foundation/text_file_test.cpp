// Reading files of any character set into UTF-8 lines, and the plain writers.
#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

#include "foundation/ansi_text.h"
#include "foundation/text_file.h"
#include "support/temp_folder.h"

namespace zrb {
namespace {

using Lines = std::vector<std::string>;

std::string utf16le(const std::u16string& text, bool mark = true) {
    std::string bytes = mark ? "\xFF\xFE" : "";
    for (const char16_t u : text) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    return bytes;
}

std::string utf16be(const std::u16string& text, bool mark = true) {
    std::string bytes = mark ? "\xFE\xFF" : "";
    for (const char16_t u : text) {
        bytes += static_cast<char>(u >> 8);
        bytes += static_cast<char>(u & 0xFF);
    }
    return bytes;
}

class TextFiles : public ::testing::Test {
protected:
    std::filesystem::path file(const std::string& name, const std::string& bytes) {
        test::writeFile(m_folder / name, bytes);
        return m_folder / name;
    }
    test::LoggedFolder m_folder;
};

// Records what the readers put on the message line.
std::vector<std::string> g_shown;
void recordMessage(std::string_view text, bool log) {
    g_shown.emplace_back(text);
    EXPECT_TRUE(log);
}

TEST(TextCharsetNames, CoverTheSixCodesAndNoOther) {
    EXPECT_EQ(gf_charsetName(0), "ANSI");
    EXPECT_EQ(gf_charsetName(1), "Unicode");
    EXPECT_EQ(gf_charsetName(2), "Unicode_big_endian");
    EXPECT_EQ(gf_charsetName(3), "UTF8_with_BOM");
    EXPECT_EQ(gf_charsetName(4), "UTF8_without_BOM");
    EXPECT_EQ(gf_charsetName(TextCharset::noneFound), "none_found");
    EXPECT_THROW(gf_charsetName(6), std::out_of_range);
    EXPECT_THROW(gf_charsetName(-1), std::out_of_range);
}

TEST_F(TextFiles, DetectsTheCharsetFromTheFirstBytes) {
    EXPECT_EQ(gf_detectCharset(file("bom8.txt", "\xEF\xBB\xBFx")), TextCharset::utf8WithBom);
    EXPECT_EQ(gf_detectCharset(file("le.txt", "\xFF\xFE")), TextCharset::unicode);
    EXPECT_EQ(gf_detectCharset(file("be.txt", "\xFE\xFFxy")), TextCharset::unicodeBigEndian);
    EXPECT_EQ(gf_detectCharset(file("ab.txt", "ab")), TextCharset::utf8WithoutBom);
    EXPECT_EQ(gf_detectCharset(file("utf8.txt", "Gr\xC3\xBC\xC3\x9F \xF0\x9F\x98\x80")), TextCharset::utf8WithoutBom);
    EXPECT_EQ(gf_detectCharset(file("latin1.txt", "Caf\xE9\r\n")), TextCharset::ansi);
    EXPECT_EQ(gf_detectCharset(file("cut.txt", "\xEF\xBB")), TextCharset::ansi) << "a 3-byte lead cut short";
    EXPECT_EQ(gf_detectCharset(file("stray.txt", "a\x80z")), TextCharset::ansi);
    EXPECT_EQ(gf_detectCharset(file("one.txt", "a")), TextCharset::noneFound);
    EXPECT_EQ(gf_detectCharset(file("empty.txt", "")), TextCharset::noneFound);

    // Only the first 1027 bytes count: a character that ends there is fine, one
    // that starts at the 1027th byte makes the file look like ANSI.
    EXPECT_EQ(gf_detectCharset(file("fits.txt", std::string(1025, 'a') + "\xC3\xBC")), TextCharset::utf8WithoutBom);
    const std::string straddling = std::string(1026, 'a') + "\xC3\xBC\r\nnext";
    const auto path = file("straddle.txt", straddling);
    EXPECT_EQ(gf_detectCharset(path), TextCharset::ansi);
    Lines lines;
    EXPECT_TRUE(gf_readExtTextFileToStringVector(path, lines));
    EXPECT_EQ(lines, (Lines{std::string(1026, 'a') + "\xC3\xBC", "next"})) << "its UTF-8 arrives unchanged";
}

TEST_F(TextFiles, MissingOrTinyFilesReadNothing) {
    Lines lines;
    EXPECT_EQ(gf_detectCharset(m_folder / "missing.txt"), TextCharset::noneFound);
    EXPECT_TRUE(m_folder.logContains("missing.txt for character encoding. Win32 error: "));
    EXPECT_FALSE(gf_readExtTextFileToStringVector(m_folder / "missing.txt", lines));
    EXPECT_FALSE(gf_readExtTextFileToStringVector(file("one.txt", "x"), lines));
    EXPECT_TRUE(lines.empty());
    EXPECT_FALSE(gf_readTextFileInCharset(TextCharset::ansi, m_folder / "missing.txt", lines));
    EXPECT_FALSE(gf_readTextFileInCharset(TextCharset::unicode, m_folder / "missing.txt", lines));
    EXPECT_TRUE(lines.empty());
}

TEST_F(TextFiles, Utf16InEitherByteOrderGivesTheSameUtf8Lines) {
    const std::u16string text = u"[fltsim.0]\r\ntitle=\u00DCber \U0001F600\r\n\r\nlast";
    const Lines expected{"[fltsim.0]\r", "title=\xC3\x9C" "ber \xF0\x9F\x98\x80\r", "\r", "last"};
    for (const auto& [name, bytes] : {std::pair{"le.cfg", utf16le(text)}, std::pair{"be.cfg", utf16be(text)}}) {
        Lines lines;
        EXPECT_TRUE(gf_readExtTextFileToStringVector(file(name, bytes), lines)) << name;
        EXPECT_EQ(lines, expected) << name;
    }
    // Without a mark the order is big-endian.
    Lines lines;
    EXPECT_TRUE(gf_readTextFileInCharset(TextCharset::unicode, file("nomark.cfg", utf16be(u"ab\ncd", false)), lines));
    EXPECT_EQ(lines, (Lines{"ab", "cd"}));
}

TEST_F(TextFiles, TruncatedUtf16KeepsItsWholeCharactersAndSaysSo) {
    Lines lines;
    EXPECT_TRUE(gf_readExtTextFileToStringVector(file("odd.cfg", utf16le(u"ab\ncd") + "e"), lines));
    EXPECT_EQ(lines, (Lines{"ab", "cd"}));
    EXPECT_TRUE(m_folder.logContains("odd.cfg ends in half a UTF-16 character"));

    lines.clear();
    EXPECT_TRUE(gf_readExtTextFileToStringVector(file("markonly.cfg", "\xFF\xFE"), lines));
    EXPECT_TRUE(lines.empty());
}

TEST_F(TextFiles, LoneSurrogateStopsTheReadingVisiblyKeepingEarlierLines) {
    const auto path = file("bad.cfg", utf16le(u"good\nbad\xD800\nnever"));
    Lines lines;
    EXPECT_FALSE(gf_readTextFileInCharset(TextCharset::unicode, path, lines));
    EXPECT_EQ(lines, (Lines{"good"}));
    EXPECT_TRUE(m_folder.logContains("conversion from error from utf16 to utf8, code: 1113"));

    g_shown.clear();
    gf_setMessageSink(&recordMessage);
    lines.clear();
    EXPECT_FALSE(gf_readExtTextFileToStringVector(path, lines));
    gf_setMessageSink(nullptr);
    EXPECT_EQ(g_shown, (Lines{"conversion from error from utf16 to utf8, code: 1113"}));
    EXPECT_EQ(lines, (Lines{"good"}));
}

// Text in the legacy code page must be UTF-8 before it can become a path: the
// library refuses anything else on Windows.
TEST_F(TextFiles, LinesInTheLegacyCodePageArriveAsUtf8) {
    // A long scenery.cfg: the detection sees only ASCII, the Local line comes later.
    const std::string head = "[Area.001]\r\nTitle=" + std::string(1100, 'x') + "\r\n";
    const auto path = file("scenery.cfg", head + "Local=D:\\K\xF6ln \x80\r\nTitle=Gr\xC3\xBC\xC3\x9F" "e\r\n");
    EXPECT_EQ(gf_detectCharset(path), TextCharset::utf8WithoutBom);
    Lines lines;
    EXPECT_TRUE(gf_readExtTextFileToStringVector(path, lines));
    ASSERT_EQ(lines.size(), 4U);
    EXPECT_EQ(lines[2], "Local=D:\\K\xC3\xB6ln \xE2\x82\xAC");
    EXPECT_EQ(lines[3], "Title=Gr\xC3\xBC\xC3\x9F" "e") << "a UTF-8 line beside one of Windows-1252";

    // What only looks like UTF-8 to a lax test (a surrogate, an overlong form,
    // a code point past U+10FFFF) is no UTF-8 either.
    for (const std::string bad : {"\xED\xA0\x80", "\xC0\xAF", "\xF4\x90\x80\x80"}) {
        EXPECT_FALSE(gf_isWellFormedUtf8(bad));
        lines.clear();
        EXPECT_TRUE(gf_readTextFileInCharset(TextCharset::ansi, file("bad.txt", "a" + bad), lines));
        EXPECT_EQ(lines, (Lines{"a" + gf_ansiToUtf8(bad)}));
    }
    EXPECT_TRUE(gf_isWellFormedUtf8("\xF0\x9F\x98\x80 \xEF\xBF\xBD"));
}

TEST_F(TextFiles, NarrowFilesLoseTheMarkAndTheCarriageReturns) {
    Lines lines{"earlier"};
    EXPECT_TRUE(gf_readExtTextFileToStringVector(file("bom.txt", "\xEF\xBB\xBF" "ab\r\ncd"), lines));
    EXPECT_EQ(lines, (Lines{"earlier", "ab", "cd"})) << "lines are appended; the mark leaves the first new one";

    lines.clear();
    EXPECT_TRUE(gf_readExtTextFileToStringVector(file("latin1.txt", "Caf\xE9\r\nx\n\r\n"), lines));
    EXPECT_EQ(lines, (Lines{"Caf\xC3\xA9", "x", ""}));

    // A caller that names UTF-8 with a mark for a file without one loses nothing.
    lines.clear();
    EXPECT_TRUE(gf_readTextFileInCharset(TextCharset::utf8WithBom, file("plain.txt", "abcdef"), lines));
    EXPECT_EQ(lines, (Lines{"abcdef"}));
}

TEST_F(TextFiles, AFileThatCannotBeReadIsNoSuccessAndThrowsNothing) {
    // A folder opens as a file on Linux, and every read of it fails, as an I/O
    // error would; on Windows it does not open at all.
    const auto folder = m_folder / "aircraft.cfg";
    std::filesystem::create_directory(folder);
    for (const TextCharset charset : {TextCharset::ansi, TextCharset::unicode, TextCharset::unicodeBigEndian,
                                      TextCharset::utf8WithBom, TextCharset::utf8WithoutBom}) {
        Lines lines{"earlier"};
        bool read = true;
        EXPECT_NO_THROW(read = gf_readTextFileInCharset(charset, folder, lines)) << gf_charsetName(charset);
        EXPECT_FALSE(read) << gf_charsetName(charset);
        EXPECT_EQ(lines, (Lines{"earlier"})) << gf_charsetName(charset);
    }
    Lines lines;
    EXPECT_FALSE(gf_readExtTextFileToStringVector(folder, lines));
    EXPECT_FALSE(m_folder.logContains("gf_readExtTextFileToStringVector"));
}

TEST_F(TextFiles, AnUnknownCharsetIsRefused) {
    Lines lines;
    try {
        gf_readTextFileInCharset(TextCharset::noneFound, file("x.txt", "abc"), lines);
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("x.txt has unknown charset: none_found"), std::string::npos) << e.what();
    }
    EXPECT_THROW(gf_readTextFileInCharset(static_cast<TextCharset>(9), file("y.txt", "abc"), lines),
                 std::runtime_error);
}

TEST(ReadLines, AppendsEveryLineWithoutItsEnd) {
    std::istringstream in("one\r\ntwo\n\nthree");
    Lines lines{"kept"};
    gf_readLines(in, lines);
    EXPECT_EQ(lines, (Lines{"kept", "one", "two", "", "three"}));
}

TEST_F(TextFiles, ProgramFilesReadBackWhatTheWritersWrote) {
    const auto path = m_folder / "my_park_airports.txt";
    ASSERT_TRUE(gf_writeLines({"EHAM", "", "EDDF"}, path));
    EXPECT_EQ(test::readFile(path), "EHAM\r\n\r\nEDDF\r\n");
    TextFile text{path, {"stale"}};
    EXPECT_EQ(gf_readTextFile(text), (Lines{"EHAM", "", "EDDF"}));

    ASSERT_TRUE(gf_writeStringToFile("a\nb", path, true));
    EXPECT_EQ(test::readFile(path), "a\r\nb\r\n") << "the old content is replaced";
    ASSERT_TRUE(gf_writeStringToFile("archive/simaddon/EGLL.xml", path, false));
    EXPECT_EQ(test::readFile(path), "archive/simaddon/EGLL.xml");

    EXPECT_FALSE(gf_writeLines({"x"}, m_folder / "no" / "such" / "folder.txt"));
    EXPECT_FALSE(gf_writeStringToFile("x", m_folder / "no" / "such.txt", true));

    TextFile missing{m_folder / "missing.txt", {"stale"}};
    EXPECT_TRUE(gf_readTextFile(missing).empty());
}

#ifndef _WIN32
TEST(TextWriters, AFailedWriteIsNoSuccess) {
    // /dev/full opens but refuses every byte, as a full disk would.
    EXPECT_FALSE(gf_writeLines({"x"}, "/dev/full"));
    EXPECT_FALSE(gf_writeStringToFile("x", "/dev/full", true));
}
#endif

TEST(ExtractPathElement, TakesTheTextBetweenTheTags) {
    EXPECT_EQ(gf_extractPathElement("    <Path>C:\\x</Path>"), "C:\\x");
    EXPECT_EQ(gf_extractPathElement("<Path>a</Path><Path>b</Path>"), "a");
    EXPECT_EQ(gf_extractPathElement("<Path></Path>"), "");
    EXPECT_EQ(gf_extractPathElement("<Path>C:\\x"), "");
    EXPECT_EQ(gf_extractPathElement("C:\\x</Path>"), "");
    EXPECT_EQ(gf_extractPathElement("</Path><Path>y"), "") << "a closing tag before the opening one";
    EXPECT_EQ(gf_extractPathElement("</Path><Path>y</Path>"), "y");
}

}  // namespace
}  // namespace zrb
