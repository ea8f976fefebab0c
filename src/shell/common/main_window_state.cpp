#include "shell/common/main_window_state.h"

#include <array>

#include "shell/common/message_line.h"

namespace zrb {

namespace {

// Owned by g_displayTextMutex.
std::array<std::string, static_cast<std::size_t>(DisplayText::count)> g_displayTexts;

}  // namespace

void gf_invalidateBand(const platform::Rect& band) { platform::invalidateRect(band); }

void gf_setDisplayText(DisplayText which, std::string text) {
    std::lock_guard lock(g_displayTextMutex);
    g_displayTexts.at(static_cast<std::size_t>(which)) = std::move(text);
}

std::string gf_displayText(DisplayText which) {
    std::lock_guard lock(g_displayTextMutex);
    return g_displayTexts.at(static_cast<std::size_t>(which));
}

void gf_resetMainWindowState() {
    {
        std::lock_guard lock(g_displayTextMutex);
        for (auto& text : g_displayTexts) text.clear();
    }
    gf_resetMessageLine();
    auto& w = g_mainWindowState;
    w.qnh = 0;
    w.maxPark = 0;
    w.maxParkPercentage = 0;
    w.liveCount = 0;
    w.parkedLive = 0;
    w.parkedStatic = 0;
    w.stands = 0;
    w.updates = 0;
    w.staticAverageFit = -1.0F;
    w.liveAverageFit = -1.0F;
    w.serviceNotTried = true;
    w.session = false;
    w.parkAirportReady = false;
    w.simConnected = false;
    w.simRunning = false;
    w.wingSpanKnown = true;
    w.staticFitMark = false;
    w.handmadeMark = false;
    w.trafficLight = g_lightOff;
    w.weatherLight = g_lightOff;
    gf_invalidateBand({0, 0, platform::mainWindowWidth, platform::mainWindowHeight});
}

}  // namespace zrb
