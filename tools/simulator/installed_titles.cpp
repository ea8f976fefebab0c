#include "simulator/installed_titles.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
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

// A UTF-16 text (after its mark) as UTF-8, through the C library's iconv
// rather than a converter of the program's: a unit that is no character is
// left out.
std::string lf_utf16ToUtf8(std::string_view units, bool little) {
    const iconv_t cd = iconv_open("UTF-8", little ? "UTF-16LE" : "UTF-16BE");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::system_error(errno, std::generic_category(), "iconv_open");
    std::string text(units.size() * 2, '\0');
    char* in = const_cast<char*>(units.data());
    std::size_t inLeft = units.size() & ~std::size_t{1};
    char* out = text.data();
    std::size_t outLeft = text.size();
    while (inLeft > 0 && iconv(cd, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1)) {
        if (errno != EILSEQ && errno != EINVAL) break;
        const std::size_t skip = std::min<std::size_t>(2, inLeft);
        in += skip;
        inLeft -= skip;
    }
    iconv_close(cd);
    text.resize(text.size() - outLeft);
    return text;
}

// The text of a file: a UTF-16 one (by its mark) as UTF-8, any other as its
// bytes, without a UTF-8 mark. The simulator holds an 8-bit file's titles in
// its bytes, whatever their code page.
std::string lf_fileText(const std::string& bytes) {
    const bool little = bytes.starts_with("\xFF\xFE");
    if (!little && !bytes.starts_with("\xFE\xFF")) return bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes;
    return lf_utf16ToUtf8(std::string_view(bytes).substr(2), little);
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
