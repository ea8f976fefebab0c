#pragma once
// The stand searches in their least form, until they are built (the user's
// stand is in user_stand_seam.h): the nearest free stand that fits within a
// radius, a stand by name; no chosen stands and no learning. The stand-search
// issue replaces both files and keeps the names.
//
// Threads: worker thread (StandTable is the worker's).

#include <string_view>
#include <vector>

#include "airports/stand.h"
#include "foundation/geodesy.h"
#include "traffic/ai_aircraft.h"

namespace zrb {

using StandIterator = std::vector<Stand>::iterator;

// A stand fits when the aircraft's half span exceeds its radius by no more than this.
inline constexpr double g_standFitToleranceNm = 0.0009719222462203025;

// The nearest stand within radiusNm that is not occupied and fits the
// aircraft; StandTable.end() for none.
StandIterator gf_findNearestFreeStand(const LatLon& position, const AiAc& aircraft, double radiusNm,
                                      bool allowSecondChoice);
// The stand whose id is the name; StandTable.end() for none.
StandIterator gf_findStandByName(std::string_view name);
// A stand for the aircraft at that weekday and half-hour; StandTable.end() for none.
StandIterator gf_chooseStand(DaySlot time, const AiAc& aircraft, bool retryNextSlot);
// Records where a live aircraft stands, as a parking observation.
void gf_learnLiveStand(LiveAc& aircraft, bool forced);

}  // namespace zrb
