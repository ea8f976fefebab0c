#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "foundation/ansi_text.h"
#include "foundation/ansi_text_test_hook.h"
#include "foundation/ini_sections.h"
#include "foundation/text_file.h"
#include "foundation/windows_path.h"
#include "support/temp_folder.h"

namespace zrb::test {
namespace {

namespace fs = std::filesystem;

TEST(WindowsPath, ConvertsBetweenWindowsTextAndPaths) {
    const fs::path path = gf_pathFromWindowsText("SimObjects\\Airplanes\\B738");
    EXPECT_EQ(path, fs::path("SimObjects") / "Airplanes" / "B738");
    EXPECT_EQ(gf_pathFromWindowsText("a/b\\c"), fs::path("a") / "b" / "c");
    EXPECT_EQ(gf_windowsPathText(fs::path("x") / "IVAO_MTL" / "aircraft.cfg"), "x\\IVAO_MTL\\aircraft.cfg");
    EXPECT_EQ(gf_windowsPathText(gf_pathFromWindowsText("..\\shared\\Caf\xC3\xA9")), "..\\shared\\Caf\xC3\xA9");
    // Joining keeps an absolute path as it is.
    const fs::path absolute = fs::temp_directory_path() / "x";
    EXPECT_EQ(fs::path("base") / gf_pathFromWindowsText(gf_windowsPathText(absolute)), absolute);
}

// Text that missed its conversion on the way in (an add-on.xml in the legacy
// code page, a hand-edited setting) names the folder all the same; it must
// never end a scan with the library's conversion error.
TEST(WindowsPath, TextThatIsNoUtf8IsTakenInTheLegacyCodePage) {
    LoggedFolder folder;
    fs::create_directories(gf_pathFromWindowsText("K\xC3\xB6ln\\Z\xC3\xBCrich"));
    fs::path path;
    ASSERT_NO_THROW(path = gf_pathFromWindowsText("K\xF6ln\\Z\xFCrich"));
    EXPECT_EQ(path, gf_pathFromWindowsText("K\xC3\xB6ln\\Z\xC3\xBCrich"));
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_EQ(gf_pathFromUtf8("Z\xFCrich"), gf_pathFromUtf8("Z\xC3\xBCrich"));
    EXPECT_TRUE(folder.logContains("===> path 'Z\xC3\xBCrich' was no UTF-8 text, read in the legacy code page"));
#ifdef _WIN32
    // On a Polish system the same bytes name other letters: "\xA3" is "Ł" there.
    fs::create_directories(gf_pathFromUtf8("\xC5\x81\xC3\xB3" "d\xC5\xBA"));
    gf_setLegacyCodePageForTest(1250);
    EXPECT_TRUE(fs::is_directory(gf_pathFromWindowsText("\xA3\xF3" "d\x9F")));
    EXPECT_EQ(gf_utf8ToAnsi("\xC5\x81\xC3\xB3" "d\xC5\xBA \xE2\x82\xAC \xE6\x97\xA5"), "\xA3\xF3" "d\x9F \x80 ?");
    // Where the system's 8-bit text is UTF-8, legacy text came from a western system.
    gf_setLegacyCodePageForTest(65001);
    EXPECT_EQ(gf_ansiToUtf8("K\xF6ln \x80"), "K\xC3\xB6ln \xE2\x82\xAC");
    EXPECT_EQ(gf_utf8ToAnsi("\xC5\x81\xC3\xB3" "d\xC5\xBA"), "\xC5\x81\xC3\xB3" "d\xC5\xBA");
    gf_setLegacyCodePageForTest(g_systemCodePage);
    // A name on disk may hold half a UTF-16 pair: its text still names it.
    const std::wstring name{L'a', wchar_t(0xD800), L'b', wchar_t(0xD83D), wchar_t(0xDE00)};
    EXPECT_EQ(gf_pathText(fs::path(name)), "a\xEF\xBF\xBD" "b\xF0\x9F\x98\x80");
#endif
}

TEST(WindowsPath, FindsNamesWhateverTheirLetterCase) {
    TempFolder folder;
    fs::create_directories(folder / "Model.B738" / "Sub");
    writeFile(folder / "Shared" / "B738.AIR", "x");
    writeFile(folder / "exact.air", "x");
    // Windows finds them by itself; elsewhere the folder is searched.
    const auto finds = [&](const fs::path& base, const fs::path& relative, const fs::path& expected) {
        const fs::path found = gf_findPathNoCase(base, relative);
        std::error_code ec;
        EXPECT_TRUE(fs::equivalent(found, expected, ec)) << found << " " << expected;
    };
    finds(folder.path(), "model.b738", folder / "Model.B738");
    finds(folder.path(), fs::path("MODEL.B738") / "sub", folder / "Model.B738" / "Sub");
    finds(folder / "Model.B738", fs::path("..") / "shared" / "b738.air", folder / "Shared" / "B738.AIR");
    EXPECT_EQ(gf_findPathNoCase(folder.path(), "exact.air"), folder / "exact.air");
    // What matches nothing is kept as written.
    EXPECT_EQ(gf_findPathNoCase(folder.path(), fs::path("none") / "model"), folder / "none" / "model");
    EXPECT_EQ(gf_findPathNoCase(folder / "missing", "x"), folder / "missing" / "x");
}

TEST(IniSections, ReadsSectionsAndEntriesAsWindowsDoes) {
    const auto sections = gf_parseIniSections({"before=ignored", "[Package.0]", " PATH = C:\\Add-ons\\A=B ",
                                               "; PATH=commented", "no equals sign", "", "  [ Entry.1 ]  ",
                                               "Path=SimObjects\\MyAI", "path=second", "[broken", "Active=False"});
    ASSERT_EQ(sections.size(), 2U);
    EXPECT_EQ(sections[0].name, "Package.0");
    EXPECT_EQ(gf_iniValue(sections[0], "path"), "C:\\Add-ons\\A=B");
    EXPECT_EQ(sections[0].entries.size(), 1U);
    EXPECT_EQ(sections[1].name, "Entry.1");
    EXPECT_EQ(gf_iniValue(sections[1], "PATH"), "SimObjects\\MyAI");
    EXPECT_EQ(gf_iniValue(sections[1], "active"), "False");
    EXPECT_EQ(gf_iniValue(sections[1], "Title"), "");
    EXPECT_TRUE(gf_iniNameStartsWith(sections[0], "package"));
    EXPECT_FALSE(gf_iniNameStartsWith(sections[1], "Package"));
}

}  // namespace
}  // namespace zrb::test
