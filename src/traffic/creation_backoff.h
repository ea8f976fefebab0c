#pragma once
// Callsigns whose creation the simulator left unanswered are not created
// again for a while. The simulator names a new object by its callsign alone:
// a creation sent again at once would be pending, or remembered as given up,
// almost all the time, so that another program's aircraft under that callsign
// would be taken for ours (flown or removed) whenever it came. A simulator
// that did not answer in 100 s will hardly answer the same creation now.
//
// Threads: worker thread only (the notices and the spawn run there).

#include <chrono>
#include <cstddef>
#include <string>

namespace zrb {

// Longer than a given-up creation is remembered (g_givenUpCreateLifetime), so
// that between two tries there is a time when an object under the callsign
// can be nobody's but another program's. Doubles with each creation under the
// callsign left unanswered, up to the longest.
inline constexpr std::chrono::minutes g_unansweredCreationBackoff{10};
inline constexpr std::chrono::minutes g_longestUnansweredCreationBackoff{80};
// More callsigns than the simulator holds objects: the oldest is forgotten.
inline constexpr std::size_t g_maxBackedOffCallsigns = 1000;

// A creation under this callsign was given up unanswered: none is sent again
// until its back-off ends. Logs the back-off.
void gf_backOffCreation(const std::string& callsign);
// True while creations under this callsign wait.
bool gf_creationBackedOff(const std::string& callsign);
// A new run starts with none.
void gf_resetCreationBackoff();

// Tests: every back-off is taken to have started this much earlier.
void gf_ageCreationBackoffForTest(std::chrono::steady_clock::duration by);

}  // namespace zrb
