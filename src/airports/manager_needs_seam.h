#pragma once
// What the traffic manager needs of the static-parking planner before the
// planner is built: the list of planned static aircraft still to be created
// and the wanted number of parked aircraft, whether the park airport still
// learns, and the live callsigns the feed collected for the planning. The
// least form plans nothing. The
// planner issue replaces both files and keeps the names.
//
// Threads: worker thread only.

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

namespace zrb {

// One static aircraft still to be created at a stand (read from the back).
struct PendingParking {
    std::uint32_t liveHexId = 0;  // the live aircraft it stands for, 0 none
    std::uint32_t planKind = 1;   // 0 planned for a live aircraft, 1 from the stand options
    std::uint32_t standId = 0;    // the stand's number
    std::uint32_t ageSlots = 0;   // half-hours since the observation
    std::string airline;
    std::string type;
    std::string callsign;
    std::string coupledCallsign;
    std::string registration;
    std::uint8_t staysNextHalfHour = 0;
};

extern std::vector<PendingParking> PendingParkingList;

// The callsigns of the live traffic that the feed collected for the planning
// now under way; an option whose flight is live is not planned as a static
// aircraft. The least form collects none.
inline std::unordered_set<std::string> g_liveCallsigns;

// The wanted number of parked static aircraft: the manager's park maximum.
std::int32_t lf_calcWantedStatic();

// Soft options may still be learned at the park airport (the reading of its
// file clears it for a well-learned airport). The least form always learns.
inline bool g_softLearningAllowed = true;

}  // namespace zrb
