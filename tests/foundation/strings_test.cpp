#include "foundation/strings.h"

#include <cstdint>
#include <limits>

#include <gmock/gmock.h>
#include <gsl/narrow>
#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace zrb {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(Strings, TrimRemovesOnlyTheFourWhitespaceCharactersAtTheEnds) {
    EXPECT_EQ(gf_trim(" \t\r\n a b \r\n\t "), "a b");
    EXPECT_EQ(gf_trim(" \t\r\n"), "");
    EXPECT_EQ(gf_trim(""), "");
    EXPECT_EQ(gf_trim("\va\f"), "\va\f");  // vertical tab and form feed are not trimmed
}

TEST(Strings, SplitKeepsEmptyPiecesAndTrimsEachOne) {
    EXPECT_THAT(gf_splitComma(""), IsEmpty());
    EXPECT_THAT(gf_splitComma(" a "), ElementsAre("a"));
    EXPECT_THAT(gf_splitComma("a,,b,"), ElementsAre("a", "", "b", ""));
    EXPECT_THAT(gf_splitComma("a, ,b"), ElementsAre("a", "", "b"));
    EXPECT_THAT(gf_splitComma(","), ElementsAre("", ""));
    EXPECT_THAT(gf_splitComma("   "), ElementsAre(""));
    EXPECT_THAT(gf_split(" x , y ", ','), ElementsAre("x", "y"));
    EXPECT_THAT(gf_split("A320;B738 ; ", ';'), ElementsAre("A320", "B738", ""));
    EXPECT_THAT(gf_split("a b,c", ' '), ElementsAre("a", "b,c"));
    EXPECT_THAT(gf_splitCommaVector(" gate , mil_cargo,"), ElementsAre("gate", "mil_cargo", ""));
}

TEST(Strings, SplitToListSortsByByteAndDropsRepeats) {
    EXPECT_THAT(gf_splitCommaToList("b, a, b"), ElementsAre("a", "b"));
    EXPECT_THAT(gf_splitCommaToList(""), IsEmpty());
    EXPECT_THAT(gf_splitCommaToList("b,B,a,,a"), ElementsAre("", "B", "a", "b"));
}

TEST(Strings, NormalizeRewritesOnlyTextsWithWhitespace) {
    std::string text = "a , b";
    gf_normalizeCommaList(text);
    EXPECT_EQ(text, "a,b");
    text = " gate , mil_cargo";
    gf_normalizeCommaList(text);
    EXPECT_EQ(text, "gate,mil_cargo");
    text = "a,,b";
    gf_normalizeCommaList(text);
    EXPECT_EQ(text, "a,,b");
    text = "GATE,CARGO";
    gf_normalizeCommaList(text);
    EXPECT_EQ(text, "GATE,CARGO");
    text = "a,\tb,\r\n";
    gf_normalizeCommaList(text);
    EXPECT_EQ(text, "a,b,");
    text = "";
    gf_normalizeCommaList(text);
    EXPECT_EQ(text, "");
}

TEST(Strings, Comparisons) {
    EXPECT_TRUE(gf_equalsWithStar("KLM123", "KLM123*"));
    EXPECT_FALSE(gf_equalsWithStar("KLM123", "KLM123"));
    EXPECT_FALSE(gf_equalsWithStar("KLM123", "KLM124*"));
    EXPECT_FALSE(gf_equalsWithStar("KLM123", "KLM123**"));
    EXPECT_TRUE(gf_equalsWithStar("", "*"));
    EXPECT_FALSE(gf_equalsWithStar("", ""));

    EXPECT_TRUE(gf_equalsUppercased(".XML", ".xml"));
    EXPECT_TRUE(gf_equalsUppercased(".TXT", ".TxT"));
    EXPECT_FALSE(gf_equalsUppercased(".XML", ".xm"));
    EXPECT_FALSE(gf_equalsUppercased(".xml", ".xml"));  // a is expected upper case already
    EXPECT_FALSE(gf_equalsUppercased("\xC3\x9C", "\xC3\xBC"));  // bytes above ASCII stay as they are

    EXPECT_TRUE(gf_containsNoCase("ABCdef", "cde"));
    EXPECT_TRUE(gf_containsNoCase("IVAO_MTL folder", "ivao_mtl"));
    EXPECT_TRUE(gf_containsNoCase("", ""));
    EXPECT_TRUE(gf_containsNoCase("abc", ""));
    EXPECT_FALSE(gf_containsNoCase("ab", "abc"));
    EXPECT_FALSE(gf_containsNoCase("", "a"));
}

TEST(Strings, ParseNamedIntReadsTheNumberAfterTheKey) {
    test::LoggedFolder folder;
    std::int32_t count = 7;

    EXPECT_TRUE(gf_parseNamedInt({"archive", "EHAM", count}, "EHAM42"));
    EXPECT_EQ(count, 42);
    EXPECT_TRUE(gf_parseNamedInt({"archive", "EHAM", count}, "EHAM-3 stands"));
    EXPECT_EQ(count, -3);
    EXPECT_FALSE(gf_parseNamedInt({"archive", "EHAM", count}, "EDDF42"));
    EXPECT_FALSE(gf_parseNamedInt({"archive", "EHAM", count}, "EHA"));
    EXPECT_EQ(count, -3);

    // Keys of other lengths read from their own end, not from a fixed fifth character.
    EXPECT_TRUE(gf_parseNamedInt({"archive", "LAX", count}, "LAX12"));
    EXPECT_EQ(count, 12);
    EXPECT_TRUE(gf_parseNamedInt({"archive", "EGLL1", count}, "EGLL1 27"));  // no digit right after the key
    EXPECT_EQ(count, 12);
    EXPECT_TRUE(folder.logContains("===> archive EGLL1 EGLL1 27 invalid number"));

    // No number, a bare sign, overflow: true, value kept, one warning each.
    for (const char* entry : {"EHAMx", "EHAM", "EHAM-", "EHAM+5", "EHAM2147483648"}) {
        EXPECT_TRUE(gf_parseNamedInt({"archive", "EHAM", count}, entry)) << entry;
        EXPECT_EQ(count, 12) << entry;
        EXPECT_TRUE(folder.logContains(std::string("===> archive EHAM ") + entry + " invalid number")) << entry;
    }
    EXPECT_TRUE(gf_parseNamedInt({"archive", "EHAM", count}, "EHAM2147483647"));
    EXPECT_EQ(count, std::numeric_limits<std::int32_t>::max());
}

TEST(Strings, PercentOfRoundsHalvesAwayFromZeroAndNarrows) {
    EXPECT_EQ(gf_percentOf(1, 3), 33);
    EXPECT_EQ(gf_percentOf(2, 3), 67);
    EXPECT_EQ(gf_percentOf(1, 8), 13);    // 12.5
    EXPECT_EQ(gf_percentOf(-1, 8), -13);  // -12.5
    EXPECT_EQ(gf_percentOf(5, 0), 0);
    EXPECT_EQ(gf_percentOf(5, -4), 0);
    EXPECT_EQ(gf_percentOf(0, 7), 0);
    EXPECT_EQ(gf_percentOf(500, 500), 100);
    EXPECT_EQ(gf_percentOf(21474836, 1), 2147483600);
    EXPECT_THROW(gf_percentOf(21474837, 1), gsl::narrowing_error);
    EXPECT_THROW(gf_percentOf(std::numeric_limits<std::int64_t>::max(), 1), gsl::narrowing_error);
    EXPECT_THROW(gf_percentOf(std::numeric_limits<std::int64_t>::min(), 1), gsl::narrowing_error);
}

}  // namespace
}  // namespace zrb
