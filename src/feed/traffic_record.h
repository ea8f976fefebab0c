#pragma once
// One aircraft of one live-traffic reply, as the feed hands it to the intake.

#include <cstdint>
#include <string>

#include "airports/aircraft_identity.h"
#include "traffic/pos_sample.h"

namespace zrb {

// The identity texts (airline empty here: the intake fills it; text6 and
// text7 are the intake's) and the identity integer, then the sample.
struct TrafficRecord : AcIdentityRecord {
    PosSample sample;
    std::int64_t time = 0;    // feed time stamp, s since 1970 UTC
    std::uint32_t hexId = 0;  // transponder address
};

}  // namespace zrb
