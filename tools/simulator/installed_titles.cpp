#include "simulator/installed_titles.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <system_error>

#include "foundation/text_file.h"
#include "liveries/aircraft_cfg_entries.h"

namespace zrb::standin {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t maxConfigFiles = 200'000;
constexpr std::size_t maxTitles = 1'000'000;
constexpr int maxDepth = 12;
constexpr std::uintmax_t maxConfigBytes = 16U * 1024U * 1024U;
// What lf_fltsimNumber gives for a line that only looks like a header.
constexpr std::string_view malformedHeader = "10000";

bool lf_isConfigName(const fs::path& path) {
    std::string name = path.filename().string();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name == "aircraft.cfg" || name == "sim.cfg";
}

void lf_titlesOfFile(const fs::path& path, std::vector<std::string>& titles) {
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec || size > maxConfigBytes) return;
    const TextCharset charset = gf_detectCharset(path);
    if (charset == TextCharset::noneFound) return;
    std::vector<std::string> lines;
    try {
        if (!gf_readTextFileInCharset(charset, path, lines)) return;
    } catch (const std::runtime_error&) {
        return;
    }
    bool inSection = false;
    bool titled = false;
    for (std::string& line : lines) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string number = lf_fltsimNumber(line);
        if (!number.empty()) {
            inSection = number != malformedHeader;
            titled = false;
            continue;
        }
        if (!line.empty() && line.find_first_not_of(" \t") != std::string::npos &&
            line[line.find_first_not_of(" \t")] == '[') {
            inSection = false;
            continue;
        }
        std::string title;
        if (inSection && !titled && lf_readTitle(line, title)) {
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
