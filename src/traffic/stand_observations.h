#pragma once
// Live aircraft seen at stands become parking observations of the stand
// table: the half-hours an aircraft stood at a stand are recorded on the
// stand's options (real ones when it parked or was born there, soft ones when
// the learning guesses a stand for an aircraft near the park airport), so that
// the planner can put a static aircraft there at the same time next week.
//
// Threads: worker thread (the stand table and LearnedLiveList are its own).

#include <cstdint>

#include "airports/stand.h"
#include "traffic/ai_aircraft.h"

namespace zrb {

// Learning ranges and limits.
inline constexpr double g_learningRangeNm = 5.0;        // from the park airport
inline constexpr std::int64_t g_learnAgainSlots = 3;    // half-hours before an aircraft is learned again
inline constexpr std::int64_t g_cargoStaySlots = 12;    // longest stay one option spans
inline constexpr std::int64_t g_heavyStaySlots = 8;
inline constexpr std::int64_t g_otherStaySlots = 6;

// Selects the soft variant of lt_addStandOption.
struct SoftStandOption {};
inline constexpr SoftStandOption g_softStandOption{};

// Records that the aircraft stands at the stand (by number) in now's
// half-hour, with real options and the stand's realVisits: nothing when an
// option of the base file already has it; else, with flag 0, the half-hour is
// set on its learned option of that day; a stay that goes on is extended over
// the half-hours since it was last recorded (lf_checkStandSlot), and otherwise
// an option is opened. The option id, 0 when nothing could be recorded (no
// key, no such stand, or an error, logged).
std::uint32_t lt_addStandOption(std::uint32_t standId, const AiAc& aircraft, std::uint32_t unused, DaySlot now,
                                std::uint32_t flag);
// The same with soft options and the stand's softVisits (the learning).
std::uint32_t lt_addStandOption(SoftStandOption, std::uint32_t standId, const AiAc& aircraft, std::uint32_t unused,
                                DaySlot now, std::uint32_t flag);

// A recorded stay goes on: when 1 ≤ half-hours since last < the category's
// longest stay (12 cargo, 8 Heavy, 6 others), those half-hours are set on the
// option (on two options across midnight, the new one then becoming last's),
// last becomes now, true. Otherwise false.
bool lf_checkStandSlot(DaySlot now, Stand& stand, std::uint32_t optionId, StandVisit& last, const AiAc& aircraft,
                       std::string_view key, std::uint32_t real);

// Records where a live aircraft near the park airport stands (soft options),
// while LEARN_SOFT is on and the airport still learns: forced, or once its
// ground data have come (below 2500 ft above ground), and only without a stand.
void gf_learnLiveStand(LiveAc& aircraft, bool forced);

// The aircraft's pair in LearnedLiveList gets the slot, or is appended.
void gf_rememberLearnedLive(std::uint32_t hexId, std::uint32_t slot);

}  // namespace zrb
