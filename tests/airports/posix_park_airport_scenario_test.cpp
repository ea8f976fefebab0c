// The park airport with the real traffic manager on the stand-in simulator:
// the plan is created, a renewal half an hour later adjusts it in place (the
// aircraft that stays is never touched, the one whose time is over goes, a
// new one comes), and leaving the airport takes every static aircraft along.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "airport_test_support.h"
#include "airports/airport_list.h"
#include "airports/airport_list_test_hook.h"
#include "airports/park_airport_choice.h"
#include "airports/parked_traffic_test_hook.h"
#include "airports/parking_adjustments.h"
#include "airports/static_parking_plan.h"
#include "foundation/utf16.h"
#include "liveries/download.h"
#include "shell/common/run_state.h"
#include "shell/common/main_window_state.h"
#include "shell/status_display.h"
#include "simlink/sim_state.h"
#include "support/scenario/traffic_scenario.h"
#include "traffic/traffic_manager.h"

namespace zrb::test {
namespace {

constexpr double airportLat = 47.4647;  // the harness's user stands here, on no stand
constexpr double airportLon = 8.5492;
constexpr int passesPerMinute = 6000;

bool noParkedTraffic(std::vector<ParkedTrafficRecord>& /*records*/) { return false; }

// Four stands 200 m north of the user, 60 m apart; on Saturday A stands from
// 12:00, B leaves after 12:00, C and D arrive at 12:30.
void writeAirport() {
    std::filesystem::create_directories(g_inputFolder);
    std::filesystem::create_directories(g_myThirdpartyFolder);
    writeFile(g_inputFolder / "airports_p3d.xml",
              fmt::format(R"(<airports><airport code="LSZH" iata="ZRH" lat="{}" lon="{}" alt="1416"/></airports>)",
                          airportLat, airportLon));
    const std::vector<std::pair<std::string, std::string>> options{
        {"SWR1", "24,25,26,27"}, {"SWR2", "23,24"}, {"SWR3", "25,26"}, {"SWR4", "25"}};
    std::string stands;
    for (std::size_t i = 0; i < options.size(); ++i) {
        const double lat = airportLat + (200.0 + 60.0 * static_cast<double>(i)) / 1852.0 / 60.0;
        stands += parkpos(fmt::format("E{}", i + 1), lat, airportLon, 25.0, "",
                          fmt::format(R"(<opt reg="HB-J{}" airl="SWR" type="A320" day="6" hh="{}" cs="{}"/>)", i,
                                      options[i].second, options[i].first));
    }
    writeFile(g_myThirdpartyFolder / "LSZH.xml",
              parkingFile({{"airport_name", "Zurich"}, {"publisher", "stock"}, {"altitude", "1416"}}, stands));
}

// The texts the main window draws in its park-airport panel right now.
std::vector<std::string> panelTexts() {
    std::vector<std::string> texts;
    for (const auto& op : gf_buildDisplayList(gf_takeDisplaySnapshot())) {
        const auto* t = std::get_if<platform::TextOp>(&op);
        if (t != nullptr && t->y >= g_lowerBand.top && t->y < g_lowerBand.bottom) texts.push_back(gf_utf16ToUtf8(t->text));
    }
    return texts;
}

bool shown(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

std::vector<std::string> standingCallsigns(TrafficScenario& s) {
    std::vector<std::string> callsigns;
    for (const auto& a : s.sim().aiObjects()) callsigns.push_back(a.atcId);
    std::sort(callsigns.begin(), callsigns.end());
    return callsigns;
}

TEST(ParkAirportScenario, ThePlanIsCreatedRenewedInPlaceAndTakenAlongWhenTheAirportIsLeft) {
    TrafficScenario s(ScenarioOptions{.passesPerFrame = 100});
    gf_forgetAirportListForTest();
    gf_setDownloadSiteForTest("none://", "");
    gf_setParkedTrafficSource(&noParkedTraffic);
    writeAirport();
    gf_readAirports("airports_p3d.xml");
    CUSTOM_PARKING_PERCENTAGE.value = 50;  // two of the four stands
    s.passes(100);
    g_userOnGround = true;
    g_currentDaySlot = gf_slotAndWeekday();  // Saturday 12:00

    gf_checkStaticParking(true);
    ASSERT_EQ(gf_currentParkAirport().icao, "LSZH");
    ASSERT_EQ(PendingParkingList.size(), 2u);
    ASSERT_TRUE(s.passUntil([&] { return s.sim().aiObjects().size() == 2; }, 1000));
    EXPECT_EQ(standingCallsigns(s), (std::vector<std::string>{"SWR1*", "SWR2*"}));
    const auto created = s.sim().creations();
    gf_checkStaticParking(false);
    EXPECT_FALSE(gf_staticParkingComputing()) << "the plan is created: the controls are free again";
    // What the window shows of the park airport comes from its file and the plan.
    const std::vector<std::string> panel = panelTexts();
    EXPECT_TRUE(shown(panel, "LSZH"));
    EXPECT_TRUE(shown(panel, " stock, Zurich, wk=0")) << fmt::format("{}", fmt::join(panel, "|"));
    EXPECT_TRUE(shown(panel, "# stands:   4"));
    EXPECT_TRUE(shown(panel, "max park:   2 (=50 %)"));
    EXPECT_TRUE(std::any_of(panel.begin(), panel.end(), [](const std::string& t) { return t.starts_with("qf: "); }));

    // Half an hour later.
    s.passes(30 * passesPerMinute);
    g_currentDaySlot = gf_slotAndWeekday();
    ASSERT_EQ(gf_slotOf(g_currentDaySlot.load()), 25u);
    gf_parkingAdjustments(false);
    EXPECT_TRUE(s.folder().logContains("Parking adjustments: 1 to be removed, 1 to be added"));
    ASSERT_TRUE(s.passUntil([&] { return standingCallsigns(s) == std::vector<std::string>{"SWR1*", "SWR3*"}; }, 1000));
    const auto swr1 = std::find_if(created.begin(), created.end(), [](const auto& c) { return c.atcId == "SWR1*"; });
    ASSERT_NE(swr1, created.end());
    const auto removals = s.sim().removals();
    EXPECT_EQ(std::count(removals.begin(), removals.end(), swr1->objectId), 0) << "the aircraft that stays is untouched";
    EXPECT_EQ(s.sim().creations().size(), 3u);

    gf_clearParkAirportTraffic();
    EXPECT_TRUE(s.passUntil([&] { return s.sim().aiObjects().empty(); }, 1000));
    EXPECT_EQ(gf_currentParkAirport().icao, "");
    EXPECT_TRUE(panelTexts().empty()) << "no park airport, no panel";

    gf_setParkedTrafficSource(nullptr);
    gf_resetDownloadSiteForTest();
    gf_forgetAirportListForTest();
}

}  // namespace
}  // namespace zrb::test
