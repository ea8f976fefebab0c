#include "feed/traffic_reader.h"

#include <cmath>
#include <stdexcept>

#include <fmt/format.h>

#include "config/paths.h"
#include "feed/feed_shared.h"
#include "feed/reader_end.h"
#include "feed/reader_thread.h"
#include "feed/weather_reader.h"
#include "foundation/bounded_json.h"
#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "foundation/log_repeats.h"
#include "foundation/time.h"
#include "shell/common/main_window_state.h"
#include "shell/common/run_control.h"
#include "traffic/feed_intake.h"

namespace zrb {

namespace {
constexpr std::int32_t statusSlowDown = 406;
constexpr double noPositionDeg = 0.0001;
constexpr double boxMoveDeg = 0.00015;  // smaller moves keep the box
constexpr double kmPerNm = 1.852;
constexpr double kmPerDegreeLat = 111.2;
constexpr double feetPerNm = 6076.11549;

std::string lf_boxForm(const std::string& guid, const QueryBox& box, std::string_view querytype, std::int32_t toffset) {
    return fmt::format("GUID={}&top={:.2F}&bottom={:.2F}&left={:.2F}&right={:.2F}&querytype={}&toffset={}",
                       lf_formValue(guid), box.top, box.bottom, box.left, box.right, querytype, toffset);
}
}  // namespace

TrafficReader g_trafficReader;
// Defined after the reader: destroyed first, it stops and joins the thread
// before the object the thread works on goes.
ReaderThread g_trafficReaderThread(g_trafficReader, "Traffic Reader");

TrafficReader::TrafficReader() : trcurl_(lf_newCurlHandle("trcurl_")), ptcurl_(lf_newCurlHandle("ptcurl_")) {
    trafficReply.reserve(g_trafficReplyReserve);
    records.reserve(g_recordsReserve);
}

TrafficQueryState TrafficReader::queryState() const {
    std::lock_guard lock(m_queryMutex);
    return m_query;
}

void TrafficReader::setReferencePosition(double lat, double lon) {
    std::lock_guard lock(m_queryMutex);
    m_query.refLat = lat;
    m_query.refLon = lon;
}

void TrafficReader::setQueryState(const TrafficQueryState& state) {
    std::lock_guard lock(m_queryMutex);
    m_query = state;
}

bool TrafficReader::buffer(std::int32_t& status) {
    if (!hasSession()) return false;
    bool ok = false;
    try {
        const TrafficQueryState query = queryState();
        const std::string body = fmt::format("{}&buffercount={}&buffertime={}",
                                             lf_boxForm(guid(), query.liveBox, "locationtraffic", toffset.load()),
                                             g_historyBufferCount, g_historyBufferSeconds);
        const CURLcode rc = lf_sendForm(FormPost{trcurl_.get(), "trcurl_", g_trafficPath, &body, &trafficReply, false, &stop, nullptr});
        if (rc != CURLE_OK) {
            // A transfer cut short by a stop is no failure worth a warning.
            if (rc != CURLE_ABORTED_BY_CALLBACK)
                gf_logMarked("{} buffer traffic code: {}", lf_nowText(), curl_easy_strerror(rc));
        } else if (trafficReply.empty()) {
            gf_logMarked("buffer traffic: empty content");
        } else {
            nlohmann::json answer = gf_parseJson(trafficReply);
            const std::int32_t st = lf_replyStatus(answer);
            if (st != g_statusOk) {
                status = st;
                if (st == statusSlowDown) gf_logMarked(" buffer traffic msg {}", lf_jsonString(answer, "message", ""));
            } else {
                rrl = lf_replyWait(answer, "rrl");
                g_collectFeedIds.store(true);
                refreshLineContext();
                const auto data = answer.find("data");
                const bool haveData = data != answer.end() && data->is_object();
                for (int k = 0; k < g_historyBufferCount; ++k) {
                    records.clear();
                    const std::string key = fmt::format("buffer_{}", g_historyBufferCount - 1 - k);
                    if (haveData) {
                        const auto batch = data->find(key);
                        if (batch != data->end() && !batch->is_null() && !batch->empty())
                            convertTrafficMembers(std::move(*batch));
                    }
                    liveCount = static_cast<std::int64_t>(records.size());
                    gf_scheduleTrafficRecords(records, g_historyBufferSeconds * k);
                }
                ok = true;
            }
        }
    } catch (const std::exception& e) {
        gf_logMarked("{}: {}", "buffer", e.what());
    }
    lf_sleepUnlessStopped(rrl.load(), stop);
    if (stop.load()) {
        status = g_statusStopped;
        return false;
    }
    return ok;
}

bool TrafficReader::receive(std::int32_t& status) {
    if (!hasSession()) return false;
    if (!buffer(status)) {
        // A stop that comes just after the history's own check must still end
        // the reader as stopped, not as failed with the history's status.
        if (stop.load()) {
            status = g_statusStopped;
            return false;
        }
        gf_logMarked("buffer failed {}", status);
    }
    receiving = true;
    while (!stop.load()) {
        if (parkedRequest.exchange(false)) {
            parkedtraffic();
            waitInterval(rrl.load());
            continue;
        }
        try {
            const TrafficQueryState query = queryState();
            const std::string body = lf_boxForm(guid(), query.liveBox, "locationtraffic", toffset.load());
            const CURLcode rc = lf_sendForm(FormPost{trcurl_.get(), "trcurl_", g_trafficPath, &body, &trafficReply, false, &stop, nullptr});
            if (rc != CURLE_OK) {
                // A transfer cut short by a stop is no failure worth a warning.
                if (rc != CURLE_ABORTED_BY_CALLBACK)
                    gf_logMarked("curl traffic code:{} = {}", static_cast<int>(rc), curl_easy_strerror(rc));
                waitInterval(rrl.load());
                continue;
            }
            if (trafficReply.empty()) {
                gf_logMarked("traffic receive: empty content");
                waitInterval(rrl.load());
                continue;
            }
            nlohmann::json answer = gf_parseJson(trafficReply);
            const std::int32_t st = lf_replyStatus(answer);
            if (st == statusSlowDown) {
                gf_logMarked("{} curl traffic msg: {}", lf_nowText(), lf_jsonString(answer, "message", ""));
                waitInterval(rrl.load());
                continue;
            }
            if (st != g_statusOk) {
                status = st;
                break;
            }
            rrl = lf_replyWait(answer, "rrl");
            records.clear();
            refreshLineContext();
            if (const auto data = answer.find("data"); data != answer.end()) convertTrafficMembers(std::move(*data));
            liveCount = static_cast<std::int64_t>(records.size());
            gf_scheduleTrafficRecords(records, g_livePollDelaySeconds);
            if (records.capacity() < g_recordsReserve) records.reserve(g_recordsReserve);
        } catch (const std::exception& e) {
            gf_logMarked("{}: {}", "receive", e.what());
        }
        gf_logHeldRepeats();
        waitInterval(rrl.load());
    }
    receiving = false;
    if (stop.load()) status = g_statusStopped;
    return false;
}

void gf_trafficReader() {
    // "Stopped" means "this thread has finished", on every way out, so the
    // closing down never waits for a reader that ended on an error.
    struct StoppedOnExit {
        ~StoppedOnExit() {
            g_trafficReader.receiving = false;
            g_trafficReader.stopped = true;
        }
    } stoppedOnExit;
    try {
        lf_logConnected("Traffic Reader");
        lf_setTrafficLight(g_lightOk);
        std::int32_t status = 0;
        g_trafficReader.receive(status);
        lf_setTrafficLight(g_lightOff);
        if (status != g_statusStopped) lf_readerEndedByStatus("Traffic Reader", "Traffic", status, g_weatherReader.stop);
    } catch (const std::exception& e) {
        gf_logMarked("{}: {}", "gf_trafficReader", e.what());
        gf_threadStoppedWithError("Traffic Reader", false);
    } catch (...) {
        gf_logMarked("{}: {}", "gf_trafficReader", "unknown exception");
        gf_threadStoppedWithError("Traffic Reader", false);
    }
}

void gf_startTrafficReader() {
    // The history is range-filtered against the reference position: it must
    // be the user's before the first request goes out.
    const FeedUserPosition user = gf_feedUserPosition();
    if (std::fabs(user.lat) > noPositionDeg || std::fabs(user.lon) > noPositionDeg) {
        g_trafficReader.setReferencePosition(user.lat, user.lon);
    }
    g_trafficReaderThread.start(gf_trafficReader);
}

bool gf_trafficReaderFinished() { return g_trafficReaderThread.finished(); }

bool gf_joinTrafficReader() { return g_trafficReaderThread.join(); }

void gf_updateTrafficBox() {
    const FeedUserPosition p = gf_feedUserPosition();
    if (std::fabs(p.lat) <= noPositionDeg && std::fabs(p.lon) <= noPositionDeg) return;
    const double range = g_workingRangeNm.load();
    TrafficQueryState query = g_trafficReader.queryState();
    if (std::fabs(p.lat - query.centreLat) < boxMoveDeg && std::fabs(p.lon - query.centreLon) < boxMoveDeg &&
        range == query.boxRange) {
        return;
    }
    const double h = range * kmPerNm / kmPerDegreeLat;
    const LatLon centre{p.lat, p.lon};
    QueryBox box;
    box.top = p.lat + h;
    box.bottom = p.lat - h;
    box.left = gf_destinationPoint(centre, -g_pi / 2.0, range * feetPerNm).lon;
    box.right = gf_destinationPoint(centre, g_pi / 2.0, range * feetPerNm).lon;
    // Only the worker writes the query state; the reader reads copies of it.
    query = g_trafficReader.queryState();
    query.liveBox = box;
    query.boxRange = range;
    query.centreLat = p.lat;
    query.centreLon = p.lon;
    g_trafficReader.setQueryState(query);
}

void gf_updateRtLights() {
    if (!g_mainWindowState.session.load()) return;
    if (!g_weatherReader.weatherOk.load()) {
        if (g_weatherReader.weatherLightOk.exchange(false)) lf_setWeatherLight(g_lightIdle);
    } else if (!g_weatherReader.weatherLightOk.exchange(true)) {
        lf_setWeatherLight(g_lightOk);
    }
    if (g_trafficReader.liveCount.load() < 1) {
        if (g_trafficReader.trafficLightOk.exchange(false)) lf_setTrafficLight(g_lightIdle);
    } else if (!g_trafficReader.trafficLightOk.exchange(true)) {
        lf_setTrafficLight(g_lightOk);
    }
}

void TrafficReader::resetForNewRun() {
    reset();
    stopped = true;
    trcurl_ = lf_newCurlHandle("trcurl_");
    ptcurl_ = lf_newCurlHandle("ptcurl_");
    trafficReply.clear();
    g_latestRecordTime.store(0.0);
    {
        // The hex ids stay collected across runs; the callsigns do not.
        std::lock_guard lock(g_feedIdsMutex);
        g_feedIds.callsigns.clear();
    }
    g_collectFeedIds.store(false);
    records.clear();
    liveCount = 0;
    g_referenceElevation.reset();
    qnh = 1013;
    {
        std::lock_guard lock(m_queryMutex);
        m_query.boxRange = -1.0;
        m_query.centreLat = 0.0;
        m_query.centreLon = 0.0;
        m_query.liveBox = QueryBox{};
    }
    trafficLightOk = true;
    blockArmed = true;
    receiving = false;
    parkedRequest = false;
}

void gf_resetRtReaders() {
    // A reader still running would use the handles and buffers replaced here.
    if (!gf_joinTrafficReader() || !gf_joinWeatherReader())
        throw std::logic_error("a feed reader of the run before still runs: nothing of the feed is reset");
    g_trafficReader.resetForNewRun();
    g_weatherReader.resetForNewRun();
}

}  // namespace zrb
