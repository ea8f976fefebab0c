#pragma once
// The values the main window shows, written by the worker, the "SimClient"
// thread, the reader threads and the scans, and read by the GUI thread when it
// paints. A writer stores a value and then invalidates the band that shows it
// (gf_invalidateBand); it never paints and holds no lock while invalidating.
//
// Ownership: numbers and flags are atomics (any thread). The display texts are
// owned by g_displayTextMutex and read and written through the functions below
// (copies out, never references). The message and error texts are the message
// line's (message_line.h).

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/window.h"

namespace zrb {

// Bands of the client area (left, top, right, bottom).
inline constexpr platform::Rect g_titleBand{0, 0, 880, 28};
inline constexpr platform::Rect g_statusBand{0, 28, 880, 112};
inline constexpr platform::Rect g_middleBand{0, 112, 880, 392};
inline constexpr platform::Rect g_lowerBand{0, 392, 880, 448};
inline constexpr platform::Rect g_messageBand{0, 448, 880, 476};

// Feed lights.
inline constexpr std::uint32_t g_lightOk = 1;
inline constexpr std::uint32_t g_lightIdle = 2;
inline constexpr std::uint32_t g_lightOff = 3;

// Invalidates a band of the main window (nothing when there is no window).
void gf_invalidateBand(const platform::Rect& band);

enum class DisplayText : std::uint8_t {
    userAircraftTitle,   // the simulator link, cut to 48 characters
    parkPublisher,       // airports: publisher of the park airport's file
    parkFileText,        // airports
    qualityText,         // airports: quality factor text
    simulatorText,       // the simulator link: "{} ({}.{}.{}.{})"
    userStand,           // the simulator link: the user's stand, empty when none
    scanFolder,          // airports: the folder the add-on airport scan is in
    count
};

struct MainWindow {
    // Status band.
    std::atomic<std::uint64_t> liveCount{0};          // active live aircraft not parked
    std::atomic<std::uint64_t> simaddonAirports{0};
    std::atomic<std::uint64_t> thirdpAirports{0};
    std::atomic<std::uint64_t> liveries{0};           // installed liveries ("# liveries: {}")
    std::atomic<std::int32_t> qnh{0};                 // hPa, 0 = none yet
    std::atomic<bool> serviceNotTried{true};          // no login attempted yet in this run
    std::atomic<bool> session{false};
    std::atomic<bool> simConnected{false};
    std::atomic<bool> simRunning{false};
    std::atomic<bool> wingSpanKnown{true};
    std::atomic<bool> airportsComplete{true};
    std::atomic<std::uint32_t> trafficLight{g_lightOff};
    std::atomic<std::uint32_t> weatherLight{g_lightOff};
    // Lower band (park-airport panel).
    std::atomic<float> staticAverageFit{-1.0F};       // hours
    std::atomic<float> liveAverageFit{-1.0F};         // hours
    std::atomic<std::uint64_t> parkedLive{0};
    std::atomic<std::uint64_t> parkedStatic{0};
    std::atomic<std::uint64_t> stands{0};
    std::atomic<std::int32_t> maxParkPercentage{0};
    std::atomic<std::int32_t> maxPark{0};
    std::atomic<std::int32_t> updates{0};
    std::atomic<bool> handmadeMark{false};            // "(h)"
    std::atomic<bool> parkAirportReady{false};
    std::atomic<bool> staticFitMark{false};           // "*S*"
    std::atomic<bool> reservedStandFound{false};
    std::atomic<std::int32_t> weekCount{0};           // "wk={}"
    // Middle band.
    std::atomic<std::int32_t> minutesToRenewal{0};
    // Airport scan progress ("{} airport{} in {} folder"), 0 while no scan counts.
    std::atomic<std::uint64_t> airportsScanned{0};
};

// The one window state of the process.
inline MainWindow g_mainWindowState;

// Owns the display texts below.
inline std::mutex g_displayTextMutex;

void gf_setDisplayText(DisplayText which, std::string text);
std::string gf_displayText(DisplayText which);

// The reset before a new run: texts emptied, counts and flags to their start
// values (the livery, simaddon and thirdp counts, the airports-complete and the
// reserved-stand-found flags keep theirs), message line reset. Invalidates the
// whole window.
void gf_resetMainWindowState();

}  // namespace zrb
