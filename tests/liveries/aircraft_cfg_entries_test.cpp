#include <gtest/gtest.h>

#include <string>

#include "liveries/aircraft_cfg_entries.h"

namespace zrb::test {
namespace {

TEST(AircraftCfgEntries, ReadsAKeyOnlyWhenItStandsAloneBeforeItsValue) {
    std::string value = "unchanged";
    EXPECT_TRUE(lf_readTitle("  TITLE  =  My Livery  ", value));
    EXPECT_EQ(value, "My Livery");
    EXPECT_TRUE(lf_readTitle("\tTitle=A320 ; old paint\r", value));
    EXPECT_EQ(value, "A320 ; old paint");  // a comment stays part of the value
    EXPECT_TRUE(lf_readTitle("title = = x", value));
    EXPECT_EQ(value, "= x");

    value = "unchanged";
    for (const char* line : {"title=", "title=   \t", "title_x=a", "//title=a", ";title=a", "xtitle=a", "title a",
                             "title=a\rb", "", "   "}) {
        EXPECT_FALSE(lf_readTitle(line, value)) << line;
        EXPECT_EQ(value, "unchanged") << line;
    }
    EXPECT_TRUE(lf_readModel("model=", value) == false && lf_readModel("Model = b", value) && value == "b");
    EXPECT_TRUE(lf_readSim("sim=..\\shared\\b738", value) && value == "..\\shared\\b738");
    EXPECT_TRUE(lf_readTexture("texture=DLH", value) && value == "DLH");
    EXPECT_TRUE(lf_readAtcId("atc_id=N123AB ;note", value) && value == "N123AB ;note");
    EXPECT_FALSE(lf_readAtcId("atc_id_color=0xffffff", value));
    EXPECT_TRUE(lf_readParkingTypes("atc_parking_types=gate, mil_cargo", value) && value == "gate, mil_cargo");
    EXPECT_EQ(lf_atcModelValue("atc_model = B738 "), "B738");
    EXPECT_EQ(lf_parkingCodesValue("atc_parking_codes=BAW,SHT"), "BAW,SHT");

    // The key presence tests search anywhere, commented out or not, and case-sensitively.
    EXPECT_TRUE(lf_hasAtcIdKey("//atc_id=N1"));
    EXPECT_FALSE(lf_hasAtcIdKey("ATC_ID=N1"));
    EXPECT_TRUE(lf_hasParkingTypesKey("; atc_parking_types"));
    EXPECT_TRUE(lf_hasParkingCodesKey("xatc_parking_codesx"));
}

TEST(AircraftCfgEntries, TellsSectionHeadersByTheirNumbers) {
    EXPECT_EQ(lf_fltsimNumber("[fltsim.3]"), "3");
    EXPECT_EQ(lf_fltsimNumber("  [FLTSIM.12]  \r"), "12");
    EXPECT_EQ(lf_fltsimNumber("[FltSim.0]"), "0");  // letter case is ignored by the pattern
    EXPECT_EQ(lf_fltsimNumber("[fltsim.12345678901234567890]"), "12345678901234567890");
    // Malformed but recognisable headers count as the highest number.
    EXPECT_EQ(lf_fltsimNumber("[fltsim.x]"), "10000");
    EXPECT_EQ(lf_fltsimNumber("[fltsim.]"), "10000");
    EXPECT_EQ(lf_fltsimNumber("[fltsim.1] ; old"), "10000");
    EXPECT_EQ(lf_fltsimNumber(";[fltsim.1]"), "10000");
    EXPECT_EQ(lf_fltsimNumber("[FLTSIM.1"), "10000");
    // No headers.
    EXPECT_EQ(lf_fltsimNumber("//[fltsim.1]"), "");
    EXPECT_EQ(lf_fltsimNumber("[FltSim.x]"), "");
    EXPECT_EQ(lf_fltsimNumber("[General]"), "");
    EXPECT_EQ(lf_fltsimNumber("/"), "");
}

TEST(AircraftCfgEntries, LongAndBinaryLinesNeitherCrashNorMatch) {
    const std::string longValue(1 << 20, 'x');
    std::string value;
    EXPECT_TRUE(lf_readTitle("title=" + longValue + "   ", value));
    EXPECT_EQ(value.size(), longValue.size());
    EXPECT_FALSE(lf_readTitle(std::string(1 << 20, ' '), value));
    EXPECT_EQ(lf_fltsimNumber("[fltsim." + std::string(1 << 20, '7') + "]"), std::string(1 << 20, '7'));
    std::string binary(4096, '\0');
    for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 31);
    EXPECT_FALSE(lf_readSim(binary, value));
    EXPECT_TRUE(lf_readSim(std::string("sim=a\0b", 7), value));
    EXPECT_EQ(value, std::string("a\0b", 3));
}

}  // namespace
}  // namespace zrb::test
