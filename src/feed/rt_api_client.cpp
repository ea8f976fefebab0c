#include "feed/rt_api_client.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <stdexcept>
#include <thread>

#include <fmt/format.h>

#include "feed/service_endpoint.h"
#include "foundation/log.h"

namespace zrb {

namespace {
constexpr std::size_t sessionReplyReserve = 4096;

std::atomic<FeedSleepHook> g_sleepHook{nullptr};

struct AbortFlags {
    const std::atomic<bool>* first = nullptr;
    const std::atomic<bool>* second = nullptr;
};

// libcurl's progress callback: a non-zero return ends the transfer with
// CURLE_ABORTED_BY_CALLBACK, so a stop does not wait for a stalled service.
int lf_abortWhenStopped(void* data, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* flags = static_cast<const AbortFlags*>(data);
    if (flags->first != nullptr && flags->first->load()) return 1;
    if (flags->second != nullptr && flags->second->load()) return 1;
    return 0;
}

template <typename T>
void lf_setOption(CURL* handle, CURLoption option, T value, std::string_view name, std::string_view failure) {
    if (curl_easy_setopt(handle, option, value) != CURLE_OK) throw std::runtime_error(fmt::format("{}{}", name, failure));
}
}  // namespace

CurlHandle lf_newCurlHandle(std::string_view name) {
    CurlHandle handle(curl_easy_init());
    if (!handle) throw std::runtime_error(fmt::format("{} curl_easy_init() failed", name));
    return handle;
}

std::size_t lf_callbackwriter(char* data, std::size_t size, std::size_t count, void* target) {
    if (target == nullptr) return 0;
    auto* text = static_cast<std::string*>(target);
    const std::size_t bytes = size * count;
    if (bytes > g_maxReplyBytes || text->size() > g_maxReplyBytes - bytes) {
        gf_logMarked("{}: reply larger than {} bytes", "lf_callbackwriter", g_maxReplyBytes);
        return 0;
    }
    try {
        text->append(data, bytes);
    } catch (const std::exception& e) {
        gf_logMarked("{}: append exception: {}", "lf_callbackwriter", e.what());
        return 0;
    }
    return bytes;
}

std::string lf_jsonString(const nlohmann::json& reply, std::string_view key, std::string_view def) {
    if (reply.is_object()) {
        const auto it = reply.find(key);
        if (it != reply.end() && it->is_string()) return it->get<std::string>();
    }
    return std::string(def);
}

void lf_logConnected(std::string_view name) { gf_logIndented("{} connected", name); }

std::int32_t lf_clampWait(std::int64_t ms) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(ms, g_minWaitMs, g_maxWaitMs));
}

std::int32_t lf_replyWait(const nlohmann::json& reply, std::string_view key) {
    if (reply.is_object()) {
        const auto it = reply.find(key);
        if (it != reply.end()) {
            if (it->is_number_unsigned()) {
                const auto v = it->get<std::uint64_t>();
                return lf_clampWait(v > static_cast<std::uint64_t>(g_maxWaitMs) ? g_maxWaitMs : static_cast<std::int64_t>(v));
            }
            if (it->is_number_integer()) return lf_clampWait(it->get<std::int64_t>());
        }
    }
    return g_defaultWaitMs;
}

std::int32_t lf_replyStatus(const nlohmann::json& reply) {
    if (reply.is_object()) {
        const auto it = reply.find("status");
        if (it != reply.end() && it->is_number_integer()) {
            if (it->is_number_unsigned()) {
                const auto v = it->get<std::uint64_t>();
                if (v <= static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) return static_cast<std::int32_t>(v);
            } else {
                const auto v = it->get<std::int64_t>();
                if (v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max()) {
                    return static_cast<std::int32_t>(v);
                }
            }
        }
    }
    return g_statusMissing;
}

std::string lf_formValue(std::string_view value) {
    // A length of 0 tells libcurl to measure the text itself, past the view's end.
    if (value.empty()) return {};
    // The handle argument has been ignored since libcurl 7.82.
    char* escaped = curl_easy_escape(nullptr, value.data(), static_cast<int>(value.size()));
    if (escaped == nullptr) throw std::runtime_error("curl_easy_escape failed");
    std::string result(escaped);
    curl_free(escaped);
    return result;
}

bool lf_sleepUnlessStopped(std::int64_t ms, const std::atomic<bool>& stop, const std::atomic<bool>* alsoStop) {
    const auto stopped = [&] { return stop.load() || (alsoStop != nullptr && alsoStop->load()); };
    if (ms <= 0) return !stopped();
    if (const FeedSleepHook hook = g_sleepHook.load(); hook != nullptr && !hook(ms)) return !stopped();
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!stopped()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= end) return true;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(end - now, std::chrono::milliseconds(g_sleepSliceMs)));
    }
    return false;
}

void gf_setFeedSleepHookForTest(FeedSleepHook hook) { g_sleepHook.store(hook); }

CURLcode lf_sendForm(const FormPost& post) {
    post.reply->clear();
    CURL* h = post.handle;
    if (!post.sessionHandle) curl_easy_reset(h);
    const ServiceEndpoint endpoint = gf_serviceEndpoint();
    const std::string url = fmt::format("{}{}", endpoint.baseUrl, post.path);
    const std::string_view name = post.handleName;

    if (curl_easy_setopt(h, CURLOPT_URL, url.c_str()) != CURLE_OK) {
        if (post.sessionHandle) throw std::runtime_error("Failed to set CURLOPT_URL");
        throw std::runtime_error(fmt::format("{}: failed to set URL", name));
    }
    lf_setOption(h, CURLOPT_ACCEPT_ENCODING, "deflate,gzip", name, " failed to set CURLOPT_ACCEPT_ENCODING");
    lf_setOption(h, CURLOPT_POSTFIELDS, post.body->c_str(), name, ": failed to set POSTFIELDS");
    lf_setOption(h, CURLOPT_POSTFIELDSIZE, static_cast<long>(post.body->size()), name, ": failed to set POSTFIELDSIZE");
    lf_setOption(h, CURLOPT_WRITEFUNCTION, &lf_callbackwriter, name, " failed to set CURLOPT_WRITEFUNCTION");
    lf_setOption(h, CURLOPT_WRITEDATA, static_cast<void*>(post.reply), name, " failed to set CURLOPT_WRITEDATA");
    curl_easy_setopt(h, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(h, CURLOPT_FORBID_REUSE, 1L);

    // Bounds of the transfer: time-outs, and a stop that ends it at once.
    lf_setOption(h, CURLOPT_NOSIGNAL, 1L, name, " failed to set CURLOPT_NOSIGNAL");
    lf_setOption(h, CURLOPT_CONNECTTIMEOUT_MS, std::min(g_connectTimeoutMs, post.timeoutMs), name,
                 " failed to set CURLOPT_CONNECTTIMEOUT_MS");
    lf_setOption(h, CURLOPT_TIMEOUT_MS, post.timeoutMs, name, " failed to set CURLOPT_TIMEOUT_MS");
    AbortFlags flags{post.abort, post.alsoAbort};
    lf_setOption(h, CURLOPT_XFERINFOFUNCTION, &lf_abortWhenStopped, name, " failed to set CURLOPT_XFERINFOFUNCTION");
    lf_setOption(h, CURLOPT_XFERINFODATA, static_cast<void*>(&flags), name, " failed to set CURLOPT_XFERINFODATA");
    lf_setOption(h, CURLOPT_NOPROGRESS, 0L, name, " failed to set CURLOPT_NOPROGRESS");
    if (!endpoint.caFile.empty()) {
        lf_setOption(h, CURLOPT_CAINFO, endpoint.caFile.c_str(), name, " failed to set CURLOPT_CAINFO");
    }

    const CURLcode result = curl_easy_perform(h);
    // The flags live on this stack frame only: never leave them behind in the handle.
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, nullptr);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 1L);
    return result;
}

RtApiClient::RtApiClient() : aucurl_(lf_newCurlHandle("aucurl_")) { reply.reserve(sessionReplyReserve); }

RtApiClient::~RtApiClient() = default;

void RtApiClient::reset() {
    setGuid({});
    aucurl_ = lf_newCurlHandle("aucurl_");
    stop = false;
    stopped = true;
    toffset = 0;
    // Keep the record's JSON type, drop its content.
    if (record.is_array()) {
        record = nlohmann::json::array();
    } else if (record.is_object()) {
        record = nlohmann::json::object();
    } else {
        record = nullptr;
    }
    reply.clear();
}

CURLcode RtApiClient::postSession(std::string_view path, const std::string& body, const std::atomic<bool>* abort,
                                  const std::atomic<bool>* alsoAbort, long timeoutMs) {
    return lf_sendForm(FormPost{aucurl_.get(), "aucurl_", path, &body, &reply, true, abort, alsoAbort, timeoutMs});
}

void RtApiClient::waitInterval(std::int32_t ms) {
    const std::int32_t half = ms / 2;
    if (stop.load()) return;
    lf_sleepUnlessStopped(half, stop);
    if (stop.load()) return;
    lf_sleepUnlessStopped(half, stop);
}

std::string RtApiClient::guid() const {
    std::lock_guard lock(m_guidMutex);
    return m_guid;
}

void RtApiClient::setGuid(const std::string& guid) {
    std::lock_guard lock(m_guidMutex);
    m_guid = guid;
}

bool RtApiClient::hasSession() const {
    std::lock_guard lock(m_guidMutex);
    return !m_guid.empty();
}

}  // namespace zrb
