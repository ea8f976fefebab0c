#pragma once
// The two lists that pair a creation with the object the simulator made of
// it: the creations sent and not yet answered, and the objects "ObjectAdded"
// reported and the range reply has not yet matched; and the removals sent
// lately, so that an exception that names one tells which object is gone.
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

// A removal sent, until an exception could name it.
struct PendingRemoval {
    std::uint32_t sendId = 0;  // dwSendID of the remove packet
    std::uint32_t objectId = 0;
};

std::vector<PendingCreate>& lf_pendingCreates();
std::vector<std::uint32_t>& lf_addedObjects();

// The pending creation this exception answers (by send id) is done: its hex
// id, or 0 when no creation was sent with that id.
std::uint32_t lf_takePendingCreate(std::uint32_t sendId);

// The latest removals sent, oldest first; the oldest is forgotten beyond 256,
// as an answer comes within a few frames.
void lf_rememberRemoval(std::uint32_t sendId, std::uint32_t objectId);
// The object whose removal was sent with this id (0 when none), forgotten.
std::uint32_t lf_takePendingRemoval(std::uint32_t sendId);

// All lists emptied, room for 256 entries each.
void lf_resetObjectLists();

}  // namespace zrb
