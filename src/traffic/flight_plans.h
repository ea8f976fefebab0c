#pragma once
// AI flight plans: a small .pln file per created live aircraft whose departure
// and destination are known, handed to the simulator so that its traffic
// display shows the route. The files live in "orig_dest" of the program's
// data folder, one per object id; each is deleted with its aircraft, and the
// folder with the run.
//
// Threads: worker thread.

#include <cstdint>
#include <filesystem>

#include "traffic/ai_aircraft.h"

namespace zrb {

// <data folder>/orig_dest.
std::filesystem::path gf_flightPlanFolder();
// <data folder>/orig_dest/{objectId}.pln.
std::filesystem::path lf_flightPlanPath(std::uint32_t objectId);

// Start of a run: creates the data folder and orig_dest when missing and
// empties orig_dest of plans an earlier process left behind. True when the
// folder exists afterwards. A failing status query throws.
bool gf_createFlightPlanFolder();
// End of a run: the folder with everything in it; errors are logged
// ("gf_removeFlightPlanFolder: {}").
void gf_removeFlightPlanFolder();

// Writes the plan (created or truncated), CR LF after each of its 8 lines.
// False when the file cannot be written.
bool lf_writeFlightPlan(const std::filesystem::path& path, const LiveAc& aircraft);
// From the created notice: writes and sends the plan when the route is known
// and both codes are airport codes; sets the flight-plan flag when the
// simulator takes it. A plan that is not taken leaves no file.
void lf_createFlightPlan(LiveAc& aircraft);
// Deletes the aircraft's plan file when its flag is set, and clears the flag.
void gf_deleteFlightPlan(LiveAc& aircraft);

}  // namespace zrb
