#pragma once
// Values of the current run that other subsystems and the window read.

#include <atomic>
#include <cstdint>
#include <filesystem>

namespace zrb {

// The current half-hour slot and weekday, as gf_slotAndWeekday packs them
// (slot in the upper 32 bits, weekday 1..7 in the lower). The worker stores
// it at the start of a run and every second; any thread reads it.
inline std::atomic<std::uint64_t> g_currentDaySlot{0};
void gf_storeDaySlot();

// Seconds since the main loop began (0 again after a day). The worker writes
// it; the window reads it for "{} will respond in {} second{} ...".
inline std::atomic<std::uint32_t> g_secondCounter{0};

// The user's manual RANGE, kept while AUTO_RANGE chooses the range: taken
// when AUTO_RANGE is switched on and at the start of a run, restored when it is
// switched off; a park airport's file may set it. Any thread.
inline std::atomic<std::int32_t> g_manualRange{40};

// The simulator's stock scenery folder (SIM_INSTALL_PATH / "Scenery"), empty
// while unknown; the add-on airport scan skips everything inside it. Owned by
// its own mutex inside; any thread.
std::filesystem::path gf_stockAirportsPath();
void gf_setStockAirportsPath(std::filesystem::path path);

}  // namespace zrb
