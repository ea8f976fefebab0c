#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <filesystem>
#include <string>
#include <vector>

#include "foundation/windows_path.h"
#include "liveries/ivao_package.h"
#include "livery_scan_fixture.h"

namespace zrb::test {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

class IvaoPackage : public LiveryScanFixture {
protected:
    fs::path typeFolder(const std::string& name) const { return m_folder / "IVAO_MTL" / name; }
    std::string typeOf(const std::string& windowsTail) {
        return lf_ivaoModelFromPath(m_folder / gf_pathFromWindowsText(windowsTail));
    }
};

TEST_F(IvaoPackage, TakesTheTypeFromThePackageFolder) {
    EXPECT_EQ(typeOf("IVAO_MTL\\IVAO_B738w\\aircraft.cfg"), "B738");
    EXPECT_EQ(typeOf("IVAO_MTL\\IVAO_B744F\\aircraft.cfg"), "B744");
    EXPECT_EQ(typeOf("IVAO_MTL\\IVAO_T154B2\\aircraft.cfg"), "T154");
    EXPECT_EQ(typeOf("IVAO_MTL\\IVAO_T154M\\aircraft.cfg"), "T154");
    EXPECT_EQ(typeOf("IVAO_MTL\\IVAO_GLID_KA8\\aircraft.cfg"), "GLID");
    EXPECT_EQ(typeOf("IVAO_MTL\\IVAO_B77W\\aircraft.cfg"), "B77W");  // only a lower-case w is cut
    EXPECT_EQ(typeOf("ivao_mtl\\ivao_B738\\AIRCRAFT.CFG"), "B738");  // letter case of the names is ignored
    EXPECT_EQ(typeOf("IVAO_MTL\\IVAO_wro\\aircraft.cfg"), "A20N");  // the database's fixes apply
    EXPECT_EQ(typeOf("IVAO_MTL\\IVAO_B744f\\aircraft.cfg"), "");
    EXPECT_EQ(typeOf("ivao_x-csl\\B738\\aircraft.cfg"), "");
    EXPECT_EQ(typeOf("IVAO_MTL\\IVAO_B7-38\\aircraft.cfg"), "");
    const auto pathText = [&](const std::string& tail) { return (m_folder / gf_pathFromWindowsText(tail)).string(); };
    EXPECT_THAT(g_invalidAircraftCodes.lines(),
                ElementsAre("B744f            in " + pathText("IVAO_MTL\\IVAO_B744f\\aircraft.cfg"),
                            "                 in " + pathText("ivao_x-csl\\B738\\aircraft.cfg"),
                            "                 in " + pathText("IVAO_MTL\\IVAO_B7-38\\aircraft.cfg")));
    EXPECT_THAT(g_codeFixes.lines(), ElementsAre("Model fix: wro found in " +
                                                 pathText("IVAO_MTL\\IVAO_wro\\aircraft.cfg") + " changed into A20N"));
}

TEST_F(IvaoPackage, TakesTheAirlineFromTheTitleOrTheRegistration) {
    const fs::path folder = typeFolder("IVAO_B738w");
    const std::string text =
        "[General]\natc_model=A320\n" + fltsim(0, "B738 DLH Lufthansa", "", "atc_parking_types=CARGO\n") +
        fltsim(1, "b738dlh", "") + fltsim(2, "Lufthansa B738", "") + fltsim(3, "KLM B738", "", "atc_id=N123\n") +
        fltsim(4, "BAW B738", "", "atc_id=G-XXXX\n") + fltsim(5, "B738 XYZ", "") +
        fltsim(6, "B738ZZZ", "", "atc_id=N123\n") + fltsim(7, "B738 BAW", "", "", "DLH\natc_id=N1*") +
        "[fltsim.8]\ntitle=B738 KLM\ntexture=[DLH]\nsim=b738\n" +
        fltsim(9, "B738 KLM two", "", "atc_id=N1\natc_id=N2\n");
    const auto path = makeAircraftFolder(folder, text);
    const auto liveries = lf_searchIvaoLiveriesinFile(4, path);
    ASSERT_EQ(liveries.size(), 5U);
    EXPECT_EQ(liveries[0], (LiveryData{"DLH", "B738", "B738 DLH Lufthansa", "", 4, false}));  // never cargo
    EXPECT_EQ(liveries[1], (LiveryData{"dlh", "B738", "b738dlh", "", 4, false}));
    EXPECT_EQ(liveries[2], (LiveryData{"KLM", "B738", "KLM B738", "N123", 4, false}));
    EXPECT_EQ(liveries[3], (LiveryData{"ZZZ", "B738", "B738ZZZ", "", 4, false}));
    EXPECT_EQ(liveries[4], (LiveryData{"BAW", "B738", "B738 BAW", "", 4, false}));
    const std::string f = folder.string();
    EXPECT_THAT(g_incompleteFltsimSections.lines(),
                UnorderedElementsAre(f + " [fltsim.2] misses airlinecode in title: Lufthansa B738, and no regcode",
                                     f + " [fltsim.4] misses airlinecode in title: BAW B738, and regcode unknown G-XXXX",
                                     "invalid atc_id=N1* in B738 BAW", (folder / ".air").string() + " [fltsim.8] does not exist",
                                     f + ", [fltsim.9], has more than one atc_id key"));
    EXPECT_THAT(g_invalidAirlineCodes.lines(), ElementsAre("XYZ          in " + path.string() + " [fltsim.5]"));
}

TEST_F(IvaoPackage, ChecksTheModelThenTheFlightModelThenTheTexture) {
    const fs::path folder = typeFolder("IVAO_B738");
    const auto path = makeAircraftFolder(folder,
                                         "[fltsim.0]\ntitle=B738 DLH a\nsim=b738\nmodel=x\ntexture=DLH\n"
                                         "[fltsim.1]\ntitle=B738 DLH b\nsim=none\nmodel=\ntexture=none\n"
                                         "[fltsim.2]\ntitle=B738 DLH c\nsim=b738\nmodel=\ntexture=none\n"
                                         "[fltsim.3]\ntitle=B738 DLH d\ntitle=B738 DLH e\n");
    EXPECT_TRUE(lf_searchIvaoLiveriesinFile(1, path).empty());
    const std::string f = folder.string();
    EXPECT_THAT(g_incompleteFltsimSections.lines(),
                ElementsAre((folder / "model.x").string() + " [fltsim.0] does not exist",
                            (folder / "none.air").string() + " [fltsim.1] does not exist",
                            (folder / "texture.none").string() + " [fltsim.2] does not exist",
                            f + " [fltsim.3] has more than one title key"));
    // A missing file is only logged.
    EXPECT_TRUE(lf_searchIvaoLiveriesinFile(1, typeFolder("IVAO_A320") / "aircraft.cfg").empty());
    EXPECT_TRUE(logged("===> No character set found for " + (typeFolder("IVAO_A320") / "aircraft.cfg").string()));
}

}  // namespace
}  // namespace zrb::test
