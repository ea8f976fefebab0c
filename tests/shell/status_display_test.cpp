// The drawing of the main window, built from snapshots of its states.
#include <algorithm>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "foundation/utf16.h"
#include "shell/common/main_window_state.h"
#include "shell/status_display.h"
#include "support/temp_folder.h"

namespace zrb::test {
namespace {

using platform::Colour;
using platform::DrawList;
using platform::FillOp;
using platform::TextOp;

struct Shown {
    int x;
    int y;
    Colour colour;
};

// Where and in what colour the text is drawn (its first occurrence).
std::optional<Shown> lf_find(const DrawList& drawing, const std::string& text) {
    const std::u16string wanted = gf_utf8ToUtf16(text);
    for (const auto& op : drawing)
        if (const auto* t = std::get_if<TextOp>(&op); t != nullptr && t->text == wanted) return Shown{t->x, t->y, t->colour};
    return std::nullopt;
}

// The texts drawn inside the rectangle.
std::vector<std::string> lf_textsIn(const DrawList& drawing, const platform::Rect& r) {
    std::vector<std::string> texts;
    for (const auto& op : drawing)
        if (const auto* t = std::get_if<TextOp>(&op); t != nullptr && t->x >= r.left && t->x < r.right &&
                                                       t->y >= r.top && t->y < r.bottom)
            texts.push_back(gf_utf16ToUtf8(t->text));
    return texts;
}

// The colour of the last fill of exactly that rectangle.
std::optional<Colour> lf_fillOf(const DrawList& drawing, const platform::Rect& r) {
    std::optional<Colour> colour;
    for (const auto& op : drawing)
        if (const auto* f = std::get_if<FillOp>(&op);
            f != nullptr && f->left == r.left && f->top == r.top && f->right == r.right && f->bottom == r.bottom)
            colour = f->colour;
    return colour;
}

constexpr platform::Rect simLight{397, 30, 425, 112};
constexpr platform::Rect serviceLight{425, 30, 453, 112};

// A running session with traffic and weather, a park airport with its panel.
DisplaySnapshot lf_busy() {
    DisplaySnapshot s;
    s.simConnected = true;
    s.simRunning = true;
    s.simulatorText = "Prepar3D (5.4.9.28482)";
    s.userStand = "D7";
    s.userTitle = "Boeing 737-800 KLM";
    s.liveries = 1234;
    s.simaddonAirports = 3;
    s.thirdpAirports = 12;
    s.serviceNotTried = false;
    s.session = true;
    s.weatherLight = g_lightOk;
    s.trafficLight = g_lightOk;
    s.qnh = 1013;
    s.liveCount = 17;
    s.parkAirport = "EHAM";
    s.parkAirportReady = true;
    s.publisher = "stock";
    s.fileText = "learned";
    s.handmadeMark = true;
    s.weekCount = 3;
    s.staticFitMark = true;
    s.qualityText = "62";
    s.reservedStand = "D7";
    s.reservedStandFound = true;
    s.updates = 5;
    s.stands = 212;
    s.parkedLive = 4;
    s.parkedStatic = 96;
    s.liveAverageFit = 2.5F;
    s.staticAverageFit = 1.0F;
    s.maxPark = 120;
    s.maxParkPercentage = 30;
    return s;
}

TEST(StatusDisplay, AStartWithoutSimulatorOrServiceShowsDarkLightsAndWaitingCounts) {
    const DrawList drawing = gf_buildDisplayList(DisplaySnapshot{});
    EXPECT_EQ(lf_fillOf(drawing, simLight), g_red);
    EXPECT_EQ(lf_fillOf(drawing, serviceLight), g_black);  // no login tried yet
    EXPECT_EQ(lf_fillOf(drawing, g_middleBand), g_lightBlue);
    EXPECT_EQ(lf_fillOf(drawing, g_titleBand), g_black);
    EXPECT_EQ(lf_fillOf(drawing, g_messageBand), g_green);
    const auto liveries = lf_find(drawing, "# liveries: ...");
    ASSERT_TRUE(liveries);
    EXPECT_EQ(liveries->colour, g_red);
    EXPECT_EQ(liveries->x, 5);
    EXPECT_EQ(liveries->y, 91);
    EXPECT_EQ(lf_find(drawing, "# simaddon: ...")->colour, g_yellow);
    EXPECT_EQ(lf_find(drawing, "# thirdp: ...")->x, 278);
    EXPECT_EQ(lf_find(drawing, "Version 11.0.2")->x, 3);
    EXPECT_EQ(lf_find(drawing, "TLVR_P3D")->x, 390);
    // Nothing of the simulator, the feed or a park airport yet.
    EXPECT_EQ(lf_textsIn(drawing, {0, 30, 396, 80}), std::vector<std::string>{});
    EXPECT_FALSE(lf_find(drawing, "Weather"));
    EXPECT_TRUE(lf_textsIn(drawing, g_lowerBand).empty());
    EXPECT_EQ(lf_fillOf(drawing, g_lowerBand), g_black);
}

TEST(StatusDisplay, LightsFollowTheSimulatorAndTheService) {
    DisplaySnapshot s;
    s.simConnected = true;  // connected, in its menus: no user aircraft title yet
    s.simulatorText = "Prepar3D (6.0.34.31011)";
    DrawList drawing = gf_buildDisplayList(s);
    EXPECT_EQ(lf_fillOf(drawing, simLight), g_yellow);
    EXPECT_EQ(lf_find(drawing, "Prepar3D (6.0.34.31011)")->colour, g_yellow);

    s.simRunning = true;
    s.userTitle = "Maule M7";
    s.wingSpanKnown = false;
    s.userStand = "GA 3";
    s.serviceNotTried = false;  // the login failed: no session
    drawing = gf_buildDisplayList(s);
    EXPECT_EQ(lf_fillOf(drawing, simLight), g_green);
    const auto simText = lf_find(drawing, "Prepar3D (6.0.34.31011), user stand GA 3");
    ASSERT_TRUE(simText);
    EXPECT_EQ(simText->y, 35);
    EXPECT_EQ(simText->colour, g_green);
    EXPECT_EQ(lf_find(drawing, "Maule M7")->colour, g_yellow);  // its span is a guess
    EXPECT_EQ(lf_fillOf(drawing, serviceLight), g_red);
    EXPECT_FALSE(lf_find(drawing, "Traffic"));

    s.session = true;
    s.weatherLight = g_lightIdle;
    s.trafficLight = g_lightOff;
    s.qnh = 0;  // no QNH yet: no QNH text even while the weather feed is on
    drawing = gf_buildDisplayList(s);
    EXPECT_EQ(lf_fillOf(drawing, serviceLight), g_green);
    EXPECT_EQ(lf_find(drawing, "Weather")->colour, g_yellow);
    EXPECT_FALSE(lf_find(drawing, "Traffic"));
    EXPECT_TRUE(lf_textsIn(drawing, {642, 30, 880, 112}).empty());
}

TEST(StatusDisplay, ARunningSessionShowsQnhLiveCountAndTheParkAirportPanel) {
    DisplaySnapshot s = lf_busy();
    DrawList drawing = gf_buildDisplayList(s);
    const auto qnh = lf_find(drawing, "qnh: 1013");
    ASSERT_TRUE(qnh);
    EXPECT_EQ(qnh->x, 642);
    EXPECT_EQ(qnh->y, 63);
    EXPECT_EQ(qnh->colour, g_green);
    EXPECT_EQ(lf_find(drawing, "live:  17")->y, 91);
    EXPECT_EQ(lf_find(drawing, "# liveries: 1234")->colour, g_green);
    EXPECT_EQ(lf_find(drawing, "# simaddon: 3")->colour, g_green);

    EXPECT_EQ(lf_textsIn(drawing, g_lowerBand),
              (std::vector<std::string>{"EHAM", " stock, learned (h), wk=3", "*S*", "qf: 62", "reserved stand: D7",
                                        "# updates:    5", "# stands: 212", "parked live:   4", "average fit: 2.5",
                                        "parked static:  96", "average fit: 1", "max park: 120 (=30 %)"}));
    const auto fit = lf_find(drawing, "average fit: 2.5");
    EXPECT_EQ(fit->x, 249);
    EXPECT_EQ(fit->y, 427);
    EXPECT_EQ(lf_find(drawing, "reserved stand: D7")->x, 571);

    // Only parked traffic of the service, the week's plan, a stand not found,
    // no wanted static aircraft, a file not read yet.
    s.parkedTrafficOnly = true;
    s.week = true;
    s.reservedStandFound = false;
    s.maxPark = 0;
    s.parkAirportReady = false;
    s.liveAverageFit = -1.0F;
    drawing = gf_buildDisplayList(s);
    EXPECT_EQ(lf_textsIn(drawing, g_lowerBand),
              (std::vector<std::string>{"EHAM", "*S*", "reserved stand: D7", "# updates:    5", "# stands: 212",
                                        "parked live:   4"}));
    EXPECT_EQ(lf_find(drawing, "EHAM")->colour, g_yellow);
    EXPECT_EQ(lf_find(drawing, "reserved stand: D7")->colour, g_red);
    s.parkedTrafficOnly = false;
    drawing = gf_buildDisplayList(s);
    EXPECT_TRUE(lf_find(drawing, "no max park live"));
}

TEST(StatusDisplay, AnErrorTurnsTheMessageBandRed) {
    DisplaySnapshot s;
    s.message = "park airports and stands are okay";
    DrawList drawing = gf_buildDisplayList(s);
    EXPECT_EQ(lf_fillOf(drawing, g_messageBand), g_green);
    EXPECT_EQ(lf_find(drawing, "park airports and stands are okay")->colour, g_yellow);
    s.message.clear();
    s.error = "41: TLVR_P3D must be run from the TLVR_P3D folder!";
    drawing = gf_buildDisplayList(s);
    EXPECT_EQ(lf_fillOf(drawing, g_messageBand), g_red);
    const auto error = lf_find(drawing, s.error);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->x, 3);
    EXPECT_EQ(error->y, 455);
    EXPECT_EQ(error->colour, g_yellow);
}

TEST(StatusDisplay, LabelsTellTheStateOfTheirControls) {
    DisplaySnapshot s;
    s.scanLiveries = true;
    s.lightAircraftEnabled = false;
    s.guidChanges = false;
    s.autoRange = false;
    s.shiftHours = 1;
    s.shiftDays = 2;
    s.parkedTrafficOnly = true;
    s.initialLoadOnly = true;
    s.renewalHoldsControls = true;
    s.airportsScanned = 1;
    s.scanFolder = "Scenery";
    DrawList drawing = gf_buildDisplayList(s);
    EXPECT_EQ(lf_find(drawing, "Scan for liveries")->colour, g_yellow);
    EXPECT_EQ(lf_find(drawing, "Stay on top")->colour, g_black);
    EXPECT_EQ(lf_find(drawing, "Light aircraft")->colour, g_grey);
    EXPECT_EQ(lf_find(drawing, "Helicopters")->colour, g_black);
    EXPECT_EQ(lf_find(drawing, "GUID changes")->colour, g_yellow);
    EXPECT_EQ(lf_find(drawing, "Ah:")->colour, g_grey);
    EXPECT_TRUE(lf_find(drawing, "hour"));
    EXPECT_TRUE(lf_find(drawing, "days"));
    EXPECT_TRUE(lf_find(drawing, "minutes"));
    EXPECT_EQ(lf_find(drawing, "1 airport in Scenery folder")->x, 323);
    const auto parking = lf_find(drawing, "Airport parking active");
    ASSERT_TRUE(parking);
    EXPECT_EQ(parking->colour, g_yellow);
    EXPECT_EQ(parking->y, 315);
    EXPECT_EQ(lf_find(drawing, "ILO")->colour, g_grey);
    EXPECT_EQ(lf_find(drawing, "Fake")->colour, g_grey);
    EXPECT_EQ(lf_find(drawing, "PT only")->colour, g_black);

    s.parkedTrafficOnly = false;
    s.renewalHoldsControls = false;
    s.parkingDataLoaded = true;
    s.minutesToRenewal = 19;
    drawing = gf_buildDisplayList(s);
    EXPECT_EQ(lf_find(drawing, "ILO")->colour, g_yellow);
    EXPECT_EQ(lf_find(drawing, "Fake")->colour, g_black);
    EXPECT_EQ(lf_find(drawing, "Airport parking")->colour, g_black);
    EXPECT_FALSE(lf_find(drawing, "(next in 19 min)"));  // no renewals with ILO on
    s.initialLoadOnly = false;
    drawing = gf_buildDisplayList(s);
    const auto next = lf_find(drawing, "(next in 19 min)");
    ASSERT_TRUE(next);
    EXPECT_EQ(next->x, 5);
    EXPECT_EQ(next->y, 343);
    s.minutesToRenewal = 20;
    EXPECT_FALSE(lf_find(gf_buildDisplayList(s), "(next in 20 min)"));
}

TEST(StatusDisplay, ATextThatIsNotUtf8IsLoggedAndLeftOut) {
    LoggedFolder folder;
    DisplaySnapshot s;
    s.simConnected = true;
    s.userTitle = "bad \xC3";
    const DrawList drawing = gf_buildDisplayList(s);
    EXPECT_TRUE(lf_textsIn(drawing, {0, 60, 396, 70}).empty());
    EXPECT_TRUE(folder.logContains("lf_textOut conversion exception Invalid UTF-8 sequence found in input string., "
                                   "error code: 1113"));
    EXPECT_TRUE(lf_find(drawing, "Sim"));  // the rest is drawn
}

}  // namespace
}  // namespace zrb::test
