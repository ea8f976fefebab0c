#pragma once
// The manager's stand search for the user aircraft, ahead of the rest of the
// manager's stand searches: the name of the stand the user stands on. The
// manager issue keeps this name and moves it beside its other searches.
//
// Threads: worker thread only, because it walks StandTable, which belongs to
// the worker. The simulator link does its lookups there for that reason. The
// cache still has its own mutex, so a second caller could never see a name
// half replaced.

#include <string>

#include "foundation/geodesy.h"

namespace zrb {

inline constexpr double g_userStandRadiusNm = 0.029697624190064796;  // 55 m

// The stand nearest to the position within 55 m (the first of equally near
// ones); empty when the stand table is empty, the user aircraft is not on the
// ground, or no stand is that near. A position within 1e-8 degrees of the last
// one asked for gives the cached answer.
std::string gf_getUserStand(const LatLon& position);

// Forgets the cached position and name (tests, a new stand table).
void gf_resetUserStandCache();

}  // namespace zrb
