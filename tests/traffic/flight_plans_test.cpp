// The flight-plan files and their folder (the hand-over to the simulator is
// in the scenario tests).
#include <gtest/gtest.h>

#include <filesystem>

#include "manager_fixture.h"

namespace zrb::test {
namespace {

using FlightPlans = ManagerTest;

TEST_F(FlightPlans, ThePlanIsEightCrLfLinesWithTheTypeByCategory) {
    ASSERT_TRUE(gf_createFlightPlanFolder());
    LiveAc& heavy = addLive(10001, "DLH400", "B748", LifecycleState::active);
    heavy.departure = "EDDF";
    heavy.destination = "KJFK";
    const auto path = gf_flightPlanFolder() / "x.pln";
    ASSERT_TRUE(lf_writeFlightPlan(path, heavy));
    EXPECT_EQ(readFile(path),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
              "<SimBase.Document Type=\"AceXML\" version=\"4,3\">\r\n"
              "<FlightPlan.FlightPlan>\r\n"
              "<FPType>IFR</FPType>\r\n"
              "<DepartureID>EDDF</DepartureID>\r\n"
              "<DestinationID>KJFK</DestinationID>\r\n"
              "</FlightPlan.FlightPlan>\r\n"
              "</SimBase.Document>\r\n");
    for (const char* type : {"EC35", "F16", "C172"}) {
        LiveAc& a = addLive(10002, "VFR1", type, LifecycleState::active);
        ASSERT_TRUE(lf_writeFlightPlan(path, a));
        EXPECT_NE(readFile(path).find("<FPType>VFR</FPType>"), std::string::npos) << type;
    }
    EXPECT_EQ(lf_flightPlanPath(17), gf_flightPlanFolder() / "17.pln");
}

TEST_F(FlightPlans, NoPlanWithoutARouteOrWithTextThatIsNoAirportCode) {
    ASSERT_TRUE(gf_createFlightPlanFolder());
    LiveAc& a = addLive(10001, "DLH1", "A320", LifecycleState::active);
    a.departure = "EDDF";
    lf_createFlightPlan(a);
    a.destination = "</DestinationID><x>";
    lf_createFlightPlan(a);
    EXPECT_TRUE(std::filesystem::is_empty(gf_flightPlanFolder()));
    EXPECT_EQ(a.flightPlanWritten, 0);

    // Without a simulator the plan is not taken: no file stays.
    a.destination = "LSZH";
    lf_createFlightPlan(a);
    EXPECT_EQ(a.flightPlanWritten, 0);
    EXPECT_TRUE(std::filesystem::is_empty(gf_flightPlanFolder()));
    EXPECT_TRUE(m_folder.logContains("creating a flight plan failed"));
}

TEST_F(FlightPlans, TheFolderIsEmptiedAtTheStartAndRemovedAtTheEnd) {
    ASSERT_TRUE(gf_createFlightPlanFolder());
    writeFile(lf_flightPlanPath(5), "left by an earlier process");
    writeFile(gf_flightPlanFolder() / "notes.txt", "kept");
    ASSERT_TRUE(gf_createFlightPlanFolder());
    EXPECT_FALSE(std::filesystem::exists(lf_flightPlanPath(5)));
    EXPECT_TRUE(std::filesystem::exists(gf_flightPlanFolder() / "notes.txt"));
    gf_removeFlightPlanFolder();
    EXPECT_FALSE(std::filesystem::exists(gf_flightPlanFolder()));
    gf_removeFlightPlanFolder();  // a missing folder is no error

    // A folder that cannot be written: the aircraft flies on without a plan.
    writeFile(gf_flightPlanFolder(), "a file where the folder should be");
    LiveAc& a = addLive(10001, "DLH1", "A320", LifecycleState::active);
    a.departure = "EDDF";
    a.destination = "LSZH";
    lf_createFlightPlan(a);
    EXPECT_EQ(a.flightPlanWritten, 0);
    EXPECT_EQ(a.fs, LifecycleState::active);
}

}  // namespace
}  // namespace zrb::test
