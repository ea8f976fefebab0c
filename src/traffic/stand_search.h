#pragma once
// The searches over the park airport's stands: the stand under the user
// aircraft, the nearest free stand for a live aircraft that parks or is born
// on the ground, a stand chosen by kind, size, bookings and chance for an
// aircraft at a weekday and half-hour, and a stand by name. Also the claim a
// live aircraft holds on its stand (Stand::liveParked), which keeps every
// other live aircraft off it.
//
// Threads: the worker thread, which owns StandTable, except gf_getUserStand,
// which any thread may call: it reads only the stands' names and positions,
// under g_standTableMutex (airports/stand.h), and keeps its cache there too.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "airports/stand.h"
#include "foundation/geodesy.h"
#include "traffic/ai_aircraft.h"

namespace zrb {

using StandIterator = std::vector<Stand>::iterator;

inline constexpr double g_userStandRadiusNm = 0.029697624190064796;      // 55 m; also the wide parking search
inline constexpr double g_standFitToleranceNm = 0.0009719222462203025;   // 1.8 m
inline constexpr double g_nearStandNm = 0.010799136069114472;            // 20 m; also the narrow parking search
inline constexpr double g_secondChoiceStandNm = 0.0458963282937365;      // 85 m
inline constexpr double g_standRadiusMarginNm = 0.0005399568034557236;   // 1 m
inline constexpr double g_smallSpanLimitNm = 0.009611230689557531;       // 17.8 m
inline constexpr double g_smallSizeStepNm = 0.00755939524838013;         // 14 m
inline constexpr double g_largeSizeStepNm = 0.011339092872570195;        // 21 m
inline constexpr std::size_t g_retryNextSlotMaxStands = 10;

// The name of the stand nearest to the position within 55 m (the first of
// equally near ones), occupied or not; empty when the table is empty, the
// user aircraft is not on the ground, or none is that near. A position within
// 1e-8° of the last one asked for, at the same stand table, gives the
// remembered answer. Any thread.
std::string gf_getUserStand(const LatLon& position);

// The nearest stand within radiusNm that no other live aircraft holds and that
// fits the aircraft (at most 1.8 m too small), or, within 20 m, one that does
// not fit: its radius then grows to half span − 1 m and it counts as changed.
// Without such a stand, and when allowSecondChoice, the nearest fitting stand
// within 85 m with a real option for the aircraft's callsign (or its airline
// and type). Helipads serve helicopters only, and helicopters only them.
// StandTable.end() for none.
StandIterator gf_findNearestFreeStand(const LatLon& position, const AiAc& aircraft, double radiusNm,
                                      bool allowSecondChoice);

// The stand whose id is the name; StandTable.end() for none.
StandIterator gf_findStandByName(std::string_view name);

// A stand for the aircraft at that weekday and half-hour: of the kinds its
// category, cargo flag and airline call for (helipads and ramps for
// helicopters; cargo aprons first for cargo; ramps for light aircraft and
// business jets; main stands, mostly first, or ramps for the others), not
// booked by an option at that half-hour, the best fitting in size, an
// option's stand for the callsign first, at random among equals. With
// retryNextSlot and at most 10 stands, the next half-hour is tried when this
// one has none. StandTable.end() for none.
StandIterator gf_chooseStand(DaySlot time, const AiAc& aircraft, bool retryNextSlot);

// ---------------------------------------------------------------- claims
// The aircraft holds the stand: its stand copy (position, heading, cargo
// attribute) and number are the stand's, the stand is marked liveParked, and
// a stand it held before is let go.
void gf_claimStand(LiveAc& aircraft, Stand& stand);
// The aircraft lets its stand go (the liveParked mark is cleared, unless
// another live aircraft parks or drives onto it by now); its stand number and
// copy stay until it taxis away or claims another.
void gf_releaseStand(const AiAc& aircraft);
// A live record with this stand number has left the list: the stand's claim
// goes too, unless another live aircraft parks or drives onto it. The list's
// erasures call it (traffic_lists.h), so that no way out of the list, before
// or after the aircraft reached the simulator, leaves a stand held by nobody.
void gf_settleStandClaim(std::uint32_t standId);

// One more stand whose radius or cargo attribute the manager changed
// (g_changedStandCount); it is also a stand update to save ("# updates").
void gf_countChangedStand();
// One more stand option learned ("# updates").
void gf_countLearnedUpdate();

}  // namespace zrb
