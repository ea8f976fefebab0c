#include "config/paths.h"

#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "config/parameters.h"
#include "support/temp_folder.h"

namespace zrb {
namespace {

namespace fs = std::filesystem;

TEST(Paths, SettingsLiveUnderAppDataOrBesideTheProgram) {
    EXPECT_EQ(gf_programDataFolderFor(fs::path("/X")), fs::path("/X/TLVR_P3D"));
    EXPECT_EQ(gf_programDataFolderFor(std::nullopt), fs::path("TLVR_P3D"));
    EXPECT_EQ(gf_programDataFolderFor(fs::path()), fs::path("TLVR_P3D"));

    gf_setProgramDataFolderForTest("/somewhere/TLVR_P3D");
    EXPECT_EQ(gf_parametersPath(), fs::path("/somewhere/TLVR_P3D/parameters.xml"));
    gf_setProgramDataFolderForTest({});
}

#if !defined(_WIN32)
// The posix side takes AppData from XDG_CONFIG_HOME; the program asks once.
TEST(Paths, SystemAppDataFolderIsAskedOnFirstUse) {
    test::TempFolder appData;
    ASSERT_EQ(setenv("XDG_CONFIG_HOME", appData.path().c_str(), 1), 0);
    gf_setProgramDataFolderForTest({});
    EXPECT_EQ(gf_parametersPath(), appData / "TLVR_P3D" / "parameters.xml");
    // With no registry file there, neither simulator counts as installed.
    EXPECT_FALSE(gf_p3dV5Installed());
    EXPECT_FALSE(gf_p3dV6Installed());
}
#endif

TEST(Paths, DataPathsResolveAgainstTheCurrentDirectory) {
    test::TempFolder folder;
    test::CurrentDirectory cd(folder.path());
    EXPECT_TRUE(g_docsFolder.is_relative());
    EXPECT_EQ(fs::absolute(g_docsFolder), fs::current_path() / "docs");
    EXPECT_EQ(g_liveriesScannedFile, fs::path("output") / "LiveriesScanned.xml");
    EXPECT_EQ(g_learnedThirdpartyFolder, fs::path("airports") / "learned" / "thirdparty");
    EXPECT_EQ(g_incompleteFltsimSectionsFile, fs::path("output") / "errors" / "IncompleFltsimSections.txt");
    EXPECT_EQ(g_regcodesEncFile, fs::path("input") / "AIG-regcodes.enc");
}

TEST(Paths, WorkingRangeFollowsRange) {
    EXPECT_EQ(g_workingRangeNm.load(), static_cast<double>(RANGE.defaultValue));
    EXPECT_EQ(g_objectSearchRadiusM.load(), RANGE.defaultValue * 1852 + 10000);
    gf_setWorkingRange(10);
    EXPECT_EQ(g_workingRangeNm.load(), 10.0);
    EXPECT_EQ(g_objectSearchRadiusM.load(), 28520);
    gf_setWorkingRange(100);
    EXPECT_EQ(g_objectSearchRadiusM.load(), 195200);
    gf_setWorkingRange(RANGE.defaultValue);
}

}  // namespace
}  // namespace zrb
