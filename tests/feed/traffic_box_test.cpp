// The live-traffic query box around the user's aircraft.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include "config/paths.h"
#include "feed/feed_shared.h"
#include "feed/traffic_reader.h"

using namespace zrb;

namespace {
FeedUserPosition g_user;

std::string lf_boxText() {
    const QueryBox box = g_trafficReader.queryState().liveBox;
    return fmt::format("{:.2F},{:.2F},{:.2F},{:.2F}", box.top, box.bottom, box.left, box.right);
}
}  // namespace

TEST(TrafficBox, FollowsTheUserAndTheRangeButNotANonPosition) {
    gf_resetRtReaders();
    gf_setUserPositionSource([] { return g_user; });
    g_workingRangeNm = 40.0;

    g_user = {0.00005, -0.00005, 0.0};
    gf_updateTrafficBox();
    EXPECT_EQ(lf_boxText(), "52.44,52.17,4.54,4.98") << "no position yet: the box stays";
    EXPECT_EQ(g_trafficReader.queryState().boxRange, -1.0);

    g_user = {52.3, 4.76, 0.0};
    gf_updateTrafficBox();
    EXPECT_EQ(lf_boxText(), "52.97,51.63,3.67,5.85");

    // A move below 0.00015 degrees keeps the box ...
    g_user = {52.3001, 4.7601, 0.0};
    gf_updateTrafficBox();
    EXPECT_EQ(g_trafficReader.queryState().centreLat, 52.3);
    // ... but a new range alone recomputes it.
    g_workingRangeNm = 20.0;
    gf_updateTrafficBox();
    const TrafficQueryState query = g_trafficReader.queryState();
    EXPECT_EQ(query.centreLat, 52.3001);
    EXPECT_EQ(query.boxRange, 20.0);
    EXPECT_DOUBLE_EQ(query.liveBox.top, 52.3001 + 20.0 * 1.852 / 111.2);

    gf_setUserPositionSource(nullptr);
    g_workingRangeNm = 40.0;
}
