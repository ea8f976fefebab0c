// Replies of the service through the conversion and the intake into the
// manager and the stand-in simulator: aircraft with values no aircraft can have
// put nothing into the simulator and a line and a count into the log, while
// the real aircraft of the same replies is created and flown.
#include <gtest/gtest.h>

#include <algorithm>

#include "feed/feed_test_support.h"
#include "foundation/log_repeats.h"
#include "support/scenario/traffic_scenario.h"

namespace zrb::test {
namespace {

TEST(FeedValuesScenario, AircraftWithImpossibleValuesNeverReachTheSimulator) {
    TrafficScenario s;
    TrafficReader& reader = g_trafficReader;
    reader.setReferencePosition(47.4647, 8.5492);
    // An A320 of the service, eastward at 5000 ft and 250 kt.
    const auto array = [&](const char* hex, const char* callsign, double lon) {
        nlohmann::json a = liveArray();
        a[0] = hex;
        a[1] = 47.50;
        a[2] = lon;
        a[3] = 90.0;
        a[4] = 5000.0;
        a[8] = "A320";
        a[10] = s.now();
        a[13] = callsign;
        return a;
    };
    for (int poll = 0; poll < 6; ++poll) {
        const double lon = 8.55 + 0.0051 * poll;
        nlohmann::json data = {{"3c6444", array("3c6444", "DLH4AB", lon)}};
        data["3c6445"] = array("3c6445", "DLH5CD", lon);
        for (const std::size_t i : {3, 4, 5, 15, 18, 20, 23, 25}) data["3c6445"][i] = 1e308;
        data["3c6446"] = array("3c6446", "DLH6EF", lon);
        data["3c6446"][15] = 1.7e306;
        reader.records.clear();
        reader.refreshLineContext();
        reader.convertTrafficMembers(std::move(data));
        ASSERT_TRUE(s.feedLive(reader.records));
        s.passes(500);
    }
    ASSERT_TRUE(s.passUntil([&] { return !s.sim().creations().empty(); }, 1000));
    s.passes(1000);
    ASSERT_EQ(s.sim().creations().size(), 1U);
    EXPECT_EQ(s.sim().creations()[0].atcId, "DLH4AB");
    EXPECT_GT(s.sim().aiObjects().at(0).positionUpdates, 0U) << "the real aircraft flies";

    gf_logAllHeldRepeats();
    const auto lines = s.folder().logLines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.find("is no value an aircraft can have") != std::string::npos; }),
              1);
    EXPECT_TRUE(s.folder().logContains("values no aircraft can have ... and 11 more like it"));
}

}  // namespace
}  // namespace zrb::test
