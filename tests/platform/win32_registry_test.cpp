// The registry calls on the real registry: a key that the test writes under
// HKEY_CURRENT_USER, read back through the platform calls and the foundation's
// wrappers.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include <fmt/format.h>

#include "foundation/registry.h"
#include "foundation/utf16.h"
#include "platform/platform.h"

namespace {

namespace platform = zrb::platform;

// "C:\Prepar3D v5 Größe ✈ 🛫\" with a character outside the BMP (a surrogate pair).
const std::u16string setupPath = u"C:\\Prepar3D v5 Gr\u00f6\u00dfe \u2708 \U0001F6EB\\";
const std::string setupPathUtf8 = "C:\\Prepar3D v5 Gr\xc3\xb6\xc3\x9f" "e \xe2\x9c\x88 \xf0\x9f\x9b\xab\\";

const wchar_t* lf_wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

// A key of its own under HKCU\Software, removed again with everything in it.
class TestKey {
public:
    TestKey() : m_path(u"Software\\TolvarenTest\\" + zrb::gf_utf8ToUtf16(std::to_string(GetCurrentProcessId()))) {
        RegCreateKeyExW(HKEY_CURRENT_USER, lf_wide(m_path), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key, nullptr);
    }
    ~TestKey() {
        if (m_key != nullptr) RegCloseKey(m_key);
        RegDeleteTreeW(HKEY_CURRENT_USER, lf_wide(m_path));
        // Only when empty: tests in other processes may still have their keys there.
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\TolvarenTest");
    }
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;

    bool isOpen() const { return m_key != nullptr; }
    const std::u16string& path() const { return m_path; }

    // Stores the code units as they are: the caller decides about the terminator.
    void setRaw(const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
        ASSERT_EQ(RegSetValueExW(m_key, name, 0, type, static_cast<const BYTE*>(data), bytes), ERROR_SUCCESS);
    }
    void setString(const wchar_t* name, const std::u16string& text) {
        setRaw(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(char16_t)));
    }

private:
    std::u16string m_path;
    HKEY m_key = nullptr;
};

TEST(Win32Registry, ReadsStringValuesTheTestWrote) {
    TestKey written;
    ASSERT_TRUE(written.isOpen());
    written.setString(L"SetupPath", setupPath);
    written.setString(L"Empty", u"");
    // Stored without its terminating NUL, as some installers write it.
    const std::u16string unterminated = u"D:\\P3D";
    written.setRaw(L"Unterminated", REG_SZ, unterminated.data(),
                   static_cast<DWORD>(unterminated.size() * sizeof(char16_t)));

    platform::RegKey key;
    ASSERT_EQ(platform::regOpenKey(platform::RegRoot::currentUser, written.path(), true, key), 0);
    ASSERT_NE(key.handle, 0u);

    // The size query counts the terminating NUL.
    std::uint32_t bytes = 0;
    EXPECT_EQ(platform::regGetString(key, u"SetupPath", nullptr, bytes), 0);
    EXPECT_EQ(bytes, (setupPath.size() + 1) * sizeof(char16_t));
    // A buffer one code unit short reports "more data".
    std::u16string small(setupPath.size(), u'\0');
    bytes = static_cast<std::uint32_t>(small.size() * sizeof(char16_t));
    EXPECT_EQ(platform::regGetString(key, u"SetupPath", small.data(), bytes),
              static_cast<std::int32_t>(platform::errorMoreData));

    EXPECT_EQ(zrb::lf_regGetString(key, u"SetupPath"), setupPath);
    EXPECT_EQ(zrb::gf_utf16ToUtf8(zrb::lf_regGetString(key, u"SetupPath")), setupPathUtf8);
    EXPECT_EQ(zrb::lf_regGetString(key, u"Empty"), u"");
    EXPECT_EQ(zrb::lf_regGetString(key, u"Unterminated"), unterminated);
    zrb::lf_regKeyClose(key);
}

TEST(Win32Registry, MissingKeysValuesAndOtherTypesAreErrors) {
    TestKey written;
    ASSERT_TRUE(written.isOpen());
    const DWORD number = 5;
    written.setRaw(L"Number", REG_DWORD, &number, sizeof number);

    platform::RegKey key;
    EXPECT_EQ(platform::regOpenKey(platform::RegRoot::currentUser, written.path() + u"\\Missing", true, key),
              static_cast<std::int32_t>(platform::errorFileNotFound));
    EXPECT_EQ(key.handle, 0u);
    zrb::lf_regKeyClose(key);  // a key that is not open is left alone

    ASSERT_EQ(platform::regOpenKey(platform::RegRoot::currentUser, written.path(), false, key), 0);
    std::uint32_t bytes = 0;
    EXPECT_EQ(platform::regGetString(key, u"Number", nullptr, bytes),
              static_cast<std::int32_t>(platform::errorUnsupportedType));
    try {
        zrb::lf_regGetString(key, u"NoSuchValue");
        ADD_FAILURE() << "a missing value was read";
    } catch (const zrb::winreg::RegException& e) {
        EXPECT_EQ(e.code().value(), static_cast<int>(platform::errorFileNotFound));
        EXPECT_EQ(std::string(e.what()).rfind("Cannot get size of string value: RegGetValueW failed.", 0), 0u)
            << e.what();
    }
    zrb::lf_regKeyClose(key);
}

TEST(Win32Registry, NoSimulatorInstalledIsFalseAndTheSetupPathThrows) {
    // A fresh Wine prefix (or a test machine) has neither simulator.
    for (const int version : {5, 6}) {
        platform::RegKey key;
        const std::u16string subKey = zrb::gf_utf8ToUtf16(fmt::format("SOFTWARE\\Lockheed Martin\\Prepar3D v{}", version));
        if (platform::regOpenKey(platform::RegRoot::localMachine, subKey, true, key) == 0) {
            zrb::lf_regKeyClose(key);
            GTEST_SKIP() << "Prepar3D v" << version << " is installed here";
        }
        EXPECT_FALSE(zrb::gf_isP3DInstalled(version));
        try {
            zrb::gf_getP3DSetupPath(version);
            ADD_FAILURE() << "a setup path of a missing installation";
        } catch (const zrb::winreg::RegException& e) {
            EXPECT_EQ(e.code().value(), static_cast<int>(platform::errorFileNotFound));
            EXPECT_EQ(std::string(e.what()).rfind("RegOpenKeyExW failed.", 0), 0u) << e.what();
        }
    }
}

}  // namespace
