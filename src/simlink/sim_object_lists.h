#pragma once
// The two lists that pair a creation with the object the simulator made of
// it: the creations sent and not yet answered, and the objects "ObjectAdded"
// reported and the range reply has not yet matched; the creations given up
// unanswered, whose object may still come; and the removals sent lately, so
// that an exception that names one tells which object is gone.
//
// Threads: "SimClient" thread only (the flush appends, the dispatch matches);
// emptied at the start of each SimClient thread, after the previous one has
// been joined.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zrb {

struct PendingCreate {
    std::uint32_t sendId = 0;  // dwSendID of the create packet, 0 when unknown
    std::uint32_t hexId = 0;
    std::string callsign;
    std::uint64_t rangeRequests = 0;  // g_rangeRequestsSent when it was sent
};

// A removal sent, until an exception could name it.
struct PendingRemoval {
    std::uint32_t sendId = 0;  // dwSendID of the remove packet
    std::uint32_t objectId = 0;
};

std::vector<PendingCreate>& lf_pendingCreates();
std::vector<std::uint32_t>& lf_addedObjects();

// Range requests sent (worker thread counts, any thread reads). The objects
// other programs make far away are never listed by a range reply: an added
// object that this many requests did not match can no longer be one of ours.
inline std::atomic<std::uint64_t> g_rangeRequestsSent{0};
inline constexpr std::uint64_t g_addedObjectRangeRequests = 50;
// A creation that this many range requests did not answer is given up (its
// object was removed before a reply saw it, its refusal named no send id of
// ours, or its model is still loading): twice the added objects' limit, so
// that an object the simulator made of it long before is forgotten by then.
// One that comes later, while the creation's record lasts, is removed
// (lf_takeGivenUpCreate), whichever of it and a twin's the reply gives to the
// twin.
inline constexpr std::uint64_t g_pendingCreateRangeRequests = 2 * g_addedObjectRangeRequests;
// How long a creation given up is remembered. It was given up 100 s after it
// was sent, or 20 s while a landing flares and range requests go five times as
// often (hence a time here, not a count of requests); a model that loads that
// slowly is there within a minute or two more. An object that comes under its
// callsign later still is another program's aircraft, which is left alone.
inline constexpr std::chrono::seconds g_givenUpCreateLifetime{150};
// More objects than the simulator holds at once are no creations of ours.
inline constexpr std::size_t g_maxAddedObjects = 1000;

// An "ObjectAdded" aircraft for the range reply to match. Forgets first the
// oldest ones that are too old or too many.
void lf_noteAddedObject(std::uint32_t objectId);

// The pending creations g_pendingCreateRangeRequests did not answer, taken
// out of the list and remembered as given up; the added objects past their
// age are forgotten first.
std::vector<PendingCreate> lf_takeUnansweredCreates();

// A creation given up under this callsign, taken out of the remembered ones
// (the oldest is forgotten beyond 256, and each after g_givenUpCreateLifetime):
// an object that comes under it late, claimed by no pending creation, is its
// object, or its twin's when the twin took the late one.
std::optional<PendingCreate> lf_takeGivenUpCreate(const std::string& callsign);
// The creation given up that was sent with this id is refused after all: no
// object will come of it.
void lf_forgetGivenUpCreate(std::uint32_t sendId);

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

// Tests: the creations given up are taken to have been given up this much
// earlier.
void lf_ageGivenUpCreatesForTest(std::chrono::steady_clock::duration by);

}  // namespace zrb
