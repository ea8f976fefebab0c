#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "foundation/ini_sections.h"
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
