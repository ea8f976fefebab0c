#include "shell/common/sim_version.h"

#include <cctype>
#include <string>

#include <fmt/format.h>

#include "config/parameters.h"
#include "foundation/user_error.h"

namespace zrb {

namespace {

constexpr int errorNoSimVersion = 77;

bool lf_isWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }

// 5 or 6 when the path component holds a version as gf_simVersionFromPath
// describes it.
int lf_versionWord(std::string_view text) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != 'v' && text[i] != 'V') continue;
        const char digit = text[i + 1];
        if (digit != '5' && digit != '6') continue;
        const bool endsWord = i + 2 == text.size() || !lf_isWordChar(text[i + 2]);
        const bool apart = i == 0 || !lf_isWordChar(text[i - 1]);
        const bool after3D = i >= 2 && text[i - 2] == '3' && (text[i - 1] == 'D' || text[i - 1] == 'd');
        if (endsWord && (apart || after3D)) return digit - '0';
    }
    return 0;
}

}  // namespace

int gf_simVersionFromPath(std::string_view path) {
    // Both separators: the path may come from Windows while we run elsewhere.
    std::size_t end = path.size();
    while (end > 0) {
        const std::size_t sep = path.find_last_of("/\\", end - 1);
        const std::size_t begin = sep == std::string_view::npos ? 0 : sep + 1;
        if (const int version = lf_versionWord(path.substr(begin, end - begin)); version != 0) return version;
        if (sep == std::string_view::npos) break;
        end = sep;
    }
    return 0;
}

std::string gf_getSimVersion() {
    const std::string path = SIM_INSTALL_PATH.value;
    if (path.size() >= 2) {
        if (const int version = gf_simVersionFromPath(path); version != 0) return std::to_string(version);
    }
    if (P3D_VERSION.value >= 5) return std::to_string(P3D_VERSION.value.load());
    throw UserErrorException(errorNoSimVersion,
                             fmt::format("P3D install path does not contain v5 or v6. Use hidden parameter {}, set it "
                                         "to 5 or 6.",
                                         P3D_VERSION.name));
}

}  // namespace zrb
