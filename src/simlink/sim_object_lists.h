#pragma once
// The two lists that pair a creation with the object the simulator made of
// it: the creations sent and not yet answered, and the objects "ObjectAdded"
// reported and the range reply has not yet matched.
//
// Threads: "SimClient" thread only (the flush appends, the dispatch matches);
// emptied at the start of each SimClient thread, after the previous one has
// been joined.

#include <cstdint>
#include <string>
#include <vector>

namespace zrb {

struct PendingCreate {
    std::uint32_t sendId = 0;  // dwSendID of the create packet, 0 when unknown
    std::uint32_t hexId = 0;
    std::string callsign;
};

std::vector<PendingCreate>& lf_pendingCreates();
std::vector<std::uint32_t>& lf_addedObjects();

// Both lists emptied, room for 256 entries each.
void lf_resetObjectLists();

}  // namespace zrb
