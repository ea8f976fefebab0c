// Finding the simulator through the registry. The keys come from the Linux
// stand-in registry.xml in a temporary AppData folder.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "foundation/registry.h"
#include "foundation/utf16.h"
#include "support/temp_folder.h"

namespace zrb {
namespace {

class Registry : public ::testing::Test {
protected:
    Registry() {
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) m_oldXdg = old;
        ::setenv("XDG_CONFIG_HOME", m_appData.path().c_str(), 1);
    }
    ~Registry() override {
        if (m_oldXdg) ::setenv("XDG_CONFIG_HOME", m_oldXdg->c_str(), 1);
        else ::unsetenv("XDG_CONFIG_HOME");
    }
    void write(const std::string& keys) {
        test::writeFile(m_appData / "registry.xml", "<registry>" + keys + "</registry>");
    }

    test::LoggedFolder m_log;
    test::TempFolder m_appData;
    std::optional<std::string> m_oldXdg;
};

TEST_F(Registry, WithoutSimulatorNothingIsInstalledAndNothingThrows) {
    EXPECT_FALSE(gf_isP3DInstalled(5));
    EXPECT_FALSE(gf_isP3DInstalled(6));
    write("");
    EXPECT_FALSE(gf_isP3DInstalled(5));
    EXPECT_FALSE(gf_isP3DInstalled(6));
    try {
        gf_getP3DSetupPath(5);
        FAIL() << "no key, no path";
    } catch (const winreg::RegException& e) {
        EXPECT_EQ(e.code().value(), 2);
        EXPECT_EQ(std::string(e.what()).rfind("RegOpenKeyExW failed.", 0), 0u) << e.what();
    }
}

TEST_F(Registry, SetupPathArrivesAsUtf8Path) {
    write(R"(<key root="HKLM" path="SOFTWARE\Lockheed Martin\Prepar3D v6">
               <value name="SetupPath" type="REG_SZ">D:\Prepar3D v6\Ü</value></key>)");
    EXPECT_FALSE(gf_isP3DInstalled(5));
    EXPECT_TRUE(gf_isP3DInstalled(6));
    const std::filesystem::path path = gf_getP3DSetupPath(6);
    const std::u8string text = path.u8string();
    EXPECT_EQ(std::string(text.begin(), text.end()), "D:\\Prepar3D v6\\\xC3\x9C");
}

TEST_F(Registry, UnreadableValuesRaiseTheSizeQueryError) {
    write(R"(<key root="HKLM" path="SOFTWARE\Lockheed Martin\Prepar3D v5"/>
             <key root="HKLM" path="SOFTWARE\Lockheed Martin\Prepar3D v6">
               <value name="SetupPath" type="REG_DWORD">1</value></key>)");
    EXPECT_TRUE(gf_isP3DInstalled(5));
    for (const int version : {5, 6}) {
        try {
            gf_getP3DSetupPath(version);
            FAIL() << "version " << version;
        } catch (const winreg::RegException& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Cannot get size of string value: RegGetValueW failed.", 0), 0u);
            EXPECT_EQ(e.code().value(), version == 5 ? 2 : 1630);
        }
    }
}

TEST_F(Registry, BrokenRegistryFileCountsAsNotInstalledAndIsLogged) {
    test::writeFile(m_appData / "registry.xml", "<registry><key");
    EXPECT_FALSE(gf_isP3DInstalled(6));
    EXPECT_TRUE(m_log.logContains("gf_isP3DInstalled: RegOpenKeyExW failed."));
    EXPECT_THROW(gf_getP3DSetupPath(6), winreg::RegException);
}

TEST_F(Registry, RegGetStringTrimsTheTerminator) {
    write(R"(<key root="HKLM" path="SOFTWARE\X"><value name="A">abc</value><value name="E"/></key>)");
    platform::RegKey key;
    ASSERT_EQ(platform::regOpenKey(platform::RegRoot::localMachine, u"SOFTWARE\\X", true, key), 0);
    EXPECT_EQ(lf_regGetString(key, u"A"), u"abc");
    EXPECT_EQ(lf_regGetString(key, u"E"), u"");
    lf_regKeyClose(key);
    lf_regKeyClose(platform::RegKey{});  // a key that is not open is left alone
}

}  // namespace
}  // namespace zrb

#endif  // !_WIN32
