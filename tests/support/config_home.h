#pragma once
// Points the Linux stand-ins of the user's AppData and the machine's
// ProgramData folders (platform.h) at a test's folder for the fixture's
// lifetime, and restores the environment afterwards. On Windows the system's
// folders stay.

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace zrb::test {

class ConfigHomeOverride {
public:
    explicit ConfigHomeOverride(const std::filesystem::path& appData) {
#ifndef _WIN32
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) m_old = old;
        setenv("XDG_CONFIG_HOME", appData.c_str(), 1);
#else
        (void)appData;
#endif
    }
    ~ConfigHomeOverride() {
#ifndef _WIN32
        if (m_old)
            setenv("XDG_CONFIG_HOME", m_old->c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
#endif
    }
    ConfigHomeOverride(const ConfigHomeOverride&) = delete;
    ConfigHomeOverride& operator=(const ConfigHomeOverride&) = delete;

private:
    std::optional<std::string> m_old;
};

}  // namespace zrb::test
