#include "simlink/sim_setup.h"

#include <array>

#include "simconnect/protocol.h"
#include "simlink/sim_ids.h"

namespace zrb {

namespace {

using simconnect::datumFloat64;
using simconnect::datumInt64;
using simconnect::datumString32;
using simconnect::datumStringV;

constexpr float noEpsilon = 0.0F;
constexpr std::uint32_t unusedDatumId = 0xFFFFFFFF;

struct SystemEventEntry {
    SystemEventId id;
    const char* name;
};

// "Frame" comes last: the flush must not start before everything else is known.
constexpr std::array<SystemEventEntry, 6> g_systemEvents{{
    {eventSim, "Sim"},
    {eventObjectAdded, "ObjectAdded"},
    {eventObjectRemoved, "ObjectRemoved"},
    {eventPositionChanged, "PositionChanged"},
    {eventFlightLoaded, "FlightLoaded"},
    {eventFrame, "Frame"},
}};

struct DatumEntry {
    DataDefinitionId definition;
    const char* name;
    const char* units;  // "" = no units
    std::uint32_t type;
};

// The reply of a definition is its variables in this order, so the order is
// part of every reader's layout.
constexpr std::array<DatumEntry, 33> g_datums{{
    {defUserTitle, "TITLE", "", datumStringV},
    {defUserModel, "ATC MODEL", "", datumString32},
    {defUserOnGround, "SIM ON GROUND", "Bool", datumInt64},
    {defAiPosition, "Plane Latitude", "degree", datumFloat64},
    {defAiPosition, "Plane Longitude", "degree", datumFloat64},
    {defAiPosition, "Plane Pitch degrees", "radians", datumFloat64},
    {defAiPosition, "Plane Bank degrees", "radians", datumFloat64},
    {defAiPosition, "Plane Heading degrees true", "radians", datumFloat64},
    {defAiPosition, "Plane Altitude", "feet", datumFloat64},
    {defAiPosition, "Vertical Speed", "feet per second", datumFloat64},
    {defAiPosition, "Airspeed True", "knots", datumFloat64},
    {defUserData, "Plane Latitude", "degree", datumFloat64},
    {defUserData, "Plane Longitude", "degree", datumFloat64},
    {defUserData, "Plane Pitch degrees", "radians", datumFloat64},
    {defUserData, "Plane Bank degrees", "radians", datumFloat64},
    {defUserData, "Plane Heading degrees true", "radians", datumFloat64},
    {defUserData, "Plane Altitude", "feet", datumFloat64},
    {defUserData, "Plane Alt Above Ground", "feet", datumFloat64},
    {defUserData, "Ground Velocity", "knots", datumFloat64},
    {defUserData, "ZULU TIME", "Seconds", datumInt64},
    {defUserData, "ZULU DAY OF YEAR", "Number", datumInt64},
    {defUserData, "ZULU YEAR", "Number", datumInt64},
    {defUserData, "LIGHT STATES", "Mask", datumInt64},
    {defStaticCg, "Static CG to Ground", "feet", datumFloat64},
    {defStaticCg, "Static Pitch", "radians", datumFloat64},
    {defLightStates, "Light On States", "Mask", datumInt64},
    {defInRange, "Plane Alt Above Ground", "feet", datumFloat64},
    {defInRange, "Ground Altitude", "feet", datumFloat64},
    {defInRange, "SIM ON GROUND", "Bool", datumInt64},
    {defInRange, "ATC ID", "", datumString32},
    {defAiControls, "SPOILERS HANDLE POSITION", "percent", datumFloat64},
    {defAiControls, "GENERAL ENG THROTTLE LEVER POSITION:1", "percent", datumFloat64},
    {defAiControls, "GENERAL ENG THROTTLE LEVER POSITION:2", "percent", datumFloat64},
}};

struct ClientEventEntry {
    ClientEventId id;
    const char* name;
};

constexpr std::array<ClientEventEntry, 17> g_clientEvents{{
    {evGearSet, "GEAR_SET"},
    {evEngineAutoStart, "ENGINE_AUTO_START"},
    {evEngineAutoShutdown, "ENGINE_AUTO_SHUTDOWN"},
    {evThrottleSet, "THROTTLE_SET"},
    {evFlapsSet, "FLAPS_SET"},
    {evSpoilersSet, "SPOILERS_SET"},
    {evNavLightsSet, "NAV_LIGHTS_SET"},
    {evBeaconLightsSet, "BEACON_LIGHTS_SET"},
    {evLandingLightsSet, "LANDING_LIGHTS_SET"},
    {evTaxiLightsSet, "TAXI_LIGHTS_SET"},
    {evStrobesSet, "STROBES_SET"},
    {evLogoLightsSet, "LOGO_LIGHTS_SET"},
    {evCabinLightsSet, "CABIN_LIGHTS_SET"},
    {evAllLightsToggle, "ALL_LIGHTS_TOGGLE"},
    {evFreezeLatLonSet, "FREEZE_LATITUDE_LONGITUDE_SET"},
    {evFreezeAltitudeSet, "FREEZE_ALTITUDE_SET"},
    {evFreezeAttitudeSet, "FREEZE_ATTITUDE_SET"},
}};

// ENGINE_AUTO_START stays out of the group.
constexpr std::array<ClientEventId, 16> g_groupAiEvents{{
    evNavLightsSet, evBeaconLightsSet, evLandingLightsSet, evTaxiLightsSet, evStrobesSet, evLogoLightsSet,
    evCabinLightsSet, evAllLightsToggle, evFlapsSet, evSpoilersSet, evGearSet, evEngineAutoShutdown, evThrottleSet,
    evFreezeLatLonSet, evFreezeAltitudeSet, evFreezeAttitudeSet,
}};

}  // namespace

void lf_addEventToGroup(SimConnectHandle handle, std::uint32_t eventId) {
    (void)SimConnect_AddClientEventToNotificationGroup(handle, GROUP_AI, eventId, true);
}

void lf_setupSimConnect(SimConnectHandle handle) {
    for (const auto& e : g_systemEvents) (void)SimConnect_SubscribeToSystemEvent(handle, e.id, e.name);
    for (const auto& d : g_datums)
        (void)SimConnect_AddToDataDefinition(handle, d.definition, d.name, d.units, d.type, noEpsilon, unusedDatumId);
    for (const auto& e : g_clientEvents) (void)SimConnect_MapClientEventToSimEvent(handle, e.id, e.name);
    for (const auto id : g_groupAiEvents) lf_addEventToGroup(handle, id);
    (void)SimConnect_SetNotificationGroupPriority(handle, GROUP_AI, g_groupAiPriority);
}

}  // namespace zrb
