#include "shell/sim_detection.h"

#include <cctype>
#include <filesystem>

#include "config/parameter_controls.h"
#include "config/parameter_store.h"
#include "config/parameters.h"
#include "foundation/log.h"
#include "foundation/user_error.h"
#include "shell/common/message_line.h"
#include "shell/common/run_state.h"
#include "shell/run_services.h"
#include "shell/window_text.h"

namespace zrb {

namespace {

constexpr int errorMoreThanOneSim = 153;
constexpr int errorNoSimPath = 151;
constexpr int errorNoSimVersion = 77;
constexpr const char* noSimPathText = "No P3D install path detected, type full Install Path above, and press Enter";

bool lf_anyFolderSet() {
    for (const auto* folder : g_lfolders)
        if (!folder->value.empty()) return true;
    for (const auto* folder : g_afolders)
        if (!folder->value.empty()) return true;
    return false;
}

bool lf_isWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }

// 5 or 6 when the text holds "v5"/"V5" or "v6"/"V6" not joined to a letter or
// digit on either side ("Prepar3D v5", "V6"; not "dev5", "v51").
int lf_versionWord(std::string_view text) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != 'v' && text[i] != 'V') continue;
        const char digit = text[i + 1];
        if (digit != '5' && digit != '6') continue;
        const bool startsWord = i == 0 || !lf_isWordChar(text[i - 1]);
        const bool endsWord = i + 2 == text.size() || !lf_isWordChar(text[i + 2]);
        if (startsWord && endsWord) return digit - '0';
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

void lf_detectSim() {
    if (!SIM_INSTALL_PATH.value.empty()) return;
    auto& services = gf_runServices();
    const bool v5 = services.simInstalled(5);
    const bool v6 = services.simInstalled(6);
    if (v5 && v6)
        throw UserErrorException(errorMoreThanOneSim, "More than one P3D version detected, type full Install Path to "
                                                      "wanted version above and press Enter");
    if (!v5 && !v6) {
        gf_showMessage("P3D not detected?", true);
        if (lf_anyFolderSet()) return;
        gf_clearControlText(ALL_INSTALL_PATH);
        throw UserErrorException(errorNoSimPath, noSimPathText);
    }
    const int version = v5 ? 5 : 6;
    gf_logLine("P3Dv{} detected", version);
    const std::filesystem::path setupPath = services.simSetupPath(version);
    if (setupPath.empty()) {
        gf_clearControlText(ALL_INSTALL_PATH);
        throw UserErrorException(errorNoSimPath, noSimPathText);
    }
    gf_setStringParameter(SIM_INSTALL_PATH, setupPath.string());
    ALL_INSTALL_PATH.value = SIM_INSTALL_PATH.value.get();
    gf_showTextParameter(ALL_INSTALL_PATH);
}

void lf_setStockAirportsPath() {
    const std::filesystem::path stock = std::filesystem::path(SIM_INSTALL_PATH.value.get()) / "Scenery";
    gf_setStockAirportsPath(stock);
    std::error_code ec;
    if (!std::filesystem::exists(stock, ec))
        gf_showMessage(fmt::format("Stock airports path does not exist: {}", stock.string()), true);
}

}  // namespace zrb
