#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "config/paths.h"
#include "data_file_writer.h"
#include "liveries/regcode_files.h"
#include "support/temp_folder.h"

namespace zrb::test {
namespace {

namespace fs = std::filesystem;

struct Parsed {
    bool ok = false;
    RegcodeEntries entries;
};

Parsed parse(const std::vector<std::string>& lines) {
    Parsed parsed;
    parsed.ok = gf_parseRegcodeLines(lines, "codes.txt", parsed.entries);
    return parsed;
}

using Regs = std::vector<std::string>;

TEST(RegcodeText, ASingleRegistrationIsSpecialSeveralOnlyWithTheMark) {
    LoggedFolder folder;
    const Parsed parsed = parse({"T1;D-ABCD", "T2 ; D-ABCD , D-ABCE", "T3;D-ABCD,D-ABCE;#", "T4;D-ABCD,D-ABCE;x",
                                 "T5;D-ABCD;not a mark", "", "   ", "T6", "T7;"});
    EXPECT_TRUE(parsed.ok);
    ASSERT_EQ(parsed.entries.size(), 6u);
    EXPECT_EQ(parsed.entries[0].title, "T1");
    EXPECT_EQ(parsed.entries[0].registrations, Regs{"D-ABCD"});
    EXPECT_TRUE(parsed.entries[0].special);
    EXPECT_EQ(parsed.entries[1].title, "T2");
    EXPECT_EQ(parsed.entries[1].registrations, (Regs{"D-ABCD", "D-ABCE"}));
    EXPECT_FALSE(parsed.entries[1].special);
    EXPECT_TRUE(parsed.entries[2].special);
    EXPECT_FALSE(parsed.entries[3].special);
    // One registration is always special, whatever the third field holds.
    EXPECT_TRUE(parsed.entries[4].special);
    // A title alone is a don't-use title; an empty registration field is ignored.
    EXPECT_EQ(parsed.entries[5].title, "T6");
    EXPECT_TRUE(parsed.entries[5].registrations.empty());
    EXPECT_FALSE(parsed.entries[5].special);
}

TEST(RegcodeText, WrongLengthsAndFormatsAreErrorsButEmptyListsAreNot) {
    LoggedFolder folder;
    EXPECT_FALSE(parse({"T1;AB"}).ok);
    EXPECT_TRUE(folder.logContains("===> wrong regcode length 'AB' in codes.txt"));
    EXPECT_TRUE(parse({"T1;AB"}).entries.empty());
    EXPECT_FALSE(parse({"T1;ABCDEFGHIJKLM"}).ok);  // 13 characters
    const Parsed limits = parse({"T1;ABC", "T2;ABCDEFGHIJKL"});
    EXPECT_TRUE(limits.ok);
    EXPECT_EQ(limits.entries.size(), 2u);

    const Parsed none = parse({"T1;AB,CD"});
    EXPECT_FALSE(none.ok);
    EXPECT_TRUE(none.entries.empty());
    EXPECT_TRUE(folder.logContains("===> wrong regcode length 'CD' in codes.txt"));
    EXPECT_TRUE(folder.logContains("===> codes.txt ; regs empty?"));

    // The valid registrations of a list stay; the invalid ones count as errors.
    const Parsed some = parse({"T1;AB,D-ABCD,D-ABCE;#"});
    EXPECT_FALSE(some.ok);
    ASSERT_EQ(some.entries.size(), 1u);
    EXPECT_EQ(some.entries[0].registrations, (Regs{"D-ABCD", "D-ABCE"}));
    EXPECT_TRUE(some.entries[0].special);

    const Parsed wrong = parse({"a;b;c;d", "T1;D-ABCD"});
    EXPECT_FALSE(wrong.ok);
    EXPECT_EQ(wrong.entries.size(), 1u);
    EXPECT_TRUE(folder.logContains("===> codes.txt: wrong format 'a;b;c;d'"));
}

TEST(RegcodeText, ReadsOnlyTheTextFilesDirectlyInTheFolder) {
    LoggedFolder folder;
    const fs::path codes = folder / "codes";
    writeFile(codes / "upper.TXT", "Upper;D-AAAA\r\n");
    // Written in Windows-1252: its titles are made UTF-8, the form by which
    // they meet the titles of the aircraft.cfg files whatever their code page.
    writeFile(codes / "lower.txt", "Lower;D-BBBB\nK\xF6ln DontUse\n");
    writeFile(codes / "old.TXT.bak", "Backup;D-CCCC\n");
    writeFile(codes / "sub" / "deep.TXT", "Deep;D-DDDD\n");
    fs::create_directories(codes / "folder.TXT");
    RegcodeEntries entries;
    EXPECT_TRUE(gf_readRegcodeTxtFiles(codes, entries));
    std::vector<std::string> titles;
    for (const auto& entry : entries) titles.push_back(entry.title);
    std::ranges::sort(titles);
    EXPECT_EQ(titles, (std::vector<std::string>{"K\xC3\xB6ln DontUse", "Lower", "Upper"}));
    EXPECT_TRUE(folder.logContains("Processing regcodes file '"));
    EXPECT_TRUE(folder.logContains("3 liveries"));

    RegcodeEntries missing;
    EXPECT_FALSE(gf_readRegcodeTxtFiles(folder / "absent", missing));
    EXPECT_TRUE(folder.logContains("===> Error reading regcode files in "));
}

TEST(RegcodeXml, ReadsEntriesAndSkipsATitleRepeatedRightAfterItself) {
    LoggedFolder folder;
    writeFile(g_regcodesXmlFile,
              "<AIG-regcodes>"
              "<livery title=\"A\" reg=\"D-AAAA, D-AAAB,\" special=\"true\"/>"
              "<livery title=\"A\" reg=\"D-AAAC\"/>"
              "<livery title=\"B\" reg=\"X1\" special=\"no\"/>"
              "<livery title=\"C\"/>"
              "<other title=\"D\" reg=\"D-DDDD\"/>"
              "<livery title=\"A\" reg=\"D-AAAD\" special=\"Yes\"/>"
              "<livery title=\"M\xFCller\"/><livery title=\"M\xFCller\"/>"  // legacy text, Log.txt stays UTF-8
              "</AIG-regcodes>");
    RegcodeEntries entries;
    EXPECT_FALSE(gf_readAigRegcodesXml(entries));
    EXPECT_TRUE(folder.logContains("===> SAME AS PREVIOUS title 'A'"));
    EXPECT_TRUE(folder.logContains("===> SAME AS PREVIOUS title 'M\xC3\xBCller'"));
    EXPECT_TRUE(folder.logIsUtf8());
    EXPECT_TRUE(folder.logContains("5 liveries read from "));
    ASSERT_EQ(entries.size(), 5u);
    // Registrations without a length test; empty pieces dropped.
    EXPECT_EQ(entries[0].registrations, (Regs{"D-AAAA", "D-AAAB"}));
    EXPECT_TRUE(entries[0].special);
    EXPECT_EQ(entries[1].registrations, Regs{"X1"});
    EXPECT_FALSE(entries[1].special);
    EXPECT_TRUE(entries[2].registrations.empty());
    // Only neighbours are compared: the title may come back later.
    EXPECT_EQ(entries[3].title, "A");
    EXPECT_TRUE(entries[3].special);

    RegcodeEntries none;
    EXPECT_FALSE(gf_readAigRegcodesXml(folder / "absent.xml", none));
    EXPECT_TRUE(folder.logContains("===> Failed to load "));
}

TEST(DontUseTitles, ComeFromTheShippedFileAndTheUsersFolder) {
    LoggedFolder folder;
    g_dontUseTitles.clear();
    writeEncryptedFile(g_regcodesEncFile,
                       "<AIG-regcodes><livery title=\"Shipped\"/><livery title=\"Used\" reg=\"D-AAAA\"/>"
                       "<livery title=\"\"/></AIG-regcodes>");
    writeFile(g_myRegcodesFolder / "mine.txt", "Mine\nMineToo;D-BBBB\n");
    lf_readDontUseTitles();
    EXPECT_EQ(g_dontUseTitles, (std::vector<std::string>{"Shipped", "Mine"}));
    EXPECT_TRUE(folder.logContains("1 don't use title read"));
    EXPECT_TRUE(folder.logContains("1 don't use title read from files in "));
    EXPECT_FALSE(fs::exists(g_regcodesXmlFile));

    // A shipped file that does not decrypt still leaves the user's titles.
    g_dontUseTitles.clear();
    writeEncryptedFile(g_regcodesEncFile, "<AIG-regcodes/>", testKey());
    lf_readDontUseTitles();
    EXPECT_EQ(g_dontUseTitles, (std::vector<std::string>{"Mine"}));
    EXPECT_FALSE(fs::exists(g_regcodesXmlFile));
    g_dontUseTitles.clear();
}

}  // namespace
}  // namespace zrb::test
