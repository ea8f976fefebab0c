#include "foundation/registry.h"

#include <fmt/format.h>

#include "foundation/log.h"
#include "foundation/utf16.h"

namespace zrb {

namespace winreg {

RegException::RegException(std::int32_t status, const std::string& message)
    : std::system_error(status, std::system_category(), message) {}

}  // namespace winreg

namespace {

constexpr const char16_t* setupPathValue = u"SetupPath";

std::u16string lf_installationKey(int version) {
    return gf_utf8ToUtf16(fmt::format("SOFTWARE\\Lockheed Martin\\Prepar3D v{}", version));
}

// Closes the key on every way out of the function that opened it.
class OpenKey {
public:
    OpenKey() = default;
    ~OpenKey() { lf_regKeyClose(key); }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    platform::RegKey key;
};

void lf_openInstallationKey(int version, OpenKey& open) {
    const std::int32_t status =
        platform::regOpenKey(platform::RegRoot::localMachine, lf_installationKey(version), true, open.key);
    if (status != 0) throw winreg::RegException(status, "RegOpenKeyExW failed.");
}

}  // namespace

void lf_regKeyClose(platform::RegKey key) {
    if (key.handle == 0) return;
    platform::regCloseKey(key);
}

std::u16string lf_regGetString(platform::RegKey key, const std::u16string& valueName) {
    std::uint32_t bytes = 0;
    std::int32_t status = platform::regGetString(key, valueName, nullptr, bytes);
    if (status != 0) throw winreg::RegException(status, "Cannot get size of string value: RegGetValueW failed.");
    // Room for the reported bytes, rounded up to whole code units, with a NUL of our own
    std::u16string text((bytes + 1) / sizeof(char16_t) + 1, u'\0');
    bytes = static_cast<std::uint32_t>((text.size() - 1) * sizeof(char16_t));
    status = platform::regGetString(key, valueName, text.data(), bytes);
    if (status != 0) throw winreg::RegException(status, "Cannot get string value: RegGetValueW failed.");
    // Cut at the first NUL: the terminator, or an embedded one the value held.
    text.resize(text.find(u'\0'));
    return text;
}

bool gf_isP3DInstalled(int version) {
    try {
        OpenKey open;
        lf_openInstallationKey(version, open);
        return true;
    } catch (const winreg::RegException& e) {
        // Not installed is the common case; anything else is worth a line.
        if (e.code().value() != static_cast<int>(platform::errorFileNotFound))
            gf_logLine("gf_isP3DInstalled: {}", e.what());
        return false;
    } catch (const std::exception& e) {
        gf_logLine("gf_isP3DInstalled: {}", e.what());
        return false;
    }
}

std::filesystem::path gf_getP3DSetupPath(int version) {
    OpenKey open;
    lf_openInstallationKey(version, open);
    const std::string utf8 = gf_utf16ToUtf8(lf_regGetString(open.key, setupPathValue));
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace zrb
