#pragma once
// One aircraft of one live-traffic reply, as the feed hands it to the intake.

#include <cstdint>
#include <string>

#include "traffic/pos_sample.h"

namespace zrb {

struct TrafficRecord {
    std::string airline;      // empty here; the intake fills it
    std::string type;         // ICAO type code
    std::string departure;    // ICAO airport
    std::string destination;  // ICAO airport
    std::string callsign;
    std::string text6;  // used by the intake
    std::string text7;  // used by the intake
    std::string registration;
    std::int32_t identity = 0;
    PosSample sample;
    std::int64_t time = 0;    // feed time stamp, s since 1970 UTC
    std::uint32_t hexId = 0;  // transponder address
};

}  // namespace zrb
