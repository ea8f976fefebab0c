#pragma once
// What a run needs of the airports and parking subsystem beyond the stand
// records, the airport list, the parking files and the add-on airport scan,
// until the rest is built: the user's park airports, the static-parking
// checks and renewals, and clearing the park airport's traffic. The minimal
// implementation (airport_services_seam.cpp) chooses no park airport and plans
// no parking. The issue of the park-airport choice replaces both files.
//
// Threads: worker thread, except where a function says otherwise.

#include <atomic>
#include <optional>
#include <string>
#include <string_view>

#include "airports/airport_list.h"
#include "airports/park_airport_file.h"

namespace zrb {

// The park airport's parking file is to be saved with changed settings.
inline std::atomic<bool> g_apfChanged{false};

// Reads airports/my_park_airports.txt and the my_thirdparty airports; true on success.
bool lf_readMyParkAirports();
// Re-reads my_park_airports.txt; true when the caller is to show the message.
bool gf_reloadParkAirports(bool fromUser, std::string& message);
// Puts the airport at the front of the park-airport list and writes the list.
void gf_setFirstParkAirport(const std::string& icao, double lat, double lon);
// Position of the first park airport (automatic range), none for an empty list.
std::optional<AirportData> gf_firstParkAirport();
void gf_checkStaticParking(bool atLoopStart);
void gf_parkingAdjustments(bool parkedTrafficOnlyChange);
// Removes the park airport's static and ground traffic and restores MAX_LIVE_SEL.
void gf_clearParkAirportTraffic();
// The stand table of the current park airport holds stands.
bool gf_parkAirportHasStands();
// The user's MAX_LIVE_SEL remembered by the start of a run (restored by
// gf_clearParkAirportTraffic). Worker and GUI thread.
inline std::atomic<std::int32_t> g_userMaxLiveSel{500};

}  // namespace zrb
