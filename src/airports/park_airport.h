#pragma once
// The chosen park airport and the user's reserved stand there.
//
// The worker thread chooses and changes them; the Traffic Reader reads them
// while it converts records (ground traffic near the park airport, parked
// traffic off the reserved stand). g_parkAirportMutex owns both values: read
// them through the copying accessors from any thread other than the worker.

#include <mutex>
#include <string>

namespace zrb {

struct CurrentParkAirportData {
    std::string icao;        // empty while no park airport is chosen
    std::string secondCode;  // the second code the airport record holds
    double lat = 0.0;        // degrees
    double lon = 0.0;        // degrees
    double elevation = 0.0;  // feet
};

// Owns CurrentParkAirport and ReservedStand.
extern std::mutex g_parkAirportMutex;
// Guarded by g_parkAirportMutex.
extern CurrentParkAirportData CurrentParkAirport;
// Guarded by g_parkAirportMutex: the user's own stand at the park airport, empty when none.
extern std::string ReservedStand;

// Copies taken under g_parkAirportMutex.
CurrentParkAirportData gf_currentParkAirport();
std::string gf_reservedStand();
bool gf_parkAirportIsSet();

// Sets the park airport, and its elevation as the feed's ground reference
// (feed_shared.h).
void gf_setCurrentParkAirport(const CurrentParkAirportData& airport);
// Empties the park airport (both codes, position and elevation) and the
// feed's ground reference.
void gf_clearCurrentParkAirport();
void gf_setReservedStand(const std::string& stand);

}  // namespace zrb
