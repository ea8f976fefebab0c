#include "shell/version_update.h"

#include <algorithm>

#include "config/parameters.h"
#include "shell_test_support.h"

namespace zrb::test {
namespace {

using VersionUpdate = ShellTest;

bool lf_isChoice(const IntComboParameter& p, std::int32_t v) {
    return std::find(p.choices.begin(), p.choices.end(), static_cast<std::uint32_t>(v)) != p.choices.end();
}

TEST(Quantizers, AlwaysGiveAChoiceOfTheirLists) {
    for (int x = -5; x <= 200; ++x) EXPECT_TRUE(lf_isChoice(RANGE, gf_quantizeRange(x))) << x;
    for (int x = 0; x <= 60000; x += 100) EXPECT_TRUE(lf_isChoice(AIRP_HEIGHT, gf_quantizeAltitude(x))) << x;
    EXPECT_EQ(gf_quantizeRange(2), 2);
    EXPECT_EQ(gf_quantizeRange(6), 6);
    EXPECT_EQ(gf_quantizeRange(7), 8);
    EXPECT_EQ(gf_quantizeRange(22), 20);
    EXPECT_EQ(gf_quantizeRange(23), 25);
    EXPECT_EQ(gf_quantizeRange(89), 80);
    EXPECT_EQ(gf_quantizeRange(90), 100);
    EXPECT_EQ(gf_quantizeAltitude(2999), 2000);
    EXPECT_EQ(gf_quantizeAltitude(3000), 4000);
    EXPECT_EQ(gf_quantizeAltitude(16999), 16000);
    EXPECT_EQ(gf_quantizeAltitude(17000), 18000);
    EXPECT_EQ(gf_quantizeAltitude(46999), 36000);
    EXPECT_EQ(gf_quantizeAltitude(47000), 48000);
}

TEST_F(VersionUpdate, AFirstStartOnlyRecordsTheVersion) {
    gf_setupParameters();
    EXPECT_EQ(stored("PROGRAM_VERSION"), "11.0.2");
    EXPECT_FALSE(m_folder.logContains("This is a version update"));
}

TEST_F(VersionUpdate, AnOlderVersionCarriesTheOldSettingsOver) {
    SCAN_LIVERIES.value = false;
    writeParameters(
        "<parameter name=\"PROGRAM_VERSION\" value=\"11.0.1\"/>\n"
        "<parameter name=\"SCAN_LIVERIES\" value=\"false\"/>\n"
        "<parameter name=\"SCAN_AIRPORTS\" value=\"false\"/>\n"
        "<parameter name=\"CUSTOM_MAX_PARK\" value=\"60\"/>\n"
        "<parameter name=\"MAX_LIVE\" value=\"-1\"/>\n"
        "<parameter name=\"LATERAL_RANGE\" value=\"7\"/>\n"
        "<parameter name=\"AIRPORT_RANGE\" value=\"23\"/>\n"
        "<parameter name=\"AUTO_RANGE_ABOVE_HEIGHT\" value=\"20000\"/>\n"
        "<parameter name=\"AIRPORT_HEIGHT\" value=\"45000\"/>\n");
    writeFile(m_folder / "install_new_version.exe", "old installer");

    gf_setupParameters();

    EXPECT_TRUE(m_folder.logContains("This is a version update from 11.0.1 -> 11.0.2"));
    EXPECT_EQ(stored("PROGRAM_VERSION"), "11.0.2");
    EXPECT_EQ(stored("MAX_PARK_SEL"), "50");
    EXPECT_EQ(stored("MAX_LIVE_SEL"), "500");
    EXPECT_EQ(stored("RANGE"), "8");
    EXPECT_EQ(stored("AIRP_RANGE"), "25");
    EXPECT_EQ(stored("AR_ABOVE_HEIGHT"), "18000");
    EXPECT_EQ(stored("AIRP_HEIGHT"), "36000");
    EXPECT_EQ(RANGE.value, 8);
    for (const char* old : {"CUSTOM_MAX_PARK", "MAX_LIVE", "LATERAL_RANGE", "AIRPORT_RANGE",
                            "AUTO_RANGE_ABOVE_HEIGHT", "AIRPORT_HEIGHT"})
        EXPECT_EQ(stored(old), "<missing>") << old;
    EXPECT_EQ(stored("SCAN_LIVERIES"), "true");
    EXPECT_EQ(stored("SCAN_AIRPORTS"), "true");
    EXPECT_FALSE(std::filesystem::exists(m_folder / "install_new_version.exe"));
}

TEST_F(VersionUpdate, AnInstallerThatCannotBeRemovedIsOnlyLogged) {
    writeParameters("<parameter name=\"PROGRAM_VERSION\" value=\"11.0.1\"/>\n");
    writeFile(m_folder / "install_new_version.exe" / "inside", "a folder that is not empty");
    gf_setupParameters();
    EXPECT_TRUE(m_folder.logContains("Failed to remove install_new_version.exe: "));
    EXPECT_EQ(stored("PROGRAM_VERSION"), "11.0.2");
    EXPECT_EQ(stored("SCAN_AIRPORTS"), "true");  // the update went on
}

TEST_F(VersionUpdate, MappingsOfMaxLiveAndMaxPark) {
    writeParameters(
        "<parameter name=\"PROGRAM_VERSION\" value=\"10.9.9\"/>\n"
        "<parameter name=\"MAX_LIVE\" value=\"60\"/>\n"
        "<parameter name=\"CUSTOM_MAX_PARK\" value=\"24\"/>\n");
    gf_setupParameters();
    EXPECT_EQ(stored("MAX_LIVE_SEL"), "50");
    EXPECT_EQ(stored("MAX_PARK_SEL"), "10");
    // Settings that were not in the file keep the user's values.
    EXPECT_EQ(stored("RANGE"), "40");
}

TEST_F(VersionUpdate, TheNextUpdateKeepsTheUsersSettings) {
    writeParameters(
        "<parameter name=\"PROGRAM_VERSION\" value=\"11.0.0\"/>\n"
        "<parameter name=\"RANGE\" value=\"10\"/>\n"
        "<parameter name=\"MAX_LIVE_SEL\" value=\"25\"/>\n"
        "<parameter name=\"AIRP_HEIGHT\" value=\"4000\"/>\n");
    gf_setupParameters();
    // The old names are not written back with their defaults ...
    EXPECT_EQ(stored("LATERAL_RANGE"), "<missing>");
    EXPECT_EQ(stored("MAX_LIVE"), "<missing>");

    // ... so a later update has nothing to carry over the user's choices.
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(parametersFile().c_str()));
    doc.select_node("/parameters/parameter[@name='PROGRAM_VERSION']").node().attribute("value").set_value("11.0.1");
    ASSERT_TRUE(doc.save_file(parametersFile().c_str()));
    resetAllParameters();
    gf_setupParameters();
    EXPECT_EQ(stored("RANGE"), "10");
    EXPECT_EQ(stored("MAX_LIVE_SEL"), "25");
    EXPECT_EQ(stored("AIRP_HEIGHT"), "4000");
    EXPECT_EQ(stored("PROGRAM_VERSION"), "11.0.2");
}

TEST_F(VersionUpdate, EqualAndNewerVersionsMigrateNothing) {
    writeParameters(
        "<parameter name=\"PROGRAM_VERSION\" value=\"11.0.2\"/>\n"
        "<parameter name=\"SCAN_LIVERIES\" value=\"false\"/>\n"
        "<parameter name=\"LATERAL_RANGE\" value=\"7\"/>\n");
    gf_setupParameters();
    EXPECT_EQ(stored("SCAN_LIVERIES"), "false");
    EXPECT_EQ(stored("LATERAL_RANGE"), "7");

    writeParameters(
        "<parameter name=\"PROGRAM_VERSION\" value=\"12.0.0\"/>\n"
        "<parameter name=\"LATERAL_RANGE\" value=\"7\"/>\n");
    gf_setupParameters();
    EXPECT_EQ(stored("PROGRAM_VERSION"), "11.0.2");
    EXPECT_EQ(stored("LATERAL_RANGE"), "7");
    EXPECT_FALSE(m_folder.logContains("This is a version update"));
}

TEST_F(VersionUpdate, ADamagedFileGivesDefaultsAndNoCrash) {
    writeFile(parametersFile(), "<parameters><parameter name=\"RANGE\" value=");
    gf_setupParameters();
    EXPECT_EQ(RANGE.value, 40);
    EXPECT_EQ(stored("PROGRAM_VERSION"), "11.0.2");
}

}  // namespace
}  // namespace zrb::test
