#pragma once
// The user's candidate park airports: airports/my_park_airports.txt ("ICAO" or
// "ICAO,stand" per line, kept sorted) plus every airport that has a file in
// airports/my_thirdparty. The front entry plays a role of its own: it is the
// airborne candidate, the entry whose stand is the user's reserved stand at
// the park airport, and the entry the writer puts into the file.
//
// Threads: ParkAirportList and the file belong to the worker thread. Any
// thread may ask for a destination to be put first (gf_setFirstParkAirport):
// the request waits under g_firstParkAirportMutex until the worker takes it up
// (gf_serveFirstParkAirportRequests, which every worker-side reader of the
// list calls first), so the list is never changed behind the worker's back.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "airports/airport_list.h"

namespace zrb {

struct ParkAirport {
    std::string icao;           // compared byte for byte
    std::string reservedStand;  // the user's stand there, empty when none
    double lat = 0.0;           // degrees
    double lon = 0.0;           // degrees
    double distanceNm = 0.0;    // from the user, refreshed by the 16-second check
};

// Worker thread only.
extern std::vector<ParkAirport> ParkAirportList;

// More airports than this in the user's file cost much time at every check.
inline constexpr std::size_t g_manyParkAirports = 3000;
// A larger my_park_airports.txt is not read [bytes]; real lists are a few kilobytes.
inline constexpr std::uintmax_t g_maxParkAirportsFileBytes = 4u * 1024u * 1024u;

// Empties the list and reads my_park_airports.txt and the my_thirdparty
// airports. False when a line named an airport missing from the airport list,
// the file was refused, or an error ended the read (entries read before stay).
bool lf_readMyParkAirports();
// Appends the airport of every regular file in my_thirdparty (its stem) that
// the airport list knows and the list does not hold yet. File-system errors
// are thrown.
void lf_addThirdPartyParkAirports();

// Writes the front entry into the file: replaces the line of that airport,
// or adds it, or creates the file when there is none; lines sorted, equal ones
// merged; the file is replaced only once the new one is complete. A file that
// exists but cannot be read is left alone (logged). Nothing for an empty list.
void gf_writeMyParkAirports();
// When the line names the airport (its first comma field), it becomes newLine,
// "{}:{} updated stand" is logged and the result is true.
bool lf_updateMyParkStand(const std::string& icao, const std::string& newLine, std::string& line);

// Any thread: the airport is to become the front entry (moved there when
// listed, else added there and written to the file) at the worker's next
// look at the list.
void gf_setFirstParkAirport(const std::string& icao, double lat, double lon);
// Worker thread: carries out the waiting requests, oldest first.
void gf_serveFirstParkAirportRequests();
// Worker thread: the front entry's position (for the automatic range), none
// for an empty list.
std::optional<AirportData> gf_firstParkAirport();

// A new run: requests that did not reach the worker are dropped.
void gf_dropFirstParkAirportRequests();

}  // namespace zrb
