// The stand under the user: followed for the display and the feed, and
// remembered for the park airport when the user stops on a new one.
#include "airports/park_airport.h"
#include "airports/park_airport_list.h"
#include "airports/stand.h"
#include "shell/common/main_window_state.h"
#include "simlink_test_support.h"
#include "support/temp_folder.h"

namespace zrb::test {
namespace {

constexpr double standLat = 50.0330;
constexpr double standLon = 8.5700;
constexpr double degreesPerMetre = 1.0 / 111120.0;  // latitude, on the program's sphere

class UserStand : public ::testing::Test {
protected:
    UserStand() {
        resetLink();
        StandTable.emplace_back("A12", std::vector<StandOption>{}, standLat + 200 * degreesPerMetre, standLon, 0.0,
                                30.0, 1, 1, 1);
        StandTable.emplace_back("B7", std::vector<StandOption>{}, standLat, standLon, 0.0, 30.0, 1, 1, 1);
        gf_setCurrentParkAirport(CurrentParkAirportData{"EDDF", "FRA", 50.0333, 8.5706, 364.0});
        ParkAirportList = {ParkAirport{"EDDF", "A12", 50.0333, 8.5706, 0.0}, ParkAirport{"EGLL", "", 51.47, -0.45, 0.0}};
        writeFile(m_folder / "airports" / "my_park_airports.txt", "EDDF,A12\r\nEGLL\r\n");
    }
    ~UserStand() override {
        gf_clearStandTable();
        ParkAirportList.clear();
        gf_clearCurrentParkAirport();
        resetLink();
    }
    // The user at the stand (offset north in metres) at a ground speed, on the ground.
    void userAt(double northMetres, double groundSpeedKt) {
        UserData d;
        d.lat = standLat + northMetres * degreesPerMetre;
        d.lon = standLon;
        d.groundSpeedKt = groundSpeedKt;
        dispatch(userDataMsg(d));
        dispatch(onGroundMsg(true));
    }
    std::vector<std::string> parkFile() const { return readLines(m_folder / "airports" / "my_park_airports.txt"); }

    LoggedFolder m_folder;
};

TEST_F(UserStand, TheStandUnderTheUserIsFollowedOnTheWorker) {
    userAt(10.0, 0.0);
    (void)gf_getUserAcPosition();
    EXPECT_EQ(gf_getCurrentUserStand(), "B7");
    EXPECT_EQ(gf_displayText(DisplayText::userStand), "B7");
    userAt(60.0, 0.0);  // more than 55 m from every stand
    (void)gf_getUserAcPosition();
    EXPECT_EQ(gf_getCurrentUserStand(), "");
    EXPECT_EQ(gf_displayText(DisplayText::userStand), "");
    userAt(0.0, 0.0);
    dispatch(onGroundMsg(false));  // over the stand, but airborne
    (void)gf_getUserAcPosition();
    EXPECT_EQ(gf_getCurrentUserStand(), "");
    gf_clearStandTable();
    EXPECT_EQ(gf_getUserStand(LatLon{standLat, standLon}), "");
}

TEST_F(UserStand, AStoppedUserOnANewStandOfTheParkAirportIsRemembered) {
    userAt(0.0, 1.5);
    gf_checkUserStandChanged();
    EXPECT_EQ(ParkAirportList.front().reservedStand, "B7");
    EXPECT_EQ(parkFile(), (std::vector<std::string>{"EDDF,B7", "EGLL"}));
    EXPECT_TRUE(m_folder.logContains("my_park_airports.txt:EDDF,B7 updated stand"));
}

TEST_F(UserStand, NothingIsRememberedWhileMovingOrAwayFromTheParkAirport) {
    userAt(0.0, 2.5);
    gf_checkUserStandChanged();
    EXPECT_EQ(ParkAirportList.front().reservedStand, "A12");
    userAt(0.0, 1.5);
    std::swap(ParkAirportList[0], ParkAirportList[1]);  // the front entry is another airport
    gf_checkUserStandChanged();
    EXPECT_EQ(ParkAirportList[1].reservedStand, "A12");
    EXPECT_EQ(parkFile(), (std::vector<std::string>{"EDDF,A12", "EGLL"}));
}

TEST_F(UserStand, ANewFlightKeepsTheStateOfItsMomentForTheSave) {
    userAt(0.0, 1.0);
    dispatch(eventMsg(eventFlightLoaded, 0));  // SimClient thread: records, does not save
    EXPECT_EQ(ParkAirportList.front().reservedStand, "A12");
    UserData elsewhere;
    elsewhere.lat = 40.0;
    elsewhere.groundSpeedKt = 250.0;
    dispatch(userDataMsg(elsewhere));  // the new flight's position arrives before closing down
    gf_checkUserStandChanged();        // closing down, on the worker
    EXPECT_EQ(ParkAirportList.front().reservedStand, "B7");
    EXPECT_EQ(parkFile(), (std::vector<std::string>{"EDDF,B7", "EGLL"}));
}

}  // namespace
}  // namespace zrb::test
