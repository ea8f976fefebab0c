#include "simlink/sim_object_lists.h"

#include <algorithm>

namespace zrb {

namespace {

constexpr std::size_t objectListReserve = 256;

std::vector<PendingCreate> g_pendingCreates;
std::vector<std::uint32_t> g_addedObjects;
std::vector<PendingRemoval> g_pendingRemovals;

}  // namespace

std::vector<PendingCreate>& lf_pendingCreates() { return g_pendingCreates; }
std::vector<std::uint32_t>& lf_addedObjects() { return g_addedObjects; }

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

void lf_resetObjectLists() {
    g_pendingCreates.clear();
    g_addedObjects.clear();
    g_pendingRemovals.clear();
    g_pendingCreates.reserve(objectListReserve);
    g_addedObjects.reserve(objectListReserve);
    g_pendingRemovals.reserve(objectListReserve);
}

}  // namespace zrb
