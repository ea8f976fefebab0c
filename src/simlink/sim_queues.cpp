#include "simlink/sim_queues.h"

#include <algorithm>
#include <mutex>
#include <utility>

#include "feed/feed_shared.h"
#include "foundation/ansi_text.h"
#include "foundation/log.h"
#include "foundation/time.h"
#include "shell/common/message_line.h"
#include "shell/common/run_control.h"
#include "simlink/data_block.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_object_lists.h"
#include "simlink/sim_state.h"
#include "simlink/user_aircraft.h"
#include "simlink/user_stand.h"
#include "traffic/sim_notice.h"

namespace zrb {

namespace {

// Guarded by g_simConnectMutex.
std::vector<ClientEventRequest> g_clientEventQueue;
std::vector<CreateAcRequest> g_createQueue;
std::vector<std::uint32_t> g_removalQueue;
std::vector<PosUpdate> g_posSend;
// Worker thread only (swapped with g_posSend under g_simConnectMutex).
std::vector<PosUpdate> g_posWrite;

// What a flush found that must be reported after g_simConnectMutex is let go:
// messages reach the window and notices take the notice mutex, which comes
// before the SimConnect mutex.
struct FlushReport {
    std::vector<std::uint32_t> failedEvents;
    std::vector<std::uint32_t> refusedHexIds;
    std::vector<std::uint32_t> unansweredHexIds;
    bool requestFailed = false;
};

void lf_clearQueuesLocked() {
    g_clientEventQueue.clear();
    g_createQueue.clear();
    g_removalQueue.clear();
    g_posSend.clear();
}

// Log.txt is UTF-8; the title keeps the bytes of its aircraft.cfg, which may
// be legacy text.
void lf_refuseCreate(const CreateAcRequest& request, FlushReport& report) {
    gf_logMarked("! Simcon create refused, hexid:{}, liv: '{}', callsign: '{}' (a callsign holds at most {} and a "
                 "title at most {} characters)",
                 request.hexId, gf_legacyTextToUtf8(request.title), request.callsign, g_maxCallsignChars,
                 g_maxTitleChars);
    report.refusedHexIds.push_back(request.hexId);
}

// One creation. A text the simulator cannot take fails only this aircraft; a
// failed call fails the link.
void lf_createAcInSim(SimConnectHandle handle, const CreateAcRequest& request, FlushReport& report) {
    // The title goes as its aircraft.cfg holds it, ANSI or UTF-8: the simulator
    // knows the livery by those bytes.
    if (request.callsign.size() > g_maxCallsignChars || request.title.size() > g_maxTitleChars) {
        lf_refuseCreate(request, report);
        return;
    }
    const HRESULT hr = SimConnect_AICreateNonATCAircraft(handle, request.title.c_str(), request.callsign.c_str(),
                                                         request.initPos, reqCreateAc);
    if (hr == hresult::textTooLong) {
        lf_refuseCreate(request, report);
        return;
    }
    if (!gf_succeeded(hr)) {
        gf_logMarked("! Simcon call to create ac in sim failed, hexid:{}, liv: '{}', callsign: {})", request.hexId,
                     gf_legacyTextToUtf8(request.title), request.callsign);
        report.requestFailed = true;
        return;
    }
    std::uint32_t sendId = 0;
    if (!gf_succeeded(SimConnect_GetLastSentPacketID(handle, &sendId))) {
        gf_logMarked("GetLastSentPacketID");
        sendId = 0;
    }
    lf_pendingCreates().push_back(PendingCreate{sendId, request.hexId, request.callsign, g_rangeRequestsSent.load()});
}

// The simulator's answer names a new object by its callsign alone: while a
// creation under a callsign is unanswered, another under the same callsign
// (twins of different types) waits, so that neither takes the other's object.
void lf_sendCreations(SimConnectHandle handle, FlushReport& report) {
    // An unanswered creation would hold back its twins until the link ends.
    for (const PendingCreate& p : lf_takeUnansweredCreates()) {
        gf_logMarked("! Simcon create not answered within {} range requests, hexid:{}, callsign: '{}'",
                     g_pendingCreateRangeRequests, p.hexId, p.callsign);
        report.unansweredHexIds.push_back(p.hexId);
    }
    const auto inFlight = [](const std::string& callsign) {
        const auto& pending = lf_pendingCreates();
        return std::any_of(pending.begin(), pending.end(),
                           [&callsign](const PendingCreate& p) { return p.callsign == callsign; });
    };
    std::size_t kept = 0;
    for (std::size_t i = 0; i < g_createQueue.size(); ++i) {
        CreateAcRequest& request = g_createQueue[i];
        if (!inFlight(request.callsign)) {
            lf_createAcInSim(handle, request, report);
            continue;
        }
        if (kept != i) g_createQueue[kept] = std::move(request);
        ++kept;
    }
    g_createQueue.resize(kept);
}

void lf_sendClientEvents(SimConnectHandle handle, FlushReport& report) {
    for (const ClientEventRequest& e : g_clientEventQueue) {
        // Flaps only move on an aircraft the simulator's AI does not hold.
        const bool flaps = e.eventId == evFlapsSet;
        if (flaps) (void)SimConnect_AIReleaseControl(handle, e.objectId, reqReleaseControl);
        const HRESULT hr = SimConnect_TransmitClientEvent(handle, e.objectId, e.eventId, e.data, GROUP_AI, 0);
        if (!gf_succeeded(hr)) {
            report.failedEvents.push_back(e.eventId);
            continue;
        }
        if (flaps) (void)SimConnect_AIReleaseControl(handle, e.objectId, reqReleaseControl);
    }
    g_clientEventQueue.clear();
}

void lf_sendRemovals(SimConnectHandle handle, std::uint32_t userObjectId, FlushReport& report) {
    for (const std::uint32_t objectId : g_removalQueue) {
        if (objectId <= userObjectId) {
            gf_logMarked("SimConnect call to remove ac with objectid {}", objectId);
            continue;
        }
        if (!gf_succeeded(SimConnect_AIRemoveObject(handle, objectId, reqRemoveAc))) {
            gf_logMarked("{} !SimConnect call to remove AI ac from sim failed, id {}?", gf_timeOfDayText(), objectId);
            report.requestFailed = true;
            continue;
        }
        // An object the simulator no longer knows is answered with an
        // exception instead of "ObjectRemoved"; its send id tells which.
        std::uint32_t sendId = 0;
        if (gf_succeeded(SimConnect_GetLastSentPacketID(handle, &sendId))) lf_rememberRemoval(sendId, objectId);
    }
    g_removalQueue.clear();
}

void lf_report(const FlushReport& report) {
    for (const std::uint32_t eventId : report.failedEvents)
        gf_showMessage(fmt::format("SimConnect TransmitClientEvent: {} fails", eventId), true);
    for (const std::uint32_t hexId : report.refusedHexIds)
        if (hexId != 0)
            gf_pushSimNotice(SimNotice{0, hexId, 0, static_cast<std::uint32_t>(SimNoticeKind::creationFailed)});
    for (const std::uint32_t hexId : report.unansweredHexIds)
        if (hexId != 0)
            gf_pushSimNotice(SimNotice{0, hexId, 0, static_cast<std::uint32_t>(SimNoticeKind::creationUnanswered)});
    if (report.requestFailed) gf_simConnectRequestError();
}

}  // namespace

void gf_queueClientEvent(const ClientEventRequest& request) {
    std::lock_guard lock(g_simConnectMutex);
    g_clientEventQueue.push_back(request);
}

void gf_setLights(std::uint32_t objectId, const std::array<std::uint32_t, 7>& states) {
    static constexpr std::array<std::uint32_t, 7> lightEvents{evNavLightsSet,     evBeaconLightsSet, evLandingLightsSet,
                                                              evTaxiLightsSet,    evStrobesSet,      evLogoLightsSet,
                                                              evCabinLightsSet};
    std::lock_guard lock(g_simConnectMutex);
    for (std::size_t i = 0; i < lightEvents.size(); ++i)
        g_clientEventQueue.push_back(ClientEventRequest{objectId, lightEvents[i], states[i]});
}

void gf_setCabinLights(std::uint32_t objectId, std::uint32_t state) {
    gf_queueClientEvent(ClientEventRequest{objectId, evCabinLightsSet, state});
}

void gf_queueCreateAc(const CreateAcRequest& request) {
    std::lock_guard lock(g_simConnectMutex);
    g_createQueue.push_back(request);
}

void gf_queueRemoval(std::uint32_t objectId) {
    std::lock_guard lock(g_simConnectMutex);
    g_removalQueue.push_back(objectId);
}

void gf_writePosUpdate(const PosUpdate& update) { g_posWrite.push_back(update); }

bool gf_exchangePosUpdates() {
    std::unique_lock lock(g_simConnectMutex, std::try_to_lock);
    if (!lock.owns_lock()) {
        if (g_simFrameRate.load() <= g_dropUpdatesMaxFrameRate) {
            g_posWrite.clear();
            return false;
        }
        lock.lock();
    }
    g_posWrite.swap(g_posSend);
    // What the flush had not sent yet is older than this pass: it goes.
    g_posWrite.clear();
    return true;
}

void gf_clearPositionBuffers() {
    std::lock_guard lock(g_simConnectMutex);
    g_posSend.clear();
    g_posWrite.clear();
}

std::vector<ClientEventRequest> gf_queuedClientEvents() {
    std::lock_guard lock(g_simConnectMutex);
    return g_clientEventQueue;
}

std::vector<CreateAcRequest> gf_queuedCreates() {
    std::lock_guard lock(g_simConnectMutex);
    return g_createQueue;
}

std::vector<std::uint32_t> gf_queuedRemovals() {
    std::lock_guard lock(g_simConnectMutex);
    return g_removalQueue;
}

void lf_releaseAndFreezeAc(std::uint32_t objectId) {
    std::lock_guard lock(g_simConnectMutex);
    if (g_hSimConnect != nullptr) (void)SimConnect_AIReleaseControl(g_hSimConnect, objectId, reqReleaseControl);
    for (const std::uint32_t freeze : {evFreezeLatLonSet, evFreezeAltitudeSet, evFreezeAttitudeSet})
        g_clientEventQueue.push_back(ClientEventRequest{objectId, freeze, 1});
}

void lf_onFrameFlushQueues() {
    FlushReport report;
    {
        std::unique_lock lock(g_simConnectMutex, std::try_to_lock);
        // The manager holds the mutex: everything waits for the next frame.
        if (!lock.owns_lock()) return;
        const SimConnectHandle handle = g_hSimConnect;
        if (g_simConnectError.load() || handle == nullptr) {
            lf_clearQueuesLocked();
            return;
        }
        const std::uint32_t userObjectId = g_userObjectId.load();
        for (const PosUpdate& u : g_posSend) {
            if (u.objectId <= userObjectId) continue;
            const auto bytes = gf_positionBlockBytes(u.block);
            (void)SimConnect_SetDataOnSimObject(handle, defAiPosition, u.objectId, 0, 0,
                                                static_cast<std::uint32_t>(bytes.size()), bytes.data());
        }
        g_posSend.clear();
        lf_sendClientEvents(handle, report);
        lf_sendCreations(handle, report);
        lf_sendRemovals(handle, userObjectId, report);
    }
    lf_report(report);
}

void gf_simConnectRequestError() {
    gf_showMessage("SimConnect request error", true);
    g_simConnectError = true;
    gf_requestStop(ExitReason::simConnectError, g_simConnectErrorRestartSeconds);
}

void gf_resetSimQueues(std::int32_t simVersion) {
    g_simVersion = simVersion;
    {
        std::lock_guard lock(g_simConnectMutex);
        lf_clearQueuesLocked();
        g_posWrite.clear();
        for (auto* queue : {&g_posSend, &g_posWrite}) queue->reserve(g_simQueueReserve);
        g_createQueue.reserve(g_simQueueReserve);
        g_removalQueue.reserve(g_simQueueReserve);
        g_clientEventQueue.reserve(g_simQueueReserve);
    }
    g_simConnectError = false;
    gf_setUserPositionSource([] {
        const UserAcData user = gf_userAcRecord();
        return FeedUserPosition{user.lat, user.lon, user.altitudeFt};
    });
    gf_setUserStandSource([] { return gf_getCurrentUserStand(); });
}

}  // namespace zrb
