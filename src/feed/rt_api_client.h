#pragma once
// The base of the two service clients: the session, one libcurl easy handle
// per kind of request, the form POST that every exchange is, and the waits
// between requests.
//
// Every exchange is one form-encoded HTTPS POST to a path of the service,
// answered by one JSON object. Transfers are bounded in time and size and can
// be cut short by a stop flag, so that a stalled service can hang neither a
// reader nor the closing down.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include <curl/curl.h>
#include <nlohmann/json.hpp>

#include "foundation/curl_handle.h"

namespace zrb {

// Waits between requests [ms]. The service sets them; values outside the
// range would hammer it (0 or less) or sleep for weeks, so they are clamped.
inline constexpr std::int32_t g_defaultWaitMs = 2000;
inline constexpr std::int32_t g_minWaitMs = 250;
inline constexpr std::int32_t g_maxWaitMs = 60000;
// Transfer limits.
inline constexpr long g_connectTimeoutMs = 10000;
inline constexpr long g_transferTimeoutMs = 30000;
// The logout runs while the program closes or restarts: it may hold neither
// for long (connection included).
inline constexpr long g_logoutTimeoutMs = 3000;
// A busy region's reply is a few hundred kilobytes; a parsed reply takes many
// times its size in memory, so a larger one is refused.
inline constexpr std::size_t g_maxReplyBytes = 4U * 1024U * 1024U;
// Slice of every interruptible sleep [ms]: a stop is seen within it.
inline constexpr std::int32_t g_sleepSliceMs = 50;

// Service statuses.
inline constexpr std::int32_t g_statusOk = 200;
inline constexpr std::int32_t g_statusMissing = 100;  // "status" absent
inline constexpr std::int32_t g_statusStopped = 9999;  // a reader ended by its stop flag

// Defaults of the query box (degrees).
inline constexpr double g_defaultBoxTop = 52.44;
inline constexpr double g_defaultBoxBottom = 52.17;
inline constexpr double g_defaultBoxLeft = 4.54;
inline constexpr double g_defaultBoxRight = 4.98;

inline constexpr std::string_view g_authPath = "/v4/auth";
inline constexpr std::string_view g_deauthPath = "/v4/deauth";
inline constexpr std::string_view g_trafficPath = "/v4/traffic";
inline constexpr std::string_view g_nearestMetarPath = "/v4/nearestmetar";
inline constexpr std::string_view g_weatherPath = "/v4/weather";

// A new easy handle; throws std::runtime_error "<name> curl_easy_init() failed".
CurlHandle lf_newCurlHandle(std::string_view name);

// libcurl's write callback: appends size × count bytes to the std::string
// target. 0 (which fails the transfer) for a null target, on an append
// exception and when the reply would pass g_maxReplyBytes.
std::size_t lf_callbackwriter(char* data, std::size_t size, std::size_t count, void* target);

// The member's text when reply is an object holding a string under key, else def.
std::string lf_jsonString(const nlohmann::json& reply, std::string_view key, std::string_view def);

// "{} connected" as a continuation line.
void lf_logConnected(std::string_view name);

// A service wait clamped into [g_minWaitMs, g_maxWaitMs].
std::int32_t lf_clampWait(std::int64_t ms);
// reply[key] when it is an integer (clamped), else g_defaultWaitMs.
std::int32_t lf_replyWait(const nlohmann::json& reply, std::string_view key);
// reply["status"] when it is an integer (that fits 32 bits), else g_statusMissing.
std::int32_t lf_replyStatus(const nlohmann::json& reply);

// A form value, percent-encoded.
std::string lf_formValue(std::string_view value);

// Sleeps ms milliseconds in short slices; returns early (false) as soon as
// either flag is set. Tests may replace the clock-bound part (see below).
bool lf_sleepUnlessStopped(std::int64_t ms, const std::atomic<bool>& stop,
                           const std::atomic<bool>* alsoStop = nullptr);

// Tests only: every sleep of the feed first reports its length here, and is
// skipped when the hook returns false. nullptr restores the real sleep.
using FeedSleepHook = bool (*)(std::int64_t ms);
void gf_setFeedSleepHookForTest(FeedSleepHook hook);

// One form POST to the service on handle. reply is emptied first; the handle
// is reset first unless it is the session handle (login, logout). Throws
// std::runtime_error "<name><text>" when an option cannot be set; returns the
// transfer's result. abort (and alsoAbort) end the transfer early when set;
// timeoutMs bounds the whole transfer, the connection at most
// g_connectTimeoutMs of it.
struct FormPost {
    CURL* handle = nullptr;
    std::string_view handleName;
    std::string_view path;
    const std::string* body = nullptr;
    std::string* reply = nullptr;
    bool sessionHandle = false;
    const std::atomic<bool>* abort = nullptr;
    const std::atomic<bool>* alsoAbort = nullptr;
    long timeoutMs = g_transferTimeoutMs;
};
CURLcode lf_sendForm(const FormPost& post);

class RtApiClient {
public:
    RtApiClient();
    virtual ~RtApiClient();
    RtApiClient(const RtApiClient&) = delete;
    RtApiClient& operator=(const RtApiClient&) = delete;

    // A new run: no session, a fresh session handle, stop and toffset cleared,
    // record and reply emptied. Worker thread, while no reader runs.
    void reset();
    // One session exchange (login, logout) on aucurl_ into reply; abort and
    // alsoAbort (either may be null) cut it short, timeoutMs bounds it.
    CURLcode postSession(std::string_view path, const std::string& body, const std::atomic<bool>* abort,
                         const std::atomic<bool>* alsoAbort = nullptr, long timeoutMs = g_transferTimeoutMs);
    // Two sleeps of ms / 2, each skipped when the stop flag is set at its start
    // and cut short when it is set during it.
    void waitInterval(std::int32_t ms);

    // Login and logout (worker thread): see session.cpp.
    bool authenticate(std::int32_t& status);
    void deauthenticate();
    // What the login makes of the reply it received: a session, or the
    // refusal's status. Throws on a reply that is not JSON (or nested too deep).
    bool takeLoginReply(std::int32_t& status);

    // The session id; empty = no session. Any thread.
    std::string guid() const;
    void setGuid(const std::string& guid);
    bool hasSession() const;

    // No reader thread runs on this object: cleared when the thread is
    // started, set by the thread when it has finished, whatever the reason.
    // Polled by the closing down.
    std::atomic<bool> stopped{true};
    // The reader's stop flag: closing down and the other reader's failure set it.
    std::atomic<bool> stop{false};
    // Time shift in minutes (0..40320), written by the GUI thread.
    std::atomic<std::int32_t> toffset{0};
    // Waits between traffic and weather requests [ms].
    std::atomic<std::int32_t> rrl{g_defaultWaitMs};
    std::atomic<std::int32_t> wrrl{g_defaultWaitMs};

    // Worker thread only (login, logout).
    CurlHandle aucurl_;
    // The reader thread only: the feed array being converted.
    nlohmann::json record;
    // Worker thread only: the body of the last login or logout reply.
    std::string reply;

private:
    mutable std::mutex m_guidMutex;  // owns m_guid
    std::string m_guid;
};

}  // namespace zrb
