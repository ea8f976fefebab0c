#include "simulator/installed_titles.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string_view>
#include <system_error>

namespace zrb::standin {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t maxConfigFiles = 200'000;
constexpr std::size_t maxTitles = 1'000'000;
constexpr int maxDepth = 12;
constexpr std::uintmax_t maxConfigBytes = 16U * 1024U * 1024U;
constexpr std::string_view blanks = " \t\r\n\v\f";

std::string lf_lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

bool lf_isConfigName(const fs::path& path) {
    const std::string name = lf_lower(path.filename().string());
    return name == "aircraft.cfg" || name == "sim.cfg";
}

std::string_view lf_trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// Code point to UTF-8, for the titles of UTF-16 files.
void lf_appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The text of a file: a UTF-16 one (by its mark) as UTF-8, any other as its
// bytes, without a UTF-8 mark. The simulator holds an 8-bit file's titles in
// its bytes, whatever their code page.
std::string lf_fileText(const std::string& bytes) {
    const bool little = bytes.starts_with("\xFF\xFE");
    if (!little && !bytes.starts_with("\xFE\xFF")) return bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes;
    std::string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const auto b0 = static_cast<unsigned char>(bytes[i]);
        const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
        char32_t unit = little ? (b1 << 8 | b0) : (b0 << 8 | b1);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
            const auto c0 = static_cast<unsigned char>(bytes[i + 2]);
            const auto c1 = static_cast<unsigned char>(bytes[i + 3]);
            const char32_t low = little ? (c1 << 8 | c0) : (c0 << 8 | c1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        lf_appendUtf8(text, unit);
    }
    return text;
}

// "[fltsim.12]" in any letter case: a livery section.
bool lf_isLiverySection(std::string_view header) {
    const std::string lower = lf_lower(header);
    constexpr std::string_view open = "[fltsim.";
    if (!lower.starts_with(open) || !lower.ends_with("]")) return false;
    const std::string_view digits = std::string_view(lower).substr(open.size(), lower.size() - open.size() - 1);
    return !digits.empty() && std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "title = value" with the key in any letter case; the value trimmed.
bool lf_titleOf(std::string_view line, std::string& title) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || lf_lower(lf_trim(line.substr(0, equals))) != "title") return false;
    const std::string_view value = lf_trim(line.substr(equals + 1));
    if (value.empty()) return false;
    title = std::string(value);
    return true;
}

void lf_titlesOfFile(const fs::path& path, std::vector<std::string>& titles) {
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec || size > maxConfigBytes) return;
    std::ifstream in(path, std::ios::binary);
    if (!in) return;
    const std::string text = lf_fileText(std::string(std::istreambuf_iterator<char>(in), {}));
    bool inSection = false;
    bool titled = false;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string_view line = lf_trim(std::string_view(text).substr(start, end - start));
        start = end + 1;
        if (line.starts_with("[")) {
            inSection = lf_isLiverySection(line);
            titled = false;
            continue;
        }
        std::string title;
        if (inSection && !titled && lf_titleOf(line, title)) {
            titled = true;
            titles.push_back(std::move(title));
            if (titles.size() > maxTitles) throw std::length_error("more installed titles than a stand-in keeps");
        }
    }
}

}  // namespace

std::vector<std::string> gf_installedTitles(const std::vector<fs::path>& simObjectsFolders) {
    std::vector<std::string> titles;
    std::size_t files = 0;
    for (const fs::path& folder : simObjectsFolders) {
        std::error_code ec;
        fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
        for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            if (it.depth() >= maxDepth) it.disable_recursion_pending();
            std::error_code typeError;
            if (!it->is_regular_file(typeError) || !lf_isConfigName(it->path())) continue;
            if (++files > maxConfigFiles) throw std::length_error("more aircraft.cfg files than a stand-in reads");
            lf_titlesOfFile(it->path(), titles);
        }
    }
    std::sort(titles.begin(), titles.end());
    titles.erase(std::unique(titles.begin(), titles.end()), titles.end());
    return titles;
}

}  // namespace zrb::standin
