// Collision avoidance round the user parked on the ground, with the shell's
// per-second rules on the manager's real lists: a live aircraft taxiing to
// within its wings of the user goes; one passing 200 m away stays.
#include <gtest/gtest.h>

#include <algorithm>

#include "shell/run.h"
#include "support/scenario/traffic_scenario.h"
#include "traffic/traffic_lists.h"
#include "traffic/traffic_manager.h"

namespace zrb::test {
namespace {

constexpr double userLat = 47.4647;
constexpr double userLon = 8.5492;
constexpr double degreesPer50m = 50.0 / 75270.0;  // of longitude at this latitude

bool removed(TrafficScenario& s, const std::string& callsign) {
    const auto created = s.sim().creations();
    const auto removals = s.sim().removals();
    for (const auto& c : created)
        if (c.atcId == callsign) return std::find(removals.begin(), removals.end(), c.objectId) != removals.end();
    return false;
}

TEST(UserCollisionScenario, ATaxiingAircraftThatReachesTheUserGoesOnePassingByStays) {
    TrafficScenario s;
    s.everySecond = [] {
        g_user = g_userAcCopy;
        lf_everySecond();
    };
    const Flight closing{0x600001, "DLH10", "A320", "", "", ""};
    const Flight passing{0x600002, "DLH20", "A320", "", "", ""};
    // Westward at 20 kt (50 m per 5 s poll): from 300 m east of the user to 20 m.
    for (int poll = 0; poll <= 6; ++poll) {
        const double lon = userLon + 6 * degreesPer50m - poll * degreesPer50m + 20.0 / 75270.0 * (poll == 6);
        ASSERT_TRUE(s.feedLive({s.record(closing, userLat, lon, 0, 20, 270),
                                s.record(passing, userLat + 0.0018, lon, 0, 20, 270)}));
        s.passes(500);
    }
    ASSERT_TRUE(s.passUntil([&] { return s.sim().creations().size() == 2; }, 1000));
    EXPECT_TRUE(s.sim().creations()[0].onGround);
    ASSERT_TRUE(s.passUntil([&] { return removed(s, "DLH10"); }, 4000));
    EXPECT_FALSE(removed(s, "DLH20"));
    s.passes(1000);
    EXPECT_FALSE(removed(s, "DLH20")) << "200 m off the user's wings";
}

}  // namespace
}  // namespace zrb::test
