#pragma once
// Ghosts, static doubles and parked live aircraft in their least form, until
// they are built: the doubles check list is kept and served but finds no
// doubles, ghosts are never removed, and the parked counts carry no average
// fit. "Flush static" removes every static aircraft. The issue that builds
// these rules replaces both files and keeps the names.
//
// Threads: worker thread.

#include <cstdint>
#include <optional>
#include <string>

#include "traffic/ai_aircraft.h"
#include "traffic/manager_views.h"

namespace zrb {

// Removes the live aircraft whose callsign is this one followed by '_'.
void lf_removeGhost(const std::string& callsign);
// Queues the live aircraft for the static-doubles check of the per-second work.
void lf_queueDoublesCheck(std::uint32_t hexId);
std::optional<std::uint32_t> gf_checkQueueFront();
void gf_popCheckQueue();
bool gf_coupledSearchDone(std::uint32_t hexId);
// The coupled-callsign search of the aircraft, then it counts as searched.
void gf_searchCoupledCallsigns(std::uint32_t hexId);
void gf_removeStaticDoubles(std::uint32_t hexId, bool onGround);
// Rebuilds the parked-live list of the planner, removing live aircraft parked
// too long.
void gf_collectParkedLive();
// The aircraft's identity changed: its object goes and it is created again.
void liveryRespawn(LiveAc& aircraft);
// Every static aircraft: active ones removed, queued ones withdrawn or marked.
void gf_removeAllStatic();
void gf_clearReservedStand();
ParkedCount gf_countStaticParked(bool withFit = false);
ParkedCount gf_countLiveParked(bool withFit = false);

// A new run: the doubles check list emptied.
void lf_resetDoublesCheck();

}  // namespace zrb
