#pragma once
// The aircraft parked at the park airport as the planner and the window see
// them: the parked live aircraft (listed for the planner, removed after 90
// minutes, 180 for Heavy), the counts with their average fit, the removal of
// every static aircraft ("Flush static", leaving the park airport) and the
// clearing of the user's reserved stand.
//
// Threads: worker thread. The counts store the average fit into the window's
// state (atomics) and redraw; no lock is held meanwhile.

#include <cstdint>
#include <string>
#include <vector>

#include "traffic/manager_views.h"

namespace zrb {

inline constexpr std::int64_t g_maxParkedMinutes = 90;
inline constexpr std::int64_t g_maxParkedMinutesHeavy = 180;
// A parked aircraft counts as reported by the feed at its stand while its
// last record is no older than this.
inline constexpr double g_stillReportedSeconds = 300.0;

// One parked live aircraft for the planner.
struct ParkedLiveEntry {
    std::string callsign;
    std::uint32_t hexId = 0;
    std::uint32_t standId = 0;
    std::int32_t minutes = 0;  // 0 while the feed still reports it at its stand
};

// Rebuilt by gf_collectParkedLive, fewest minutes first (the planner trims
// from the back, so the longest parked goes first).
extern std::vector<ParkedLiveEntry> ParkedLiveList;

// Rebuilds ParkedLiveList from the active parked live aircraft; unless
// INITIAL_LOAD_ONLY is on, one parked longer than its time is removed instead
// of listed. One the feed still reports at its stand (a record at the stand,
// and within the last 5 minutes: its transponder may have gone off since) is
// listed with 0 minutes.
void gf_collectParkedLive();

// Every static aircraft leaves: active ones are removed, queued creations
// withdrawn (the record erased) and handed-over ones removed once created.
void gf_removeAllStatic();
// While the user has reserved a stand: the first active static aircraft on
// it is removed, else the first active parked live aircraft. Nothing when the
// name is no stand of the park airport.
void gf_clearReservedStand();

// Static aircraft active or being removed, and active parked live aircraft.
// With withFit, and while WEEK is off, the average distance in hours from
// each one's parking record to now (sum of half-hours / (2 × count) + 0.5) is
// stored in the window's state and shown; -1 (nothing shown) when none counts.
// The result carries the value the window then shows.
ParkedCount gf_countStaticParked(bool withFit = false);
ParkedCount gf_countLiveParked(bool withFit = false);

}  // namespace zrb
