#include "traffic/doubles_check_queue.h"

#include <deque>

namespace zrb {

namespace {

// Worker thread.
std::deque<std::uint32_t> g_doublesCheckList;

}  // namespace

void lf_queueDoublesCheck(std::uint32_t hexId) { g_doublesCheckList.push_back(hexId); }

std::optional<std::uint32_t> gf_checkQueueFront() {
    if (g_doublesCheckList.empty()) return std::nullopt;
    return g_doublesCheckList.front();
}

void gf_popCheckQueue() {
    if (!g_doublesCheckList.empty()) g_doublesCheckList.pop_front();
}

void lf_resetDoublesCheck() { g_doublesCheckList.clear(); }

}  // namespace zrb
