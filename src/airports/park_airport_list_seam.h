#pragma once
// The user's list of park airports and the writing of its front entry into
// airports/my_park_airports.txt, ahead of the rest of the park-airport choice:
// the simulator link stores the user's stand in the front entry. The airports
// issue keeps these names and adds the reading and the choice.
//
// Threads: worker thread only (the list and the file).

#include <string>
#include <vector>

namespace zrb {

struct ParkAirport {
    std::string icao;
    std::string reservedStand;  // the user's stand there, empty when none
    double lat = 0.0;           // degrees
    double lon = 0.0;           // degrees
    double distanceNm = 0.0;    // from the user
};

// Worker thread only.
extern std::vector<ParkAirport> ParkAirportList;

// Writes the front entry ("ICAO" or "ICAO,stand"): replaces the line of that
// airport, or adds it, or creates the file; the file stays sorted with equal
// lines merged. Nothing when the list is empty.
void gf_writeMyParkAirports();

// When the line names that airport (its first comma field), it becomes
// newLine, "{}:{} updated stand" is logged and the result is true.
bool lf_updateMyParkStand(const std::string& icao, const std::string& newLine, std::string& line);

}  // namespace zrb
