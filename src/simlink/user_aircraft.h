#pragma once
// The user's own aircraft as the simulator reports it: its position and state
// (request 109, asked for by gf_getUserAcPosition), once per run its title and
// ATC model (requests 106 and 107), which give its half wing span and
// category, and the simulator's UTC time. A jump of more than 10 NM is a new
// flight.
//
// Ownership: the record (g_userAcData) belongs to g_simConnectMutex; the
// SimClient thread stores each reply under it and every other thread copies it
// under it. The span, category and time are atomics. The title and the
// previous position of the jump test are the SimClient thread's alone.

#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zrb {

// Definition 403 as received (a negative altitude is kept as 0.0), plus two
// values the copy for the worker adds: the per-second on-ground state and the
// half wing span worked out from the model.
struct UserAcData {
    double lat = 0.0;            // degrees
    double lon = 0.0;            // degrees
    double pitch = 0.0;          // radians
    double bank = 0.0;           // radians
    double heading = 0.0;        // radians, true
    double altitudeFt = 0.0;     // feet
    double altitudeAglFt = 0.0;  // feet above ground
    double groundSpeedKt = 0.0;  // knots
    std::int64_t zuluTimeS = 0;      // seconds since midnight UTC
    std::int64_t zuluDayOfYear = 0;  // 1 = 1 January
    std::int64_t zuluYear = 0;       // its low 16 bits count
    std::int64_t lightStates = 0;    // bit mask
    // Filled by gf_getUserAcPosition, not part of the reply. Until a copy is
    // taken the aircraft counts as standing, the safe side for every rule
    // that tells air from ground.
    bool onGround = true;
    double halfSpanNm = 0.0;  // nautical miles
};

inline constexpr std::size_t g_userAcDataBytes = 96;   // definition 403
inline constexpr double g_noPositionDeg = 0.0001;      // |lat| and |lon| at most this: no position yet
inline constexpr double g_teleportNm = 10.0;           // a longer jump is a new flight
inline constexpr std::uint32_t g_newFlightRestartSeconds = 30;
inline constexpr std::size_t g_userTitleMaxChars = 48;

// The half wing span (NM) and category of the user aircraft, from its model.
inline std::atomic<double> g_userSpan{0.0};
inline std::atomic<bool> g_userSpanSet{false};
inline std::atomic<std::uint32_t> g_userCategory{0};
// The simulator's UTC time in seconds since 1970 (0 until the first reply).
inline std::atomic<std::int64_t> g_simUtcTime{0};

bool gf_hasPosition(double lat, double lon);

// Worker thread: asks for a fresh reply (request 109, unless the error flag is
// set or the link is closed) and returns a copy of the last one received, not
// the answer to this request. Also follows the stand under the user
// (user_stand.h), which only the worker may look up.
UserAcData gf_getUserAcPosition();
// Any thread: a copy of the last reply, without asking for a new one.
UserAcData gf_userAcRecord();
// Requests 106 and 107 once (start of a run).
void gf_requestUserAcTitleAndModel();
std::int64_t gf_simUtcTime();

// days since 1970 x 86400 + seconds of the day, for a zulu year (low 16 bits,
// signed) and day of year. A day outside 1..366 or a second outside 0..86399
// is taken as the nearest one inside.
std::int64_t gf_zuluToUnixSeconds(std::int64_t zuluYear, std::int64_t dayOfYear, std::int64_t secondsOfDay);

// ---------------------------------------------------------------- SimClient thread
// Reply 109: the data of definition 403 (at least 96 bytes). Any reply tells
// the position; only the answer to a request of gf_getUserAcPosition, with an
// object id other than 0, tells the user's object id.
void lf_onUserAcData(std::uint32_t objectId, std::span<const std::uint8_t> data);
// Reply 106: the title as the simulator sent it (8-bit ANSI).
void lf_onUserAcTitle(std::string_view title);
// Reply 107: the ATC model. Throws UserErrorException 71 for an empty model
// and 73 for anything unexpected.
void lf_onUserAcModel(std::string_view model);
// The per-second reply's part here: the on-ground flag once the position is known.
void lf_onUserAcOnGround(std::uint32_t onGroundWord);
// The thread's own values back to their start (title, previous position).
void lf_resetUserAircraftThreadState();
// The record, span and time back to their start values (a new run).
void gf_resetUserAircraft();

}  // namespace zrb
