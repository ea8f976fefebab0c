// The Linux stand-ins for the AppData and ProgramData folders, the registry (registry.xml) and the window controls.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/controls.h"
#include "platform/platform.h"
#include "support/temp_folder.h"

namespace zrb::platform {
namespace {

// Sets (or unsets) an environment variable for the test's lifetime.
class EnvOverride {
public:
    EnvOverride(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        if (value != nullptr) ::setenv(name, value, 1);
        else ::unsetenv(name);
    }
    ~EnvOverride() {
        if (m_old) ::setenv(m_name, m_old->c_str(), 1);
        else ::unsetenv(m_name);
    }
    EnvOverride(const EnvOverride&) = delete;
    EnvOverride& operator=(const EnvOverride&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(PosixAppData, XdgConfigHomeThenHomeConfigThenNothing) {
    {
        EnvOverride xdg("XDG_CONFIG_HOME", "/x/config");
        EnvOverride home("HOME", "/home/u");
        EXPECT_EQ(appDataFolder(), std::filesystem::path("/x/config"));
    }
    {
        EnvOverride xdg("XDG_CONFIG_HOME", "relative/is/ignored");
        EnvOverride home("HOME", "/home/u");
        EXPECT_EQ(appDataFolder(), std::filesystem::path("/home/u/.config"));
    }
    {
        EnvOverride xdg("XDG_CONFIG_HOME", "");
        EnvOverride home("HOME", nullptr);
        EXPECT_EQ(appDataFolder(), std::nullopt);
    }
}

TEST(PosixAppData, TheSimulatorsListsLieBelowTheStandInFolders) {
    {
        EnvOverride xdg("XDG_CONFIG_HOME", "/x/config");
        EXPECT_EQ(programDataFolder(), std::filesystem::path("/x/config/ProgramData"));
        EXPECT_EQ(simAddOnsCfgFile("5"), std::filesystem::path("/x/config/Lockheed Martin/Prepar3D v5/add-ons.cfg"));
        EXPECT_EQ(simObjectsCfgFile("6"),
                  std::filesystem::path("/x/config/ProgramData/Lockheed Martin/Prepar3D v6/simobjects.cfg"));
    }
    EnvOverride xdg("XDG_CONFIG_HOME", "");
    EnvOverride home("HOME", nullptr);
    EXPECT_EQ(programDataFolder(), std::nullopt);
    EXPECT_EQ(simAddOnsCfgFile("5"), std::nullopt);
    EXPECT_EQ(simObjectsCfgFile("5"), std::nullopt);
}

// A registry.xml in a temporary AppData folder.
class PosixRegistry : public ::testing::Test {
protected:
    void write(const std::string& xml) { test::writeFile(m_folder / "registry.xml", xml); }

    std::int32_t open(const std::u16string& subKey, RegKey& key, RegRoot root = RegRoot::localMachine) {
        return regOpenKey(root, subKey, true, key);
    }

    test::TempFolder m_folder;
    EnvOverride m_xdg{"XDG_CONFIG_HOME", m_folder.path().c_str()};
};

constexpr const char* sampleRegistry = R"(<?xml version="1.0"?>
<registry>
  <key root="HKLM" path="SOFTWARE\Lockheed Martin\Prepar3D v6">
    <value name="SetupPath" type="REG_SZ">D:\Prepar3D v6\Ü\</value>
    <value name="Port" type="REG_DWORD">500</value>
    <value name="Empty"></value>
  </key>
  <key root="HKEY_CURRENT_USER" path="Software\Other"/>
</registry>)";

TEST_F(PosixRegistry, OpensKeysAsWindowsDoes) {
    write(sampleRegistry);
    RegKey key;
    EXPECT_EQ(open(u"software\\LOCKHEED MARTIN\\Prepar3D v6\\", key), 0) << "case and end separators do not matter";
    EXPECT_NE(key.handle, 0u);
    regCloseKey(key);

    EXPECT_EQ(open(u"SOFTWARE\\Lockheed Martin", key), 0) << "a parent of a listed key exists";
    regCloseKey(key);
    EXPECT_EQ(open(u"SOFTWARE\\Lockheed", key), 2) << "a mere prefix of a name is no parent";
    EXPECT_EQ(open(u"SOFTWARE\\Lockheed Martin\\Prepar3D v5", key), 2);
    EXPECT_EQ(key.handle, 0u);
    EXPECT_EQ(open(u"Software\\Other", key), 2) << "HKCU keys are not under HKLM";
    EXPECT_EQ(open(u"Software\\Other", key, RegRoot::currentUser), 0);
    regCloseKey(key);
}

TEST_F(PosixRegistry, ReadsStringValuesWithTheirSizes) {
    write(sampleRegistry);
    RegKey key;
    ASSERT_EQ(open(u"SOFTWARE\\Lockheed Martin\\Prepar3D v6", key), 0);

    const std::u16string expected = u"D:\\Prepar3D v6\\\u00DC\\";
    std::uint32_t bytes = 0;
    ASSERT_EQ(regGetString(key, u"setuppath", nullptr, bytes), 0);
    EXPECT_EQ(bytes, (expected.size() + 1) * 2);

    std::u16string buffer(expected.size() + 1, u'x');
    std::uint32_t small = 4;
    EXPECT_EQ(regGetString(key, u"SetupPath", buffer.data(), small), 234);
    EXPECT_EQ(small, bytes);

    std::uint32_t room = static_cast<std::uint32_t>(buffer.size() * 2);
    ASSERT_EQ(regGetString(key, u"SetupPath", buffer.data(), room), 0);
    EXPECT_EQ(buffer, expected + u'\0');

    EXPECT_EQ(regGetString(key, u"Empty", nullptr, bytes), 0);
    EXPECT_EQ(bytes, 2u);
    EXPECT_EQ(regGetString(key, u"Port", nullptr, bytes), 1630);
    EXPECT_EQ(regGetString(key, u"Missing", nullptr, bytes), 2);

    regCloseKey(key);
    EXPECT_EQ(regGetString(key, u"SetupPath", nullptr, bytes), 6) << "a closed key is no longer valid";
}

TEST_F(PosixRegistry, MissingEmptyOrBrokenFilesHoldNoKeys) {
    RegKey key;
    EXPECT_EQ(open(u"SOFTWARE\\Lockheed Martin\\Prepar3D v6", key), 2) << "no file";
    write("");
    EXPECT_EQ(open(u"SOFTWARE\\Lockheed Martin\\Prepar3D v6", key), 2) << "empty file";
    write("<registry><key root=\"HKLM\" path=\"SOFTWARE\\Lockheed Martin\\Prepar3D v6\">");
    EXPECT_EQ(open(u"SOFTWARE\\Lockheed Martin\\Prepar3D v6", key), 1009) << "truncated file";
    write("<other/>");
    EXPECT_EQ(open(u"SOFTWARE", key), 1009) << "foreign root";
    EXPECT_EQ(key.handle, 0u);
    regCloseKey(key);  // closing a key that never opened does nothing
}

TEST(PosixRegistryWithoutAppData, HasNoKeys) {
    EnvOverride xdg("XDG_CONFIG_HOME", nullptr);
    EnvOverride home("HOME", nullptr);
    RegKey key;
    EXPECT_EQ(regOpenKey(RegRoot::localMachine, u"SOFTWARE", true, key), 2);
}

TEST(HeadlessControls, TextReadsBackAsTheWindowsCallGivesIt) {
    EXPECT_EQ(controlText(noControl), std::nullopt);
    const ControlHandle edit = createHeadlessControl();
    // A reader gets at most 1023 units, as from GetWindowTextW's 1024-unit buffer.
    const std::u16string longPath(2000, u'x');
    setControlText(edit, longPath);
    EXPECT_EQ(controlText(edit), longPath.substr(0, 1023));
    setControlText(edit, u"EHAM");
    EXPECT_EQ(controlText(edit), u"EHAM");
    destroyHeadlessControl(edit);
    EXPECT_EQ(controlText(edit), std::nullopt);
}

}  // namespace
}  // namespace zrb::platform

#endif  // !_WIN32
