#pragma once
// What the manager asks of the simulator, queued under g_simConnectMutex and
// sent by the "SimClient" thread on every Frame event, in this order: position
// updates, client events, creations, removals.
//
// Ownership: the client-event, create and removal queues and the send half of
// the position buffer belong to g_simConnectMutex. The write half of the
// position buffer is the worker thread's alone; only gf_exchangePosUpdates
// swaps it with the send half, under the mutex.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "simconnect/simconnect.h"

namespace zrb {

// One queued client event (ids of sim_ids.h).
struct ClientEventRequest {
    std::uint32_t objectId = 0;
    std::uint32_t eventId = 0;
    std::uint32_t data = 0;
};

// One AI aircraft to create. The title is held by value: a queued request must
// not depend on the livery list staying where it is.
struct CreateAcRequest {
    SimConnectInitPosition initPos;  // degrees, feet, on ground, airspeed 0
    std::string callsign;            // the tail number the simulator reports as ATC ID
    std::string title;               // the livery title
    std::uint32_t hexId = 0;         // above 10000 for a live aircraft
};

// The data of definition 402, eight 64-bit floats in this order.
struct AiPositionBlock {
    double latitudeDeg = 0.0;
    double longitudeDeg = 0.0;
    double pitchRad = 0.0;
    double bankRad = 0.0;
    double headingRad = 0.0;  // true
    double altitudeFt = 0.0;
    double verticalSpeedFtPerS = 0.0;
    double trueAirspeedKt = 0.0;
};
static_assert(sizeof(AiPositionBlock) == 64, "definition 402 is eight doubles");

struct PosUpdate {
    AiPositionBlock block;
    std::uint32_t objectId = 0;
};

// The tail-number field holds 11 characters and the title field 255; a longer
// text cannot be sent, so such a request is refused as that one aircraft's
// failure (a creation-failed notice) and never as an error of the whole run.
inline constexpr std::size_t g_maxCallsignChars = 11;
inline constexpr std::size_t g_maxTitleChars = 255;

// Room kept in each queue, so the flush does not allocate in steady state.
inline constexpr std::size_t g_simQueueReserve = 256;

// Frame rates above this make the worker wait for a busy mutex instead of
// dropping a pass of position updates.
inline constexpr float g_dropUpdatesMaxFrameRate = 50.0F;

// ---------------------------------------------------------------- the manager's side (any thread, waits for the mutex)
void gf_queueClientEvent(const ClientEventRequest& request);
// NAV, BEACON, LANDING, TAXI, STROBES, LOGO and CABIN lights, in that order.
void gf_setLights(std::uint32_t objectId, const std::array<std::uint32_t, 7>& states);
void gf_setCabinLights(std::uint32_t objectId, std::uint32_t state);
void gf_queueCreateAc(const CreateAcRequest& request);
void gf_queueRemoval(std::uint32_t objectId);

// Worker thread only: appends to the write half.
void gf_writePosUpdate(const PosUpdate& update);
// Worker thread only: makes this pass's updates the ones the next Frame sends.
// When the mutex is busy and the simulator runs at 50 frames per second or
// less, this pass's updates are dropped instead of waited for (false).
bool gf_exchangePosUpdates();
// Empties both halves.
void gf_clearPositionBuffers();

// Copies of the queues, for the manager's checks and for tests.
std::vector<ClientEventRequest> gf_queuedClientEvents();
std::vector<CreateAcRequest> gf_queuedCreates();
std::vector<std::uint32_t> gf_queuedRemovals();

// ---------------------------------------------------------------- the SimClient thread's side
// A new AI aircraft is ours: AIReleaseControl at once, then the three freezes
// (data 1) are queued, so it moves only by our position updates.
void lf_releaseAndFreezeAc(std::uint32_t objectId);
// The Frame event: sends and empties the queues when the mutex is free. A
// creation whose callsign has a creation still unanswered stays queued.
void lf_onFrameFlushQueues();

// ---------------------------------------------------------------- errors and runs
// "SimConnect request error" (shown and logged), the error flag, and a stop
// with SIMCONNECT ERROR and a 9 s restart unless a stop is already set. Must
// not be called with g_simConnectMutex held.
void gf_simConnectRequestError();
// Start of a run, before the SimClient thread starts: the simulator version,
// room in the queues, empty queues, the error flag cleared; and the feed is
// told where the user aircraft's position and stand come from.
void gf_resetSimQueues(std::int32_t simVersion);

}  // namespace zrb
