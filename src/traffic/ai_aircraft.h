#pragma once
// The manager's two aircraft records: AiAc, a static parked aircraft and the
// first part of every live one, and LiveAc, a live aircraft of the feed with
// its position block, its queue of received samples and its movement state.
// Also the two state enums with their name tables and the category names.
//
// Threads: the records live in the manager's lists (traffic_lists.h) and are
// touched by the worker thread only. The name functions are pure.

#include <cstdint>
#include <deque>
#include <limits>
#include <string_view>

#include "airports/aircraft_identity.h"
#include "foundation/geodesy.h"
#include "simlink/sim_queues.h"
#include "traffic/category_name.h"
#include "traffic/pos_sample.h"

namespace zrb {

// Lifecycle of a record: buffer (new) -> adding2sim (create prepared or
// queued) -> active (the simulator made it) -> removingfromsim (removal asked)
// -> erased when the simulator reports the removal. active -> liveryrespawn ->
// back to buffer when the old object is gone.
enum class LifecycleState : std::uint32_t { buffer = 0, adding2sim = 1, active = 2, liveryrespawn = 3, removingfromsim = 4 };

// Movement of a live aircraft.
enum class MovementState : std::uint32_t {
    pushingBack = 0,
    pushedBack = 1,
    taxi = 2,
    takeOff = 3,
    flying = 4,
    parking = 5,
    parked = 6,
    birth = 7,
};

// Plan kinds of a static aircraft: 0 planned for a live aircraft, 1 from the
// stand options (every live record has 1 too).
inline constexpr std::uint32_t g_planKindOptions = 1;

// Throttle index 5 and flaps index 4: nothing sent yet, so the first command
// of either always goes out, even for 0.
inline constexpr std::uint32_t g_throttleNoneSent = 5;
inline constexpr std::uint32_t g_flapsNoneSent = 4;

// Hex ids above this are live aircraft, the others static ones.
inline constexpr std::uint32_t g_liveHexIdAbove = 10000;

inline constexpr std::int32_t g_initialWindowPasses = 1000;
inline constexpr double g_aglUnknownFt = 2500.0;  // until the simulator's ground data arrive

struct AiAc : AcIdentity {
    std::uint32_t objectId = 0;  // simulator object, 0 = not created
    // The stand position and heading of a static aircraft, or of a live one
    // born at a stand or driving onto one (the stand copy).
    double lat = 0.0;      // degrees
    double lon = 0.0;      // degrees
    double heading = 0.0;  // radians
    // Weekday 1..7 and half-hour 0..47 of the parking record.
    std::uint32_t day = 0;
    std::uint32_t slot = 0;
    std::uint32_t liveHexId = 0;  // the live aircraft a static one stands for, 0 none
    std::uint32_t standId = 0;    // the stand's number, 0 none
    LifecycleState fs = LifecycleState::buffer;
    std::uint32_t throttleIndex = g_throttleNoneSent;  // 0..4
    std::uint32_t flapsIndex = g_flapsNoneSent;        // 0..3
    // The cargo attribute of the stand at creation (static) or when the stand
    // was chosen (live); it decides the cabin lights at shut-down.
    std::uint32_t standCargo = 0;
    std::uint32_t planKind = g_planKindOptions;
    std::uint8_t removeWhenCreated = 0;  // a removal was asked while the create was pending
    std::uint8_t dropFromList = 0;       // erased at the end of the pass, nothing sent
    std::uint8_t cancelled = 0;          // the queued create was withdrawn; erased likewise
};

struct LiveAc : AiAc {
    LiveAc(const PosSample& first, const AcIdentity& identity, double feedTimeS);

    // Sent every pass (definition 402): degrees, radians, feet, ft/s, knots.
    AiPositionBlock block;
    std::deque<PosSample> samples;  // oldest first
    double feedTime = 0.0;          // s, of the last accepted record
    double lastCheckLat = 0.0;      // degrees, at the last collision check
    double lastCheckLon = 0.0;
    std::int64_t parkTimeS = 0;     // system time it was born at a stand or parked (s since 1970)
    std::int32_t holdMarker = 0;    // the intake's gap rules apply only while below 1
    std::int32_t waitingSince = 0;  // pass tick
    MovementState st = MovementState::birth;
    MovementState prevSt = MovementState::birth;  // written only when st changes
    std::uint8_t atStandChecked = 0;
    std::uint8_t onGround = 0;           // from the simulator's ground data
    std::uint8_t flightPlanWritten = 0;  // the simulator accepted its plan
    std::uint8_t waitingForUser = 0;     // spawn held back by the user's aircraft
    std::uint8_t waiting = 0;

    // ---------------------------------------------------------------- movement state
    // Per-pass rates: degrees, radians and feet per 10 ms pass.
    double latRate = 0.0;
    double lonRate = 0.0;
    double pitchRate = 0.0;
    double bankRate = 0.0;
    double headingRate = 0.0;
    double altitudeRate = 0.0;
    double passGroundSpeed = 0.0;  // knots, negative while pushing back
    double pathBearing = 0.0;      // radians
    CurvePath curve;               // the ground path; its control point NaN: none
    double curveProgress = 0.0;    // 0..0.999999
    double curveStep = 0.0;        // progress per pass
    double curveTurnDeg = 0.0;
    std::uint8_t headingOff = 0;   // the heading is more than 3° off the path bearing
    double headingOffDeg = 0.0;
    PosSample pushSidePoint;       // end point of the pushback turn to the other side
    LatLon lastParkTry;            // where the last stand search looked
    std::int32_t earlyWindow = g_initialWindowPasses;  // passes
    std::int32_t lateWindow = g_initialWindowPasses;   // passes
    std::int32_t pushStage = 0;    // 2 first leg, 1 last leg, 0 after
    std::int32_t phaseCounter = 1; // take-off and landing, in passes
    std::int32_t moveCount = 0;
    double trackHeading = 0.0;     // radians
    double agl = g_aglUnknownFt;   // feet above ground
    double touchdownHeading = 0.0; // radians
    double lastWaitDistance = 0.0; // NM
    double firstMoveDistance = 0.0;  // NM
    double lastMoveDistance = 0.0;   // NM
    double headingOverride = 0.0;  // radians, used at spawn when set
    std::uint8_t headingOverrideSet = 0;
    std::uint8_t turnRight = 0;
    std::uint8_t turnDecided = 0;
    std::int32_t flareStage = 0;   // 0 none, 1..4 during the flare
    double referenceElevation = 0.0;  // feet, of the flare
    std::uint8_t referenceKnown = 0;
    std::uint8_t approach = 0;
    std::uint8_t turnaroundPending = 0;
    std::uint8_t towed = 0;
    std::uint8_t climbOut = 0;
    std::uint8_t landed = 0;
    std::uint8_t lightsHigh = 0;
    std::uint8_t lightsLow = 0;
    std::uint8_t touchedDownOnce = 0;  // the second touchdown flag
    std::uint8_t touchedDown = 0;
    std::uint8_t departing = 0;
    std::uint8_t standWatchStarted = 0;  // the movement watch at the stand has its first distance
    std::uint8_t coupledSearched = 0;  // the coupled-callsign search has run
    std::int32_t failedPasses = 0;     // passes in a row whose step threw
};

// A static aircraft at a stand: identity copied, object id 0, the stand's
// position and heading, day/slot and live hex id 0, state buffer, throttle 5,
// flaps 4, the stand's cargo flag, the three flags clear.
AiAc gf_initStaticAc(const AcIdentity& identity, std::uint32_t standId, double lat, double lon, double heading,
                     std::uint32_t cargo);

// Copies the identity part only.
void lf_copyIdentity(AcIdentity& to, const AcIdentity& from);

// "buffer", "adding2sim", ...; "pushing_back", ..., "birth"; "Light", ...,
// "Rotorcraft" (category_name.h). A value without an entry throws std::out_of_range
// "invalid unordered_map<K, T> key".
std::string_view gf_liveStateName(std::uint32_t state);
std::string_view gf_phaseName(std::uint32_t st);
inline std::string_view gf_liveStateName(LifecycleState state) { return gf_liveStateName(static_cast<std::uint32_t>(state)); }
inline std::string_view gf_phaseName(MovementState st) { return gf_phaseName(static_cast<std::uint32_t>(st)); }

// Largest change of ground speed per pass (knots) and the speed of the drive
// onto a stand (knots) of a category. Throw as the name tables do.
double gf_maxSpeedChange(std::uint32_t category);
double gf_standApproachSpeed(std::uint32_t category);

// Sets st, keeping the old value as prevSt when it changes.
void gf_setPhase(LiveAc& aircraft, MovementState st);

inline bool gf_isLiveHexId(std::uint32_t hexId) { return hexId > g_liveHexIdAbove; }

}  // namespace zrb
