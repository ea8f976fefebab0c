#include "shell/common/run_state.h"

#include <mutex>

#include "foundation/time.h"

namespace zrb {

namespace {

// Owns g_stockAirportsPath.
std::mutex g_stockPathMutex;
std::filesystem::path g_stockAirportsPath;

}  // namespace

void gf_storeDaySlot() { g_currentDaySlot.store(gf_slotAndWeekday()); }

std::filesystem::path gf_stockAirportsPath() {
    std::lock_guard lock(g_stockPathMutex);
    return g_stockAirportsPath;
}

void gf_setStockAirportsPath(std::filesystem::path path) {
    std::lock_guard lock(g_stockPathMutex);
    g_stockAirportsPath = std::move(path);
}

}  // namespace zrb
