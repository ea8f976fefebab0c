#include "feed/parked_traffic.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <thread>
#include <unordered_set>

#include <fmt/format.h>
#include <gsl/narrow>

#include "config/parameters.h"
#include "airports/park_airport.h"
#include "feed/reader_end.h"
#include "foundation/bounded_json.h"
#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "foundation/log_repeats.h"
#include "foundation/program_id.h"
#include "foundation/time.h"
#include "liveries/dbase.h"
#include "shell/common/run_control.h"
#include "traffic/category_enabled.h"

namespace zrb {

namespace {
constexpr std::size_t pLat = 0;
constexpr std::size_t pLon = 1;
constexpr std::size_t pStand = 2;
constexpr std::size_t pType = 3;
constexpr std::size_t pRegistration = 4;
constexpr std::size_t pTimeSeen = 5;
constexpr std::size_t pCallsign = 6;

constexpr std::uint32_t minLiveHexId = 10000;
constexpr std::size_t maxRegistrationLength = 12;
constexpr std::size_t maxParkedCallsignLength = 8;
constexpr double noPositionDeg = 0.0001;
constexpr std::int32_t statusSlowDown = 406;
constexpr std::int32_t statusParameterFault = 400;
constexpr std::int32_t statusReauthenticate = 401;
constexpr std::int32_t statusForbidden = 403;

// A reply may hold any number of bad members: summed up per request.
RepeatedLogLines g_badMemberLines(LogLineKind::marked, "processParkedTrafficLine: members dropped");

const nlohmann::json& lf_element(const nlohmann::json& a, std::size_t i) {
    static const nlohmann::json none;
    return a.is_array() && i < a.size() ? a[i] : none;
}

std::string lf_fixType(std::string type) {
    if (type == "0" || type == "ZZZZ") return {};
    if (type == "A380") return "A388";
    if (type == "B767") return "B763";
    if (type == "B747") return "B744";
    if (type == "B757") return "B752";
    return type;
}

std::string lf_readParkedRegistration(const nlohmann::json& a) {
    std::string reg = lf_jsonToString(lf_element(a, pRegistration));
    if (reg == "null" || reg.size() > maxRegistrationLength) return {};
    return reg;
}

std::string lf_readParkedCallsign(const nlohmann::json& a) {
    std::string cs = lf_jsonToString(lf_element(a, pCallsign));
    if (cs == "null" || cs.find('@') != std::string::npos || cs.find("00000") != std::string::npos ||
        cs.size() > maxParkedCallsignLength) {
        return {};
    }
    if (!cs.empty() && cs.back() == '.') cs.pop_back();
    return cs;
}

// Element 5: seconds since 1970, float or integer; any other type is the JSON
// library's type error.
Seconds lf_readTimeSeen(const nlohmann::json& v) {
    if (v.is_number_float()) {
        const double r = std::round(v.get<double>());
        if (!(r >= -9.2e18 && r <= 9.2e18)) throw gsl::narrowing_error();
        return static_cast<Seconds>(r);
    }
    return v.get<Seconds>();
}
}  // namespace

std::string lf_parkedLineError(const std::string& text) { return fmt::format("{}: {}", "processParkedTrafficLine", text); }

QueryBox gf_parkedBoxAround(double lat, double lon) {
    QueryBox box;
    box.top = lat + g_parkedBoxHalfHeightDeg;
    box.bottom = lat - g_parkedBoxHalfHeightDeg;
    box.left = gf_destinationPoint(LatLon{lat, lon}, -g_pi / 2.0, g_parkedBoxHalfWidthFt).lon;
    box.right = gf_destinationPoint(LatLon{lat, lon}, g_pi / 2.0, g_parkedBoxHalfWidthFt).lon;
    return box;
}

std::uint64_t TrafficReader::postParkedRequest(const QueryBox& box) {
    std::lock_guard lock(m_parkedMutex);
    ++m_parkedSequence;
    m_parkedBox = box;
    m_parkedResult.clear();
    parkedStatus = g_parkedPending;
    parkedRequest = true;
    return m_parkedSequence;
}

QueryBox TrafficReader::parkedBox() const {
    std::lock_guard lock(m_parkedMutex);
    return m_parkedBox;
}

bool TrafficReader::takeParkedResult(std::uint64_t request, std::int32_t& status, std::vector<ParkedTrafficRecord>& out) {
    std::lock_guard lock(m_parkedMutex);
    if (m_parkedResultSequence != request) return false;
    status = parkedStatus.load();
    out = std::move(m_parkedResult);
    m_parkedResult.clear();
    return true;
}

void TrafficReader::finishParkedRequest(std::uint64_t request, std::int32_t status) {
    std::lock_guard lock(m_parkedMutex);
    // An answer to a request the planner has given up on is dropped: a newer
    // request (if any) is served next and gets its own answer.
    if (request != m_parkedSequence) {
        parkedWork.clear();
        return;
    }
    m_parkedResult = std::move(parkedWork);
    parkedWork.clear();
    m_parkedResultSequence = request;
    parkedStatus = status;
}

void TrafficReader::processParkedTrafficLine(const std::string& key) {
    try {
        const nlohmann::json& a = parkedRecord;
        ParkedTrafficRecord r;
        r.hexId = lf_parseHexId(key).value_or(0);
        if (r.hexId <= minLiveHexId) return;
        r.slot = gf_halfHourSlotOf(lf_readTimeSeen(lf_element(a, pTimeSeen)));
        r.registration = lf_readParkedRegistration(a);
        r.type = lf_fixType(lf_jsonToString(lf_element(a, pType)));
        // Any JSON number is a position, integers included.
        const nlohmann::json& lat = lf_element(a, pLat);
        const nlohmann::json& lon = lf_element(a, pLon);
        r.lat = lat.is_number() ? lat.get<double>() : 0.0;
        r.lon = lon.is_number() ? lon.get<double>() : 0.0;
        if (!(r.lat >= -90.0 && r.lat <= 90.0 && r.lon >= -180.0 && r.lon <= 180.0) ||
            (std::fabs(r.lat) <= noPositionDeg && std::fabs(r.lon) <= noPositionDeg)) {
            throw std::runtime_error("lalo:" + lf_formatLatLon(r.lat, r.lon));
        }
        r.callsign = lf_readParkedCallsign(a);
        if (r.registration.empty() && !r.callsign.empty()) {
            if (const std::optional<DbaseRecord> d = gf_findDbaseRecord(r.callsign)) {
                r.airline = d->airl;
                r.type = d->type;
                r.registration = r.callsign;
                if (!d->opr.empty()) r.airline = d->opr;
            }
        } else if (!r.registration.empty()) {
            if (const std::optional<DbaseRecord> d = gf_findDbaseRecord(r.registration)) {
                r.airline = d->airl;
                r.type = d->type;
                if (!d->opr.empty()) r.airline = d->opr;
                if (r.callsign.empty()) r.callsign = r.registration;
            }
        }
        if (r.type.empty() || !gf_isKnownType(r.type)) return;
        if (!gf_categoryEnabled(static_cast<std::uint32_t>(gf_typeCategory(r.type)))) return;
        const nlohmann::json& stand = lf_element(a, pStand);
        if (!stand.is_string()) return;
        r.stand = stand.get<std::string>();
        if (!r.stand.empty() && (r.stand == lineContext.reservedStand || r.stand == lineContext.userStand)) return;
        parkedWork.push_back(std::move(r));
    } catch (const std::runtime_error&) {
        // A malformed position drops its record without a word.
    } catch (const std::exception& e) {
        g_badMemberLines.write(lf_parkedLineError(e.what()));
    }
}

void TrafficReader::parkedtraffic() {
    std::uint64_t request = 0;
    QueryBox box;
    {
        std::lock_guard lock(m_parkedMutex);
        request = m_parkedSequence;
        box = m_parkedBox;
    }
    parkedWork.clear();
    std::int32_t status = g_parkedFailed;
    if (!hasSession()) {
        finishParkedRequest(request, status);
        return;
    }
    try {
        const std::string body = fmt::format("GUID={}&top={:.2F}&bottom={:.2F}&left={:.2F}&right={:.2F}&querytype=parkedtraffic&toffset={}",
                                             lf_formValue(guid()), box.top, box.bottom, box.left, box.right, toffset.load());
        const CURLcode rc = lf_sendForm(FormPost{ptcurl_.get(), "ptcurl_", g_trafficPath, &body, &trafficReply, false, &stop, nullptr});
        if (rc != CURLE_OK) {
            // A transfer cut short by a stop is no failure worth a warning.
            if (rc != CURLE_ABORTED_BY_CALLBACK)
                gf_logMarked("{} curl parkedtraffic code: {}", lf_nowText(), curl_easy_strerror(rc));
        } else if (trafficReply.empty()) {
            gf_logMarked("parkedtraffic: empty content");
        } else {
            nlohmann::json answer = gf_parseJsonOrDiscard(trafficReply);
            if (answer.is_discarded()) {
                gf_logMarked("parkedtraffic: invalid JSON");
            } else {
                const std::int32_t st = lf_replyStatus(answer);
                if (st == g_statusOk) {
                    rrl = lf_replyWait(answer, "rrl");
                    const auto data = answer.find("data");
                    if (data != answer.end() && (data->is_object() || data->is_array()) && !data->empty()) {
                        refreshLineContext();
                        for (auto& member : data->items()) {
                            parkedRecord = std::move(member.value());
                            processParkedTrafficLine(member.key());
                        }
                    }
                    status = g_parkedDone;
                } else if (st == statusSlowDown) {
                    gf_logMarked("parkedtraffic msg: {}", lf_jsonString(answer, "message", ""));
                    status = g_parkedDone;
                } else {
                    status = st;
                }
            }
        }
    } catch (const std::exception& e) {
        gf_logMarked("{}: {}", "parkedtraffic", e.what());
        status = g_parkedFailed;
    }
    g_badMemberLines.summarise();
    if (status != g_parkedDone) parkedWork.clear();
    finishParkedRequest(request, status);
}

std::size_t lf_eraseOldParked(std::vector<ParkedTrafficRecord>& records, std::int32_t maxFit) {
    const auto old = std::remove_if(records.begin(), records.end(), [maxFit](const ParkedTrafficRecord& r) { return r.slot > maxFit; });
    const auto erased = static_cast<std::size_t>(records.end() - old);
    records.erase(old, records.end());
    return erased;
}

void gf_ageAndSortParked(std::vector<ParkedTrafficRecord>& records, std::int32_t currentSlot, bool keepOld,
                         std::int32_t maxFit) {
    // A record whose time could not be read has no age: it would pass as fresh.
    std::erase_if(records, [](const ParkedTrafficRecord& r) { return r.slot < 0; });
    for (ParkedTrafficRecord& r : records) {
        r.slot = currentSlot - r.slot;
        if (r.slot < 0) r.slot += static_cast<std::int32_t>(g_slotsPerDay);
    }
    if (!keepOld) lf_eraseOldParked(records, maxFit);
    std::stable_sort(records.begin(), records.end(),
                     [](const ParkedTrafficRecord& a, const ParkedTrafficRecord& b) { return a.slot < b.slot; });
    std::unordered_set<std::string> stands;
    std::unordered_set<std::string> callsigns;
    std::vector<ParkedTrafficRecord> kept;
    kept.reserve(records.size());
    for (ParkedTrafficRecord& r : records) {
        if (stands.count(r.stand) != 0) continue;
        if (!r.callsign.empty() && callsigns.count(r.callsign) != 0) continue;
        stands.insert(r.stand);
        if (!r.callsign.empty()) callsigns.insert(r.callsign);
        kept.push_back(std::move(r));
    }
    records = std::move(kept);
}

bool gf_requestParkedTraffic() {
    const CurrentParkAirportData park = gf_currentParkAirport();
    const std::uint64_t request = g_trafficReader.postParkedRequest(gf_parkedBoxAround(park.lat, park.lon));
    lf_sleepUnlessStopped(g_parkedPollMs, g_stopRun, &g_stopProgram);
    const auto start = std::chrono::steady_clock::now();
    auto next = start;
    while (g_trafficReader.parkedStatus.load() == g_parkedPending) {
        if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(g_parkedTimeoutMs)) {
            gf_logLine("ParkedTraffic receiving timed out after 10 seconds");
            return false;
        }
        if (gf_stopUnderWay()) return false;
        next += std::chrono::milliseconds(g_parkedPollMs);
        std::this_thread::sleep_until(next);
    }
    std::int32_t status = g_parkedFailed;
    std::vector<ParkedTrafficRecord> result;
    if (!g_trafficReader.takeParkedResult(request, status, result)) return false;
    switch (status) {
        case g_parkedDone:
            gf_ageAndSortParked(result, gf_halfHourSlot(), RT_PARKTRAFFIC_ONLY.value.load(), MAX_FIT.value.load());
            g_trafficReader.parkedRecords = std::move(result);
            return true;
        case g_parkedFailed:
            return false;
        case statusParameterFault:
            throw std::runtime_error("RT API parameter fault");
        case statusForbidden:
            throw std::runtime_error("RT API: parked traffic not allowed for this license");
        case statusReauthenticate:
            gf_logMarked("RT Parkedtraffic: re-authentication to RT API is needed {}", g_programId);
            return false;
        default:
            gf_logMarked("RT Parkedtraffic error status: {}", status);
            return false;
    }
}

}  // namespace zrb
