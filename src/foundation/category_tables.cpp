#include "foundation/category_tables.h"

#include <array>
#include <stdexcept>
#include <utility>

#include "foundation/geodesy.h"
#include "foundation/random.h"

namespace zrb {

namespace {

constexpr double rotationPitchVariationPercent = 2.5;
constexpr double climbPitchVariationPercent = 5.0;

// The message callers have always seen for a missing category; libstdc++'s own
// at() says something else, so it is thrown here explicitly.
constexpr const char* missingCategoryText = "invalid unordered_map<K, T> key";

template <typename Value>
using CategoryPairs = std::array<std::pair<std::int32_t, Value>, 6>;

template <typename Value>
std::unordered_map<std::int32_t, Value> lf_table(const CategoryPairs<Value>& pairs) {
    return {pairs.begin(), pairs.end()};
}

template <typename Table>
typename Table::mapped_type lf_at(const Table& table, std::int32_t category) {
    const auto found = table.find(category);
    if (found == table.end()) throw std::out_of_range(missingCategoryText);
    return found->second;
}

}  // namespace

// Categories:                                 0 Light   1 Buzjets  2 Large   3 Heavy   4 HighPerf  5 Rotorcraft
const CategoryDoubleTable g_catRotationPitch = lf_table<double>({{{0, -9.0}, {1, -8.0}, {2, -6.0}, {3, -5.0}, {4, -6.0}, {5, -20.0}}});
const CategoryDoubleTable g_catClimbPitch = lf_table<double>({{{0, -15.0}, {1, -18.0}, {2, -16.5}, {3, -12.5}, {4, -20.0}, {5, -30.0}}});
// 0.15°, 0.1°, 0.07°, 0.05°, 0.1°, 0.2°
const CategoryDoubleTable g_catTurnStep = lf_table<double>({{{0, 0.002617993877991494},
                                                             {1, 0.0017453292519943294},
                                                             {2, 0.0012217304763960306},
                                                             {3, 0.0008726646259971647},
                                                             {4, 0.0017453292519943294},
                                                             {5, 0.0034906585039886587}}});
const CategoryIntTable g_catLandingPitchPasses = lf_table<std::int32_t>({{{0, 250}, {1, 300}, {2, 400}, {3, 450}, {4, 150}, {5, 100}}});
const CategoryIntTable g_catGroundSlots = lf_table<std::int32_t>({{{0, 250}, {1, 300}, {2, 350}, {3, 450}, {4, 150}, {5, 100}}});
const CategoryIntTable g_catRotationPasses = lf_table<std::int32_t>({{{0, 100}, {1, 200}, {2, 200}, {3, 250}, {4, 100}, {5, 100}}});
const CategoryIntTable g_catClimbPasses = lf_table<std::int32_t>({{{0, 200}, {1, 250}, {2, 300}, {3, 400}, {4, 200}, {5, 100}}});

double gf_catValue(const CategoryDoubleTable& table, std::int32_t category) { return lf_at(table, category); }

std::int32_t gf_catValue(const CategoryIntTable& table, std::int32_t category) { return lf_at(table, category); }

CategoryMotion gf_categoryMotion(std::int32_t category) {
    CategoryMotion motion;
    motion.landingPitchPasses = gf_catValue(g_catLandingPitchPasses, category);
    motion.groundSlots = gf_catValue(g_catGroundSlots, category);
    motion.rotationPasses = gf_catValue(g_catRotationPasses, category);
    motion.climbPasses = gf_catValue(g_catClimbPasses, category);
    motion.rotationPitchRad =
        gf_randomPercentage(gf_catValue(g_catRotationPitch, category), rotationPitchVariationPercent) * g_degToRad;
    motion.climbPitchRad =
        gf_randomPercentage(gf_catValue(g_catClimbPitch, category), climbPitchVariationPercent) * g_degToRad;
    motion.turnStepRad = gf_catValue(g_catTurnStep, category);
    return motion;
}

}  // namespace zrb
