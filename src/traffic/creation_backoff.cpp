#include "traffic/creation_backoff.h"

#include <algorithm>
#include <vector>

#include "foundation/log.h"

namespace zrb {

namespace {

using Clock = std::chrono::steady_clock;

struct BackedOff {
    std::string callsign;
    Clock::time_point until;
    Clock::duration length;  // of the latest back-off; the next one doubles it
};

std::vector<BackedOff> g_backedOff;  // oldest first

// A callsign whose last back-off ended longer ago than the longest one starts
// again from the first.
void lf_forgetOld(Clock::time_point now) {
    std::erase_if(g_backedOff,
                  [now](const BackedOff& b) { return now - b.until >= g_longestUnansweredCreationBackoff; });
}

}  // namespace

void gf_backOffCreation(const std::string& callsign) {
    const Clock::time_point now = Clock::now();
    lf_forgetOld(now);
    Clock::duration length = g_unansweredCreationBackoff;
    const auto it = std::find_if(g_backedOff.begin(), g_backedOff.end(),
                                 [&callsign](const BackedOff& b) { return b.callsign == callsign; });
    if (it != g_backedOff.end()) {
        length = std::min<Clock::duration>(2 * it->length, g_longestUnansweredCreationBackoff);
        g_backedOff.erase(it);
    }
    if (g_backedOff.size() >= g_maxBackedOffCallsigns) g_backedOff.erase(g_backedOff.begin());
    g_backedOff.push_back(BackedOff{callsign, now + length, length});
    gf_logLine("{} not created again for {} min: the simulator left its creation unanswered", callsign,
               std::chrono::duration_cast<std::chrono::minutes>(length).count());
}

bool gf_creationBackedOff(const std::string& callsign) {
    const Clock::time_point now = Clock::now();
    return std::any_of(g_backedOff.begin(), g_backedOff.end(),
                       [&](const BackedOff& b) { return b.callsign == callsign && now < b.until; });
}

void gf_resetCreationBackoff() { g_backedOff.clear(); }

void gf_ageCreationBackoffForTest(Clock::duration by) {
    for (BackedOff& b : g_backedOff) b.until -= by;
}

}  // namespace zrb
