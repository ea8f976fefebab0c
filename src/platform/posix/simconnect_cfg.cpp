// Linux side of SimConnect.cfg: where the file is looked for and a small INI
// reader with the rules of GetPrivateProfileStringW that SimConnect.cfg needs
// (Debian packages no INI library for this).
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "platform/platform.h"
#include "platform/simconnect_transport.h"

namespace zrb::platform {

namespace {

// An INI file larger than this is not a SimConnect.cfg; read none of it.
constexpr std::uintmax_t kMaxIniBytes = 1024 * 1024;

char16_t lf_asciiLower(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool lf_equalNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lf_asciiLower(a[i]) != lf_asciiLower(b[i])) return false;
    return true;
}

std::u16string_view lf_trim(std::u16string_view s) {
    const auto isSpace = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0xFEFF; };
    while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
    return s;
}

// The whole file as UTF-16: UTF-16LE with its byte-order mark, else UTF-8
// (a mark is skipped); bytes that are not UTF-8 are taken as Latin-1.
std::u16string lf_readAsUtf16(const std::filesystem::path& file) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    if (ec || size > kMaxIniBytes) return {};
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::u16string text;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
            text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                 (static_cast<unsigned char>(bytes[i + 1]) << 8)));
        return text;
    }
    std::string_view utf8(bytes);
    if (utf8.size() >= 3 && utf8.substr(0, 3) == "\xEF\xBB\xBF") utf8.remove_prefix(3);
    if (utf8.empty()) return {};
    std::uint32_t error = 0;
    const int length = utf8ToUtf16(utf8.data(), static_cast<int>(utf8.size()), nullptr, 0, error);
    if (length > 0) {
        text.resize(static_cast<std::size_t>(length));
        utf8ToUtf16(utf8.data(), static_cast<int>(utf8.size()), text.data(), length, error);
        return text;
    }
    for (const char c : utf8) text.push_back(static_cast<unsigned char>(c));
    return text;
}

std::vector<std::u16string_view> lf_lines(std::u16string_view text) {
    std::vector<std::u16string_view> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto end = text.find_first_of(u"\r\n", start);
        if (end == std::u16string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The entry lines of the first section with that name (blank lines and
// comments left out); nothing when the section is missing.
std::vector<std::u16string_view> lf_sectionEntries(std::u16string_view text, std::u16string_view section) {
    std::vector<std::u16string_view> entries;
    bool inSection = false;
    bool found = false;
    for (const auto raw : lf_lines(text)) {
        const auto line = lf_trim(raw);
        if (line.empty() || line.front() == u';') continue;
        if (line.front() == u'[') {
            if (found) break;  // only the first matching section counts
            const auto close = line.find(u']');
            const auto name = lf_trim(line.substr(1, close == std::u16string_view::npos ? line.npos : close - 1));
            inSection = lf_equalNoCase(name, section);
            found = inSection;
            continue;
        }
        if (inSection) entries.push_back(line);
    }
    return entries;
}

}  // namespace

std::optional<std::filesystem::path> simConnectCfgFolder(CfgFolder folder) {
    if (folder == CfgFolder::current) {
        std::error_code ec;
        auto path = std::filesystem::current_path(ec);
        if (ec) return std::nullopt;
        return path;
    }
    auto appData = appDataFolder();
    if (!appData) return std::nullopt;
    return *appData / (folder == CfgFolder::publicDocuments ? "Public Documents" : "Documents");
}

std::u16string iniGetString(const std::filesystem::path& file, const std::u16string& section,
                            const std::u16string& key, std::uint32_t bufferChars) {
    if (bufferChars == 0) return {};
    const std::u16string text = lf_readAsUtf16(file);
    for (const auto entry : lf_sectionEntries(text, section)) {
        const auto equals = entry.find(u'=');
        if (equals == std::u16string_view::npos) continue;
        if (!lf_equalNoCase(lf_trim(entry.substr(0, equals)), key)) continue;
        auto value = lf_trim(entry.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return std::u16string(value.substr(0, bufferChars - 1));
    }
    return {};
}

bool iniSectionHasEntries(const std::filesystem::path& file, const std::u16string& section, std::uint32_t bufferChars) {
    if (bufferChars < 2) return false;
    return !lf_sectionEntries(lf_readAsUtf16(file), section).empty();
}

}  // namespace zrb::platform
