#pragma once
// The identity of an aircraft: the texts the feed and the parking records
// carry, and the identity part of every AI aircraft record, which adds what the
// category of its type gives it.
//
// The feed's traffic and parked-traffic records, the planned static aircraft
// and the traffic manager's records begin with AcIdentityRecord; the manager's
// AI aircraft records begin with AcIdentity. Plain values: their owners say
// which thread uses them.

#include <cstdint>
#include <string>
#include <string_view>

namespace zrb {

struct AcIdentityRecord {
    std::string airline;       // ICAO airline code
    std::string type;          // ICAO type code
    std::string departure;     // ICAO airport
    std::string destination;   // ICAO airport
    std::string callsign;      // "*" at the end: a static aircraft; "_": copy of a live callsign
    std::string text6;         // a live aircraft keeps its callsign here
    std::string text7;
    std::string registration;
    std::uint32_t identity = 0;  // the identity integer; 0 for a live aircraft
};

struct AcIdentity : AcIdentityRecord {
    double halfSpan = 0.0;             // nautical miles
    double cgHeight = 0.0;             // feet above the ground when parked
    double parkedPitch = 0.0;          // radians
    double rotationPitch = 0.0;        // radians, negative = nose up
    double climbPitch = 0.0;           // radians
    double turnStep = 0.0;             // radians
    double workingTurnStep = 0.0;      // radians, the movement code's scaled copy
    double maxSpeedChange = 0.0;       // knots per pass
    double standApproachSpeed = 0.0;   // knots
    std::uint32_t hexId = 0;           // for a static aircraft: the aircraft it stands for
    std::uint32_t category = 2;        // 0 Light .. 5 Rotorcraft
    std::string_view title;            // a livery title of the livery list; empty = none yet
    std::uint32_t landingPitchPasses = 0;
    std::uint32_t groundSlots = 0;
    std::uint32_t rotationPasses = 0;
    std::uint32_t climbPasses = 0;
    std::uint8_t cargo = 0;
    std::uint8_t fsltl = 0;            // the livery is of the "FSLTL_" family
};

}  // namespace zrb
