#include "traffic/traffic_pass.h"

#include <algorithm>
#include <array>

#include "airports/aircraft_keys.h"
#include "airports/park_airport.h"
#include "airports/park_airport_choice.h"
#include "airports/stand.h"
#include "airports/static_parking_plan.h"
#include "config/paths.h"
#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "shell/common/main_window_state.h"
#include "shell/common/run_state.h"
#include "simlink/sim_queues.h"
#include "simlink/sim_requests.h"
#include "simlink/user_aircraft.h"
#include "traffic/creation_backoff.h"
#include "traffic/doubles_check_queue.h"
#include "traffic/feed_intake.h"
#include "traffic/live_driver.h"
#include "traffic/livery_bookkeeping.h"
#include "traffic/notice_processing.h"
#include "traffic/parked_aircraft.h"
#include "traffic/static_parking.h"
#include "traffic/traffic_lists.h"
#include "traffic/ui_lock.h"

namespace zrb {

namespace {

constexpr std::size_t standTableReserve = 512;
constexpr std::size_t parkedLiveReserve = 64;

// Worker thread: the user copy has been taken in this run.
bool g_userCopyTaken = false;
// Worker thread: the history records of this pass (keeps its room).
std::vector<TrafficRecord> g_historyTaken;

bool lf_every(std::int32_t tick, std::int32_t passes) { return tick % passes == 0; }

// A create request the simulator would refuse for its text (a callsign longer
// than its field) would look like a failed livery: such an aircraft goes at once.
bool lf_createRequestFits(const LiveAc& a) {
    if (a.callsign.empty()) {
        gf_logMarked("{} {} objectid = 0?", "lf_handleAddingStack", gf_acLogKey(a));
        return false;
    }
    if (a.callsign.size() > g_maxCallsignChars) {
        gf_logMarked("{} callsign '{}' longer than {} characters, not created", "lf_handleAddingStack", a.callsign,
                     g_maxCallsignChars);
        return false;
    }
    return true;
}

void lf_processRecord(const TrafficRecord& record) {
    try {
        gf_processTrafficRecord(record);
    } catch (const std::exception& e) {
        gf_logMarked("{}: {}", "gf_processTrafficRecord", e.what());
    }
}

// The history first, a share of it each pass, oldest first; then at most two
// live records, from the back. Taken under the run mutex, processed after it
// is let go.
void lf_takeFeedRecords() {
    std::array<TrafficRecord, g_recordsPerPass> taken;
    std::size_t count = 0;
    std::vector<TrafficRecord>& history = g_historyTaken;
    history.clear();
    {
        std::lock_guard lock(g_runMutex);
        while (history.size() < g_historyRecordsPerPass && !g_pendingHistoryRecords.empty()) {
            history.push_back(std::move(g_pendingHistoryRecords.front()));
            g_pendingHistoryRecords.pop_front();
        }
        while (history.empty() && count < taken.size() && !g_pendingTrafficRecords.empty()) {
            taken[count++] = std::move(g_pendingTrafficRecords.back());
            g_pendingTrafficRecords.pop_back();
        }
    }
    for (const TrafficRecord& record : history) lf_processRecord(record);
    for (std::size_t i = 0; i < count; ++i) lf_processRecord(taken[i]);
}

void lf_popSpawnStack() {
    if (g_spawnStack.empty()) return;
    const std::uint32_t hexId = g_spawnStack.back();
    g_spawnStack.pop_back();
    LiveAc* a = gf_findLive(hexId);
    if (a == nullptr || a->fs != LifecycleState::adding2sim) return;
    if (!lf_createRequestFits(*a)) {
        a->dropFromList = 1;
        return;
    }
    CreateAcRequest request;
    request.initPos.latitudeDeg = a->block.latitudeDeg;
    request.initPos.longitudeDeg = a->block.longitudeDeg;
    request.initPos.altitudeFt = a->block.altitudeFt;
    request.initPos.pitchDeg = a->block.pitchRad * g_radToDeg;
    request.initPos.bankDeg = a->block.bankRad * g_radToDeg;
    request.initPos.headingDeg = a->block.headingRad * g_radToDeg;
    request.initPos.onGround = a->samples.empty() || a->samples.front().airborne == 0 ? 1 : 0;
    request.initPos.airspeedKt = 0;
    request.callsign = a->callsign;
    request.title = std::string(a->title);
    request.hexId = a->hexId;
    g_liveCreateDeque.push_back(std::move(request));
}

// The fast cadence outlives no flare: a go-around or a removal during the
// flare would otherwise keep it for the rest of the run.
void lf_checkFastRange() {
    if (!g_fastRange) return;
    const bool flaring = std::any_of(g_liveList.begin(), g_liveList.end(), [](const LiveAc& a) { return a.flareStage > 0; });
    if (!flaring) g_fastRange = false;
}

// A creation becomes an aircraft of the program only when a range reply lists
// its new object. The traffic radius alone can miss it: the park airport may
// lie farther away than a small traffic range reaches, and the user may have
// moved on since a live aircraft was created. While creations wait, the
// radius reaches the farthest of them, as far as the simulator allows.
std::uint32_t lf_searchRadiusM() {
    double radius = g_objectSearchRadiusM.load();
    const LatLon user{g_userAcCopy.lat, g_userAcCopy.lon};
    if (!gf_hasPosition(user.lat, user.lon)) return static_cast<std::uint32_t>(std::min(radius, g_maxSearchRadiusM));
    const auto reach = [&](double lat, double lon) {
        const double needed = gf_distanceNm(user, LatLon{lat, lon}) * g_metresPerNm + g_searchRadiusMarginM;
        if (needed > radius) radius = needed;  // false for NaN
    };
    for (const LiveAc& a : g_liveList)
        if (a.fs == LifecycleState::adding2sim) reach(a.block.latitudeDeg, a.block.longitudeDeg);
    for (const AiAc& a : g_staticList)
        if (a.fs == LifecycleState::adding2sim) reach(a.lat, a.lon);
    return static_cast<std::uint32_t>(std::min(radius, g_maxSearchRadiusM));
}

void lf_requestRange(std::int32_t tick) {
    lf_checkFastRange();
    if (!lf_every(tick, g_fastRange ? g_fastRangeEveryPasses : g_rangeEveryPasses)) return;
    gf_requestAircraftInRange(lf_searchRadiusM());
}

}  // namespace

void lf_handleAddingStack() {
    gf_processSimNotices();
    lf_updateAllLive();
    lf_popTimedQueues();
    if (g_staticFlagged) lf_eraseFlaggedStatic();
    lf_takeFeedRecords();
    lf_popSpawnStack();
    const std::int32_t tick = g_passTick.load();
    lf_requestRange(tick);
    if (lf_every(tick, g_userCopyEveryPasses) || !g_userCopyTaken) {
        g_userAcCopy = gf_getUserAcPosition();
        g_userCopyTaken = true;
    }
    // Wraps after 248 days, and defined so: atomic arithmetic is modular.
    g_passTick.fetch_add(1);
}

void lf_updateAllLive() {
    bool erase = false;
    for (LiveAc& a : g_liveList)
        if (updateLiveAc(a)) erase = true;
    if (erase) lf_eraseFlaggedLive();
    gf_exchangePosUpdates();
}

void lf_popTimedQueues() {
    const std::int32_t tick = g_passTick.load();
    if (lf_every(tick, g_removalEveryPasses) && !g_removalDeque.empty()) {
        gf_queueRemoval(g_removalDeque.front());
        g_removalDeque.pop_front();
    }
    if (!lf_every(tick, g_createEveryPasses)) return;
    if (!g_liveCreateDeque.empty()) {
        gf_queueCreateAc(g_liveCreateDeque.front());
        g_liveCreateDeque.pop_front();
        return;
    }
    if (!g_staticCreateDeque.empty()) {
        gf_queueCreateAc(g_staticCreateDeque.front());
        g_staticCreateDeque.pop_front();
    }
    if (!PendingParkingList.empty()) lf_findStaticParking();
}

void gf_reserveTrafficLists() {
    static bool reserved = false;
    if (reserved) return;
    reserved = true;
    g_liveList.reserve(g_liveListReserve);
    g_staticList.reserve(g_staticListReserve);
    gf_reserveStandTable(standTableReserve);
    ParkedLiveList.reserve(parkedLiveReserve);
    g_newObjects.reserve(g_newObjectReserve);
    std::lock_guard lock(g_noticeMutex);
    g_simNotices.reserve(g_simNoticeReserve);
}

void gf_resetTraffic() {
    gf_clearCurrentParkAirport();
    g_mainWindowState.parkAirportReady = false;
    g_mainWindowState.stands = 0;
    gf_invalidateBand(g_lowerBand);
    {
        std::lock_guard lock(g_noticeMutex);
        g_simNotices.clear();
    }
    g_newObjects.clear();
    g_ghostList.clear();
    gf_resetStaticParkingPlan();
    gf_resetParkAirportChoice();
    gf_clearRememberedLiveries();
    g_spawnStack.clear();
    g_noMatchSet.clear();
    gf_resetCreationBackoff();
    g_removalDeque.clear();
    lf_freeCreateDeque(g_liveCreateDeque);
    lf_freeCreateDeque(g_staticCreateDeque);
    g_staticList.clear();
    g_staticFlagged = false;
    {
        std::lock_guard lock(g_runMutex);
        g_pendingTrafficRecords.clear();
        g_pendingHistoryRecords.clear();
    }
    LearnedLiveList.clear();
    g_liveList.clear();
    gf_clearStandTable();
    lf_resetDoublesCheck();
    lf_resetStaticParking();
    ParkedLiveList.clear();
    g_uiBusy = false;
    g_currentDaySlot = 0;
    g_fastRange = false;
    g_userAcCopy = UserAcData{};
    g_userCopyTaken = false;
    g_qnh = g_standardQnh;
}

}  // namespace zrb
