#pragma once
// The painted part of the main window: five bands with the title line, the
// status display of the simulator, the live-traffic service and the learned
// data, the labels of the controls, the park-airport panel and the message
// line.
//
// Painting is split in two so that no lock is held while drawing: the GUI
// thread copies every value it shows into a DisplaySnapshot (each under its
// own owner: atomics, the display-text mutex, the park-airport mutex, the
// message-line mutex), then builds the drawing from the copy alone.

#include <cstdint>
#include <string>

#include "platform/drawing.h"

namespace zrb {

inline constexpr platform::Colour g_black{0, 0, 0};
inline constexpr platform::Colour g_white{255, 255, 255};
inline constexpr platform::Colour g_red{255, 0, 0};
inline constexpr platform::Colour g_green{50, 205, 50};
inline constexpr platform::Colour g_yellow{255, 255, 0};
inline constexpr platform::Colour g_lightBlue{153, 204, 255};
inline constexpr platform::Colour g_grey{160, 160, 160};

struct DisplaySnapshot {
    // Status band.
    bool simConnected = false;
    bool simRunning = false;
    bool wingSpanKnown = true;
    std::string simulatorText;
    std::string userStand;
    std::string userTitle;
    std::uint64_t liveries = 0;
    std::uint64_t simaddonAirports = 0;
    std::uint64_t thirdpAirports = 0;
    bool airportsComplete = true;
    bool serviceNotTried = true;
    bool session = false;
    std::uint32_t weatherLight = 3;
    std::uint32_t trafficLight = 3;
    std::int32_t qnh = 0;  // hPa
    std::uint64_t liveCount = 0;

    // Labels of the controls.
    bool scanLiveries = false;
    bool alwaysOnTop = false;
    bool scanAirports = false;
    std::uint64_t airportsScanned = 0;  // 0 while no airport scan counts
    std::string scanFolder;
    bool lightAircraftEnabled = true;
    bool helicoptersEnabled = true;
    bool highPerfEnabled = true;
    bool guidChanges = true;
    bool autoRange = true;
    std::int32_t shiftDays = 0;
    std::int32_t shiftHours = 0;
    std::int32_t shiftMinutes = 0;
    bool renewalHoldsControls = false;
    bool straightPushbacksOnly = false;
    bool parkingDataLoaded = false;
    bool initialLoadOnly = false;
    bool parkedTrafficOnly = false;
    std::int32_t minutesToRenewal = 0;

    // Park-airport panel.
    std::string parkAirport;  // ICAO code, empty while none is chosen
    bool parkAirportReady = false;
    std::string publisher;
    std::string fileText;
    bool handmadeMark = false;
    std::int32_t weekCount = 0;
    bool staticFitMark = false;
    std::string qualityText;
    std::string reservedStand;
    bool reservedStandFound = false;
    std::int32_t updates = 0;
    std::uint64_t stands = 0;
    std::uint64_t parkedLive = 0;
    std::uint64_t parkedStatic = 0;
    float liveAverageFit = -1.0F;    // hours
    float staticAverageFit = -1.0F;  // hours
    std::int32_t maxPark = 0;
    std::int32_t maxParkPercentage = 0;
    bool week = false;

    // Message line.
    std::string message;
    std::string error;
};

// Copies what the window shows now. GUI thread (it reads the controls' states).
DisplaySnapshot gf_takeDisplaySnapshot();

// The whole drawing of the client area, in painting order. A text that is not
// valid UTF-8 is logged ("{} conversion exception {}, error code: {}") and left out.
platform::DrawList gf_buildDisplayList(const DisplaySnapshot& shown);

// The labels of the controls in the middle band (control_labels.cpp).
void gf_addControlLabels(const DisplaySnapshot& shown, platform::DrawList& drawing);

// Appends one text; false (and logged) when it cannot be converted.
bool gf_addText(platform::DrawList& drawing, int x, int y, const std::string& text, platform::Colour colour);

}  // namespace zrb
