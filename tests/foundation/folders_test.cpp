// Folder helpers of the airport scan and the status display.
#include <gtest/gtest.h>

#include <algorithm>

#include "foundation/folders.h"
#include "foundation/user_error.h"
#include "support/temp_folder.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace zrb {
namespace {

namespace fs = std::filesystem;

TEST(Folders, ClearSubfoldersRemovesFoldersAndKeepsFiles) {
    test::TempFolder root;
    test::writeFile(root / "my_thirdparty" / "EGLL.xml", "<users file/>");
    test::writeFile(root / "my_thirdparty" / "EHAM.txt", "archive/simaddon/EHAM.xml\r\n");
    test::writeFile(root / "my_thirdparty" / "old" / "deep" / "x.bgl", "x");
    fs::create_directories(root / "my_thirdparty" / "empty");

    gf_clearSubfolders(root / "my_thirdparty");
    EXPECT_TRUE(fs::exists(root / "my_thirdparty" / "EGLL.xml"));
    EXPECT_TRUE(fs::exists(root / "my_thirdparty" / "EHAM.txt"));
    EXPECT_FALSE(fs::exists(root / "my_thirdparty" / "old"));
    EXPECT_FALSE(fs::exists(root / "my_thirdparty" / "empty"));
    EXPECT_EQ(gf_countFolderEntries(root / "my_thirdparty"), 2u);

    // A missing folder or a file is left alone.
    EXPECT_NO_THROW(gf_clearSubfolders(root / "missing"));
    EXPECT_NO_THROW(gf_clearSubfolders(root / "my_thirdparty" / "EGLL.xml"));
    EXPECT_TRUE(fs::exists(root / "my_thirdparty" / "EGLL.xml"));
}

#ifndef _WIN32
TEST(Folders, ClearSubfoldersReportsFileSystemErrorsToTheUser) {
    test::TempFolder root;
    test::writeFile(root / "TBLO" / "sub" / "f.xml", "x");
    fs::permissions(root / "TBLO" / "sub", fs::perms::owner_read | fs::perms::owner_exec);
    // Root may remove anything it owns; the process's own /proc folder refuses
    // every removal, whoever asks.
    const fs::path folder = ::geteuid() == 0 ? fs::path("/proc/self") : root / "TBLO";
    try {
        gf_clearSubfolders(folder);
        ADD_FAILURE() << "a folder that cannot be emptied must be reported";
    } catch (const UserErrorException& e) {
        EXPECT_EQ(std::string(e.what()).rfind("5: ", 0), 0u) << e.what();
    }
    fs::permissions(root / "TBLO" / "sub", fs::perms::owner_all);
}
#endif

TEST(Folders, CountsEntriesAndFindsAirportFiles) {
    test::TempFolder root;
    EXPECT_EQ(gf_countFolderEntries(root / "missing"), 0u);
    EXPECT_TRUE(gf_findXmlFiles(root / "missing").empty());
    EXPECT_EQ(gf_countFolderEntries(root.path()), 0u);

    for (const char* name : {"EHAM.xml", "EDDF.XML", "LFPG2.xml", "ab.xml", "KJFK.txt", "EGLL.Xml", "EGLL.xml.bak"})
        test::writeFile(root / name, "x");
    fs::create_directories(root / "LOWW.xml");  // a folder, not an airport file
    fs::create_directories(root / "sub");
    test::writeFile(root / "sub" / "LEMD.xml", "x");  // not looked for: not recursive

    std::vector<std::string> codes = gf_findXmlFiles(root.path());
    std::sort(codes.begin(), codes.end());
    EXPECT_EQ(codes, (std::vector<std::string>{"EDDF", "EGLL", "EHAM"}));
    EXPECT_EQ(gf_countFolderEntries(root.path()), 9u);
}

}  // namespace
}  // namespace zrb
