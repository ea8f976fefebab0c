#pragma once
// The program's own numbers towards the simulator: system events, data
// definitions, client events, the AI notification group and requests. The
// simulator echoes them in its replies, so the dispatch and the manager rely on
// every value here; none may change.

#include <cstdint>

namespace zrb {

enum SystemEventId : std::uint32_t {
    eventSim = 201,              // "Sim": running or not
    eventObjectAdded = 202,      // "ObjectAdded"
    eventObjectRemoved = 203,    // "ObjectRemoved"
    eventFrame = 204,            // "Frame": the outgoing queues are flushed
    eventPositionChanged = 205,  // "PositionChanged": a new flight
    eventFlightLoaded = 206,     // "FlightLoaded": a new flight
};

enum DataDefinitionId : std::uint32_t {
    defAiControls = 401,    // spoilers and two throttles, percent (24 bytes)
    defAiPosition = 402,    // AI position block (64 bytes)
    defUserData = 403,      // the user aircraft (96 bytes)
    defInRange = 404,       // aircraft in range (56 bytes)
    defStaticCg = 405,      // static centre of gravity (16 bytes)
    defLightStates = 406,   // light states (8 bytes), registered and never requested
    defUserTitle = 407,     // user title, text of variable length
    defUserModel = 408,     // user ATC model (32 bytes)
    defUserOnGround = 409,  // user on ground (8 bytes)
};

enum ClientEventId : std::uint32_t {
    evBeaconLightsSet = 207,
    evNavLightsSet = 208,
    evTaxiLightsSet = 209,
    evStrobesSet = 210,
    evLandingLightsSet = 211,
    evCabinLightsSet = 212,
    evLogoLightsSet = 213,
    evAllLightsToggle = 214,
    evFreezeLatLonSet = 215,
    evFreezeAltitudeSet = 216,
    evFreezeAttitudeSet = 217,
    evFlapsSet = 218,
    evSpoilersSet = 219,
    evGearSet = 220,
    evEngineAutoStart = 221,
    evEngineAutoShutdown = 222,
    evThrottleSet = 223,
};

// Every client event is sent with this group and flags 0.
inline constexpr std::uint32_t GROUP_AI = 301;
inline constexpr std::uint32_t g_groupAiPriority = 1;

enum RequestId : std::uint32_t {
    reqInRange = 101,         // RequestDataOnSimObjectType, definition 404
    reqStaticCg = 102,        // definition 405, a new live aircraft, once
    reqReleaseControl = 103,  // AIReleaseControl
    reqCreateAc = 104,        // AICreateNonATCAircraft
    reqRemoveAc = 105,        // AIRemoveObject
    reqUserTitle = 106,       // definition 407, the user, once
    reqUserModel = 107,       // definition 408, the user, once
    reqUserOnGround = 108,    // definition 409, the user, every second
    reqUserData = 109,        // definition 403, the user, once
    reqFlightPlan = 110,      // AISetAircraftFlightPlan
};

// Object 0 of a data request is the user aircraft.
inline constexpr std::uint32_t g_userObject = 0;
// SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT of the range request.
inline constexpr std::uint32_t g_objectTypeAircraft = 2;

}  // namespace zrb
