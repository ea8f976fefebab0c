// The automatic traffic range from the flight phase.
#include <optional>

#include "config/paths.h"
#include "shell/common/run_state.h"
#include "shell/control_handlers.h"
#include "shell_test_support.h"

namespace zrb::test {
namespace {

class AutoRange : public ShellTest {
protected:
    AutoRange() {
        auto& services = gf_runServices();
        services.userAcPosition = [this] { return user; };
        services.firstParkAirport = [this] { return airport; };
    }

    // The user at 0/0 and the first park airport d nautical miles north (a
    // degree of latitude is 60 NM on the program's sphere).
    void airportAt(double d) { airport = AirportData{"EHAM", "AMS", d / 60.0, 0.0, 0.0}; }

    std::int32_t chosen() {
        gf_setAutoRange();
        EXPECT_EQ(g_workingRangeNm.load(), RANGE.value);
        EXPECT_EQ(g_objectSearchRadiusM.load(), RANGE.value * 1852 + 10000);
        return RANGE.value;
    }

    UserAcData user;
    std::optional<AirportData> airport;
};

TEST_F(AutoRange, FollowsTheFlightPhaseAndTheDistanceToTheParkAirport) {
    user.onGround = true;
    user.altitudeFt = 30000.0;
    EXPECT_EQ(chosen(), 10);
    EXPECT_EQ(g_objectSearchRadiusM.load(), 28520);

    user.onGround = false;
    user.altitudeFt = 20000.0;
    AR_ABOVE_HEIGHT.value = 18000;
    EXPECT_EQ(chosen(), 100);
    EXPECT_EQ(g_objectSearchRadiusM.load(), 195200);
    user.altitudeFt = 10000.0;
    AIRP_HEIGHT.value = 6000;
    EXPECT_EQ(chosen(), 40);
    EXPECT_EQ(g_objectSearchRadiusM.load(), 84080);

    user.altitudeFt = 3000.0;
    airportAt(12.4);
    EXPECT_EQ(chosen(), 16);
    airportAt(20.6);
    EXPECT_EQ(chosen(), 25);
    airportAt(7.0);
    EXPECT_EQ(chosen(), 10);
    airportAt(36.9);
    EXPECT_EQ(chosen(), 40);
    airportAt(37.0);
    EXPECT_EQ(chosen(), 40);
    airport.reset();
    EXPECT_EQ(chosen(), 40);

    // The traffic box follows a changed range only; nothing is saved.
    EXPECT_EQ(calls.count("updateTrafficBox"), 7);
    EXPECT_FALSE(std::filesystem::exists(parametersFile()));
}

// A run that starts with AUTO_RANGE on: unticking it returns to the range in
// the file, whatever an earlier run or the program's start left behind.
TEST_F(AutoRange, UntickingItReturnsToTheRangeTheRunStartedWith) {
    writeParameters("<parameter name=\"AUTO_RANGE\" value=\"true\"/>\n<parameter name=\"RANGE\" value=\"20\"/>\n");
    g_manualRange = 40;
    gf_setupParameters();
    user.onGround = true;
    EXPECT_EQ(chosen(), 10);
    gf_autoRangeSwitched(false);
    EXPECT_EQ(RANGE.value, 20);
    EXPECT_EQ(g_workingRangeNm.load(), 20);
}

}  // namespace
}  // namespace zrb::test
