// The user's license key file, as any editor may have saved it.
#include <filesystem>

#include <gtest/gtest.h>

#include "feed/service_endpoint.h"
#include "support/temp_folder.h"

using namespace zrb;
using namespace zrb::test;

TEST(ServiceKey, FirstNonEmptyLineInAnyCharacterSet) {
    LoggedFolder folder;
    EXPECT_EQ(gf_serviceKey(), "");
    EXPECT_TRUE(folder.logContains("RT license key file input/rt_license.txt not found"));

    std::filesystem::create_directories(folder / "input");
    writeFile(folder / g_licenseFileName, "");
    EXPECT_EQ(gf_serviceKey(), "");
    EXPECT_TRUE(folder.logContains("RT license key file input/rt_license.txt is empty"));

    writeFile(folder / g_licenseFileName, "\r\n  AB-12&cd  \r\nsecond\r\n");
    EXPECT_EQ(gf_serviceKey(), "AB-12&cd");
    writeFile(folder / g_licenseFileName, "\xEF\xBB\xBF" "AB-12\r\n");
    EXPECT_EQ(gf_serviceKey(), "AB-12") << "a UTF-8 byte-order mark is no part of the key";
    writeFile(folder / g_licenseFileName, std::string("\xFF\xFE" "A\0B\0-\0" "1\0\r\0\n\0", 14));
    EXPECT_EQ(gf_serviceKey(), "AB-1") << "UTF-16 as Notepad's \"Unicode\" writes it";
}
