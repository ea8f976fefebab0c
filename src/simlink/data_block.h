#pragma once
// The data blocks the program sets on AI aircraft (definitions 401 and 402)
// as the simulator reads them: each value an IEEE 754 64-bit float in
// little-endian byte order, one after the other, written value by value, as
// the client library writes every other field, whatever this machine's own
// layout of a struct of doubles is.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "simlink/sim_queues.h"
#include "simlink/sim_requests.h"

namespace zrb {

template <std::size_t Count>
std::array<std::uint8_t, Count * sizeof(double)> gf_doublesBlock(const std::array<double, Count>& values) {
    static_assert(sizeof(double) == sizeof(std::uint64_t), "a 64-bit float");
    std::array<std::uint8_t, Count * sizeof(double)> block{};
    for (std::size_t i = 0; i < Count; ++i) {
        const auto bits = std::bit_cast<std::uint64_t>(values[i]);
        for (std::size_t b = 0; b < sizeof bits; ++b)
            block[i * sizeof bits + b] = static_cast<std::uint8_t>(bits >> (8 * b));
    }
    return block;
}

// Definition 402 in its order: latitude, longitude, pitch, bank, heading,
// altitude, vertical speed, true airspeed.
inline std::array<std::uint8_t, 64> gf_positionBlockBytes(const AiPositionBlock& p) {
    return gf_doublesBlock<8>({p.latitudeDeg, p.longitudeDeg, p.pitchRad, p.bankRad, p.headingRad, p.altitudeFt,
                               p.verticalSpeedFtPerS, p.trueAirspeedKt});
}

// Definition 401 in its order: spoilers, throttle 1, throttle 2.
inline std::array<std::uint8_t, 24> gf_controlsBlockBytes(const AiControlsBlock& c) {
    return gf_doublesBlock<3>({c.spoilersPercent, c.throttle1Percent, c.throttle2Percent});
}

}  // namespace zrb
