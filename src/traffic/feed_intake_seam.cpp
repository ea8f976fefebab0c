// The intake's least form: a record of a known aircraft is queued as its next
// sample, a record of an unknown one of an enabled category starts a new live
// aircraft. None of the plausibility, landing or respawn rules apply yet. The
// intake's issue replaces this file (keeping gf_processTrafficRecord) and the
// feed's tests then read the live list instead of the records kept here.
#include <algorithm>
#include <atomic>
#include <deque>

#include "airports/aircraft_from_livery.h"
#include "foundation/log.h"
#include "liveries/dbase.h"
#include "traffic/category_enabled.h"
#include "traffic/feed_intake.h"
#include "traffic/removal.h"
#include "traffic/traffic_lists.h"

namespace zrb {

namespace {

constexpr std::size_t keptRecords = 4096;
constexpr std::size_t maxQueuedSamples = 200;
constexpr double sameTimeS = 1.0;
constexpr double samePositionDeg = 1e-8;

// Owns g_processedRecords.
std::mutex g_processedMutex;
std::deque<TrafficRecord> g_processedRecords;

void lf_keep(const TrafficRecord& record) {
    std::lock_guard lock(g_processedMutex);
    if (g_processedRecords.size() >= keptRecords) g_processedRecords.pop_front();
    g_processedRecords.push_back(record);
}

void lf_nextSample(LiveAc& a, const TrafficRecord& record) {
    if (a.fs == LifecycleState::liveryrespawn || a.fs == LifecycleState::removingfromsim) return;
    if (!a.samples.empty() && static_cast<double>(record.time) - a.feedTime <= sameTimeS) return;
    if (a.samples.size() >= maxQueuedSamples) {
        removeAircraftFromSim(a);
        return;
    }
    PosSample s = record.sample;
    if (!a.samples.empty()) {
        const PosSample& last = a.samples.back();
        if (last.duePass >= s.duePass) s.duePass = last.duePass + 1;
        s.stationary = std::abs(s.lat - last.lat) < samePositionDeg && std::abs(s.lon - last.lon) < samePositionDeg;
    }
    if (a.departure.empty()) a.departure = record.departure;
    if (a.destination.empty()) a.destination = record.destination;
    a.feedTime = static_cast<double>(record.time);
    a.samples.push_back(s);
}

void lf_newLiveAc(const TrafficRecord& record) {
    const bool twin = !record.callsign.empty() && std::any_of(g_liveList.begin(), g_liveList.end(), [&](const LiveAc& a) {
        return a.callsign == record.callsign && a.type == record.type;
    });
    if (twin) return;
    AcIdentityRecord source;
    source.type = record.type;
    if (source.type.empty() || !gf_isKnownType(source.type)) {
        const auto dbase = gf_findDbaseRecord(record.registration);
        if (!dbase || dbase->type.empty()) return;
        source.type = dbase->type;
    }
    const auto category = static_cast<std::uint32_t>(gf_typeCategory(source.type));
    if (!gf_categoryEnabled(category)) return;
    source.airline = record.airline;
    source.departure = record.departure;
    source.destination = record.destination;
    source.callsign = record.callsign;
    source.text6 = record.callsign;
    source.registration = record.registration;
    AcIdentity identity = gf_aircraftFromLivery(source, record.hexId);
    identity.workingTurnStep = identity.turnStep;
    identity.maxSpeedChange = gf_maxSpeedChange(category);
    identity.standApproachSpeed = gf_standApproachSpeed(category);
    g_liveList.emplace_back(record.sample, identity, static_cast<double>(record.time));
}

}  // namespace

void gf_processTrafficRecord(const TrafficRecord& record) {
    lf_keep(record);
    if (!gf_samplePlausible(record.sample)) {
        // The history comes on the reader's thread, live records on the worker's.
        static std::atomic<bool> logged{false};
        if (!logged.exchange(true))
            gf_logMarked("feed record of hexid {} with a position off the globe dropped", record.hexId);
        return;
    }
    if (LiveAc* a = gf_findLive(record.hexId))
        lf_nextSample(*a, record);
    else
        lf_newLiveAc(record);
}

std::vector<TrafficRecord> gf_takeProcessedTrafficRecords() {
    std::lock_guard lock(g_processedMutex);
    std::vector<TrafficRecord> taken(g_processedRecords.begin(), g_processedRecords.end());
    g_processedRecords.clear();
    return taken;
}

}  // namespace zrb
