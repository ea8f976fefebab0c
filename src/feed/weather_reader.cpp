#include "feed/weather_reader.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <limits>
#include <optional>
#include <thread>

#include <fmt/format.h>
#include <gsl/narrow>

#include "feed/feed_shared.h"
#include "feed/reader_end.h"
#include "feed/reader_thread.h"
#include "feed/traffic_reader.h"
#include "foundation/bounded_json.h"
#include "foundation/log.h"
#include "shell/common/main_window_state.h"
#include "shell/common/run_control.h"
#include "traffic/feed_intake.h"

namespace zrb {

namespace {
constexpr std::int32_t statusSlowDown = 406;
constexpr std::int32_t statusServerError = 500;
constexpr std::int32_t statusParameterFault = 400;
constexpr std::int32_t statusReauthenticate = 401;
constexpr std::int32_t firstInchesValue = 1081;  // QNH values from here on are inHg × 100
constexpr double hpaPerHundredthInch = 0.33865307;
constexpr std::size_t maxLoggedReply = 512;  // characters of a bad reply in the log
constexpr std::int64_t stoppedPollMs = 100;

std::string lf_loggedReply(const std::string& text) {
    if (text.size() <= maxLoggedReply) return text;
    return text.substr(0, maxLoggedReply) + "...";
}

std::int32_t lf_roundedQnh(double v) {
    const double r = std::round(v);
    if (!(r >= static_cast<double>(std::numeric_limits<std::int32_t>::min()) &&
          r <= static_cast<double>(std::numeric_limits<std::int32_t>::max()))) {
        throw gsl::narrowing_error();
    }
    return static_cast<std::int32_t>(r);
}

// An optional '-' and the decimal digits up to the first other character;
// nothing without a digit or beyond 32 bits.
std::optional<std::int32_t> lf_parseQnhText(const std::string& text) {
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc()) return std::nullopt;
    return value;
}
}  // namespace

WeatherReader g_weatherReader;
// Defined after the reader: destroyed first, it stops and joins the thread
// before the object the thread works on goes.
ReaderThread g_weatherReaderThread(g_weatherReader, "Weather Reader");

WeatherReader::WeatherReader() : wrcurl_(lf_newCurlHandle("wrcurl_")), nmcurl_(lf_newCurlHandle("nmcurl_")) {}

std::optional<std::int32_t> gf_findQnh(const nlohmann::json& data) {
    if (!data.is_object() || data.empty() || !data.contains("QNH")) {
        gf_logMarked("No QNH found in data");
        return std::nullopt;
    }
    const nlohmann::json& v = data["QNH"];
    std::int32_t q = 0;
    if (v.is_number_unsigned()) {
        q = gsl::narrow<std::int32_t>(v.get<std::uint64_t>());
    } else if (v.is_number_integer()) {
        q = gsl::narrow<std::int32_t>(v.get<std::int64_t>());
    } else if (v.is_number_float()) {
        q = lf_roundedQnh(static_cast<double>(static_cast<float>(v.get<double>())));
    } else if (v.is_string()) {
        const std::string text = v.get<std::string>();
        const std::optional<std::int32_t> parsed = lf_parseQnhText(text);
        if (!parsed) {
            gf_logMarked("{}: {}", "extractQNH", text);
            return std::nullopt;
        }
        q = *parsed;
    } else {
        gf_logMarked("No QNH found in data");
        return std::nullopt;
    }
    if (q >= firstInchesValue) q = lf_roundedQnh(static_cast<double>(q) * hpaPerHundredthInch);
    return q;
}

std::int32_t extractQNH(const nlohmann::json& data) { return gf_findQnh(data).value_or(g_standardQnh); }

void WeatherReader::applyQnh(std::int32_t q) {
    lastQnh = q;
    g_trafficReader.qnh = q;
    g_qnh = q;
    g_mainWindowState.qnh = q;
    std::uint32_t idle = g_lightIdle;
    g_mainWindowState.weatherLight.compare_exchange_strong(idle, g_lightOk);
    gf_invalidateBand(g_statusBand);
}

bool WeatherReader::nearestmetar(std::int32_t& status) {
    if (!hasSession()) {
        waitInterval(wrrl.load());
        return false;
    }
    try {
        const FeedUserPosition user = gf_feedUserPosition();
        const std::string body = fmt::format("GUID={}&toffset={}&lat={:.4F}&lon={:.4F}", lf_formValue(guid()), toffset.load(),
                                             user.lat, user.lon);
        const CURLcode rc = lf_sendForm(FormPost{nmcurl_.get(), "nmcurl_", g_nearestMetarPath, &body, &weatherReply, false, &stop, nullptr});
        if (rc != CURLE_OK) {
            // A transfer cut short by a stop is no failure worth a warning.
            if (rc != CURLE_ABORTED_BY_CALLBACK)
                gf_logMarked("{} nearestmetar code: {}", lf_nowText(), curl_easy_strerror(rc));
        } else if (weatherReply.empty()) {
            gf_logMarked("nearest metar: empty content");
        } else if (takeNearestMetarReply(status)) {
            waitInterval(wrrl.load());
            return true;
        }
    } catch (const std::exception& e) {
        gf_logMarked("{}: {}", "nearestmetar", e.what());
    }
    waitInterval(wrrl.load());
    return false;
}

bool WeatherReader::takeNearestMetarReply(std::int32_t& status) {
    const nlohmann::json answer = gf_parseJsonOrDiscard(weatherReply);
    if (answer.is_discarded()) {
        gf_logMarked("nearest metar: invalid JSON");
        return false;
    }
    const std::int32_t st = lf_replyStatus(answer);
    if (st != g_statusOk) {
        status = st;
        if (st == statusSlowDown || st == statusServerError)
            gf_logMarked("{} json nearestmetar {}", st, lf_jsonString(answer, "message", ""));
        return false;
    }
    const auto data = answer.find("data");
    if (data == answer.end() || data->is_null() || ((data->is_object() || data->is_array()) && data->empty())) {
        metarStation.clear();
        return false;
    }
    const nlohmann::json& first = data->at(0);
    if (!first.is_object()) throw std::runtime_error("nearest metar: no station record");
    const std::string station = lf_jsonString(first, "ICAO", "");
    if (station.empty()) {
        metarStation.clear();
        return false;
    }
    metarStation = station;
    weatherOk = true;
    return true;
}

bool WeatherReader::weatherPass(std::int32_t& status) {
    try {
        const FeedUserPosition user = gf_feedUserPosition();
        std::int64_t alt = 0;
        if (user.altitudeFt >= 1.0) {
            alt = user.altitudeFt < 1e9 ? static_cast<std::int64_t>(user.altitudeFt) : static_cast<std::int64_t>(1e9);
        }
        const std::string body = fmt::format("GUID={}&querytype=locwx&toffset={}&lat={:.4F}&lon={:.4F}&alt={}&airports={}",
                                             lf_formValue(guid()), toffset.load(), user.lat, user.lon, alt,
                                             lf_formValue(metarStation));
        const CURLcode rc = lf_sendForm(FormPost{wrcurl_.get(), "wrcurl_", g_weatherPath, &body, &weatherReply, false, &stop, nullptr});
        if (rc != CURLE_OK) {
            // A transfer cut short by a stop is no failure worth a warning.
            if (rc != CURLE_ABORTED_BY_CALLBACK)
                gf_logMarked("{} weather code: {}", lf_nowText(), curl_easy_strerror(rc));
            return true;
        }
        if (weatherReply.empty()) {
            gf_logMarked("Empty content?, no QNH to be found");
            return true;
        }
        return takeWeatherReply(status);
    } catch (const std::exception& e) {
        gf_logMarked("{}: {}", "receive", e.what());
    }
    return true;
}

bool WeatherReader::takeWeatherReply(std::int32_t& status) {
    const nlohmann::json answer = gf_parseJsonOrDiscard(weatherReply);
    if (answer.is_discarded()) {
        gf_logMarked("Invalid JSON: {}", lf_loggedReply(weatherReply));
        return true;
    }
    const std::int32_t st = lf_replyStatus(answer);
    if (st == g_statusOk) {
        wrrl = lf_replyWait(answer, "wrrl");
        const auto data = answer.find("data");
        const std::optional<std::int32_t> q = gf_findQnh(data != answer.end() ? *data : nlohmann::json());
        if (!q) {
            // Without a usable QNH the last valid one stays; before the
            // first one the standard value is shown.
            if (g_mainWindowState.qnh.load() == 0) applyQnh(g_standardQnh);
        } else if (*q < g_minQnh || *q > g_maxQnh) {
            gf_logMarked("Strange QNH {} found in {}", *q, lf_loggedReply(weatherReply));
        } else if (!(*q == lastQnh && *q != g_standardQnh)) {
            applyQnh(*q);
        }
        weatherOk = true;
    } else if (st == statusSlowDown || st == statusServerError) {
        status = st;
        gf_logMarked("{} json weather {}", st, lf_jsonString(answer, "message", ""));
        weatherOk = false;
    } else {
        status = st;
        return false;
    }
    return true;
}

bool WeatherReader::receive(std::int32_t& status) {
    if (!hasSession()) return false;
    while (true) {
        if (stop.load()) {
            status = g_statusStopped;
            return false;
        }
        if (!nearestmetar(status)) {
            if (status == statusParameterFault || status == statusReauthenticate) {
                if (stop.load()) status = g_statusStopped;
                return false;
            }
            waitInterval(wrrl.load());
            continue;
        }
        if (!weatherPass(status)) {
            if (stop.load()) status = g_statusStopped;
            return false;
        }
        waitInterval(wrrl.load());
    }
}

void WeatherReader::resetForNewRun() {
    reset();
    stopped = true;
    wrcurl_ = lf_newCurlHandle("wrcurl_");
    nmcurl_ = lf_newCurlHandle("nmcurl_");
    weatherReply.clear();
    metarStation.clear();
    lastQnh = g_standardQnh;
    weatherOk = false;
    weatherLightOk = true;
}

void gf_weatherReader() {
    struct StoppedOnExit {
        ~StoppedOnExit() { g_weatherReader.stopped = true; }
    } stoppedOnExit;
    try {
        lf_logConnected("Weather Reader");
        lf_setWeatherLight(g_lightOk);
        std::int32_t status = 0;
        g_weatherReader.receive(status);
        lf_setWeatherLight(g_lightOff);
        if (status != g_statusStopped) lf_readerEndedByStatus("Weather Reader", "Weather", status, g_trafficReader.stop);
    } catch (const std::exception& e) {
        gf_logMarked("{}: {}", "gf_weatherReader", e.what());
        gf_threadStoppedWithError("Weather Reader", false);
    } catch (...) {
        gf_logMarked("{}: {}", "gf_weatherReader", "unknown exception");
        gf_threadStoppedWithError("Weather Reader", false);
    }
}

void gf_startWeatherReader() { g_weatherReaderThread.start(gf_weatherReader); }

bool gf_weatherReaderFinished() { return g_weatherReaderThread.finished(); }

bool gf_joinWeatherReader() { return g_weatherReaderThread.join(); }

bool gf_stopRtReaders(std::int64_t timeoutMs) {
    g_weatherReader.stop = true;
    g_trafficReader.stop = true;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!(gf_weatherReaderFinished() && gf_trafficReaderFinished())) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(stoppedPollMs));
    }
    return gf_joinWeatherReader() && gf_joinTrafficReader();
}

}  // namespace zrb
