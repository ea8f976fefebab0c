#pragma once
// One aircraft of the parked-traffic feed.

#include <cstdint>
#include <string>

#include "airports/aircraft_identity.h"

namespace zrb {

// The identity: airline from the aircraft database, the ICAO type fixed and
// completed, no departure, destination, text6 or text7.
struct ParkedTrafficRecord : AcIdentityRecord {
    double lat = 0.0;  // degrees
    double lon = 0.0;  // degrees
    std::uint32_t hexId = 0;
    // Half-hour slot 0..47 (UTC) of the time seen, -1 when unknown; the
    // request turns it into the age in half-hours.
    std::int32_t slot = -1;
    std::string stand;
};

}  // namespace zrb
