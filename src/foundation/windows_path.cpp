#include "foundation/windows_path.h"

#include <algorithm>
#include <optional>
#include <system_error>

#include "foundation/ansi_text.h"
#include "foundation/log.h"
#include "foundation/strings.h"
#include "foundation/text_file.h"

namespace zrb {

namespace fs = std::filesystem;

namespace {

constexpr char windowsSeparator = '\\';
constexpr char genericSeparator = '/';

constexpr std::size_t maxLoggedChars = 260;

fs::path lf_pathFromUtf8(std::string_view text) { return fs::path(std::u8string(text.begin(), text.end())); }

// The entry of the folder whose name equals the name but for ASCII letter case.
std::optional<fs::path> lf_entryNoCase(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    for (const fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
        const fs::path entryName = it->path().filename();
        if (gf_equalsNoCase(gf_pathText(entryName), name)) return entryName;
    }
    return std::nullopt;
}

}  // namespace

fs::path gf_pathFromUtf8(std::string_view text) {
    // The library refuses what is not UTF-8 with an exception, which would end
    // a whole scan for one name.
    if (gf_isWellFormedUtf8(text)) return lf_pathFromUtf8(text);
    const std::string converted = gf_ansiToUtf8(text);
    gf_logMarked("path '{}' was no UTF-8 text, read in the legacy code page",
                 gf_firstUtf8Chars(converted, maxLoggedChars));
    return lf_pathFromUtf8(converted);
}

fs::path gf_pathFromWindowsText(std::string_view text) {
    std::string converted(text);
    // Windows takes both separators itself; elsewhere a backslash is an
    // ordinary character of a name and must become the separator.
    if (fs::path::preferred_separator == genericSeparator)
        std::replace(converted.begin(), converted.end(), windowsSeparator, genericSeparator);
    return gf_pathFromUtf8(converted);
}

std::string gf_windowsPathText(const fs::path& path) {
    std::string text = gf_pathText(path);
    std::replace(text.begin(), text.end(), genericSeparator, windowsSeparator);
    return text;
}

fs::path gf_findPathNoCase(const fs::path& base, const fs::path& relative) {
    fs::path result = base;
    bool searching = true;  // once a name matches nothing, the rest cannot exist either
    for (const fs::path& part : relative) {
        if (part.empty()) continue;  // a trailing separator
        std::error_code ec;
        const fs::path direct = result / part;
        if (!searching || part == "." || part == ".." || fs::exists(fs::symlink_status(direct, ec))) {
            result = direct;
            continue;
        }
        if (auto entry = lf_entryNoCase(result, gf_pathText(part))) {
            result /= *entry;
        } else {
            result = direct;
            searching = false;
        }
    }
    return result;
}

}  // namespace zrb
