#pragma once
// The "Traffic Reader": a thread that fetches the traffic history
// once, then polls the live traffic in a box around the user until it is
// stopped, converting every reply into TrafficRecords for the intake, and
// serving the parking planner's parked-traffic requests between polls.
//
// Threads and owners:
// - m_queryMutex owns the query boxes, the box centre and range and the
//   reference position (worker writes, reader reads one snapshot per request).
// - m_parkedMutex owns the parked request's sequence number, box and result;
//   the result crosses to the worker by move, tagged with its request.
// - Atomics: the QNH, live count, parked status and request, receiving, the
//   light-ok byte and the flags of RtApiClient.
// - Reader thread only: trcurl_, ptcurl_, the reply, the records being
//   converted, the line context, the block state.
// - Worker thread only: parkedRecords (the result of the last request).

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "feed/parked_traffic_record.h"
#include "feed/rt_api_client.h"
#include "feed/traffic_record.h"

namespace zrb {

inline constexpr std::size_t g_recordsReserve = 384;
inline constexpr std::size_t g_trafficReplyReserve = 16384;
// Elements of a live-traffic array; newer services append more.
inline constexpr std::size_t g_trafficArrayElements = 48;
// History request: five batches, six seconds apart.
inline constexpr int g_historyBufferCount = 5;
inline constexpr int g_historyBufferSeconds = 6;
// Ground traffic is kept only this close to the park airport [NM].
inline constexpr double g_groundTrafficRadiusNm = 5.0;
// Parked status values besides a service status.
inline constexpr std::int32_t g_parkedPending = -1;
inline constexpr std::int32_t g_parkedDone = 0;
inline constexpr std::int32_t g_parkedFailed = 1;

struct QueryBox {
    double top = g_defaultBoxTop;
    double bottom = g_defaultBoxBottom;
    double left = g_defaultBoxLeft;
    double right = g_defaultBoxRight;
};

// What the worker hands the reader for its requests (one consistent copy).
struct TrafficQueryState {
    QueryBox liveBox;
    double refLat = 0.0;  // the user's position for the range filter
    double refLon = 0.0;
    double centreLat = 0.0;  // where the live box was last computed
    double centreLon = 0.0;
    double boxRange = -1.0;  // NM at the last computation; -1 = none
};

// Everything one reply's conversion reads of the rest of the program, taken
// once per reply so a record never sees half-changed values.
struct LineContext {
    double refLat = 0.0;
    double refLon = 0.0;
    double rangeNm = 0.0;
    std::int32_t qnh = 1013;
    std::optional<double> parkElevation;  // feet; empty = unknown
    bool parkAirportSet = false;
    double parkLat = 0.0;
    double parkLon = 0.0;
    std::string blockCallsign;
    std::string reservedStand;  // parked traffic only
    std::string userStand;      // parked traffic only
};

class TrafficReader : public RtApiClient {
public:
    TrafficReader();

    // Worker thread only: the result of the last parked-traffic request.
    std::vector<ParkedTrafficRecord> parkedRecords;
    // The traffic light shows the receiving state (worker and reset).
    std::atomic<bool> trafficLightOk{false};
    CurlHandle trcurl_;
    CurlHandle ptcurl_;
    std::string trafficReply;
    nlohmann::json parkedRecord;
    std::vector<TrafficRecord> records;  // the batch being built
    std::vector<ParkedTrafficRecord> parkedWork;  // the parked request being built
    LineContext lineContext;
    std::atomic<std::int32_t> qnh{1013};
    std::atomic<std::int64_t> liveCount{0};
    std::atomic<std::int32_t> parkedStatus{g_parkedPending};
    std::atomic<bool> parkedRequest{false};
    std::atomic<bool> receiving{false};
    bool blockArmed = true;
    std::string blockedCallsign;  // the callsign whose block was reported

    // Reader thread.
    bool receive(std::int32_t& status);
    bool buffer(std::int32_t& status);
    void parkedtraffic();
    void processLine();
    void processParkedTrafficLine(const std::string& key);
    // Converts every member of "data" that is an array of 48 or more values.
    // Taken by value: the members are moved out, never copied.
    void convertTrafficMembers(nlohmann::json data);
    // Takes the values one reply's conversion reads.
    void refreshLineContext();

    // Query state (any thread).
    TrafficQueryState queryState() const;
    void setReferencePosition(double lat, double lon);
    void setQueryState(const TrafficQueryState& state);

    // The parked request handshake. Worker: posts a request for the box and
    // returns its number; after the status left -1, takes the result when it
    // answers that request (false for a stale or missing one).
    std::uint64_t postParkedRequest(const QueryBox& box);
    bool takeParkedResult(std::uint64_t request, std::int32_t& status, std::vector<ParkedTrafficRecord>& out);
    QueryBox parkedBox() const;

    // Reset of a new run (worker, readers not running).
    void resetForNewRun();

private:
    void finishParkedRequest(std::uint64_t request, std::int32_t status);
    bool lf_readHexId(TrafficRecord& r) const;
    bool lf_readLiveRegistration(TrafficRecord& r) const;
    bool lf_checkTargetCategory(const TrafficRecord& r) const;
    void lf_deriveLiveAltitude(TrafficRecord& r) const;
    bool lf_checkBlockedCallsign(TrafficRecord& r);

    mutable std::mutex m_queryMutex;  // owns m_query
    TrafficQueryState m_query;
    mutable std::mutex m_parkedMutex;  // owns the four below
    std::uint64_t m_parkedSequence = 0;
    QueryBox m_parkedBox;
    std::uint64_t m_parkedResultSequence = 0;
    std::vector<ParkedTrafficRecord> m_parkedResult;
};

// The one Traffic Reader of the process.
extern TrafficReader g_trafficReader;

// Thread function of the "Traffic Reader".
void gf_trafficReader();
// Clears the stopped flag and starts the thread, owned by the feed (worker
// thread). The thread of the run before is joined first; std::logic_error
// when it still runs.
void gf_startTrafficReader();
// No Traffic Reader thread runs (none started, or it has finished).
bool gf_trafficReaderFinished();
// Joins the finished thread; false while it still runs.
bool gf_joinTrafficReader();

// Recomputes the live box from the user's position and the working range.
void gf_updateTrafficBox();
// Sets the window's feed lights from the readers' state (session only).
void gf_updateRtLights();
// Both readers back to their start for a new run. Their threads are joined
// first; while one still runs nothing is reset and std::logic_error is thrown.
void gf_resetRtReaders();

// Helpers of the conversion, shared with the parked traffic.
std::string lf_jsonToString(const nlohmann::json& value);
std::string lf_formatLatLon(double lat, double lon);
std::string lf_formatTrueHeading(double heading);
// Hex digits up to the first other character; nullopt without a digit or
// beyond 32 bits.
std::optional<std::uint32_t> lf_parseHexId(std::string_view text);

}  // namespace zrb
