#pragma once
// The parked traffic around the park airport: the planner's request (worker
// thread) and what it does with the answer.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "airports/stand.h"
#include "feed/parked_traffic_record.h"
#include "feed/traffic_reader.h"

namespace zrb {

// Half height of the parked box: 3 NM at 111.2 km per degree [deg].
inline constexpr double g_parkedBoxHalfHeightDeg = 0.04996402877697842;
// 3 NM [ft].
inline constexpr double g_parkedBoxHalfWidthFt = 18228.34647;
// How long the planner waits for the Traffic Reader's answer [ms].
inline constexpr std::int64_t g_parkedTimeoutMs = 10000;
inline constexpr std::int64_t g_parkedPollMs = 100;

// Asks the Traffic Reader for the parked traffic within 3 NM of the park
// airport and waits up to 10 s. True when g_trafficReader.parkedRecords holds
// the fresh result: aged in half-hours, old ones dropped (unless
// RT_PARKTRAFFIC_ONLY), youngest first, repeated stands and callsigns dropped.
// Throws std::runtime_error for the statuses 400 and 403.
bool gf_requestParkedTraffic();

// The parked box around a position.
QueryBox gf_parkedBoxAround(double lat, double lon);

// Erases (keeping the order of the rest) every record older than maxFit
// half-hours; returns how many.
std::size_t lf_eraseOldParked(std::vector<ParkedTrafficRecord>& records, std::int32_t maxFit);

// What the request does with a result: slots to ages at the current slot,
// records without a time dropped, old ones erased unless keepOld, sorted by
// age, repeated stands (two empty names count as equal) and callsigns dropped.
void gf_ageAndSortParked(std::vector<ParkedTrafficRecord>& records, std::int32_t currentSlot, bool keepOld,
                         std::int32_t maxFit);

// "processParkedTrafficLine: <text>".
std::string lf_parkedLineError(const std::string& text);

}  // namespace zrb
