// The add-on scenery folders of the airport scan: the simulator's scenery
// lists, the afolder settings, and the tests that keep stock scenery out.
#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include "airports/scenery_folders.h"
#include "config/parameters.h"
#include "foundation/user_error.h"
#include "support/temp_folder.h"

namespace zrb::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(SceneryFolders, StockSceneryIsRecognisedByWholeFolderNames) {
    EXPECT_TRUE(gf_isStockSceneryPath("Local=Scenery\\World"));
    EXPECT_TRUE(gf_isStockSceneryPath("C:\\P3D\\Scenery\\0006\\scenery"));
    EXPECT_TRUE(gf_isStockSceneryPath("Scenery\\cities\\x"));
    EXPECT_FALSE(gf_isStockSceneryPath("Scenery\\world"));  // exact case
    EXPECT_FALSE(gf_isStockSceneryPath("Addon Scenery\\WorldAirports"));
    EXPECT_FALSE(gf_isStockSceneryPath("D:\\Asian\\ASIAN\\x"));
    EXPECT_TRUE(gf_isStockSceneryPath("D:\\x\\ASIA"));

    EXPECT_TRUE(gf_isInsideFolder("C:\\P3D\\Scenery\\World", "C:\\P3D\\Scenery"));
    EXPECT_TRUE(gf_isInsideFolder("C:/P3D/Scenery", "C:\\P3D\\Scenery\\"));
    EXPECT_FALSE(gf_isInsideFolder("C:\\P3D\\Scenery2\\x", "C:\\P3D\\Scenery"));
    EXPECT_FALSE(gf_isInsideFolder("C:\\P3D\\scenery\\x", "C:\\P3D\\Scenery"));
    EXPECT_FALSE(gf_isInsideFolder("anything", ""));
}

TEST(SceneryFolders, ActiveAreasOfSceneryCfgGiveTheirLocalFolders) {
    LoggedFolder folder;
    writeFile(folder / "scenery.cfg",
              "[General]\r\nTitle=FS World\r\nLocal=Ignored\\Before\r\n"
              "[Area.001]\r\nTitle=My Airport\r\nLocal=Addon Scenery\\MyAirport\r\nActive=TRUE\r\nLayer=1\r\n"
              "Required=FALSE\r\n"
              "[Area.002]\r\nTitle=Off\r\nLocal=Addon Scenery\\Off\r\nActive=FALSE\r\n"
              "[Area.003]\r\nTitle=Base\r\nLocal=Scenery\\World\r\nActive=TRUE\r\n"
              "[AREA.004]\r\nTitle=Bay Area Airports\r\nLocal=D:\\Sceneries\\Bay Area\r\nactive=true\r\n"
              "[Area.005]\r\nLocal=C:\\P3D v5\\Scenery\\Extra\r\nActive=TRUE\r\n");
    std::vector<std::string> folders{"kept"};
    gf_readSceneryCfg(folder / "scenery.cfg", "C:\\P3D v5\\", "C:\\P3D v5\\Scenery", folders);
    EXPECT_THAT(folders, ElementsAre("kept", "C:\\P3D v5\\Addon Scenery\\MyAirport", "D:\\Sceneries\\Bay Area"));
    EXPECT_TRUE(folder.logContains("      found:D:\\Sceneries\\Bay Area"));
    EXPECT_TRUE(folder.logContains("2 scenery add-on paths found"));

    gf_readSceneryCfg(folder / "missing.cfg", "C:\\P3D v5", "", folders);
    EXPECT_TRUE(folder.logContains("missing.cfg not found!"));
    EXPECT_EQ(folders.size(), 3u);
}

TEST(SceneryFolders, AnAbsolutePathOfThisSystemIsNotJoinedToTheInstallFolder) {
    LoggedFolder folder;
#ifdef _WIN32
    const std::string absolute = "\\\\server\\share\\Airports";
#else
    const std::string absolute = "/srv/Airports";
#endif
    writeFile(folder / "scenery.cfg", "[Area.001]\r\nLocal=" + absolute + "\r\nActive=TRUE\r\n");
    std::vector<std::string> folders;
    gf_readSceneryCfg(folder / "scenery.cfg", "C:\\P3D v5", "C:\\P3D v5\\Scenery", folders);
    EXPECT_THAT(folders, ElementsAre(absolute));
}

TEST(SceneryFolders, SceneryAddOnsXmlGivesEveryPathUnfiltered) {
    LoggedFolder folder;
    writeFile(folder / "scenery_add-ons.xml",
              "\xEF\xBB\xBF<Packages>\r\n <Path>D:\\Addons\\EGLL</Path>\r\n <Path></Path>\r\n"
              " <Path>C:\\P3D v5\\Scenery\\World</Path>\r\n</Packages>\r\n");
    std::vector<std::string> folders;
    gf_readSceneryAddOnsXml(folder / "scenery_add-ons.xml", folders);
    EXPECT_THAT(folders, ElementsAre("D:\\Addons\\EGLL", "C:\\P3D v5\\Scenery\\World"));
    EXPECT_TRUE(folder.logContains("found path:D:\\Addons\\EGLL"));
    EXPECT_TRUE(folder.logContains("2 scenery add-on paths found"));
}

TEST(SceneryFolders, AfolderSettingsInOrderAndNeverTheStockScenery) {
    for (StringParameter* setting : g_afolders) setting->value = "";
    afolder3.value = "D:\\Airports\\Two";
    afolder0.value = "D:\\Airports\\One";
    std::vector<std::string> folders{"replaced"};
    gf_readAfolderParameters("C:\\P3D v5\\Scenery", folders);
    EXPECT_THAT(folders, ElementsAre("D:\\Airports\\One", "D:\\Airports\\Two"));

    afolder7.value = "C:\\P3D v5\\Scenery\\World";
    try {
        gf_readAfolderParameters("C:\\P3D v5\\Scenery", folders);
        ADD_FAILURE() << "no error";
    } catch (const UserErrorException& e) {
        EXPECT_STREQ(e.what(), "42: parameter afolder7 points to stock airports instead of add-on airports!");
    }
    for (StringParameter* setting : g_afolders) setting->value = "";
    gf_readAfolderParameters("C:\\P3D v5\\Scenery", folders);
    EXPECT_THAT(folders, IsEmpty());
}

}  // namespace
}  // namespace zrb::test
