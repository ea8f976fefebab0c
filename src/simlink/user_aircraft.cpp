#include "simlink/user_aircraft.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <mutex>

#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "foundation/log_repeats.h"
#include "foundation/user_error.h"
#include "liveries/dbase.h"
#include "shell/common/main_window_state.h"
#include "shell/common/message_line.h"
#include "shell/common/run_control.h"
#include "simconnect/protocol.h"
#include "simconnect/received.h"
#include "foundation/ansi_text.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "simlink/sim_state.h"
#include "simlink/user_stand.h"
#include "traffic/category_name.h"

namespace zrb {

namespace {

constexpr std::int64_t secondsPerDay = 86400;
constexpr std::int64_t daysPerYear = 365;
constexpr std::int64_t daysPerLeapYear = 366;
constexpr std::int64_t daysBefore1970 = 719163;  // days from 1 January of year 1 to 1 January 1970
constexpr double metresPerNm = 1852.0;
constexpr std::size_t typeCodeMaxChars = 4;  // a shorter model is an ICAO type code

// Guarded by g_simConnectMutex.
UserAcData g_userAcData;
// Guarded by g_simConnectMutex: position requests sent and not yet answered.
// Only an answer to one of them tells which object is the user's: anything
// else could make every object, the user's own, count as AI.
std::uint32_t g_userDataRequestsOut = 0;

// SimClient thread only.
LatLon g_lastUserPos{};
std::string g_userAcTitle;

RepeatedLogLines g_offGlobeLines(LogLineKind::marked, "User aircraft positions off the globe");
// Asked for once a run, but the simulator may send them as often as it likes.
constexpr std::uint32_t wholeReplyLines = 5;
RepeatedLogLines g_titleLines(LogLineKind::indented, "User aircraft titles", wholeReplyLines);
RepeatedLogLines g_modelLines(LogLineKind::indented, "User aircraft models", wholeReplyLines);

// A latitude and longitude on the globe. Anything else the simulator sends is
// no place, and every request made with it (the traffic box, the weather)
// would carry it.
bool lf_onGlobe(double lat, double lon) {
    return std::isfinite(lat) && std::isfinite(lon) && std::abs(lat) <= 90.0 && std::abs(lon) <= 180.0;
}

std::int64_t lf_floorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Models that name no aircraft: the user flies a camera or a vessel.
bool lf_noAircraftModel(std::string_view model) {
    return model.find("camerapod") != std::string_view::npos || model.find("Crew Vessel") != std::string_view::npos;
}

// The type a title of these add-on airliners tells when the model does not.
std::string lf_typeFromTitle(std::string_view title) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 3> titles{{
        {"Aerosoft A319", "A319"},
        {"Aerosoft A320", "A320"},
        {"Aerosoft A321", "A321"},
    }};
    constexpr std::size_t prefixChars = 13;
    if (title.size() < prefixChars) return {};
    for (const auto& [prefix, type] : titles)
        if (title.substr(0, prefixChars) == prefix) return std::string(type);
    return {};
}

void lf_showSpanKnown(bool known) {
    g_mainWindowState.wingSpanKnown = known;
    gf_invalidateBand(g_statusBand);
}

void lf_workOutModel(std::string model, bool log) {
    if (log) gf_logIndented("model raw: {}", model);
    std::string text = "SimConnect: User aircraft model: " + model;
    if (lf_noAircraftModel(model)) {
        lf_showSpanKnown(true);
        g_userSpan = gf_wingspan("E190");
        g_userSpanSet = true;
        g_userCategory = 0;
        if (log) gf_logIndented(text);
        return;
    }
    const double maxSpan = g_maxHalfWingspan;
    double span = maxSpan;
    if (model.size() <= typeCodeMaxChars) span = gf_wingspan(model);
    bool found = span != maxSpan;
    if (!found) {
        const std::string deduced = lf_typeFromTitle(g_userAcTitle);
        if (!deduced.empty()) {
            model = deduced;
            text = "SimConnect: User aircraft model deduced from title: " + model;
            const double deducedSpan = gf_wingspan(model);
            if (deducedSpan != 0.0) {
                span = deducedSpan;
                found = true;
            }
        }
    }
    g_userSpan = span;
    g_userSpanSet = true;
    if (!found) {
        lf_showSpanKnown(false);
        gf_showMessage("User aircraft wing span unknown, max is taken instead, please report in my Forum!", log);
    } else {
        lf_showSpanKnown(true);
        text += fmt::format(", half wing span: {:.1F} meter", span * metresPerNm);
    }
    const auto category = static_cast<std::uint32_t>(gf_typeCategory(model));
    g_userCategory = category;
    text += fmt::format(", category: {}", gf_categoryName(category));
    if (log) gf_logIndented(text);
}

// Sends one once-only request for the user aircraft under the mutex; false
// when it failed (a closed link or a set error flag sends nothing and is no failure).
bool lf_requestUserData(std::uint32_t requestId, std::uint32_t definition) {
    std::lock_guard lock(g_simConnectMutex);
    if (g_hSimConnect == nullptr || g_simConnectError.load()) return true;
    const bool sent = gf_succeeded(SimConnect_RequestDataOnSimObject(g_hSimConnect, requestId, definition, g_userObject,
                                                                     simconnect::periodOnce, 0, 0, 0, 0));
    if (sent && requestId == reqUserData) ++g_userDataRequestsOut;
    return sent;
}

}  // namespace

bool gf_hasPosition(double lat, double lon) { return std::abs(lat) > g_noPositionDeg || std::abs(lon) > g_noPositionDeg; }

std::int64_t gf_zuluToUnixSeconds(std::int64_t zuluYear, std::int64_t dayOfYear, std::int64_t secondsOfDay) {
    // The simulator's words may hold anything: kept to a day of a year and a
    // second of a day, the sum cannot overflow.
    dayOfYear = std::clamp<std::int64_t>(dayOfYear, 1, daysPerLeapYear);
    secondsOfDay = std::clamp<std::int64_t>(secondsOfDay, 0, secondsPerDay - 1);
    const auto year = static_cast<std::int64_t>(static_cast<std::int16_t>(zuluYear & 0xFFFF));
    const std::int64_t y = year - 1;
    const std::int64_t q = y / 100;  // truncated towards zero
    const std::int64_t days = y * daysPerYear + lf_floorDiv(y, 4) - q + lf_floorDiv(q, 4) + dayOfYear - daysBefore1970;
    return days * secondsPerDay + secondsOfDay;
}

UserAcData gf_getUserAcPosition() {
    if (!lf_requestUserData(reqUserData, defUserData)) {
        gf_logMarked("SimConnect request user ac position fails");
        gf_simConnectRequestError();
    }
    UserAcData user = gf_userAcRecord();
    lf_followUserStand(user);
    return user;
}

UserAcData gf_userAcRecord() {
    UserAcData user;
    {
        std::lock_guard lock(g_simConnectMutex);
        user = g_userAcData;
    }
    user.onGround = g_userOnGround.load();
    user.halfSpanNm = g_userSpan.load();
    return user;
}

void gf_requestUserAcTitleAndModel() {
    if (!lf_requestUserData(reqUserTitle, defUserTitle)) {
        gf_logMarked("SimConnect request user ac title fails");
        gf_simConnectRequestError();
    }
    if (!lf_requestUserData(reqUserModel, defUserModel)) {
        gf_logMarked("SimConnect reques user ac model fails");
        gf_simConnectRequestError();
    }
}

std::int64_t gf_simUtcTime() { return g_simUtcTime.load(); }

void lf_onUserAcData(std::uint32_t objectId, std::span<const std::uint8_t> data) {
    UserAcData d;
    double* const doubles[] = {&d.lat, &d.lon, &d.pitch, &d.bank, &d.heading, &d.altitudeFt, &d.altitudeAglFt,
                               &d.groundSpeedKt};
    std::int64_t* const integers[] = {&d.zuluTimeS, &d.zuluDayOfYear, &d.zuluYear, &d.lightStates};
    std::size_t offset = 0;
    for (double* value : doubles) {
        *value = gf_dataF64(data, offset).value_or(0.0);
        offset += sizeof(double);
    }
    for (std::int64_t* value : integers) {
        *value = gf_dataI64(data, offset).value_or(0);
        offset += sizeof(std::int64_t);
    }
    // A position off the globe is not used: the last one stays (none at the
    // start of a run, which then waits for one).
    const bool onGlobe = lf_onGlobe(d.lat, d.lon);
    if (!onGlobe) g_offGlobeLines.write("User aircraft position {},{} is off the globe: not used", d.lat, d.lon);
    for (double* value : doubles)
        if (!std::isfinite(*value)) *value = 0.0;
    if (d.altitudeFt < 0.0) d.altitudeFt = 0.0;
    bool asked = false;
    {
        std::lock_guard lock(g_simConnectMutex);
        if (onGlobe) g_userAcData = d;
        asked = g_userDataRequestsOut > 0;
        if (asked) --g_userDataRequestsOut;
    }
    if (!onGlobe) return;
    if (gf_hasPosition(g_lastUserPos.lat, g_lastUserPos.lon) &&
        gf_distanceNm(g_lastUserPos, LatLon{d.lat, d.lon}) > g_teleportNm) {
        gf_logLine("Teleport");
        gf_requestStop(ExitReason::newFlight, g_newFlightRestartSeconds);
    }
    g_lastUserPos = LatLon{d.lat, d.lon};
    g_simUtcTime = gf_zuluToUnixSeconds(d.zuluYear, d.zuluDayOfYear, d.zuluTimeS);
    if (asked && objectId != 0) g_userObjectId = objectId;
}

void lf_onUserAcTitle(std::string_view title) {
    if (title.empty()) {
        if (g_titleLines.admit()) gf_logLine("! Title of your aircraft is empty?");
        return;
    }
    const std::string cut = gf_firstUtf8Chars(gf_ansiToUtf8(title), g_userTitleMaxChars);
    if (cut == g_userAcTitle) return;
    gf_setDisplayText(DisplayText::userAircraftTitle, cut);
    gf_invalidateBand(g_statusBand);
    g_userAcTitle = cut;
    g_titleLines.write("SimConnect: User aircraft title: " + cut);
}

void lf_onUserAcModel(std::string_view model) {
    if (model.empty())
        throw UserErrorException(71, "atc_model= in [General] section of your aircraft.cfg is empty or missing");
    try {
        lf_workOutModel(gf_ansiToUtf8(model), g_modelLines.admit());
    } catch (const UserErrorException&) {
        throw;
    } catch (const std::exception&) {
        throw UserErrorException(73, "It looks like you have not selected an aircraft as user vehicle");
    }
}

void lf_onUserAcOnGround(std::uint32_t onGroundWord) {
    const UserAcData user = gf_userAcRecord();
    if (!gf_hasPosition(user.lat, user.lon)) return;
    g_userOnGround = onGroundWord != 0;
    g_userDataValid = true;
}

void lf_resetUserAircraftThreadState() {
    g_lastUserPos = LatLon{};
    g_userAcTitle.clear();
    // A new connection tells them again.
    g_titleLines.summarise();
    g_modelLines.summarise();
}

void gf_resetUserAircraft() {
    {
        std::lock_guard lock(g_simConnectMutex);
        g_userAcData = UserAcData{};
        g_userDataRequestsOut = 0;
    }
    g_userSpan = 0.0;
    g_userSpanSet = false;
    g_userCategory = 0;
    g_simUtcTime = 0;
}

}  // namespace zrb
