#include "simlink/sim_object_lists.h"

#include <algorithm>
#include <deque>
#include <iterator>
#include <unordered_map>

namespace zrb {

namespace {

constexpr std::size_t objectListReserve = 256;

struct GivenUpCreate {
    PendingCreate create;
    std::chrono::steady_clock::time_point at;
};

struct AddedEntry {
    std::uint32_t objectId = 0;
    std::uint64_t serial = 0;        // which report of the object this is
    std::uint64_t rangeRequests = 0;  // g_rangeRequestsSent when it came
};

std::vector<PendingCreate> g_pendingCreates;
std::vector<std::uint32_t> g_addedObjects;
std::vector<PendingRemoval> g_pendingRemovals;
std::vector<GivenUpCreate> g_givenUpCreates;  // oldest first
// The added objects in the order they came, with the latest report of each:
// the range reply takes entries out of g_addedObjects in any order, the age
// limit and the cap take the oldest first.
std::deque<AddedEntry> g_addedOrder;
std::unordered_map<std::uint32_t, std::uint64_t> g_latestAddedSerial;
std::uint64_t g_addedSerial = 0;

// The oldest report goes; its object with it unless it was reported again.
void lf_forgetOldestAdded() {
    const AddedEntry oldest = g_addedOrder.front();
    g_addedOrder.pop_front();
    const auto latest = g_latestAddedSerial.find(oldest.objectId);
    if (latest == g_latestAddedSerial.end() || latest->second != oldest.serial) return;
    g_latestAddedSerial.erase(latest);
    const auto it = std::find(g_addedObjects.begin(), g_addedObjects.end(), oldest.objectId);
    if (it == g_addedObjects.end()) return;  // matched or removed already
    *it = g_addedObjects.back();
    g_addedObjects.pop_back();
}

// The oldest reports go while more than count are kept or they are too old.
void lf_forgetAddedBeyond(std::size_t count, std::uint64_t requests) {
    while (!g_addedOrder.empty() && (g_addedOrder.size() > count ||
                                     requests - g_addedOrder.front().rangeRequests >= g_addedObjectRangeRequests))
        lf_forgetOldestAdded();
}

void lf_forgetOldGivenUpCreates(std::chrono::steady_clock::time_point now) {
    std::erase_if(g_givenUpCreates,
                  [now](const GivenUpCreate& g) { return now - g.at >= g_givenUpCreateLifetime; });
}

}  // namespace

std::vector<PendingCreate>& lf_pendingCreates() { return g_pendingCreates; }
std::vector<std::uint32_t>& lf_addedObjects() { return g_addedObjects; }

std::vector<PendingCreate> lf_takeUnansweredCreates() {
    std::vector<PendingCreate> unanswered;
    const std::uint64_t requests = g_rangeRequestsSent.load();
    const auto expired = [requests](const PendingCreate& p) {
        return requests - p.rangeRequests >= g_pendingCreateRangeRequests;
    };
    if (std::none_of(g_pendingCreates.begin(), g_pendingCreates.end(), expired)) return unanswered;
    // Its object, made but not seen yet, would otherwise wait for a range
    // reply that gives it to its twin.
    lf_forgetAddedBeyond(g_maxAddedObjects, requests);
    std::copy_if(g_pendingCreates.begin(), g_pendingCreates.end(), std::back_inserter(unanswered), expired);
    std::erase_if(g_pendingCreates, expired);
    const auto now = std::chrono::steady_clock::now();
    lf_forgetOldGivenUpCreates(now);
    for (const PendingCreate& p : unanswered) {
        if (g_givenUpCreates.size() >= objectListReserve) g_givenUpCreates.erase(g_givenUpCreates.begin());
        g_givenUpCreates.push_back(GivenUpCreate{p, now});
    }
    return unanswered;
}

std::optional<PendingCreate> lf_takeGivenUpCreate(const std::string& callsign) {
    lf_forgetOldGivenUpCreates(std::chrono::steady_clock::now());
    const auto it = std::find_if(g_givenUpCreates.begin(), g_givenUpCreates.end(),
                                 [&callsign](const GivenUpCreate& g) { return g.create.callsign == callsign; });
    if (it == g_givenUpCreates.end()) return std::nullopt;
    PendingCreate taken = std::move(it->create);
    g_givenUpCreates.erase(it);
    return taken;
}

void lf_forgetGivenUpCreate(std::uint32_t sendId) {
    if (sendId == 0) return;
    const auto it = std::find_if(g_givenUpCreates.begin(), g_givenUpCreates.end(),
                                 [sendId](const GivenUpCreate& g) { return g.create.sendId == sendId; });
    if (it != g_givenUpCreates.end()) g_givenUpCreates.erase(it);
}

std::uint32_t lf_takePendingCreate(std::uint32_t sendId) {
    const auto it = std::find_if(g_pendingCreates.begin(), g_pendingCreates.end(),
                                 [sendId](const PendingCreate& p) { return p.sendId == sendId; });
    if (sendId == 0 || it == g_pendingCreates.end()) return 0;
    const std::uint32_t hexId = it->hexId;
    if (it + 1 != g_pendingCreates.end()) *it = std::move(g_pendingCreates.back());
    g_pendingCreates.pop_back();
    return hexId;
}

void lf_rememberRemoval(std::uint32_t sendId, std::uint32_t objectId) {
    if (sendId == 0) return;
    if (g_pendingRemovals.size() >= objectListReserve) g_pendingRemovals.erase(g_pendingRemovals.begin());
    g_pendingRemovals.push_back(PendingRemoval{sendId, objectId});
}

std::uint32_t lf_takePendingRemoval(std::uint32_t sendId) {
    const auto it = std::find_if(g_pendingRemovals.begin(), g_pendingRemovals.end(),
                                 [sendId](const PendingRemoval& p) { return p.sendId == sendId; });
    if (sendId == 0 || it == g_pendingRemovals.end()) return 0;
    const std::uint32_t objectId = it->objectId;
    g_pendingRemovals.erase(it);
    return objectId;
}

void lf_noteAddedObject(std::uint32_t objectId) {
    const std::uint64_t requests = g_rangeRequestsSent.load();
    lf_forgetAddedBeyond(g_maxAddedObjects - 1, requests);
    std::erase(g_addedObjects, objectId);  // reported twice: one entry
    g_addedObjects.push_back(objectId);
    g_addedOrder.push_back(AddedEntry{objectId, ++g_addedSerial, requests});
    g_latestAddedSerial[objectId] = g_addedSerial;
}

void lf_resetObjectLists() {
    g_pendingCreates.clear();
    g_addedObjects.clear();
    g_pendingRemovals.clear();
    g_givenUpCreates.clear();
    g_addedOrder.clear();
    g_latestAddedSerial.clear();
    g_pendingCreates.reserve(objectListReserve);
    g_addedObjects.reserve(objectListReserve);
    g_pendingRemovals.reserve(objectListReserve);
    g_givenUpCreates.reserve(objectListReserve);
}

void lf_ageGivenUpCreatesForTest(std::chrono::steady_clock::duration by) {
    for (GivenUpCreate& g : g_givenUpCreates) g.at -= by;
}

}  // namespace zrb
