// Windows side of SimConnect.cfg: the known folders, the current directory and
// the profile-string calls.
#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "platform/simconnect_transport.h"

namespace zrb::platform {

namespace {

constexpr DWORD kCurrentDirectoryChars = 260;

// FOLDERID_PublicDocuments and FOLDERID_Documents.
constexpr GUID kPublicDocuments = {0xED4824AF, 0xDCE4, 0x45A8, {0x81, 0xE2, 0xFC, 0x79, 0x65, 0x08, 0x36, 0x34}};
constexpr GUID kDocuments = {0xFDD39AD0, 0x238F, 0x46AF, {0xAD, 0xB4, 0x6C, 0x85, 0x48, 0x03, 0x69, 0xC7}};

const wchar_t* lf_wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

}  // namespace

std::optional<std::filesystem::path> simConnectCfgFolder(CfgFolder folder) {
    if (folder == CfgFolder::current) {
        wchar_t buffer[kCurrentDirectoryChars] = {};
        const DWORD length = GetCurrentDirectoryW(kCurrentDirectoryChars, buffer);
        if (length == 0 || length >= kCurrentDirectoryChars) return std::nullopt;
        return std::filesystem::path(buffer);
    }
    PWSTR path = nullptr;
    const HRESULT hr = SHGetKnownFolderPath(folder == CfgFolder::publicDocuments ? kPublicDocuments : kDocuments, 0,
                                            nullptr, &path);
    std::optional<std::filesystem::path> result;
    if (SUCCEEDED(hr) && path != nullptr) result = std::filesystem::path(path);
    CoTaskMemFree(path);
    return result;
}

std::u16string iniGetString(const std::filesystem::path& file, const std::u16string& section,
                            const std::u16string& key, std::uint32_t bufferChars) {
    if (bufferChars == 0) return {};
    std::vector<wchar_t> buffer(bufferChars, L'\0');
    const DWORD length = GetPrivateProfileStringW(lf_wide(section), lf_wide(key), L"", buffer.data(), bufferChars,
                                                  file.c_str());
    return std::u16string(reinterpret_cast<const char16_t*>(buffer.data()), length);
}

bool iniSectionHasEntries(const std::filesystem::path& file, const std::u16string& section, std::uint32_t bufferChars) {
    if (bufferChars == 0) return false;
    std::vector<wchar_t> buffer(bufferChars, L'\0');
    return GetPrivateProfileSectionW(lf_wide(section), buffer.data(), bufferChars, file.c_str()) != 0;
}

}  // namespace zrb::platform
