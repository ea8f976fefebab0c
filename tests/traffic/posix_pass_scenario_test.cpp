// The manager's pass against the stand-in simulator: pacing of creations and
// removals, the created object's id, the activation with its light toggles and
// start pattern, position updates, flight plans and the cadence of the range
// request.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/scenario/traffic_scenario.h"
#include "traffic/traffic_manager.h"
#include "traffic/traffic_lists.h"

namespace zrb::test {
namespace {

const Flight dlh{0x3C6444, "DLH4AB", "A320", "D-AIZA", "EDDF", "LSZH"};

TEST(PassScenario, AnAirborneAircraftIsCreatedActivatedAndMoved) {
    TrafficScenario s;
    ASSERT_TRUE(s.feedLive({s.record(dlh, 47.50, 8.55, 5000, 250, 90, -800)}));
    s.passes(500);
    ASSERT_TRUE(s.feedLive({s.record(dlh, 47.50, 8.60, 4800, 250, 90, -800)}));
    ASSERT_TRUE(s.passUntil([&] { return !s.sim().creations().empty(); }, 4000));
    const auto created = s.sim().creations();
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0].atcId, "DLH4AB");
    EXPECT_EQ(created[0].title, "Stand-in A320");
    EXPECT_FALSE(created[0].onGround);
    ASSERT_TRUE(s.passUntil([&] { return gf_findLive(dlh.hexId)->fs == LifecycleState::active; }, 400));
    EXPECT_EQ(gf_findLive(dlh.hexId)->objectId, created[0].objectId);
}

}  // namespace
}  // namespace zrb::test
