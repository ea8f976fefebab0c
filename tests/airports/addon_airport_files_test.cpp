// What the airports of one BGL file become: link files, generated parking
// files that hold the fixture's stands as the file holds them, and the scan log.
#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include "airport_test_support.h"
#include "airports/addon_airport_files.h"
#include "airports/bgl_file.h"
#include "bgl_builder.h"
#include "foundation/windows_path.h"
#include "foundation/xml_file.h"

namespace zrb::test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

class AddonAirportFiles : public ::testing::Test {
protected:
    AddonAirportFiles() {
        g_dbasePublishers.push_back({"Zed", ""});  // an empty alias must not match every path
        g_dbasePublishers.push_back({"My Pub", "mypub"});
        g_dbaseThirdPartyAirports.push_back({"My Pub", {"EHA", "EHAM12", "EHAM99"}});
    }

    // Writes the file below the folder and runs its task; the scan log's lines.
    std::vector<std::string> process(const std::string& relative, const Bytes& bytes) {
        const std::filesystem::path file = folder.path() / "addons" / relative;
        std::filesystem::create_directories(file.parent_path());
        writeFile(file, bytes);
        gf_processBglFile(shared, file);
        return shared.log.take();
    }

    std::string bglText(const std::string& relative) const {
        return gf_windowsPathText(folder.path() / "addons" / relative);
    }

    AirportFolder folder{""};
    AirportScanShared shared;
};

pugi::xml_document load(const std::filesystem::path& path) {
    pugi::xml_document doc;
    EXPECT_TRUE(gf_loadXml(doc, path)) << path;
    return doc;
}

std::string parameter(const pugi::xml_document& doc, const std::string& name) {
    const auto node = doc.child("parameters").find_child_by_attribute("parameter", "name", name.c_str());
    return node ? node.attribute("value").as_string() : "<missing>";
}

std::vector<BglParking> spots(int count) {
    std::vector<BglParking> out;
    for (int i = 0; i < count; ++i)
        out.push_back({10, 2, static_cast<std::uint32_t>(i + 1), 20.0F, 90.0F, 52.30 + i * 0.001, 4.76});
    return out;
}

TEST_F(AddonAirportFiles, GeneratedFileHoldsTheStandsAsTheBglFileHoldsThem) {
    const Bytes bytes = bglAirportFile({BglAirportRecord("LFPG", true)
                                            .altitudeMm(119000)
                                            .name("Paris CDG")
                                            .helipad({49.0101, 2.5501, 24.0F, 0.0F})
                                            .parking({{10, 3, 12, 30.5F, 271.5F, 49.0102, 2.5502, 3},
                                                      {2, 5, 7, 44.0F, 10.0F, 49.0103, 2.5503},
                                                      {12, 9, 1, 18.0F, 180.0F, 49.0104, 2.5504, 1}})
                                            .bytes()});
    const auto lines = process("Other/Scenery/LFPG.bgl", bytes);
    EXPECT_THAT(lines, ElementsAre("===> LFPG has 4 parkpos while archived one has 0",
                                   "Generated LFPG: 4 positions, of which 1 helipad"));
    EXPECT_TRUE(shared.filesChanged);
    EXPECT_FALSE(std::filesystem::exists(g_myThirdpartyFolder / "LFPG.txt"));

    const auto doc = load(g_myThirdpartyFolder / "LFPG.xml");
    EXPECT_EQ(parameter(doc, "airport_name"), "Paris CDG");
    EXPECT_EQ(parameter(doc, "publisher"), "unknown");
    EXPECT_EQ(parameter(doc, "altitude"), "390");
    EXPECT_EQ(parameter(doc, "num_parkpos"), "4");
    EXPECT_EQ(parameter(doc, "BGLpath"), bglText("Other/Scenery/LFPG.bgl"));
    struct Expected {
        const char* id;
        const char* lat;
        const char* lon;
        const char* heading;
        const char* radius;
        const char* kind;  // the attribute that tells the kind, and its value
        const char* kindValue;
        const char* ramp;
    };
    // Sorted by id; a heading of 0 is written as a full turn.
    const std::vector<Expected> expected{
        {"A1", "49.010400", "2.550400", "180.0", "18.0", "cargo", "false", "false"},
        {"g12", "49.010200", "2.550200", "271.5", "30.5", "cargo", "false", "true"},
        {"helipad1", "49.010100", "2.550100", "360.0", "12.0", "heli", "true", "false"},
        {"p7", "49.010300", "2.550300", "10.0", "44.0", "cargo", "true", "true"},
    };
    std::size_t i = 0;
    for (const auto& pos : doc.child("parkpositions").children("parkpos")) {
        ASSERT_LT(i, expected.size());
        const Expected& e = expected[i++];
        SCOPED_TRACE(e.id);
        EXPECT_STREQ(pos.attribute("id").as_string(), e.id);
        EXPECT_STREQ(pos.attribute("latitude").as_string(), e.lat);
        EXPECT_STREQ(pos.attribute("longitude").as_string(), e.lon);
        EXPECT_STREQ(pos.attribute("heading").as_string(), e.heading);
        EXPECT_STREQ(pos.attribute("radius").as_string(), e.radius);
        EXPECT_STREQ(pos.attribute(e.kind).as_string(), e.kindValue);
        EXPECT_STREQ(pos.attribute("ramp").as_string(), e.ramp);
        EXPECT_FALSE(pos.child("opt"));
    }
    EXPECT_EQ(i, expected.size());
}

TEST_F(AddonAirportFiles, AirportsAreLinkedOrGeneratedByTheirPublisher) {
    // A simaddon airport the archive holds: linked only.
    auto lines = process("orbx/EGLL/APX_EGLL.bgl", bglAirportFile({BglAirportRecord("EGLL").parking(spots(3)).bytes()}));
    EXPECT_THAT(lines, ElementsAre("from filename => publisher simaddon",
                                   "simaddon airport EGLL linked to archive/simaddon/EGLL.xml"));
    EXPECT_THAT(readLines(g_myOrbxFolder / "EGLL.txt"), ElementsAre("archive/simaddon/EGLL.xml"));
    EXPECT_FALSE(std::filesystem::exists(g_myOrbxFolder / "EGLL.xml"));

    // A simaddon airport the archive lacks: generated into my_ORBX, never compared.
    lines = process("ORBX/EGKK.BGL", bglAirportFile({BglAirportRecord("EGKK").parking(spots(1)).bytes()}));
    EXPECT_THAT(lines, ElementsAre("from filename => publisher simaddon", "EGKK does not exist as simaddon",
                                   "Generated EGKK: 1 position"));
    EXPECT_TRUE(std::filesystem::exists(g_myOrbxFolder / "EGKK.xml"));

    // A thirdparty airport with more stands than the archive's: linked and generated.
    lines = process("MyPub/EHAM/AP.bgl", bglAirportFile({BglAirportRecord("EHAM").parking(spots(14)).bytes()}));
    EXPECT_THAT(lines, ElementsAre("thirdparty airport EHAM linked to archive/thirdparty/My%20Pub/EHAM.xml",
                                   "===> EHAM has 14 parkpos while archived one has 12",
                                   "Generated EHAM: 14 positions"));
    EXPECT_THAT(readLines(g_myThirdpartyFolder / "EHAM.txt"),
                ElementsAre("archive/thirdparty/My%20Pub/EHAM.xml"));
    EXPECT_EQ(parameter(load(g_myThirdpartyFolder / "EHAM.xml"), "publisher"), "My Pub");
    EXPECT_THAT(parameter(load(g_myThirdpartyFolder / "EHAM.xml"), "BGLpath"), "<missing>");

    // A list entry without a count archives 0 stands; an airport the list lacks is generated.
    lines = process("SkyForge/LOWI.bgl", bglAirportFile({BglAirportRecord("LOWI").parking(spots(2)).bytes()}));
    EXPECT_THAT(lines, Contains("thirdparty airport LOWI linked to archive/thirdparty/SkyForge/LOWI.xml"));
    EXPECT_THAT(lines, Contains("===> LOWI has 2 parkpos while archived one has 0"));  // no count in the list
    lines = process("Runway Makers/LFPO.bgl", bglAirportFile({BglAirportRecord("LFPO").parking(spots(2)).bytes()}));
    EXPECT_THAT(lines, Contains("thirdparty Runway Makers LFPO does not exist"));
    EXPECT_TRUE(std::filesystem::exists(g_myThirdpartyFolder / "LFPO.xml"));

    // An airport without stands gets no file and no line of its own.
    lines = process("Other/LFPB.bgl", bglAirportFile({BglAirportRecord("LFPB").bytes()}));
    EXPECT_THAT(lines, IsEmpty());
    EXPECT_FALSE(std::filesystem::exists(g_myThirdpartyFolder / "LFPB.xml"));
}

TEST_F(AddonAirportFiles, DamagedFilesAreReportedAndTheAirportsBeforeTheDamageKept) {
    // Cut inside its second airport, as a download or copy that ended early leaves it.
    const Bytes whole = bglAirportFile(
        {BglAirportRecord("LFPG").parking(spots(2)).bytes(), BglAirportRecord("LFPO").parking(spots(3)).bytes()});
    const std::filesystem::path file = folder.path() / "addons" / "Other" / "broken.bgl";
    std::filesystem::create_directories(file.parent_path());
    writeFile(file, whole.substr(0, whole.size() - 50));
    EXPECT_THROW(gf_processBglFile(shared, file), BglFormatError);
    EXPECT_TRUE(folder.logContains("===> Exception in lf_processBGLfile: " + gf_windowsPathText(file)));
    EXPECT_THAT(shared.log.take(), Contains("Generated LFPG: 2 positions"));
    EXPECT_TRUE(std::filesystem::exists(g_myThirdpartyFolder / "LFPG.xml"));
    EXPECT_FALSE(std::filesystem::exists(g_myThirdpartyFolder / "LFPO.xml"));

    // A record of size 0 ends the file quietly.
    EXPECT_THAT(process("Other/zero.bgl", bglAirportFile({BglAirportRecord("LFPB").parking(spots(1)).bytes(),
                                                          bglRecord(0x3C, "", 0)})),
                Contains("Generated LFPB: 1 position"));
    EXPECT_FALSE(folder.logContains("Exception in lf_processBGLfile: " + bglText("Other/zero.bgl")));

    // A file that went away between the walk and its task yields nothing.
    EXPECT_NO_THROW(gf_processBglFile(shared, folder.path() / "gone.bgl"));
    EXPECT_THAT(shared.log.take(), IsEmpty());
}

TEST_F(AddonAirportFiles, AFailedWriteIsReportedNotCountedAsSuccess) {
    // A folder where the link file and the generated file should go.
    std::filesystem::create_directories(g_myOrbxFolder / "EGLL.txt");
    std::filesystem::create_directories(g_myOrbxFolder / "EGLL.xml");
    const auto lines = process("orbx/EGLL.bgl", bglAirportFile({BglAirportRecord("EGLL").parking(spots(2)).bytes()}));
    EXPECT_THAT(lines, Contains(HasSubstr("===> Linking ")));
    EXPECT_THAT(lines, Contains(HasSubstr("===> Generating ")));
    EXPECT_THAT(lines, Not(Contains(HasSubstr("linked to"))));
    EXPECT_FALSE(shared.filesChanged);
}

}  // namespace
}  // namespace zrb::test
