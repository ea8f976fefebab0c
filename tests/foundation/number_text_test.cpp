#include "foundation/number_text.h"

#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

#include "foundation/aircraft_filter.h"

namespace zrb {
namespace {

TEST(NumberText, PluralForCountsOfEveryWidth) {
    EXPECT_EQ(gf_plural(0), "s");
    EXPECT_EQ(gf_plural(2), "s");
    EXPECT_EQ(gf_plural(1), "");
    EXPECT_EQ(gf_plural(-3), "");
    EXPECT_EQ(gf_plural(std::int64_t{1}), "");
    EXPECT_EQ(gf_plural(std::int64_t{5000000000}), "s");
    EXPECT_EQ(gf_plural(std::numeric_limits<long long>::min()), "");
    EXPECT_EQ(gf_plural(std::size_t{1}), "");
    EXPECT_EQ(gf_plural(std::size_t{0}), "s");
}

TEST(NumberText, FloatTextHasOneDecimalOnlyWhenNotWhole) {
    EXPECT_EQ(gf_floatToText(3.0f), "3");
    EXPECT_EQ(gf_floatToText(24.0f), "24");
    EXPECT_EQ(gf_floatToText(2.5f), "2.5");
    EXPECT_EQ(gf_floatToText(0.5f), "0.5");
    EXPECT_EQ(gf_floatToText(2.96f), "3.0");
    EXPECT_EQ(gf_floatToText(-1.5f), "-1.5");
    EXPECT_EQ(gf_floatToText(0.0f), "0");
}

TEST(AircraftFilter, TypeAndEmitterCategory) {
    EXPECT_TRUE(gf_isAircraftTarget("A320", "A3"));
    EXPECT_FALSE(gf_isAircraftTarget("GLID", "A1"));
    EXPECT_TRUE(gf_isAircraftTarget("GLID", "null"));
    EXPECT_TRUE(gf_isAircraftTarget("GLID", ""));
    EXPECT_TRUE(gf_isAircraftTarget("ABCDE", "null"));
    for (const char* category : {"", "null", "A1", "C2"}) EXPECT_FALSE(gf_isAircraftTarget("", category));
    EXPECT_FALSE(gf_isAircraftTarget("ABCDE", "A1"));
    for (const char* category : {"B1", "B2", "B4", "C1", "C2"}) EXPECT_FALSE(gf_isAircraftTarget("A320", category));
    EXPECT_TRUE(gf_isAircraftTarget("A320", "B3"));
    EXPECT_TRUE(gf_isAircraftTarget("A320", "NULL"));  // only the exact "null" means no category

    for (const char* type : {"BALL", "EMER", "GLID", "GRND", "GND", "PARA", "SERV", "SHIP", "VENT", "B7478"})
        EXPECT_TRUE(lf_isNonAircraftType(type)) << type;
    for (const char* type : {"B748", "GLF5", "GN", "glid", "C17"}) EXPECT_FALSE(lf_isNonAircraftType(type)) << type;
}

}  // namespace
}  // namespace zrb
