// Login and logout of the live-traffic service.
#include "feed/session.h"

#include <stdexcept>

#include <fmt/format.h>

#include "feed/reader_end.h"
#include "feed/rt_api_client.h"
#include "feed/service_endpoint.h"
#include "feed/traffic_reader.h"
#include "feed/weather_reader.h"
#include "foundation/bounded_json.h"
#include "foundation/log.h"
#include "foundation/program_id.h"
#include "foundation/user_error.h"
#include "foundation/version_data.h"
#include "shell/common/main_window_state.h"
#include "shell/common/message_line.h"
#include "shell/common/run_control.h"

namespace zrb {

namespace {

// What the log shows of a reply's status member: a scalar as the service sent
// it, cut short; an array or object only by its kind (writing it out would
// recurse through whatever the service nested in it).
constexpr std::size_t maxLoggedStatusChars = 64;
std::string lf_statusText(const nlohmann::json& value) {
    if (value.is_structured()) return value.type_name();
    std::string text = value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    if (text.size() > maxLoggedStatusChars) text.resize(maxLoggedStatusChars);
    return text;
}

bool lf_isRefusal(std::int32_t status) {
    return status == g_statusParameterFault || status == g_statusPaymentRequired || status == g_statusNotFound ||
           status == g_statusNotAllowed || status == g_statusServerError;
}

void lf_setSessionFlag(bool session) {
    g_mainWindowState.session.store(session);
    gf_invalidateBand(g_statusBand);
}

// The worker's waits during the login end when the run or the program stops.
void lf_sessionSleep(std::int64_t ms) { lf_sleepUnlessStopped(ms, g_stopRun, &g_stopProgram); }
}  // namespace

std::string gf_licenseRefusalText(std::int32_t status) {
    switch (status) {
        case g_statusPaymentRequired:
            return "RT license: no active subscription for this license key";
        case g_statusNotFound:
            return "RT license: license key not found, please check it";
        case g_statusNotAllowed:
            return "RT license: this license key may not be used with this program";
        default:
            return fmt::format("RT license refused, status: {}", status);
    }
}

bool RtApiClient::authenticate(std::int32_t& status) {
    try {
        const std::string body =
            fmt::format("license={}&software={}_{}", lf_formValue(gf_serviceKey()), g_programId, g_programVersionText);
        const CURLcode rc = postSession(g_authPath, body, &g_stopProgram);
        if (rc != CURLE_OK) {
            gf_logLine("{} Authentication failed: {}", lf_nowText(), curl_easy_strerror(rc));
            return false;
        }
        if (reply.empty()) {
            gf_logLine("Authentication: empty response");
            return false;
        }
        return takeLoginReply(status);
    } catch (const std::exception& e) {
        gf_logMarked("{}: {}", "authenticate", e.what());
        lf_sessionSleep(wrrl.load());
        return false;
    }
}

bool RtApiClient::takeLoginReply(std::int32_t& status) {
    const nlohmann::json answer = gf_parseJson(reply);
    const auto statusMember = answer.is_object() ? answer.find("status") : answer.end();
    const bool hasStatus = answer.is_object() && statusMember != answer.end();
    const bool integerStatus = hasStatus && statusMember->is_number_integer();
    const std::int32_t st = lf_replyStatus(answer);
    if (integerStatus && lf_isRefusal(st)) {
        status = st;
        return false;
    }
    // A session needs a real id, and a status that says so (or none at all).
    const std::string id = lf_jsonString(answer, "GUID", "");
    if ((hasStatus && !(integerStatus && st == g_statusOk)) || id.empty()) {
        if (integerStatus) status = st;
        gf_logMarked("Authentication refused, status: {} {}", hasStatus ? lf_statusText(*statusMember) : "none",
                     lf_jsonString(answer, "message", id.empty() ? "no GUID" : ""));
        return false;
    }
    rrl = lf_replyWait(answer, "rrl");
    wrrl = lf_replyWait(answer, "wrrl");
    gf_logLine("\nAuthenticated at RT server '{}'", lf_jsonString(answer, "server", "?"));
    setGuid(id);
    lf_setSessionFlag(true);
    lf_sessionSleep(wrrl.load());
    return true;
}

void RtApiClient::deauthenticate() {
    try {
        const std::string body = fmt::format("GUID={}", lf_formValue(guid()));
        // Closing down waits for it, so it is bounded short. A close of the
        // window before it asked for this very closing down and leaves it be;
        // one during it, or the end of the Windows session, cuts it short.
        const std::atomic<bool>* closedDuringIt = g_stopProgram.load() ? nullptr : &g_stopProgram;
        const CURLcode rc = postSession(g_deauthPath, body, closedDuringIt, &g_sessionEnding, g_logoutTimeoutMs);
        if (rc != CURLE_OK) {
            gf_logLine("{} Deauthentication failed: {}", lf_nowText(), curl_easy_strerror(rc));
            return;
        }
        if (reply.empty()) {
            gf_logLine("Deauthentication: empty response");
            return;
        }
        const nlohmann::json answer = gf_parseJsonOrDiscard(reply);
        if (answer.is_discarded()) {
            gf_logLine("Deauthentication: invalid JSON");
            return;
        }
        const std::int32_t st = lf_replyStatus(answer);
        if (st == g_statusOk) {
            lf_setSessionFlag(false);
            setGuid({});
            gf_logLine("{} RT server '{}'", lf_jsonString(answer, "message", ""), lf_jsonString(answer, "server", ""));
        } else {
            gf_logMarked("Deauthentication failed, status: {}", st);
        }
    } catch (const std::exception& e) {
        gf_logMarked("{}: {}", "deauthenticate", e.what());
    }
}

void gf_authenticater() {
    gf_showMessage("Waiting for authentication at RT server ...", true);
    gf_logLine(std::string_view("\n"));
    std::int32_t status = 0;
    if (g_weatherReader.authenticate(status)) {
        gf_clearMessage();
        g_trafficReader.setGuid(g_weatherReader.guid());
        return;
    }
    if (status == g_statusServerError) throw std::runtime_error("No RT database connection");
    if (status == g_statusPaymentRequired || status == g_statusNotFound || status == g_statusNotAllowed) {
        const std::string text = gf_licenseRefusalText(status);
        gf_showMessage(text, true);
        lf_sessionSleep(g_refusalReadMs);
        throw UserErrorException(status, text);
    }
    gf_threadStoppedWithError("Authenticater", true);
    gf_clearMessage();
    g_trafficReader.setGuid(g_weatherReader.guid());
}

}  // namespace zrb
