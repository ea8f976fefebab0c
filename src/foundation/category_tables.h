#pragma once
// Per-category values that shape how an AI aircraft moves: the pitch it rotates
// to and climbs out with, the turn step of its ground movement, and how many
// 10 ms manager passes (100 make a second) some transitions take.
//
// Categories: 0 Light, 1 Buzjets, 2 Large, 3 Heavy, 4 HighPerf, 5 Rotorcraft.
// Pitch follows the simulator's sign: negative is nose up. The tables are
// built in static initialisation and only read afterwards: safe from any thread.

#include <cstdint>
#include <unordered_map>

namespace zrb {

using CategoryDoubleTable = std::unordered_map<std::int32_t, double>;
using CategoryIntTable = std::unordered_map<std::int32_t, std::int32_t>;

extern const CategoryDoubleTable g_catRotationPitch;        // degrees
extern const CategoryDoubleTable g_catClimbPitch;           // degrees
extern const CategoryDoubleTable g_catTurnStep;             // radians
extern const CategoryIntTable g_catLandingPitchPasses;      // passes to -4° in the descent to a landing
extern const CategoryIntTable g_catGroundSlots;             // passes to the ground attitude after touchdown
extern const CategoryIntTable g_catRotationPasses;          // passes to the rotation pitch at take-off
extern const CategoryIntTable g_catClimbPasses;             // passes from rotation to climb-out pitch

// The table's value for the category. Throws std::out_of_range
// "invalid unordered_map<K, T> key" for a category that is not in the table.
double gf_catValue(const CategoryDoubleTable& table, std::int32_t category);
std::int32_t gf_catValue(const CategoryIntTable& table, std::int32_t category);

// The seven values as an aircraft's identity takes them.
struct CategoryMotion {
    std::int32_t landingPitchPasses = 0;
    std::int32_t groundSlots = 0;
    std::int32_t rotationPasses = 0;
    std::int32_t climbPasses = 0;
    double rotationPitchRad = 0.0;  // table value ± 2.5 % at random, in radians
    double climbPitchRad = 0.0;     // table value ± 5 % at random, in radians
    double turnStepRad = 0.0;       // unchanged
};

// Looks the category up in the order landing pitch passes, ground slots,
// rotation passes, climb passes, rotation pitch, climb-out pitch, turn step,
// varying the two pitches with the calling thread's random engine. Throws the
// out_of_range above for an unknown category.
CategoryMotion gf_categoryMotion(std::int32_t category);

}  // namespace zrb
