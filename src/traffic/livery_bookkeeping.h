#pragma once
// What the manager remembers about liveries: the title each live aircraft got
// (so that a respawn keeps it), the titles the simulator could not create,
// and the keys of aircraft no livery was found for. Too many liveries the
// simulator cannot create stop the run with user error 81.
//
// Threads: worker thread. The livery matcher (on the worker too) reads
// g_failedTitles (failed_titles.h) and refuses every title on it.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "traffic/ai_aircraft.h"
#include "traffic/failed_titles.h"

namespace zrb {

inline constexpr std::size_t g_maxFailedTitles = 20;
inline constexpr int g_tooManyFailedLiveriesCode = 81;

// Hex id -> the title the aircraft was created with (a view into the livery
// list, which stays put while a run lasts).
extern std::unordered_map<std::uint32_t, std::string_view> g_rememberedLiveries;

// The remembered title of the hex id, empty when none. A remembered title that
// has failed since is forgotten and empty returned.
std::string_view lf_rememberedLivery(std::uint32_t hexId);
void gf_rememberLivery(std::uint32_t hexId, std::string_view title);
// Forgets every remembered title (once a day, and at the end of a run).
void gf_clearRememberedLiveries();

// The simulator could not create the aircraft: "{} '{}' could not be created
// by your Sim!" on the message line and in the log, the title on the failed
// list. Nothing while a stop is under way. The 20th distinct failed title
// throws UserErrorException 81; the same title failing again (several
// aircraft of one livery were queued at once) is not counted twice.
void gf_liveryCreationFailed(const AiAc& aircraft);

// "No match found for:" and the no-match set, one line each (LOG on).
void gf_logNoMatches();

}  // namespace zrb
