#include "simlink/sim_object_lists.h"

namespace zrb {

namespace {

constexpr std::size_t objectListReserve = 256;

std::vector<PendingCreate> g_pendingCreates;
std::vector<std::uint32_t> g_addedObjects;

}  // namespace

std::vector<PendingCreate>& lf_pendingCreates() { return g_pendingCreates; }
std::vector<std::uint32_t>& lf_addedObjects() { return g_addedObjects; }

void lf_resetObjectLists() {
    g_pendingCreates.clear();
    g_addedObjects.clear();
    g_pendingCreates.reserve(objectListReserve);
    g_addedObjects.reserve(objectListReserve);
}

}  // namespace zrb
