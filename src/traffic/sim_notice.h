#pragma once
// Results from the simulator (and the feed's blocked-callsign check) on their
// way to the manager. Pushed from any thread into one list under
// g_noticeMutex; the manager takes them at the start of every pass
// (notice_processing.h).

#include <cstdint>
#include <mutex>
#include <vector>

namespace zrb {

enum class SimNoticeKind : std::uint32_t {
    liveCreated = 0,      // b: altitude above ground (ft)
    staticCreated = 1,
    removed = 2,
    groundData = 3,       // hexId: on-ground word; a: ground altitude (ft); b: altitude above ground (ft)
    centreOfGravity = 4,  // a: centre of gravity above ground (ft); b: parked pitch (rad)
    blocked = 5,
    creationFailed = 6,
    creationRefused = 7,     // the simulator did not create it, though not for its livery (too many objects)
    creationUnanswered = 8,  // nor did it answer its creation
};

struct SimNotice {
    std::uint32_t objectId = 0;
    std::uint32_t hexId = 0;   // hex id (kinds 0, 1, 5, 6, 7, 8) or on-ground word (kind 3)
    std::int32_t counter = 0;  // wait counter of the new-object list; -1 = done
    std::uint32_t kind = 0;    // SimNoticeKind
    double a = 0.0;
    double b = 0.0;
};
static_assert(sizeof(SimNotice) == 32, "SimNotice is a fixed 32-byte record");

inline constexpr std::size_t g_simNoticeReserve = 256;

// Owns g_simNotices. Taken before g_simConnectMutex when both are held.
extern std::mutex g_noticeMutex;
// Guarded by g_noticeMutex.
extern std::vector<SimNotice> g_simNotices;

// Any thread: appends a copy under g_noticeMutex.
void gf_pushSimNotice(const SimNotice& notice);

// Takes every queued notice out of the list (under g_noticeMutex).
std::vector<SimNotice> gf_takeSimNotices();

}  // namespace zrb
