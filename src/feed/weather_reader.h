#pragma once
// The "Weather Reader": a thread that keeps asking for the METAR
// station nearest to the user and for the weather there, and takes the QNH
// that corrects the feed altitudes from each weather reply.
//
// Threads and owners: the reader thread alone uses wrcurl_, nmcurl_, the
// reply, the station and the last QNH; weather ok and the light-ok byte are
// atomics (the worker's light check reads them); the worker resets all of it
// for a new run while the reader does not run. The login and logout of the
// session run on this object's aucurl_ (worker thread).

#include <atomic>
#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "feed/rt_api_client.h"

namespace zrb {

// The range of a believable QNH [hPa].
inline constexpr std::int32_t g_minQnh = 930;
inline constexpr std::int32_t g_maxQnh = 1080;

class WeatherReader : public RtApiClient {
public:
    WeatherReader();

    std::atomic<bool> weatherLightOk{false};
    CurlHandle wrcurl_;
    CurlHandle nmcurl_;
    std::string weatherReply;
    std::string metarStation;
    std::int32_t lastQnh = 1013;
    std::atomic<bool> weatherOk{false};

    bool receive(std::int32_t& status);
    bool nearestmetar(std::int32_t& status);
    // One weather request and what follows from its reply; false when the
    // reply's status ends the reader (stored in status).
    bool weatherPass(std::int32_t& status);
    // What the two requests make of the reply in weatherReply: the nearest
    // station (true when one was found), and the QNH (false when the reply's
    // status ends the reader). Reader thread; they may throw on odd replies,
    // which the requests catch.
    bool takeNearestMetarReply(std::int32_t& status);
    bool takeWeatherReply(std::int32_t& status);
    // A new QNH to the four places that hold it (when it differs).
    void applyQnh(std::int32_t qnh);

    void resetForNewRun();
};

// The QNH in a weather reply's "data" [hPa]; nullopt when none is usable
// (logged). Values of 1081 and more are inches of mercury × 100.
std::optional<std::int32_t> gf_findQnh(const nlohmann::json& data);
// The same with 1013 where none is usable.
std::int32_t extractQNH(const nlohmann::json& data);

// The one Weather Reader of the process; the session is its.
extern WeatherReader g_weatherReader;

// Thread function of the "Weather Reader".
void gf_weatherReader();
// Clears the stopped flag and starts the thread, owned by the feed (worker
// thread). The thread of the run before is joined first; std::logic_error
// when it still runs.
void gf_startWeatherReader();
// No Weather Reader thread runs (none started, or it has finished).
bool gf_weatherReaderFinished();
// Joins the finished thread; false while it still runs.
bool gf_joinWeatherReader();

// Both readers asked to stop; waits until both threads have finished or the
// time is up (a backstop: a transfer in progress ends within about a second of
// the stop), then joins them. True when both have finished and are joined.
bool gf_stopRtReaders(std::int64_t timeoutMs);

}  // namespace zrb
