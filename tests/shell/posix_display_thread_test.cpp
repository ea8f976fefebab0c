// The window paints while the run's threads change what it shows: every value
// is copied under its owner, so painting never reads a text being replaced
// (ThreadSanitizer checks this run too).
#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "airports/park_airport.h"
#include "platform/window.h"
#include "shell/main_window.h"
#include "shell_test_support.h"

namespace zrb::test {
namespace {

class DisplayThreads : public ShellTest {
protected:
    ~DisplayThreads() override {
        gf_clearCurrentParkAirport();
        gf_setReservedStand("");
        gf_resetMainWindowState();
    }
};

TEST_F(DisplayThreads, PaintingCopiesEveryValueWhileOtherThreadsWriteThem) {
    platform::registerMainWindowClass(u"TLVR_P3D", gf_mainWindowHandlers());
    ASSERT_TRUE(gf_createMainWindow(u"TLVR_P3D"));
    std::thread gui([] { platform::runMessageLoop(); });

    constexpr int rounds = 300;
    std::vector<std::jthread> writers;
    writers.emplace_back([] {  // the simulator link
        for (int i = 0; i < rounds; ++i) {
            gf_setDisplayText(DisplayText::userAircraftTitle, "Airbus A320 livery " + std::to_string(i));
            gf_setDisplayText(DisplayText::userStand, i % 2 == 0 ? "" : "D" + std::to_string(i));
            g_mainWindowState.simConnected = true;
            g_mainWindowState.simRunning = i % 3 != 0;
            gf_invalidateBand(g_statusBand);
        }
    });
    writers.emplace_back([] {  // the readers
        for (int i = 0; i < rounds; ++i) {
            g_mainWindowState.session = true;
            g_mainWindowState.weatherLight = g_lightOk;
            g_mainWindowState.qnh = 990 + i % 40;
            gf_showMessage("poll " + std::to_string(i), false);
            gf_invalidateBand(g_statusBand);
        }
    });
    writers.emplace_back([] {  // the worker: park airport, counts, settings
        for (int i = 0; i < rounds; ++i) {
            gf_setCurrentParkAirport({i % 2 == 0 ? "EHAM" : "EDDF", "", 52.0, 4.0, 0.0});
            gf_setReservedStand("B" + std::to_string(i));
            gf_setDisplayText(DisplayText::qualityText, std::to_string(i));
            g_mainWindowState.parkedStatic = static_cast<std::uint64_t>(i);
            WEEK.value = i % 2 == 0;
            gf_invalidateBand(g_lowerBand);
        }
    });
    writers.clear();  // joins them

    gf_setDisplayText(DisplayText::userAircraftTitle, "final title");
    gf_invalidateBand(g_statusBand);
    platform::quitMessageLoop(0);
    gui.join();

    EXPECT_GT(platform::paintCount(), 0u);
    const auto drawing = platform::recordedDrawing();
    const auto has = [&](const std::u16string& text) {
        return std::any_of(drawing.begin(), drawing.end(), [&](const platform::DrawOp& op) {
            const auto* t = std::get_if<platform::TextOp>(&op);
            return t != nullptr && t->text == text;
        });
    };
    EXPECT_TRUE(has(u"final title"));
    EXPECT_TRUE(has(u"poll 299"));
    EXPECT_TRUE(has(u"reserved stand: B299"));
}

}  // namespace
}  // namespace zrb::test
