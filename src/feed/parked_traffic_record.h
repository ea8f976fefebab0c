#pragma once
// One aircraft of the parked-traffic feed.

#include <cstdint>
#include <string>

namespace zrb {

struct ParkedTrafficRecord {
    std::string airline;      // from the aircraft database
    std::string type;         // ICAO type code, fixed and completed
    std::string departure;    // empty
    std::string destination;  // empty
    std::string callsign;
    std::string text6;  // empty
    std::string text7;  // empty
    std::string registration;
    std::int32_t identity = 0;
    double lat = 0.0;  // degrees
    double lon = 0.0;  // degrees
    std::uint32_t hexId = 0;
    // Half-hour slot 0..47 (UTC) of the time seen, -1 when unknown; the
    // request turns it into the age in half-hours.
    std::int32_t slot = -1;
    std::string stand;
};

}  // namespace zrb
