// An hour of traffic in seconds: twelve flights come and go one after the
// other; every one is created once with its flight plan and removed once when
// its stream ends, and nothing is left behind.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/scenario/traffic_scenario.h"
#include "traffic/flight_plans.h"
#include "traffic/traffic_lists.h"
#include "traffic/traffic_manager.h"

namespace zrb::test {
namespace {

constexpr int passesPerPoll = 500;              // a poll every 5 s
constexpr int pollsPerHour = 360000 / passesPerPoll;
constexpr int pollsBetweenFlights = 48;         // a new flight every 4 minutes
constexpr int pollsPerFlight = 144;             // each reports for 12 minutes

TEST(HourScenario, TwelveFlightsComeAndGoWithoutLeftovers) {
    ScenarioOptions options;
    options.passesPerFrame = 100;
    TrafficScenario s(options);
    std::vector<Flight> flights;
    for (std::uint32_t k = 0; k < 12; ++k)
        flights.push_back(Flight{0x500000 + k, "BAW" + std::to_string(100 + k), k % 2 == 0 ? "A320" : "B77W", "",
                                 "EGLL", "LSZH"});
    std::size_t mostAlive = 0;
    for (int poll = 0; poll < pollsPerHour; ++poll) {
        std::vector<TrafficRecord> batch;
        for (std::size_t k = 0; k < flights.size(); ++k) {
            const int age = poll - static_cast<int>(k) * pollsBetweenFlights;
            if (age < 0 || age >= pollsPerFlight) continue;
            batch.push_back(s.record(flights[k], 47.0 + 0.02 * k, 8.0 + 0.0051 * age, 8000, 250, 90));
        }
        if (!batch.empty()) {
            ASSERT_TRUE(s.feedLive(batch)) << "poll " << poll;
        }
        s.passes(passesPerPoll);
        mostAlive = std::max(mostAlive, s.sim().aiObjects().size());
    }
    EXPECT_EQ(s.sim().creations().size(), flights.size());
    EXPECT_EQ(s.sim().removals().size(), flights.size());
    EXPECT_TRUE(s.sim().aiObjects().empty());
    EXPECT_GE(mostAlive, 3u);
    EXPECT_TRUE(g_liveList.empty());
    EXPECT_TRUE(g_removalDeque.empty() && g_liveCreateDeque.empty() && g_spawnStack.empty());
    const auto plans = s.sim().flightPlans();
    EXPECT_EQ(plans.size(), flights.size());
    for (const auto& plan : plans) EXPECT_TRUE(plan.accepted);
    EXPECT_TRUE(std::filesystem::is_empty(gf_flightPlanFolder())) << "every plan went with its aircraft";
    EXPECT_FALSE(s.folder().logContains("UNRECOGNIZED_ID"));
}

}  // namespace
}  // namespace zrb::test
