#pragma once
// One received position of a live aircraft, as the feed delivers it and the
// manager queues it.

#include <cmath>
#include <cstdint>

namespace zrb {

struct PosSample {
    double lat = 0.0;           // degrees
    double lon = 0.0;           // degrees
    double altitude = 0.0;      // feet; 0 on the ground
    double groundSpeed = 0.0;   // knots
    double heading = 0.0;       // degrees
    double verticalRate = 0.0;  // feet per minute
    double speed = 0.0;         // knots
    std::int32_t duePass = 0;   // pass tick at which the position is due
    std::uint8_t airborne = 0;
    std::uint8_t stationary = 0;  // repeats the previous sample's position
    std::uint8_t precise = 0;     // the track came from a true heading
    double bank = 0.0;            // radians
    std::uint8_t bankKnown = 0;
    double track = 0.0;  // radians
    std::uint8_t trackKnown = 0;
};

// Every number is finite and the position lies on the globe: a sample the
// manager may move an aircraft to.
inline bool gf_samplePlausible(const PosSample& s) {
    return std::isfinite(s.lat) && std::isfinite(s.lon) && std::isfinite(s.altitude) && std::isfinite(s.groundSpeed) &&
           std::isfinite(s.heading) && std::isfinite(s.verticalRate) && std::isfinite(s.speed) &&
           std::isfinite(s.bank) && std::isfinite(s.track) && std::fabs(s.lat) <= 90.0 && std::fabs(s.lon) <= 180.0;
}

}  // namespace zrb
