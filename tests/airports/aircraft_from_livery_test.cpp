#include <gtest/gtest.h>

#include <cmath>

#include "airports/aircraft_from_livery.h"
#include "foundation/random.h"
#include "liveries/dbase.h"
#include "support/temp_folder.h"

namespace zrb::test {
namespace {

constexpr double degree = 0.017453292519943295;

TEST(AircraftFromLivery, TakesTheTypesCategoryAndSpan) {
    LoggedFolder folder;
    writeFile(folder / "dbase.xml",
              "<aircrafts><aircraft types=\"B744,C172\"/></aircrafts><high_performance><hpf types=\"F16\"/>"
              "</high_performance><heavy><hvy types=\"B744\"/></heavy><large><lar types=\"A320\"/></large>"
              "<buzjet><bzj types=\"C56X\"/></buzjet><rotorcraft><rot types=\"EC35\"/></rotorcraft><cargo_types>"
              "<cargo_type types=\"B744\"/></cargo_types><ICAO_airlines><ICAO codes=\"BAW\"/></ICAO_airlines>"
              "<cargo_operators><ICAO codes=\"GEC\"/></cargo_operators><simaddonsP3D><simaddonP3D arpts=\"EDDF\"/>"
              "</simaddonsP3D><wingspans><wingspan type=\"B744\" meters=\"64.44\"/></wingspans>");
    gf_readDbaseXml(folder / "dbase.xml");

    AcIdentityRecord source;
    source.airline = "BAW";
    source.type = "B744";
    source.callsign = "BAW15";
    source.text6 = "BAW15";
    source.registration = "G-CIVB";
    source.identity = 7;
    gf_seedThreadRng(42);
    const AcIdentity heavy = gf_aircraftFromLivery(source, 0x4CA1B2);
    EXPECT_EQ(static_cast<const AcIdentityRecord&>(heavy).registration, "G-CIVB");
    EXPECT_EQ(heavy.text6, "BAW15");
    EXPECT_EQ(heavy.identity, 7u);
    EXPECT_EQ(heavy.hexId, 0x4CA1B2u);
    EXPECT_EQ(heavy.category, 3u);
    EXPECT_DOUBLE_EQ(heavy.halfSpan, 64.44 * 0.5 * g_nmPerMetre);
    EXPECT_EQ(heavy.landingPitchPasses, 450u);
    EXPECT_EQ(heavy.groundSlots, 450u);
    EXPECT_EQ(heavy.rotationPasses, 250u);
    EXPECT_EQ(heavy.climbPasses, 400u);
    // Only the sign of the variation is random.
    EXPECT_TRUE(std::abs(heavy.rotationPitch - -5.125 * degree) < 1e-12 ||
                std::abs(heavy.rotationPitch - -4.875 * degree) < 1e-12);
    EXPECT_TRUE(std::abs(heavy.climbPitch - -13.125 * degree) < 1e-12 ||
                std::abs(heavy.climbPitch - -11.875 * degree) < 1e-12);
    EXPECT_DOUBLE_EQ(heavy.turnStep, 0.0008726646259971647);
    EXPECT_TRUE(heavy.title.empty());
    EXPECT_EQ(heavy.cgHeight, 0.0);

    source.type = "UNKNOWN";
    const AcIdentity light = gf_aircraftFromLivery(source);
    EXPECT_EQ(light.category, 0u);
    EXPECT_EQ(light.landingPitchPasses, 250u);
    EXPECT_EQ(light.halfSpan, 0.0);  // the Light category has no wingspan entry
    gf_clearDbase();
}

}  // namespace
}  // namespace zrb::test
