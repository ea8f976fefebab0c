#pragma once
// Building the identity part of a new AI aircraft record from the identity
// texts of a feed record or a planned static aircraft.

#include <cstdint>

#include "airports/aircraft_identity.h"

namespace zrb {

// Copies the eight texts and the identity integer, sets the hex id, the category and half
// span of the type (aircraft database) and the seven per-category values (the
// two pitch angles varied at random by ±2.5 % and ±5 % with the calling
// thread's engine, then in radians). Everything else starts at 0.
AcIdentity gf_aircraftFromLivery(const AcIdentityRecord& source, std::uint32_t hexId = 0);

}  // namespace zrb
