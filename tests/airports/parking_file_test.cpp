#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "airport_test_support.h"
#include "airports/park_airport_file.h"
#include "airports/parking_file.h"
#include "foundation/geodesy.h"
#include "foundation/xml_file.h"
#include "foundation/user_error.h"

namespace zrb::test {
namespace {

constexpr std::uint64_t bit(int slot) { return std::uint64_t{1} << slot; }

StandOption option(std::string reg, std::string airline, std::string type, std::int32_t day, std::uint64_t hours,
                   std::uint32_t id, std::uint32_t real = 1, std::string cs = "", std::string coupled = "") {
    return {std::move(airline), std::move(type), std::move(reg), std::move(cs), std::move(coupled),
            hours, id, day, 0, real};
}

// Three stands: a plain one with options, one with a learned radius and cargo
// flag, and a manual helipad.
AddonAirport sampleAirport() {
    AddonAirport airport;
    airport.ident = "EGLL";
    airport.name = "London Heathrow";
    airport.publisher = "stock";
    airport.altitude = 83;
    airport.qfReal = 63;
    airport.qfSoft = 12;
    Stand a("A1", {}, 51.470123, -0.461987, 1.5707963267948966, 30.0, 1, 1, 1);
    a.options = {option("D-ALFA", "GEC", "B77L", 1, bit(10) | bit(11), 1),
                 option("N123", "AAL", "B738", 3, bit(0) | bit(1) | bit(47), 2, 0, "AAL1", "AAL1X:Y"),
                 option("GONE", "XXX", "A320", 2, bit(5), 0)};
    Stand b("B2", {}, 51.471, -0.462, 0.0, 25.0, 0, 0, 1);
    b.radius = 40.0 * g_nmPerMetre;
    b.radiusChanged = 1;
    b.cargo = 0;
    b.cargoChanged = 1;
    Stand h("H1", {}, 51.472, -0.463, 3.141592653589793, 15.0, 1, 1, 0);
    h.manual = 1;
    airport.stands = {a, b, h};
    return airport;
}

pugi::xml_document load(const std::filesystem::path& path) {
    pugi::xml_document doc;
    EXPECT_TRUE(gf_loadXml(doc, path)) << path;
    return doc;
}

pugi::xml_node parkposOf(const pugi::xml_document& doc, const std::string& id) {
    return doc.child("parkpositions").find_child_by_attribute("parkpos", "id", id.c_str());
}

std::vector<std::string> attributeNames(const pugi::xml_node& node) {
    std::vector<std::string> names;
    for (const auto& a : node.attributes()) names.emplace_back(a.name());
    return names;
}

TEST(ParkingFile, HandmadeFileReadsBackUnchanged) {
    AirportFolder folder;
    g_handmadeAirport = true;
    const AddonAirport airport = sampleAirport();
    ASSERT_TRUE(gf_writeApf(airport, "EGLL.xml", g_apfModeLearned));
    const auto doc = load("EGLL.xml");
    EXPECT_EQ(lf_getApfStringParameter(doc, "handmade"), "true");
    EXPECT_EQ(lf_getApfIntParameter(doc, "altitude"), 83);
    EXPECT_EQ(lf_getApfIntParameter(doc, "num_parkpos"), 3);
    EXPECT_EQ(lf_getApfIntParameter(doc, "Qf_real"), 63);
    EXPECT_EQ(lf_getApfIntParameter(doc, "Qf_soft"), 12);
    EXPECT_FALSE(lf_getApfStringParameter(doc, "BGLpath"));

    std::vector<Stand> table;
    gf_readParkPositions(doc.child("parkpositions"), 1, table, "EGLL.xml");
    ASSERT_EQ(table.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const Stand& in = airport.stands[i];
        const Stand& out = table[i];
        EXPECT_EQ(out.id, in.id);
        EXPECT_NEAR(out.lat, in.lat, 1e-6);
        EXPECT_NEAR(out.lon, in.lon, 1e-6);
        EXPECT_NEAR(out.heading, in.heading, 0.05 * g_degToRad);
        EXPECT_NEAR(out.radius / g_nmPerMetre, in.radius / g_nmPerMetre, 0.05);
        EXPECT_EQ(out.heli, in.heli);
        EXPECT_EQ(out.ramp, in.ramp);
        EXPECT_EQ(out.cargo, in.cargo) << in.id;
    }
    // The helipad has no cargo attribute and reads back as heli only.
    EXPECT_FALSE(parkposOf(doc, "H1").attribute("cargo"));
    EXPECT_STREQ(parkposOf(doc, "H1").attribute("heli").value(), "true");
    EXPECT_EQ(table[2].manual, 0) << "the manual mark is the learned reader's";
    // Options: the counting ones, numbered anew, with their days, sets and callsigns.
    ASSERT_EQ(table[0].options.size(), 2u);
    const StandOption& known = table[0].options[0];
    EXPECT_EQ(known.registration, "D-ALFA");
    EXPECT_EQ(known.airline, "GEC");  // the operator, from the database
    EXPECT_EQ(known.type, "B77L");
    EXPECT_EQ(known.halfHours, bit(10) | bit(11));
    EXPECT_EQ(known.day, 1);
    EXPECT_EQ(known.real, 1u);
    EXPECT_EQ(known.optionId, 1u);
    EXPECT_EQ(known.origin, 1u);
    const StandOption& soft = table[0].options[1];
    EXPECT_EQ(soft, (StandOption{"AAL", "B738", "N123", "AAL1", "AAL1X:Y", bit(0) | bit(1) | bit(47), 2, 3, 1, 0}));
    const pugi::xml_node opts = parkposOf(doc, "A1");
    EXPECT_FALSE(opts.child("opt").attribute("airl")) << "a known registration needs no airline";
    EXPECT_STREQ(opts.child("opt").next_sibling("opt").attribute("cs").value(), "AAL1:AAL1X:Y");
    EXPECT_STREQ(opts.child("opt").next_sibling("opt").attribute("hh").value(), "0,1,47");
}

TEST(ParkingFile, ScanOutputHasEveryStandInFullAndNoSettings) {
    AirportFolder folder;
    g_handmadeAirport = true;  // the park airport's mark never reaches a generated file
    AddonAirport airport = sampleAirport();
    airport.publisher = "unknown";
    airport.bglPath = "C:\\Scenery\\EGLL.bgl";
    ASSERT_TRUE(gf_writeApf(airport, "EGLL.xml", g_apfModeScan));
    const auto doc = load("EGLL.xml");
    std::vector<std::string> names;
    for (const auto& p : doc.child("parameters").children("parameter")) names.emplace_back(p.attribute("name").value());
    EXPECT_EQ(names, (std::vector<std::string>{"airport_name", "publisher", "altitude", "num_parkpos", "BGLpath"}));
    EXPECT_EQ(lf_getApfStringParameter(doc, "BGLpath"), "C:\\Scenery\\EGLL.bgl");
    EXPECT_EQ(attributeNames(parkposOf(doc, "A1")),
              (std::vector<std::string>{"id", "latitude", "longitude", "heading", "radius", "cargo", "ramp"}));
    EXPECT_STREQ(parkposOf(doc, "A1").attribute("latitude").value(), "51.470123");
    EXPECT_STREQ(parkposOf(doc, "A1").attribute("heading").value(), "90.0");
    EXPECT_STREQ(parkposOf(doc, "B2").attribute("radius").value(), "40.0");
    EXPECT_FALSE(doc.select_node("//opt"));
    EXPECT_TRUE(doc.select_node("/meta/info[@name='author']"));
    EXPECT_FALSE(gf_writeApf(airport, "missing-folder/EGLL.xml", g_apfModeScan));
}

TEST(ParkingFile, LearnedOverlayHoldsOnlyWhatWasLearned) {
    AirportFolder folder;
    WEEK.value = true;
    RANGE.value = 25;
    const AddonAirport airport = sampleAirport();
    ASSERT_TRUE(gf_writeApf(airport, "EGLL.xml", g_apfModeLearned));
    auto doc = load("EGLL.xml");
    EXPECT_FALSE(lf_getApfStringParameter(doc, "altitude"));
    EXPECT_FALSE(lf_getApfStringParameter(doc, "Qf_real"));
    EXPECT_FALSE(lf_getApfStringParameter(doc, "handmade"));
    EXPECT_FALSE(lf_getApfStringParameter(doc, "MAX_LIVE")) << "the default 500 is left out";
    EXPECT_EQ(lf_getApfStringParameter(doc, "WEEK"), "true");
    EXPECT_EQ(lf_getApfBoolParameter(doc, "WEEK"), true) << "read back as the setting it was";
    EXPECT_EQ(lf_getApfIntParameter(doc, "LATERAL_RANGE"), 25);
    EXPECT_EQ(attributeNames(parkposOf(doc, "A1")), (std::vector<std::string>{"id"}));
    EXPECT_EQ(attributeNames(parkposOf(doc, "B2")),
              (std::vector<std::string>{"id", "radius_change", "radius", "cargo_change", "cargo"}));
    EXPECT_STREQ(parkposOf(doc, "B2").attribute("cargo").value(), "false");
    EXPECT_STREQ(parkposOf(doc, "H1").attribute("manual").value(), "true");
    const pugi::xml_node second = parkposOf(doc, "A1").child("opt").next_sibling("opt");
    EXPECT_EQ(attributeNames(second), (std::vector<std::string>{"reg", "airl", "type", "soft", "day", "hh", "cs"}));
    EXPECT_FALSE(second.next_sibling("opt")) << "an option that no longer counts is not written";

    MAX_LIVE_SEL.value = 75;
    WEEK.value = false;
    ASSERT_TRUE(gf_writeApf(airport, "EGLL.xml", g_apfModeLearned));
    doc = load("EGLL.xml");
    EXPECT_EQ(lf_getApfIntParameter(doc, "MAX_LIVE"), 75);
    EXPECT_EQ(lf_getApfStringParameter(doc, "WEEK"), "false");
}

TEST(ParkingFile, ReaderRefusesValuesNoStandCanHave) {
    AirportFolder folder;
    std::string stands = parkpos("ok", 51.0, 0.5, 20.0) + parkpos("origin", 0.0, 0.0, 20.0) +
                         parkpos("northpole+", 95.0, 0.0, 20.0) + parkpos("huge", 51.0, 0.5, 5000.0) +
                         parkpos("negative", 51.0, 0.5, -1.0) +
                         R"(<parkpos id="nan" latitude="51" longitude="0.5" radius="nan"/>)" +
                         R"(<parkpos id="noheading" latitude="51" longitude="0.5" heading="inf" radius="10"/>)" +
                         parkpos("days", 51.0, 0.5, 20.0, "",
                                 R"(<opt reg="X1" airl="A" type="B738" day="-1" hh="1"/><opt reg="X2" day="9" hh="1"/>)"
                                 R"(<opt reg="X3" day="7" hh="2,x,48,3"/>)");
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(parkingFile({}, stands).c_str()));
    std::vector<Stand> table;
    gf_readParkPositions(doc.child("parkpositions"), 1, table, "T.xml");
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].id, "ok");
    EXPECT_EQ(table[1].id, "days");
    ASSERT_EQ(table[1].options.size(), 2u);
    EXPECT_EQ(table[1].options[0].day, 0) << "a day below 0 reads as none";
    EXPECT_EQ(table[1].options[1].registration, "X3");
    EXPECT_EQ(table[1].options[1].optionId, 2u);
    EXPECT_EQ(table[1].options[1].halfHours, bit(2) | bit(3));
    EXPECT_TRUE(folder.logContains("===> Parking position huge skipped: invalid radius 5000"));
    EXPECT_TRUE(folder.logContains("===> Parking position nan skipped: invalid radius nan"));
    EXPECT_TRUE(folder.logContains("===> Option of parking position days skipped: day 9 is no weekday"));
    EXPECT_FALSE(folder.logContains("origin"));

    // A repeated id stops the reading after the stands before it.
    ASSERT_TRUE(doc.load_string(parkingFile({}, parkpos("A", 51, 0.5, 20) + parkpos("B", 51, 0.6, 20) +
                                                    parkpos("A", 51, 0.7, 20))
                                    .c_str()));
    table.clear();
    try {
        gf_readParkPositions(doc.child("parkpositions"), 1, table, "T.xml");
        FAIL() << "no error for a repeated id";
    } catch (const UserErrorException& e) {
        EXPECT_STREQ(e.what(), "94: Parking position A appears more than once?");
    }
    EXPECT_EQ(table.size(), 2u);
}

TEST(ParkingFile, ManyOptionsAndManyStandsAreBounded) {
    AirportFolder folder;
    std::string options;
    for (int i = 0; i < 300; ++i) options += fmt::format(R"(<opt reg="R{}" airl="DLH" type="A320" day="2" hh="4"/>)", i);
    std::string stands = parkpos("full", 51.0, 0.5, 20.0, "", options);
    for (std::size_t i = 0; i < g_maxParkingStands + 5; ++i) stands += parkpos(fmt::format("S{}", i), 51.0, 0.5, 20.0);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(parkingFile({}, stands).c_str()));
    std::vector<Stand> table;
    gf_readParkPositions(doc.child("parkpositions"), 1, table, "big.xml");
    ASSERT_EQ(table.size(), g_maxParkingStands);
    ASSERT_EQ(table[0].options.size(), 300u);
    EXPECT_EQ(table[0].options.back().optionId, 300u);
    EXPECT_TRUE(folder.logContains("big.xml: more than 5000 parking positions, the rest is left out"));
}

TEST(ParkingFile, LoadedStandsOverlapAsEveryPairSays) {
    // Stands that touch in a cluster, on one spot, under a wide one, in a row
    // along a latitude, across the date line and round a pole.
    AirportFolder folder;
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> jitter(-0.0008, 0.0008);
    std::uniform_real_distribution<double> radius(5.0, 60.0);
    std::string stands;
    int n = 0;
    const auto add = [&](double lat, double lon, double r) { stands += parkpos(fmt::format("P{}", n++), lat, lon, r); };
    for (int i = 0; i < 300; ++i) add(51.47 + jitter(rng), -0.46 + jitter(rng), radius(rng));
    for (int i = 0; i < 5; ++i) add(51.47, -0.45, 10.0);
    add(51.471, -0.455, 900.0);
    for (int i = 0; i < 50; ++i) add(51.48, -0.47 + i * 0.0004, 15.0);
    for (int i = 0; i < 20; ++i) add(65.0 + i * 0.0001, i % 2 == 0 ? 179.99995 : -179.99995, 20.0);
    for (int i = 0; i < 20; ++i) add(89.9999, i * 18.0 - 180.0, 20.0);
    const auto path = g_myThirdpartyFolder / "EGLL.xml";
    writeFile(path, parkingFile({{"publisher", "My Pub"}, {"altitude", "83"}}, stands));
    ApfHeader header;
    QualityFactors qf = 0;
    ASSERT_EQ(gf_readApf(gf_pathText(path), header, qf), "");
    ASSERT_EQ(StandTable.size(), static_cast<std::size_t>(n));
    for (const Stand& a : StandTable) {
        std::vector<std::uint32_t> expected;
        for (const Stand& b : StandTable)
            if (a.number != b.number && gf_distanceNm({a.lat, a.lon}, {b.lat, b.lon}) * 1.1 < a.radius + b.radius)
                expected.push_back(b.number);
        EXPECT_EQ(a.neighbours, expected) << a.id;
    }
}

TEST(ParkingFile, LearnedChangesMergeOntoTheirStand) {
    AirportFolder folder;
    Stand stand("A1", {option("D-ABYA", "DLH", "B748", 2, bit(20) | bit(21), 7)}, 51, 0.5, 0, 30.0, 1, 1, 1);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(
        R"(<parkpos id="A1" radius_change="true" radius="42.5" cargo_change="yes" cargo="1">)"
        R"(<opt reg="D-ABYA" day="2" hh="21,22"/>)"                     // overlaps option 7: known
        R"(<opt reg="D-ABYA" day="2" hh="30"/>)"                        // disjoint: added as 8
        R"(<opt reg="D-ABYA" day="2" hh="21" soft="true" cs="DLH1"/>)"  // soft: another kind, added as 9
        R"(<opt reg="D-ABYA" day="-1" hh="21"/>)"                       // a learned day stays signed
        R"(<opt reg="D-ABYA" day="8" hh="21"/></parkpos>)"));
    const pugi::xml_node node = doc.child("parkpos");
    EXPECT_FALSE(lf_applyParkPosChanges({"B1", node}, stand));
    EXPECT_EQ(stand.radiusChanged, 0);
    ASSERT_TRUE(lf_applyParkPosChanges({"A1", node}, stand));
    EXPECT_NEAR(stand.radius / g_nmPerMetre, 42.5, 1e-9);
    EXPECT_EQ(stand.radiusChanged, 1);
    EXPECT_EQ(stand.cargo, 1);
    EXPECT_EQ(stand.cargoChanged, 1);
    ASSERT_EQ(stand.options.size(), 4u);
    EXPECT_EQ(stand.options[1].optionId, 8u);
    EXPECT_EQ(stand.options[1].halfHours, bit(30));
    EXPECT_EQ(stand.options[1].origin, 0u);
    EXPECT_EQ(stand.options[2].optionId, 9u);
    EXPECT_EQ(stand.options[2].real, 0u);
    EXPECT_EQ(stand.options[3].day, -1);

    ASSERT_TRUE(doc.load_string(R"(<parkpos id="A1" radius_change="true" radius="-3"/>)"));
    ASSERT_TRUE(lf_applyParkPosChanges({"A1", doc.child("parkpos")}, stand));
    EXPECT_NEAR(stand.radius / g_nmPerMetre, 42.5, 1e-9) << "an impossible learned radius is ignored";
}

TEST(ParkingFile, HeaderParametersAreOptional) {
    AirportFolder folder;
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(R"(<parameters><parameter name="flag"/><parameter name="hex" value=" 0x1F"/>)"
                                R"(<parameter name="big" value="99999999999"/><parameter name="neg" value="-12abc"/>)"
                                R"(<parameter name="yes" value="Yes"/><parameter name="text" value="a b"/></parameters>)"));
    EXPECT_EQ(lf_getApfBoolParameter(doc, "flag"), false);
    EXPECT_EQ(lf_getApfIntParameter(doc, "flag"), 0);
    EXPECT_EQ(lf_getApfStringParameter(doc, "flag"), "");
    EXPECT_FALSE(lf_getApfBoolParameter(doc, "absent"));
    EXPECT_FALSE(lf_getApfIntParameter(doc, "absent"));
    EXPECT_FALSE(lf_getApfStringParameter(doc, "absent"));
    EXPECT_EQ(lf_getApfIntParameter(doc, "hex"), 31);
    EXPECT_EQ(lf_getApfIntParameter(doc, "big"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(lf_getApfIntParameter(doc, "neg"), -12);
    EXPECT_EQ(lf_getApfBoolParameter(doc, "yes"), true);
    EXPECT_EQ(lf_getApfStringParameter(doc, "text"), "a b");
}

}  // namespace
}  // namespace zrb::test
