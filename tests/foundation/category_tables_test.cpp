#include "foundation/category_tables.h"

#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "foundation/geodesy.h"
#include "foundation/random.h"

namespace zrb {
namespace {

constexpr std::int32_t light = 0;
constexpr std::int32_t heavy = 3;
constexpr std::int32_t rotorcraft = 5;

TEST(CategoryTables, LightCopiesPassesAndTurnStepUnchanged) {
    const CategoryMotion m = gf_categoryMotion(light);
    EXPECT_EQ(m.landingPitchPasses, 250);
    EXPECT_EQ(m.groundSlots, 250);
    EXPECT_EQ(m.rotationPasses, 100);
    EXPECT_EQ(m.climbPasses, 200);
    EXPECT_EQ(m.turnStepRad, 0.002617993877991494);

    const CategoryMotion r = gf_categoryMotion(rotorcraft);
    EXPECT_EQ(r.landingPitchPasses, 100);
    EXPECT_EQ(r.turnStepRad, 0.0034906585039886587);
    EXPECT_EQ(gf_catValue(g_catGroundSlots, 2), 350);
    EXPECT_EQ(gf_catValue(g_catClimbPitch, 2), -16.5);
}

TEST(CategoryTables, HeavyPitchesVaryOnlyInSign) {
    bool sawBoth[2][2] = {};
    for (std::uint32_t seed = 0; seed < 64; ++seed) {
        gf_seedThreadRng(seed);
        const CategoryMotion m = gf_categoryMotion(heavy);
        const double rotationDeg = m.rotationPitchRad / g_degToRad;
        const double climbDeg = m.climbPitchRad / g_degToRad;
        const bool rotationLow = std::abs(rotationDeg + 5.125) < 1e-9;
        const bool rotationHigh = std::abs(rotationDeg + 4.875) < 1e-9;
        const bool climbLow = std::abs(climbDeg + 13.125) < 1e-9;
        const bool climbHigh = std::abs(climbDeg + 11.875) < 1e-9;
        ASSERT_TRUE(rotationLow || rotationHigh) << rotationDeg;
        ASSERT_TRUE(climbLow || climbHigh) << climbDeg;
        sawBoth[0][rotationLow ? 0 : 1] = true;
        sawBoth[1][climbLow ? 0 : 1] = true;
    }
    EXPECT_TRUE(sawBoth[0][0] && sawBoth[0][1] && sawBoth[1][0] && sawBoth[1][1]);
}

TEST(CategoryTables, UnknownCategoryFailsWithTheMapText) {
    for (const std::int32_t category : {-1, 6, 99}) {
        try {
            (void)gf_categoryMotion(category);
            ADD_FAILURE() << category;
        } catch (const std::out_of_range& e) {
            EXPECT_EQ(std::string(e.what()), "invalid unordered_map<K, T> key");
        }
    }
    EXPECT_THROW((void)gf_catValue(g_catRotationPitch, 6), std::out_of_range);
}

}  // namespace
}  // namespace zrb
