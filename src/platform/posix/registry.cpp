// The registry on Linux: "registry.xml" in the AppData folder (format in
// platform.h). Tests and the demo set-up write it; the program only reads it.
#include <pugixml.hpp>

#include <map>
#include <mutex>
#include <string>

#include "platform/platform.h"

namespace zrb::platform {

namespace {

constexpr const char* registryFileName = "registry.xml";

struct RegValue {
    std::string type;      // "REG_SZ", "REG_DWORD", ...
    std::u16string data;   // the text, without a terminating NUL
};

// Value names in ASCII lower case -> value.
using RegValues = std::map<std::string, RegValue>;

// Owns g_openKeys and g_nextHandle.
std::mutex g_registryMutex;
std::map<std::uintptr_t, RegValues> g_openKeys;
std::uintptr_t g_nextHandle = 1;

std::string lf_lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// "SOFTWARE\\x\\" and "\\software\\X" compare equal: lower case, no separators at the ends.
std::string lf_normalKeyPath(std::string path) {
    path = lf_lower(std::move(path));
    const auto first = path.find_first_not_of('\\');
    if (first == std::string::npos) return {};
    const auto last = path.find_last_not_of('\\');
    return path.substr(first, last - first + 1);
}

bool lf_rootMatches(std::string_view text, RegRoot root) {
    const std::string name = lf_lower(std::string(text));
    if (root == RegRoot::localMachine) return name == "hklm" || name == "hkey_local_machine";
    return name == "hkcu" || name == "hkey_current_user";
}

bool lf_toUtf8(const std::u16string& text, std::string& out) {
    out.clear();
    if (text.empty()) return true;
    std::uint32_t error = 0;
    const int length = utf16ToUtf8(text.data(), static_cast<int>(text.size()), nullptr, 0, error);
    if (length == 0) return false;
    out.resize(static_cast<std::size_t>(length));
    return utf16ToUtf8(text.data(), static_cast<int>(text.size()), out.data(), length, error) == length;
}

bool lf_toUtf16(std::string_view text, std::u16string& out) {
    out.clear();
    if (text.empty()) return true;
    std::uint32_t error = 0;
    const int length = utf8ToUtf16(text.data(), static_cast<int>(text.size()), nullptr, 0, error);
    if (length == 0) return false;
    out.resize(static_cast<std::size_t>(length));
    return utf8ToUtf16(text.data(), static_cast<int>(text.size()), out.data(), length, error) == length;
}

// Reads the key from registry.xml into `values`; returns an LSTATUS.
std::int32_t lf_loadKey(RegRoot root, const std::string& wanted, RegValues& values) {
    const auto folder = appDataFolder();
    if (!folder) return static_cast<std::int32_t>(errorFileNotFound);
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed = doc.load_file((*folder / registryFileName).c_str());
    if (parsed.status == pugi::status_file_not_found || parsed.status == pugi::status_no_document_element)
        return static_cast<std::int32_t>(errorFileNotFound);
    if (!parsed) return static_cast<std::int32_t>(errorBadDatabase);
    const pugi::xml_node registry = doc.child("registry");
    if (!registry) return static_cast<std::int32_t>(errorBadDatabase);

    bool found = wanted.empty();  // the root itself always exists
    for (const pugi::xml_node key : registry.children("key")) {
        if (!lf_rootMatches(key.attribute("root").as_string(), root)) continue;
        const std::string path = lf_normalKeyPath(key.attribute("path").as_string());
        if (path == wanted) {
            found = true;
            for (const pugi::xml_node value : key.children("value")) {
                RegValue entry;
                entry.type = value.attribute("type").as_string("REG_SZ");
                if (!lf_toUtf16(value.text().as_string(), entry.data)) return static_cast<std::int32_t>(errorBadDatabase);
                // The first of two equal names wins, as a reader of the file would expect.
                values.emplace(lf_lower(value.attribute("name").as_string()), std::move(entry));
            }
        } else if (path.starts_with(wanted + "\\")) {
            found = true;  // a parent of a listed key exists too
        }
    }
    return static_cast<std::int32_t>(found ? errorSuccess : errorFileNotFound);
}

}  // namespace

std::int32_t regOpenKey(RegRoot root, const std::u16string& subKey, bool /*view64*/, RegKey& key) {
    key.handle = 0;
    std::string path;
    if (!lf_toUtf8(subKey, path)) return static_cast<std::int32_t>(errorFileNotFound);
    RegValues values;
    const std::int32_t status = lf_loadKey(root, lf_normalKeyPath(path), values);
    if (status != 0) return status;
    std::lock_guard lock(g_registryMutex);
    key.handle = g_nextHandle++;
    g_openKeys.emplace(key.handle, std::move(values));
    return 0;
}

std::int32_t regGetString(RegKey key, const std::u16string& valueName, char16_t* buffer, std::uint32_t& bytes) {
    std::string name;
    if (!lf_toUtf8(valueName, name)) return static_cast<std::int32_t>(errorFileNotFound);
    std::lock_guard lock(g_registryMutex);
    const auto open = g_openKeys.find(key.handle);
    if (open == g_openKeys.end()) return static_cast<std::int32_t>(errorInvalidHandle);
    const auto value = open->second.find(lf_lower(name));
    if (value == open->second.end()) return static_cast<std::int32_t>(errorFileNotFound);
    if (value->second.type != "REG_SZ") return static_cast<std::int32_t>(errorUnsupportedType);

    const std::u16string& data = value->second.data;
    const auto needed = static_cast<std::uint32_t>((data.size() + 1) * sizeof(char16_t));
    if (buffer == nullptr) {
        bytes = needed;
        return 0;
    }
    if (bytes < needed) {
        bytes = needed;
        return static_cast<std::int32_t>(errorMoreData);
    }
    data.copy(buffer, data.size());
    buffer[data.size()] = u'\0';
    bytes = needed;
    return 0;
}

void regCloseKey(RegKey key) {
    std::lock_guard lock(g_registryMutex);
    g_openKeys.erase(key.handle);
}

}  // namespace zrb::platform
