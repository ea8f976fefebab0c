// The status display: what the GUI thread copies when it paints, and the
// drawing built from that copy.
#include "shell/status_display.h"

#include <optional>

#include <fmt/format.h>

#include "airports/park_airport_choice.h"
#include "airports/park_airport.h"
#include "config/parameters.h"
#include "foundation/log.h"
#include "foundation/number_text.h"
#include "foundation/program_id.h"
#include "foundation/utf16.h"
#include "foundation/version_data.h"
#include "shell/common/main_window_state.h"
#include "shell/common/message_line.h"
#include "traffic/ui_lock.h"

namespace zrb {

namespace {

using platform::Colour;
using platform::DrawList;
using platform::FillOp;
using platform::LineOp;

// The notice of the title line.
constexpr std::string_view titleNotice = "live traffic for Prepar3D";

// Title line.
constexpr int titleY = 7;
constexpr int versionX = 3;
constexpr int programIdX = 390;
constexpr int noticeX = 632;

// Status band: three text rows and two lights.
constexpr int statusRow1 = 35;
constexpr int statusRow2 = 63;
constexpr int statusRow3 = 91;
constexpr int statusTextX = 5;
constexpr int simaddonX = 141;
constexpr int thirdpX = 278;
constexpr platform::Rect simLight{397, 30, 425, 112};
constexpr platform::Rect serviceLight{425, 30, 453, 112};
constexpr int simLabelX = 398;
constexpr int serviceLabelX = 430;
constexpr int feedLabelX = 458;
constexpr int feedValueX = 642;

// Park-airport panel (lower band): two rows.
constexpr int panelRow1 = 399;
constexpr int panelRow2 = panelRow1 + 28;

// Message line.
constexpr int messageX = 3;
constexpr int messageY = 455;

void lf_fill(DrawList& drawing, const platform::Rect& r, Colour colour) {
    drawing.emplace_back(FillOp{r.left, r.top, r.right, r.bottom, colour});
}

void lf_line(DrawList& drawing, int x1, int y1, int x2, int y2, Colour colour) {
    drawing.emplace_back(LineOp{x1, y1, x2, y2, colour});
}

// A feed light's label colour: green while it delivers, yellow while idle,
// nothing while off.
std::optional<Colour> lf_feedColour(std::uint32_t light) {
    if (light == g_lightOk) return g_green;
    if (light == g_lightIdle) return g_yellow;
    return std::nullopt;
}

bool lf_feedOn(std::uint32_t light) { return light == g_lightOk || light == g_lightIdle; }

void lf_addBands(DrawList& drawing) {
    lf_fill(drawing, g_titleBand, g_black);
    lf_fill(drawing, g_statusBand, g_black);
    lf_fill(drawing, g_middleBand, g_lightBlue);
    lf_fill(drawing, g_lowerBand, g_black);
    lf_fill(drawing, g_messageBand, g_green);
    const int right = g_titleBand.right;
    for (const int y : {28, 113, 449, 392}) lf_line(drawing, 0, y, right, y, g_white);
}

void lf_addTitle(DrawList& drawing) {
    gf_addText(drawing, versionX, titleY, fmt::format("Version {}", g_programVersionText), g_green);
    gf_addText(drawing, programIdX, titleY, std::string(g_programId), g_green);
    gf_addText(drawing, noticeX, titleY, std::string(titleNotice), g_green);
}

// The grid of the middle band: full-width lines round the option rows, short
// ones left of the time-shift column, and the column's edge.
void lf_addGrid(DrawList& drawing) {
    constexpr int gridRight = 642;
    for (const int y : {140, 224, 308}) lf_line(drawing, 0, y, 880, y, g_black);
    for (const int y : {168, 196, 252, 280}) lf_line(drawing, 0, y, gridRight, y, g_black);
    lf_line(drawing, gridRight, 140, gridRight, 308, g_black);
}

void lf_addSimulator(const DisplaySnapshot& s, DrawList& drawing) {
    Colour light = g_red;
    if (s.simConnected) light = s.simRunning && !s.userTitle.empty() ? g_green : g_yellow;
    lf_fill(drawing, simLight, light);
    gf_addText(drawing, simLabelX, statusRow2, "Sim", g_green);
    if (s.simConnected) {
        std::string text = s.simulatorText;
        if (!s.userStand.empty()) text += ", user stand " + s.userStand;
        gf_addText(drawing, statusTextX, statusRow1, text, light);
        gf_addText(drawing, statusTextX, statusRow2, s.userTitle, s.wingSpanKnown ? light : g_yellow);
    }
}

void lf_addCounts(const DisplaySnapshot& s, DrawList& drawing) {
    if (s.liveries == 0)
        gf_addText(drawing, statusTextX, statusRow3, "# liveries: ...", g_red);
    else
        gf_addText(drawing, statusTextX, statusRow3, fmt::format("# liveries: {}", s.liveries), g_green);
    if (s.simaddonAirports == 0)
        gf_addText(drawing, simaddonX, statusRow3, "# simaddon: ...", g_yellow);
    else
        gf_addText(drawing, simaddonX, statusRow3, fmt::format("# {}: {}", "simaddon", s.simaddonAirports),
                   s.airportsComplete ? g_green : g_yellow);
    if (s.thirdpAirports == 0)
        gf_addText(drawing, thirdpX, statusRow3, "# thirdp: ...", g_yellow);
    else
        gf_addText(drawing, thirdpX, statusRow3, fmt::format("# thirdp: {}", s.thirdpAirports), g_green);
}

void lf_addService(const DisplaySnapshot& s, DrawList& drawing) {
    Colour light = s.session ? g_green : g_red;
    if (s.serviceNotTried) light = g_black;
    lf_fill(drawing, serviceLight, light);
    gf_addText(drawing, serviceLabelX, statusRow2, "RT", g_green);
    if (s.session) {
        if (const auto colour = lf_feedColour(s.weatherLight)) gf_addText(drawing, feedLabelX, statusRow2, "Weather", *colour);
        if (const auto colour = lf_feedColour(s.trafficLight)) gf_addText(drawing, feedLabelX, statusRow3, "Traffic", *colour);
    }
    lf_line(drawing, serviceLight.left, 29, serviceLight.left, serviceLight.bottom, g_black);
}

void lf_addFeedValues(const DisplaySnapshot& s, DrawList& drawing) {
    if (s.session && lf_feedOn(s.weatherLight) && s.qnh >= 1)
        gf_addText(drawing, feedValueX, statusRow2, fmt::format("qnh: {:4}", s.qnh), g_green);
    if (s.session && lf_feedOn(s.trafficLight))
        gf_addText(drawing, feedValueX, statusRow3, fmt::format("live: {:3}", s.liveCount), g_green);
}

void lf_addParkAirportPanel(const DisplaySnapshot& s, DrawList& drawing) {
    if (s.parkAirport.empty()) return;
    gf_addText(drawing, 5, panelRow1, s.parkAirport, s.parkAirportReady ? g_green : g_yellow);
    if (s.parkAirportReady)
        gf_addText(drawing, 85, panelRow1,
                   fmt::format(" {}, {}{}, wk={}", s.publisher, s.fileText, s.handmadeMark ? " (h)" : "", s.weekCount),
                   g_green);
    if (s.staticFitMark) gf_addText(drawing, 370, panelRow1, "*S*", g_green);
    if (!s.parkedTrafficOnly) gf_addText(drawing, 430, panelRow1, fmt::format("qf: {}", s.qualityText), g_green);
    if (!s.reservedStand.empty())
        gf_addText(drawing, 571, panelRow1, fmt::format("reserved stand: {}", s.reservedStand),
                   s.reservedStandFound ? g_green : g_red);
    gf_addText(drawing, 748, panelRow1, fmt::format("# updates: {:4}", s.updates), g_green);

    gf_addText(drawing, 5, panelRow2, fmt::format("# stands: {:3}", s.stands), g_green);
    gf_addText(drawing, 111, panelRow2, fmt::format("parked live: {:3}", s.parkedLive), g_green);
    if (s.liveAverageFit > 0.0F)
        gf_addText(drawing, 249, panelRow2, fmt::format("average fit: {}", gf_floatToText(s.liveAverageFit)), g_green);
    if (s.maxPark > 0) {
        gf_addText(drawing, 430, panelRow2, fmt::format("parked static: {:3}", s.parkedStatic), g_green);
        if (!s.week && s.staticAverageFit > 0.0F)
            gf_addText(drawing, 571, panelRow2, fmt::format("average fit: {}", gf_floatToText(s.staticAverageFit)),
                       g_green);
    }
    if (!s.parkedTrafficOnly) {
        const std::string text = s.maxPark == 0 ? std::string("no max park live")
                                                : fmt::format("max park: {:3} (={} %)", s.maxPark, s.maxParkPercentage);
        gf_addText(drawing, 708, panelRow2, text, g_green);
    }
}

void lf_addMessageLine(const DisplaySnapshot& s, DrawList& drawing) {
    if (!s.error.empty()) {
        lf_fill(drawing, g_messageBand, g_red);
        gf_addText(drawing, messageX, messageY, s.error, g_yellow);
        return;
    }
    lf_fill(drawing, g_messageBand, g_green);
    if (!s.message.empty()) gf_addText(drawing, messageX, messageY, s.message, g_yellow);
}

bool lf_enabled(const GuiControl& control) {
    return platform::controlEnabled(control.handle_.load()).value_or(true);
}

}  // namespace

bool gf_addText(DrawList& drawing, int x, int y, const std::string& text, Colour colour) {
    try {
        drawing.emplace_back(platform::TextOp{x, y, colour, gf_utf8ToUtf16(text)});
        return true;
    } catch (const win32::Utf8ConversionException& e) {
        gf_logLine("{} conversion exception {}, error code: {}", "lf_textOut", e.what(), e.errorCode());
    } catch (const std::exception& e) {
        gf_logLine("{} {}", "lf_textOut", e.what());
    }
    return false;
}

DisplaySnapshot gf_takeDisplaySnapshot() {
    const MainWindow& w = g_mainWindowState;
    DisplaySnapshot s;
    s.simConnected = w.simConnected;
    s.simRunning = w.simRunning;
    s.wingSpanKnown = w.wingSpanKnown;
    s.simulatorText = gf_displayText(DisplayText::simulatorText);
    s.userStand = gf_displayText(DisplayText::userStand);
    s.userTitle = gf_displayText(DisplayText::userAircraftTitle);
    s.liveries = w.liveries;
    s.simaddonAirports = w.simaddonAirports;
    s.thirdpAirports = w.thirdpAirports;
    s.airportsComplete = w.airportsComplete;
    s.serviceNotTried = w.serviceNotTried;
    s.session = w.session;
    s.weatherLight = w.weatherLight;
    s.trafficLight = w.trafficLight;
    s.qnh = w.qnh;
    s.liveCount = w.liveCount;

    s.scanLiveries = SCAN_LIVERIES.value;
    s.alwaysOnTop = ALWAYS_ON_TOP.value;
    s.scanAirports = SCAN_AIRPORTS.value;
    s.airportsScanned = w.airportsScanned;
    s.scanFolder = gf_displayText(DisplayText::scanFolder);
    s.lightAircraftEnabled = lf_enabled(LIGHT_AIRCRAFT);
    s.helicoptersEnabled = lf_enabled(HELICOPTERS);
    s.highPerfEnabled = lf_enabled(HIGH_PERF_AIRCRAFT);
    s.guidChanges = GUID_CHANGES.value;
    s.autoRange = AUTO_RANGE.value;
    s.shiftDays = TIME_SHIFT_DAYS.value;
    s.shiftHours = TIME_SHIFT_HOURS.value;
    s.shiftMinutes = TIME_SHIFT_MINS.value;
    s.renewalHoldsControls = g_uiBusy;
    s.straightPushbacksOnly = STRAIGHT_PBS_ONLY.value;
    s.parkingDataLoaded = g_parkingDataLoaded;
    s.initialLoadOnly = INITIAL_LOAD_ONLY.value;
    s.parkedTrafficOnly = RT_PARKTRAFFIC_ONLY.value;
    s.minutesToRenewal = w.minutesToRenewal;

    s.parkAirport = gf_currentParkAirport().icao;
    s.parkAirportReady = w.parkAirportReady;
    s.publisher = gf_displayText(DisplayText::parkPublisher);
    s.fileText = gf_displayText(DisplayText::parkFileText);
    s.handmadeMark = w.handmadeMark;
    s.weekCount = w.weekCount;
    s.staticFitMark = w.staticFitMark;
    s.qualityText = gf_displayText(DisplayText::qualityText);
    s.reservedStand = gf_reservedStand();
    s.reservedStandFound = w.reservedStandFound;
    s.updates = w.updates;
    s.stands = w.stands;
    s.parkedLive = w.parkedLive;
    s.parkedStatic = w.parkedStatic;
    s.liveAverageFit = w.liveAverageFit;
    s.staticAverageFit = w.staticAverageFit;
    s.maxPark = w.maxPark;
    s.maxParkPercentage = w.maxParkPercentage;
    s.week = WEEK.value;

    const MessageLineView line = gf_messageLineView();
    s.message = line.message;
    s.error = line.error;
    return s;
}

DrawList gf_buildDisplayList(const DisplaySnapshot& shown) {
    DrawList drawing;
    lf_addBands(drawing);
    lf_addTitle(drawing);
    lf_addGrid(drawing);
    lf_addSimulator(shown, drawing);
    lf_addCounts(shown, drawing);
    lf_addService(shown, drawing);
    lf_addFeedValues(shown, drawing);
    gf_addControlLabels(shown, drawing);
    lf_addParkAirportPanel(shown, drawing);
    lf_addMessageLine(shown, drawing);
    return drawing;
}

}  // namespace zrb
