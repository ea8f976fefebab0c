#include "foundation/version_data.h"

#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace zrb {
namespace {

// The "VersionData exception: ..." lines of Log.txt.
std::vector<std::string> lf_exceptionLines(const test::LoggedFolder& folder) {
    std::vector<std::string> lines;
    for (const auto& line : folder.logLines())
        if (line.starts_with("VersionData exception: ")) lines.push_back(line);
    return lines;
}

void lf_expectVersion(const VersionData& v, std::int32_t major, std::int32_t minor, std::int32_t patch) {
    EXPECT_EQ(v.major, major);
    EXPECT_EQ(v.minor, minor);
    EXPECT_EQ(v.patch, patch);
}

TEST(VersionData, DottedTextAndOrder) {
    test::LoggedFolder folder;
    lf_expectVersion(VersionData("11.0.2"), 11, 0, 2);
    EXPECT_EQ(VersionData("11.0.2"), g_programVersion);
    // Any one character separates the numbers.
    lf_expectVersion(VersionData("11-0-2"), 11, 0, 2);
    lf_expectVersion(VersionData("110.2"), 1, 0, 2);
    lf_expectVersion(VersionData("007.08.9"), 7, 8, 9);

    EXPECT_GT(VersionData("2.10.0"), VersionData("2.9.9"));
    EXPECT_LT(VersionData("1.9.9"), VersionData("1.10.0"));
    EXPECT_LT(VersionData("11.0.2"), VersionData("11.0.3"));
    EXPECT_NE(VersionData("11.0.2"), VersionData("11.1.2"));
    EXPECT_EQ(VersionData(), VersionData(0, 0, 0));

    lf_expectVersion(VersionData(""), 0, 0, 0);
    EXPECT_TRUE(lf_exceptionLines(folder).empty());
}

TEST(VersionData, JsonObjectWithOptionalFields) {
    test::LoggedFolder folder;
    lf_expectVersion(VersionData(R"({"major":1,"minor":2,"patch":3})"), 1, 2, 3);
    lf_expectVersion(VersionData(R"({"major":4})"), 4, 0, 0);
    lf_expectVersion(VersionData(R"( { "patch" : 9 , "other": "x" } )"), 0, 0, 9);
    // Valid JSON that is not an object: nothing read, nothing logged.
    lf_expectVersion(VersionData("[1,2]"), 0, 0, 0);
    lf_expectVersion(VersionData("42"), 0, 0, 0);
    EXPECT_TRUE(lf_exceptionLines(folder).empty());
}

TEST(VersionData, FailuresAreLoggedAndKeepWhatWasRead) {
    test::LoggedFolder folder;
    lf_expectVersion(VersionData("v11.0.2"), 0, 0, 0);
    lf_expectVersion(VersionData("11.0.2\n"), 0, 0, 0);
    lf_expectVersion(VersionData("junk"), 0, 0, 0);
    auto lines = lf_exceptionLines(folder);
    ASSERT_EQ(lines.size(), 3u);
    for (const auto& line : lines) EXPECT_NE(line.find("parse_error"), std::string::npos) << line;

    lf_expectVersion(VersionData("99999999999.1.2"), 0, 0, 0);
    lf_expectVersion(VersionData("1.99999999999.2"), 1, 0, 0);
    lf_expectVersion(VersionData("1.2.2147483648"), 1, 2, 0);
    lf_expectVersion(VersionData("1.2.2147483647"), 1, 2, 2147483647);
    lines = lf_exceptionLines(folder);
    ASSERT_EQ(lines.size(), 6u);
    for (std::size_t i = 3; i < 6; ++i) EXPECT_EQ(lines[i], "VersionData exception: parse error in version string");

    // A field of the wrong type stops the reading; the fields before it stay.
    lf_expectVersion(VersionData(R"({"major":1,"minor":"x","patch":3})"), 1, 0, 0);
    EXPECT_EQ(lf_exceptionLines(folder).size(), 7u);
}

TEST(VersionData, OutOfRangeJsonNumbersAreRejectedNotWrapped) {
    test::LoggedFolder folder;
    lf_expectVersion(VersionData(R"({"major":2,"minor":99999999999})"), 2, 0, 0);
    lf_expectVersion(VersionData(R"({"major":-99999999999})"), 0, 0, 0);
    lf_expectVersion(VersionData(R"({"major":18446744073709551615})"), 0, 0, 0);
    lf_expectVersion(VersionData(R"({"major":3,"minor":1e300})"), 3, 0, 0);
    lf_expectVersion(VersionData(R"({"major":-1,"minor":2147483647})"), -1, 2147483647, 0);
    const auto lines = lf_exceptionLines(folder);
    ASSERT_EQ(lines.size(), 4u);
    for (const auto& line : lines) EXPECT_EQ(line, "VersionData exception: parse error in version string");
}

TEST(VersionData, HugeTextsDoNotCrash) {
    test::LoggedFolder folder;
    // A damaged file: a long run of digits used to exhaust the stack in the
    // pattern match.
    lf_expectVersion(VersionData(std::string(200000, '1') + ".2.3"), 0, 0, 0);
    lf_expectVersion(VersionData(std::string(100000, '[')), 0, 0, 0);
    EXPECT_EQ(lf_exceptionLines(folder).size(), 2u);
}

}  // namespace
}  // namespace zrb
