#pragma once
// The liveries the simulator could not create, as the manager records them
// (livery_bookkeeping.h) and the livery matcher reads them: the matcher never
// gives a title on the list again, and its summary lists the failed keys.
// Header only, so that the matcher needs nothing else of the manager.
//
// Threads: worker thread only.

#include <algorithm>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace zrb {

// Titles (views of the title store, which keeps them for the life of the
// process) that the simulator failed to create, each once, in order of failure.
inline std::vector<std::string_view> g_failedTitles;
// "{type} {airline}" of the aircraft whose creation failed.
inline std::set<std::string> g_failedKeys;

inline bool gf_isFailedTitle(std::string_view title) {
    return std::find(g_failedTitles.begin(), g_failedTitles.end(), title) != g_failedTitles.end();
}

// One line per failed key, two blanks before it, for the matching summary.
inline std::vector<std::string> gf_failedLiveryLines() {
    std::vector<std::string> lines;
    lines.reserve(g_failedKeys.size());
    for (const std::string& key : g_failedKeys) lines.push_back("  " + key);
    return lines;
}

}  // namespace zrb
