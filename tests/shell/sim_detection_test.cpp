#include "shell/sim_detection.h"

#include "config/parameters.h"
#include "foundation/text_file.h"
#include "foundation/user_error.h"
#include "shell/common/run_state.h"
#include "shell_test_support.h"

namespace zrb::test {
namespace {

class SimDetection : public ShellTest {
protected:
    void installed(bool v5, bool v6, std::filesystem::path setupPath = {}) {
        gf_runServices().simInstalled = [=, this](int version) {
            calls.add("registry");
            return version == 5 ? v5 : v6;
        };
        gf_runServices().simSetupPath = [=](int) { return setupPath; };
    }
    std::string userError() {
        try {
            lf_detectSim();
        } catch (const UserErrorException& e) {
            return e.what();
        }
        return {};
    }
};

TEST(SimVersion, FromThePathsLastNamingComponent) {
    EXPECT_EQ(gf_simVersionFromPath("C:/Sim/V6"), 6);
    EXPECT_EQ(gf_simVersionFromPath("C:/Prepar3D v5"), 5);
    EXPECT_EQ(gf_simVersionFromPath("D:\\dev5\\Prepar3D v6"), 6);
    EXPECT_EQ(gf_simVersionFromPath("D:\\v5 backup\\Prepar3D v6\\"), 6);
    EXPECT_EQ(gf_simVersionFromPath("E:/Prepar3D v5/SimObjects"), 5);
    EXPECT_EQ(gf_simVersionFromPath("C:/Sim"), 0);
    EXPECT_EQ(gf_simVersionFromPath("C:/v51"), 0);
    // The common installation folders, as the Open check accepts them.
    EXPECT_EQ(gf_simVersionFromPath("C:\\P3Dv6"), 6);
    EXPECT_EQ(gf_simVersionFromPath("D:\\Prepar3Dv5\\"), 5);
    EXPECT_EQ(gf_simVersionFromPath("E:/Sims/P3D v5"), 5);
    EXPECT_EQ(gf_simVersionFromPath("E:/Sims/Prepar3D_v6"), 6);
    EXPECT_EQ(gf_simVersionFromPath("C:/dev6"), 0);
    EXPECT_EQ(gf_simVersionFromPath("C:/P3Dv61"), 0);
}

TEST_F(SimDetection, TheVersionFallsBackOnP3DVersion) {
    SIM_INSTALL_PATH.value = "C:/Sim";
    P3D_VERSION.value = 5;
    EXPECT_EQ(gf_getSimVersion(), "5");
    P3D_VERSION.value = 6;
    EXPECT_EQ(gf_getSimVersion(), "6");
    SIM_INSTALL_PATH.value = "C:/Lockheed Martin/Prepar3D v5";
    EXPECT_EQ(gf_getSimVersion(), "5");
    SIM_INSTALL_PATH.value = "C:\\P3Dv6";  // named so, not P3D_VERSION's 6 by chance
    P3D_VERSION.value = 5;
    EXPECT_EQ(gf_getSimVersion(), "6");
    P3D_VERSION.value = 0;  // only a hand-made value below the range gets here
    SIM_INSTALL_PATH.value = "x";
    EXPECT_THROW(gf_getSimVersion(), UserErrorException);
}

TEST_F(SimDetection, BothInstalledIs153AndASetPathIsNeverLookedUp) {
    installed(true, true);
    EXPECT_EQ(userError(),
              "153: More than one P3D version detected, type full Install Path to wanted version above and press Enter");
    calls.clear();
    SIM_INSTALL_PATH.value = "/somewhere";
    lf_detectSim();
    EXPECT_EQ(calls.count("registry"), 0);
}

TEST_F(SimDetection, NoneInstalledGoesOnOnlyWithFoldersSet) {
    installed(false, false);
    EXPECT_EQ(userError(), "151: No P3D install path detected, type full Install Path above, and press Enter");
    EXPECT_TRUE(m_folder.logContains("P3D not detected?"));
    lfolder3.value = "/x";
    EXPECT_EQ(userError(), "");
}

TEST_F(SimDetection, OneInstalledSetsAndSavesThePath) {
    installed(false, true, m_folder / "Prepar3D v6");
    lf_detectSim();
    EXPECT_TRUE(m_folder.logContains("P3Dv6 detected"));
    EXPECT_EQ(SIM_INSTALL_PATH.value.get(), (m_folder / "Prepar3D v6").string());
    EXPECT_EQ(stored("SIM_INSTALL_PATH"), (m_folder / "Prepar3D v6").string());

    SIM_INSTALL_PATH.value = "";
    installed(true, false, {});
    EXPECT_EQ(userError(), "151: No P3D install path detected, type full Install Path above, and press Enter");
}

// The setting holds UTF-8, which Windows reads in the ANSI code page when a
// path is made of a plain string.
TEST_F(SimDetection, AnInstallFolderWithAnUmlautKeepsItsSceneryFolder) {
    const std::filesystem::path sim = m_folder / u8"Pr\u00FCfung" / "Prepar3D v5";
    std::filesystem::create_directories(sim / "Scenery");
    installed(true, false, sim);
    lf_detectSim();
    EXPECT_EQ(SIM_INSTALL_PATH.value.get(), gf_pathText(sim));
    gf_clearMessage();
    lf_setStockAirportsPath();
    EXPECT_EQ(gf_messageLineView().message, "");
    EXPECT_EQ(gf_stockAirportsPath(), sim / "Scenery");
}

TEST_F(SimDetection, AMissingSceneryFolderIsOnlyReported) {
    SIM_INSTALL_PATH.value = (m_folder / "P3D").string();
    lf_setStockAirportsPath();
    EXPECT_TRUE(m_folder.logContains("Stock airports path does not exist: " + (m_folder / "P3D" / "Scenery").string()));
    std::filesystem::create_directories(m_folder / "P3D" / "Scenery");
    gf_clearMessage();
    lf_setStockAirportsPath();
    EXPECT_EQ(gf_messageLineView().message, "");
}

}  // namespace
}  // namespace zrb::test
