// The AppData folder on the real system call: the user's roaming folder, the
// parent of the program's data folder; and the machine's ProgramData folder.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/platform.h"

namespace {

TEST(Win32AppData, IsTheUsersRoamingFolder) {
    const auto folder = zrb::platform::appDataFolder();
    ASSERT_TRUE(folder.has_value());
    EXPECT_TRUE(folder->is_absolute()) << folder->string();
    EXPECT_TRUE(std::filesystem::is_directory(*folder)) << folder->string();

    // The same folder under its newer name.
    PWSTR known = nullptr;
    ASSERT_EQ(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &known), S_OK);
    const std::filesystem::path expected(known);
    CoTaskMemFree(known);
    EXPECT_EQ(*folder, expected);
}

TEST(Win32AppData, TheSimulatorsListsLieInItsKnownFolders) {
    const auto programData = zrb::platform::programDataFolder();
    ASSERT_TRUE(programData.has_value());
    PWSTR known = nullptr;
    ASSERT_EQ(SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &known), S_OK);
    const std::filesystem::path expected(known);
    CoTaskMemFree(known);
    EXPECT_EQ(*programData, expected);
    EXPECT_EQ(zrb::platform::simObjectsCfgFile("5"),
              expected / "Lockheed Martin" / "Prepar3D v5" / "simobjects.cfg");
    EXPECT_EQ(zrb::platform::simAddOnsCfgFile("6"),
              *zrb::platform::appDataFolder() / "Lockheed Martin" / "Prepar3D v6" / "add-ons.cfg");
}

}  // namespace
