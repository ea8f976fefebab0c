#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <cmath>

#include "airports/bgl_file.h"
#include "bgl_builder.h"
#include "support/temp_folder.h"

namespace zrb {
namespace {

using test::BglAirportRecord;
using test::BglHelipad;
using test::BglParking;
using test::BglSection;
using test::Bytes;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using namespace std::string_literals;

constexpr double metresPerNm = 1852.0;
constexpr double fullTurn = 6.283185307179586;
constexpr double radPerDeg = 0.017453292519943295;

std::vector<BglAirport> readAll(const Bytes& bytes, std::string_view path = "C:\\Scenery\\t.bgl") {
    BglMemory memory({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
    std::vector<BglAirport> airports;
    gf_readBglAirports(memory, path, [&](BglAirport&& a) { airports.push_back(std::move(a)); });
    return airports;
}

bool hasAirportSection(const Bytes& bytes) {
    BglMemory memory({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
    return gf_hasAirportSection(memory);
}

std::vector<std::string> ids(const BglAirport& airport) {
    std::vector<std::string> out;
    for (const auto& s : airport.stands) out.push_back(s.id);
    return out;
}

double radiusMetres(const Stand& s) { return s.radius * metresPerNm; }

// The minimal file: a named airport with a helipad and two parking spots.
Bytes minimalFile() {
    return test::bglAirportFile(
        {BglAirportRecord("EGLL")
             .altitudeMm(3048001)
             .name("Test Apt")
             .helipad({51.47, -0.45, 20.0F, 0.0F})
             .parking({{10, 2, 12, 25.0F, 90.0F, 51.4701, -0.4601}, {2, 5, 7, 30.5F, 270.0F, 51.4702, -0.4602}})
             .bytes()});
}

TEST(BglRecords, MinimalFileGivesEveryStandAsTheFileHoldsIt) {
    const Bytes bytes = minimalFile();
    ASSERT_TRUE(hasAirportSection(bytes));
    const auto airports = readAll(bytes);
    ASSERT_EQ(airports.size(), 1u);
    const BglAirport& a = airports[0];
    EXPECT_EQ(a.ident, "EGLL");
    EXPECT_EQ(a.name, "Test Apt");
    EXPECT_EQ(a.altitudeFt, 10000);
    EXPECT_THAT(a.scanLines, IsEmpty());
    ASSERT_THAT(ids(a), ElementsAre("helipad1", "g12", "p7"));

    const Stand& heli = a.stands[0];
    EXPECT_NEAR(heli.lat, 51.47, 1e-6);
    EXPECT_NEAR(heli.lon, -0.45, 1e-6);
    EXPECT_DOUBLE_EQ(heli.heading, fullTurn);  // a heading of 0 is kept as a full turn
    EXPECT_NEAR(radiusMetres(heli), 10.0, 1e-9);
    EXPECT_EQ(heli.heli, 1);
    EXPECT_EQ(heli.cargo, 0);
    EXPECT_EQ(heli.ramp, 0);

    const Stand& gate = a.stands[1];
    EXPECT_NEAR(gate.lat, 51.4701, 1e-6);
    EXPECT_NEAR(gate.lon, -0.4601, 1e-6);
    EXPECT_NEAR(gate.heading, 90.0 * radPerDeg, 1e-9);
    EXPECT_NEAR(radiusMetres(gate), 25.0, 1e-9);
    EXPECT_EQ(gate.cargo, 0);
    EXPECT_EQ(gate.ramp, 1);
    EXPECT_EQ(gate.heli, 0);

    const Stand& cargo = a.stands[2];
    EXPECT_NEAR(cargo.heading, 270.0 * radPerDeg, 1e-6);
    EXPECT_NEAR(radiusMetres(cargo), 30.5, 1e-9);
    EXPECT_EQ(cargo.cargo, 1);
    EXPECT_EQ(cargo.ramp, 1);

    // Read range by range from disk, the file gives the same airport.
    test::TempFolder folder;
    test::writeFile(folder / "t.bgl", bytes);
    ASSERT_TRUE(gf_hasAirportSection(folder / "t.bgl"));
    BglDiskFile disk(folder / "t.bgl");
    std::vector<BglAirport> fromDisk;
    gf_readBglAirports(disk, "t.bgl", [&](BglAirport&& x) { fromDisk.push_back(std::move(x)); });
    ASSERT_EQ(fromDisk.size(), 1u);
    EXPECT_EQ(ids(fromDisk[0]), ids(a));
    EXPECT_EQ(fromDisk[0].stands[2].lat, cargo.lat);
}

TEST(BglRecords, BothAirportKindsWithTheirEntrySizesAndOtherRecordsSkipped) {
    const std::vector<BglParking> spots{{10, 3, 1, 20.0F, 10.0F, 52.30, 4.76, 2}, {10, 9, 2, 22.0F, 20.0F, 52.31, 4.77, 0},
                                        {12, 1, 3, 18.0F, 30.0F, 52.32, 4.78, 1}};
    const Bytes other = test::bglRecord(0x22, Bytes(30, '\x7F'));
    const Bytes bytes = test::bglAirportFile({other, BglAirportRecord("EHAM", true).parking(spots).bytes(), other,
                                              BglAirportRecord("KJFK").parking(spots).bytes()});
    const auto airports = readAll(bytes);
    ASSERT_EQ(airports.size(), 2u);
    for (const auto& a : airports) {
        SCOPED_TRACE(a.ident);
        ASSERT_THAT(ids(a), ElementsAre("g1", "g2", "A3"));
        EXPECT_NEAR(a.stands[2].lat, 52.32, 1e-6);
        EXPECT_NEAR(radiusMetres(a.stands[2]), 18.0, 1e-9);
        EXPECT_EQ(a.stands[1].ramp, 0);  // type 9 is a gate
        EXPECT_EQ(a.stands[0].ramp, 1);
    }
    EXPECT_EQ(airports[0].ident, "EHAM");
    EXPECT_EQ(airports[1].ident, "KJFK");
}

TEST(BglRecords, DuplicateIdsAreLetteredByDecreasingRadius) {
    std::vector<BglParking> spots{{10, 2, 12, 15.0F}, {10, 2, 12, 25.0F}, {10, 2, 12, 20.0F}};
    for (int i = 0; i < 8; ++i) spots.push_back({10, 2, 5, 10.0F + i});
    spots.push_back({0, 2, 12, 30.0F});  // code 0: the bare number, no clash with g12
    for (int i = 0; i < 3; ++i) spots.push_back({2, 2, 3, 20.0F});  // equal radii keep their order
    const auto airports = readAll(test::bglAirportFile({BglAirportRecord("EDDF").parking(spots).bytes()}));
    ASSERT_EQ(airports.size(), 1u);
    const auto& a = airports[0];
    ASSERT_THAT(ids(a), ElementsAre("g12b", "g12", "g12a", "g5f", "g5e", "g5d", "g5c", "g5b", "g5a", "g5", "12", "p3",
                                    "p3a", "p3b"));
    EXPECT_NEAR(radiusMetres(a.stands[0]), 15.0, 1e-6);
    EXPECT_NEAR(radiusMetres(a.stands[1]), 25.0, 1e-6);
    EXPECT_NEAR(radiusMetres(a.stands[9]), 16.0, 1e-6);  // the widest of the seven kept
    for (const auto& s : a.stands) EXPECT_EQ(s.suffixed, 0);
    EXPECT_THAT(a.scanLines, ElementsAre("===> Warning: more than 6 duplicate IDs g5 in C:\\Scenery\\t.bgl"));
}

TEST(BglRecords, ParkingSpotsOutsideTheLimitsAreSkippedWithTheirLines) {
    const std::vector<BglParking> spots{
        {10, 2, 1, 1.0F},   {10, 2, 2, 1.01F}, {10, 2, 3, 199.9F}, {10, 2, 4, 200.0F},
        {10, 0, 5, 20.0F},  {10, 12, 6, 20.0F}, {10, 8, 7, 20.0F, 0.0F},
        {10, 2, 8, 20.0F, 5.0F, 0.0, 0.0},   // no position
        {10, 2, 9, std::nanf("")},           // no radius at all
    };
    const auto airports = readAll(test::bglAirportFile({BglAirportRecord("EDDM").parking(spots).bytes()}));
    ASSERT_EQ(airports.size(), 1u);
    const auto& a = airports[0];
    ASSERT_THAT(ids(a), ElementsAre("g2", "g3", "g7"));
    EXPECT_EQ(a.stands[2].ramp, 0);                      // type 8
    EXPECT_DOUBLE_EQ(a.stands[2].heading, fullTurn);     // heading 0
    EXPECT_THAT(a.scanLines, ElementsAre("Skipped position with radius 1.0 m in C:\\Scenery\\t.bgl",
                                         "Skipped position with radius 200.0 m in C:\\Scenery\\t.bgl",
                                         "LatLon 0.000000,0.000000 invalid (skipped)",
                                         "Skipped position with radius NAN m in C:\\Scenery\\t.bgl"));
}

TEST(BglRecords, HelipadsSkippedAtZeroOrTwiceAndAfterTheParkingList) {
    const auto record = BglAirportRecord("LOWI")
                            .name("Innsbruck")
                            .helipad({0.0, 0.0})
                            .helipad({47.26, 11.34, 30.0F, 45.0F})
                            .helipad({47.26, 11.34})
                            .helipad({47.27, 11.35})
                            .parking({{10, 2, 1}})
                            .helipad({47.28, 11.36})
                            .parking({{10, 2, 2}})
                            .bytes();
    const auto airports = readAll(test::bglAirportFile({record}));
    ASSERT_EQ(airports.size(), 1u);
    const auto& a = airports[0];
    ASSERT_THAT(ids(a), ElementsAre("helipad1", "helipad2", "g1"));
    EXPECT_NEAR(a.stands[0].heading, 45.0 * radPerDeg, 1e-9);
    EXPECT_NEAR(radiusMetres(a.stands[0]), 15.0, 1e-9);
    EXPECT_NEAR(a.stands[1].lat, 47.27, 1e-6);
    EXPECT_THAT(a.scanLines, ElementsAre("lat/lon helipad incorrect (skipped): 0.000000,0.000000",
                                         "double helipad Innsbruck (skipped) 47.260000,11.340000"));
}

TEST(BglRecords, NamesAreCutCleanedAndDroppedWhenTheyDisagree) {
    const std::string long50(50, 'N');
    const auto names = [](const std::vector<std::pair<std::string, std::optional<std::uint32_t>>>& list) {
        BglAirportRecord r("EGKK");
        for (const auto& [text, size] : list) r.name(text, size);
        return readAll(test::bglAirportFile({r.bytes()})).at(0).name;
    };
    EXPECT_EQ(names({{long50 + std::string(2, '\0'), 60}}), std::string(45, 'N'));
    EXPECT_EQ(names({{"Gatwick\0\0\0"s, {}}}), "Gatwick");
    EXPECT_EQ(names({{"ignored", 6}}), "");
    EXPECT_EQ(names({{"Same", {}}, {"Same", {}}}), "Same");
    EXPECT_EQ(names({{"One", {}}, {"Other", {}}}), "");
    EXPECT_EQ(names({{"Z\xFCrich\x01\tAirport", {}}}), "Z\xC3\xBCrichAirport");     // Windows-1252, controls dropped
    EXPECT_EQ(names({{"Z\xC3\xBCrich", {}}}), "Z\xC3\xBCrich");                     // UTF-8 kept
}

TEST(BglRecords, AltitudesInFeetWithinTheRangeAirportsHave) {
    const auto altitude = [](std::uint32_t mm) {
        return readAll(test::bglAirportFile({BglAirportRecord("EHAM").altitudeMm(mm).bytes()})).at(0).altitudeFt;
    };
    EXPECT_EQ(altitude(3048001), 10000);
    EXPECT_EQ(altitude(3048500), 0);  // 10002 ft
    EXPECT_EQ(altitude(static_cast<std::uint32_t>(-3353)), -11);  // below sea level
    EXPECT_EQ(altitude(static_cast<std::uint32_t>(-1000000)), 0);
}

TEST(BglRecords, OnlyFourCharacterIdentsWithoutBlanksAreAirports) {
    EXPECT_EQ(gf_decodeBglIdent(test::bglIdent("EGLL")), "EGLL");
    EXPECT_EQ(gf_decodeBglIdent(test::bglIdent("K1G4")), "K1G4");
    EXPECT_EQ(gf_decodeBglIdent(1u << 5), std::nullopt);  // one digit 1, read as "6"
    const Bytes bytes = test::bglAirportFile({BglAirportRecord("EGL").bytes(), BglAirportRecord("EG L").bytes(),
                                              BglAirportRecord("EGLLX").bytes(), BglAirportRecord("A2B3").bytes()});
    const auto airports = readAll(bytes);
    ASSERT_EQ(airports.size(), 1u);
    EXPECT_EQ(airports[0].ident, "A2B3");
}

TEST(BglRecords, DamagedFilesYieldNothingOrStopWithAnError) {
    const Bytes good = minimalFile();
    EXPECT_THAT(readAll(test::bglFile({BglSection{3, 0, {BglAirportRecord("EGLL").bytes()}}}, {57})), IsEmpty());
    EXPECT_THAT(readAll(good.substr(0, 59)), IsEmpty());
    // A section with 20-byte subsection entries is not read.
    EXPECT_THAT(readAll(test::bglFile({BglSection{3, 0x10000, {BglAirportRecord("EGLL").bytes()}}})), IsEmpty());

    // A record of size 0 after a good airport ends the walk quietly; the airport stays.
    const auto zero = readAll(test::bglAirportFile(
        {BglAirportRecord("EGLL").bytes(), test::bglRecord(0x22, "", 0), BglAirportRecord("EDDF").bytes()}));
    ASSERT_EQ(zero.size(), 1u);
    EXPECT_EQ(zero[0].ident, "EGLL");
    // So does a later subsection at or past the end of the file, where a cut file ends.
    Bytes later =
        test::bglFile({BglSection{3, 0, {BglAirportRecord("EGLL").bytes(), BglAirportRecord("EDDF").bytes()}}});
    test::setU32(later, 56 + 20 + 16 + 8, static_cast<std::uint32_t>(later.size()));
    ASSERT_EQ(readAll(later).size(), 1u);
    // A first subsection there leaves nothing to read: the file is damaged.
    Bytes beyond = good;
    test::setU32(beyond, 56 + 20 + 8, static_cast<std::uint32_t>(good.size()));
    EXPECT_THROW(readAll(beyond), BglFormatError);
    EXPECT_THROW(readAll(good.substr(0, 56 + 20 + 15)), BglFormatError);  // cut inside its table

    // A file cut inside its second airport: the first is read, the cut one is an error.
    const Bytes two = test::bglAirportFile({BglAirportRecord("EGLL").parking({{}}).bytes(),
                                            BglAirportRecord("EDDF").parking({{}, {10, 2, 2}}).bytes()});
    std::vector<BglAirport> seen;
    const Bytes cut = two.substr(0, two.size() - 40);
    BglMemory memory({reinterpret_cast<const std::uint8_t*>(cut.data()), cut.size()});
    EXPECT_THROW(gf_readBglAirports(memory, "z", [&](BglAirport&& a) { seen.push_back(std::move(a)); }),
                 BglFormatError);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].ident, "EGLL");
    EXPECT_EQ(seen[0].stands.size(), 1u);
    // Cut between the two airports, it is no error at all.
    EXPECT_EQ(readAll(two.substr(0, two.size() - (56 + 6 + 2 + 2 * 36))).size(), 1u);

    EXPECT_THROW(readAll(good.substr(0, good.size() - 1)), BglFormatError);  // truncated
    EXPECT_THROW(readAll(test::bglAirportFile({BglAirportRecord("EGLL").sizeField(5000).bytes()})), BglFormatError);

    // A parking count larger than its list: the list is skipped, not read into the next record.
    const auto over = readAll(test::bglAirportFile(
        {BglAirportRecord("EGLL").helipad({}).parking({{10, 2, 1}, {10, 2, 2}}, 3).bytes()}));
    ASSERT_EQ(over.size(), 1u);
    EXPECT_THAT(ids(over[0]), ElementsAre("helipad1"));
    EXPECT_THAT(over[0].scanLines, ElementsAre(HasSubstr("parking list of EGLL does not fit its record")));

    // A subrecord running past its airport: what was read stays, the rest is reported.
    const auto past = readAll(test::bglAirportFile(
        {BglAirportRecord("EGLL").helipad({}).subrecord(test::bglRecord(0x26, "", 400)).bytes()}));
    ASSERT_EQ(past.size(), 1u);
    EXPECT_THAT(ids(past[0]), ElementsAre("helipad1"));
    EXPECT_THAT(past[0].scanLines, ElementsAre(HasSubstr("runs past its end")));
}

TEST(BglRecords, SectionsAreReadWithinTheirOwnBounds) {
    // A count that overflows 20 × n in 32 bits: read only as far as the file goes.
    Bytes huge = minimalFile();
    test::setU32(huge, 20, 0x0CCCCCCD);
    EXPECT_FALSE(hasAirportSection(huge));
    EXPECT_EQ(readAll(huge).size(), 1u);

    // Two airport sections sharing one subsection read its airports once.
    Bytes shared = test::bglFile({BglSection{3, 0, {BglAirportRecord("EGLL").bytes()}}, BglSection{0x22, 0, {}}});
    for (int i = 0; i < 20; ++i) shared[76 + i] = shared[56 + i];  // the second entry is a copy of the first
    EXPECT_EQ(readAll(shared).size(), 1u);

    // The records of another section are never read as airports.
    const Bytes phantom = test::bglFile({BglSection{3, 0, {BglAirportRecord("EGLL").bytes()}},
                                         BglSection{0x25, 0, {BglAirportRecord("EDDF").bytes()}}});
    const auto airports = readAll(phantom);
    ASSERT_EQ(airports.size(), 1u);
    EXPECT_EQ(airports[0].ident, "EGLL");

    // Several subsections of one section, and a second airport section.
    const auto many = readAll(test::bglFile(
        {BglSection{3, 0, {BglAirportRecord("EGLL").bytes(), BglAirportRecord("EGKK").bytes()}},
         BglSection{3, 0, {BglAirportRecord("EGSS").bytes()}}}));
    ASSERT_EQ(many.size(), 3u);
    EXPECT_EQ(many[2].ident, "EGSS");

    // A thousand sections sharing one large subsection end with an error
    // once the file has been read over several times, not after hours.
    const Bytes data = BglAirportRecord("EGLL").bytes() + test::bglRecord(0x22, Bytes(65536, '\0'));
    constexpr std::uint32_t sections = 1000;
    constexpr std::uint32_t table = 56 + 20 * sections;
    Bytes loop(56, '\0');
    test::setU32(loop, 4, 56);
    test::setU32(loop, 20, sections);
    for (std::uint32_t i = 0; i < sections; ++i)
        for (const std::uint32_t v : {3u, 0u, 1u, table, 16u}) test::putU32(loop, v);
    for (const std::uint32_t v : {0u, 1u, table + 16, static_cast<std::uint32_t>(data.size())}) test::putU32(loop, v);
    loop += data;
    std::size_t handed = 0;
    BglMemory memory({reinterpret_cast<const std::uint8_t*>(loop.data()), loop.size()});
    EXPECT_THROW(gf_readBglAirports(memory, "loop", [&](BglAirport&&) { ++handed; }), BglFormatError);
    EXPECT_EQ(handed, 1u);
}

TEST(BglRecords, PreTestLooksAtTheHeaderAndTheSectionTableOnly) {
    const Bytes good = minimalFile();
    EXPECT_TRUE(hasAirportSection(good));
    EXPECT_FALSE(hasAirportSection(good.substr(0, 14)));
    Bytes none = good;
    test::setU32(none, 20, 0);
    EXPECT_FALSE(hasAirportSection(none));
    EXPECT_FALSE(hasAirportSection(good.substr(0, 76)));  // not longer than 56 + 20 × 1
    EXPECT_TRUE(hasAirportSection(good.substr(0, 77)));
    EXPECT_FALSE(hasAirportSection(test::bglFile({BglSection{0x25, 0, {}}, BglSection{0x22, 0, {}}})));
    Bytes otherHeader = good;
    test::setU32(otherHeader, 4, 57);
    EXPECT_TRUE(hasAirportSection(otherHeader));
    EXPECT_FALSE(gf_hasAirportSection(std::filesystem::path("no such file.bgl")));
}

}  // namespace
}  // namespace zrb
