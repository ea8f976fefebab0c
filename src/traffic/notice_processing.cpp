#include "traffic/notice_processing.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "airports/aircraft_keys.h"
#include "config/parameters.h"
#include "foundation/log.h"
#include "simlink/sim_requests.h"
#include "traffic/ac_events.h"
#include "traffic/creation_backoff.h"
#include "traffic/flight_plans.h"
#include "traffic/parking.h"
#include "traffic/live_driver.h"
#include "traffic/livery_bookkeeping.h"
#include "traffic/removal.h"
#include "traffic/traffic_lists.h"

namespace zrb {

std::vector<SimNotice> g_newObjects = [] {
    std::vector<SimNotice> list;
    list.reserve(g_newObjectReserve);
    return list;
}();

namespace {

constexpr std::int32_t doneCounter = -1;

// The notices of this pass, taken out of g_simNotices (worker thread).
std::vector<SimNotice> g_takenNotices = [] {
    std::vector<SimNotice> list;
    list.reserve(g_simNoticeReserve);
    return list;
}();

bool lf_isKind(const SimNotice& n, SimNoticeKind kind) { return n.kind == static_cast<std::uint32_t>(kind); }

bool lf_waitingForActivation(std::uint32_t objectId) {
    return std::any_of(g_newObjects.begin(), g_newObjects.end(),
                       [objectId](const SimNotice& e) { return e.objectId == objectId && e.counter != doneCounter; });
}

// An object the manager has no record for would stay in the simulator for
// good: it is removed like any other.
void lf_removeOrphan(std::uint32_t objectId, std::uint32_t hexId) {
    gf_logMarked("object {} (hexid {}) has no aircraft record, removed", objectId, hexId);
    g_removalDeque.push_back(objectId);
}

void lf_liveCreated(const SimNotice& n, const std::vector<std::uint32_t>& removedNow) {
    LiveAc* a = gf_findLive(n.hexId);
    const bool expected = a != nullptr && a->fs == LifecycleState::adding2sim && a->objectId == 0;
    if (std::find(removedNow.begin(), removedNow.end(), n.objectId) != removedNow.end()) {
        // Created and gone again before the manager saw either: the record goes too.
        if (expected) lf_eraseAc(*a);
        return;
    }
    if (lf_waitingForActivation(n.objectId) || (a != nullptr && a->objectId == n.objectId)) return;  // a repeat
    if (!expected) {
        lf_removeOrphan(n.objectId, n.hexId);
        return;
    }
    a->objectId = n.objectId;
    a->agl = n.b;
    if (!a->samples.empty() && a->samples.front().airborne == 0) lf_park(*a);
    lf_createFlightPlan(*a);
    gf_requestStaticCg(n.objectId);
    g_newObjects.push_back(n);
}

void lf_staticCreated(const SimNotice& n, const std::vector<std::uint32_t>& removedNow) {
    AiAc* s = gf_findStatic(n.hexId);
    const bool expected = s != nullptr && s->fs == LifecycleState::adding2sim && s->objectId == 0;
    if (std::find(removedNow.begin(), removedNow.end(), n.objectId) != removedNow.end()) {
        if (expected) lf_eraseStaticAc(*s);
        return;
    }
    if (lf_waitingForActivation(n.objectId) || gf_findStaticByObject(n.objectId) != nullptr) return;
    if (!expected) {
        lf_removeOrphan(n.objectId, n.hexId);
        return;
    }
    // Known at once, so that a removal reported during the wait finds it.
    s->objectId = n.objectId;
    g_newObjects.push_back(n);
}

void lf_groundData(const SimNotice& n) {
    LiveAc* a = gf_findLiveByObject(n.objectId);
    if (a == nullptr) return;
    if (n.hexId == 1 && a->onGround == 0 && a->phaseCounter < 2 && a->fs != LifecycleState::removingfromsim &&
        a->st != MovementState::takeOff) {
        if (a->flareStage != 0 || a->approach != 0) lf_setOnGroundSlots(*a);
        // The speed-change value stays: it is also the climb limit of the next take-off.
        a->onGround = 1;
        a->phaseCounter = 1;
    }
    a->agl = n.b;
    if (a->onGround != 0 || a->phaseCounter > 1) a->block.altitudeFt = n.a + a->cgHeight;
}

void lf_centreOfGravity(const SimNotice& n) {
    LiveAc* a = gf_findLiveByObject(n.objectId);
    if (a == nullptr) return;
    if (n.a >= g_minCgHeightFt && n.a <= g_maxCgHeightFt) a->cgHeight = n.a;
    const bool refused = !std::isfinite(n.b) || n.b <= g_lowestParkedPitchRad || n.b > g_highestParkedPitchRad;
    a->parkedPitch = refused ? g_defaultParkedPitchRad : n.b;
}

// The simulator did not create the aircraft: its record goes (with the stand
// it claimed), and only a livery the simulator refused counts as failing. An
// aircraft refused for another reason (too many objects) may come back with
// its next feed record; one whose creation went unanswered waits longer
// (creation_backoff.h). Gives the callsign it was sent under, when its record
// was still there.
std::optional<std::string> lf_creationFailed(const SimNotice& n, bool liveryFailed) {
    AiAc failed;
    if (gf_isLiveHexId(n.hexId)) {
        LiveAc* a = gf_findLive(n.hexId);
        if (a == nullptr) return std::nullopt;
        failed = *a;
        lf_eraseAc(*a);
    } else {
        AiAc* s = gf_findStatic(n.hexId);
        if (s == nullptr) return std::nullopt;
        failed = *s;
        lf_eraseStaticAc(*s);
    }
    if (liveryFailed)
        gf_liveryCreationFailed(failed);
    else if (LOG.value)
        gf_logLine("{} was not created by the simulator, dropped", gf_acLogKey(failed));
    return failed.callsign;
}

void lf_activateLive(SimNotice& e) {
    LiveAc* a = gf_findLiveByObject(e.objectId);
    if (a == nullptr) {
        lf_removeOrphan(e.objectId, e.hexId);
        return;
    }
    lf_activateAc(*a);
    if (a->removeWhenCreated != 0) {
        a->removeWhenCreated = 0;
        removeAircraftFromSim(*a);
    }
}

void lf_activateStatic(SimNotice& e) {
    AiAc* s = gf_findStaticByObject(e.objectId);
    if (s == nullptr) {
        lf_removeOrphan(e.objectId, e.hexId);
        return;
    }
    s->fs = LifecycleState::active;
    gf_shutDownAc(*s);
    if (LOG.value) gf_logLine("{:8}: {:8} parked", lf_standName(s->standId), s->callsign);
    if (s->removeWhenCreated != 0) {
        s->removeWhenCreated = 0;
        removeAircraftFromSim(*s);
    }
}

}  // namespace

void gf_processSimNotices() {
    // The two vectors trade places every pass and keep their room.
    std::vector<SimNotice>& notices = g_takenNotices;
    notices.clear();
    {
        std::lock_guard lock(g_noticeMutex);
        if (g_simNotices.empty() && g_newObjects.empty()) return;
        notices.swap(g_simNotices);
    }
    // Objects reported removed in this batch, so that a creation reported after
    // its own removal does not bring a dead object to life.
    std::vector<std::uint32_t> removedNow;
    for (const SimNotice& n : notices) {
        if (lf_isKind(n, SimNoticeKind::liveCreated)) {
            if (n.objectId >= g_lowestAiObjectId) lf_liveCreated(n, removedNow);
        } else if (lf_isKind(n, SimNoticeKind::staticCreated)) {
            if (n.objectId >= g_lowestAiObjectId) lf_staticCreated(n, removedNow);
        } else if (lf_isKind(n, SimNoticeKind::removed)) {
            removedNow.push_back(n.objectId);
            gf_objectRemoved(n.objectId);
        } else if (lf_isKind(n, SimNoticeKind::groundData)) {
            lf_groundData(n);
        } else if (lf_isKind(n, SimNoticeKind::centreOfGravity)) {
            lf_centreOfGravity(n);
        } else if (lf_isKind(n, SimNoticeKind::blocked)) {
            lf_removeBlocked(n.hexId);
        } else if (lf_isKind(n, SimNoticeKind::creationFailed)) {
            lf_creationFailed(n, true);
        } else if (lf_isKind(n, SimNoticeKind::creationRefused)) {
            lf_creationFailed(n, false);
        } else if (lf_isKind(n, SimNoticeKind::creationUnanswered)) {
            if (const auto callsign = lf_creationFailed(n, false)) gf_backOffCreation(*callsign);
        }
    }
    if (!g_newObjects.empty()) lf_activateNewObjects();
}

void gf_objectRemoved(std::uint32_t objectId) {
    if (objectId == 0) return;
    for (SimNotice& e : g_newObjects)
        if (e.objectId == objectId) e.counter = doneCounter;
    if (LiveAc* a = gf_findLiveByObject(objectId)) {
        gf_deleteFlightPlan(*a);
        if (a->fs == LifecycleState::liveryrespawn) {
            a->fs = LifecycleState::buffer;
            a->throttleIndex = g_throttleNoneSent;
            a->flapsIndex = g_flapsNoneSent;
            a->objectId = 0;
            return;
        }
        lf_eraseAc(*a);
        return;
    }
    if (AiAc* s = gf_findStaticByObject(objectId)) lf_eraseStaticAc(*s);
}

void lf_removeBlocked(std::uint32_t hexId) {
    LiveAc* a = gf_findLive(hexId);
    if (a == nullptr) return;
    switch (a->fs) {
        case LifecycleState::buffer:
            if (LOG.value) gf_logLine("{} will be removed from buffer while blocked", gf_acLogKey(*a));
            a->dropFromList = 1;
            break;
        case LifecycleState::adding2sim:  // its creation is withdrawn, or it goes once created
        case LifecycleState::active:
            if (LOG.value) gf_logLine("{} removed from simulator immediately while blocked", gf_acLogKey(*a));
            removeAircraftFromSim(*a);
            break;
        default: break;
    }
}

void lf_activateNewObjects() {
    bool anyDone = false;
    // Activation may queue events and removals but never adds to this list.
    for (SimNotice& e : g_newObjects) {
        if (e.counter == doneCounter) {
            anyDone = true;
            continue;
        }
        const bool live = lf_isKind(e, SimNoticeKind::liveCreated);
        if (e.counter < g_newObjectWaitPasses) {
            ++e.counter;
            if (live && (e.counter == g_firstLightsTogglePass || e.counter == g_secondLightsTogglePass))
                gf_allLightsToggle(e.objectId);
            if (e.counter < g_newObjectWaitPasses) continue;
        }
        if (live)
            lf_activateLive(e);
        else
            lf_activateStatic(e);
        e.counter = doneCounter;
        anyDone = true;
    }
    if (anyDone) std::erase_if(g_newObjects, [](const SimNotice& e) { return e.counter == doneCounter; });
}

}  // namespace zrb
