#pragma once
// What the livery matcher needs of the traffic manager's record of refused
// liveries, until the manager keeps it: the titles the simulator failed to
// create, and their lines for the matching summary. This least form records no
// failure. The manager issue replaces this file.
//
// Threads: worker thread only.

#include <string>
#include <string_view>
#include <vector>

namespace zrb {

// Titles (views of stored livery titles) the simulator failed to create.
inline std::vector<std::string_view> g_failedTitles;

// One line per livery the simulator failed to create: two blanks and the
// aircraft's key.
inline std::vector<std::string> gf_failedLiveryLines() { return {}; }

}  // namespace zrb
