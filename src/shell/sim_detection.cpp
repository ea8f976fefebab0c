#include "shell/sim_detection.h"

#include <filesystem>

#include "config/parameter_controls.h"
#include "config/parameter_store.h"
#include "config/parameters.h"
#include "foundation/log.h"
#include "foundation/text_file.h"
#include "foundation/user_error.h"
#include "foundation/windows_path.h"
#include "shell/common/message_line.h"
#include "shell/common/run_state.h"
#include "shell/run_services.h"
#include "shell/window_text.h"

namespace zrb {

namespace {

constexpr int errorMoreThanOneSim = 153;
constexpr int errorNoSimPath = 151;
constexpr const char* noSimPathText = "No P3D install path detected, type full Install Path above, and press Enter";

bool lf_anyFolderSet() {
    for (const auto* folder : g_lfolders)
        if (!folder->value.empty()) return true;
    for (const auto* folder : g_afolders)
        if (!folder->value.empty()) return true;
    return false;
}

}  // namespace

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
    gf_setStringParameter(SIM_INSTALL_PATH, gf_pathText(setupPath));
    ALL_INSTALL_PATH.value = SIM_INSTALL_PATH.value.get();
    gf_showTextParameter(ALL_INSTALL_PATH);
}

void lf_setStockAirportsPath() {
    // The setting is UTF-8: a plain std::string would be read in the ANSI code page on Windows.
    const std::filesystem::path stock = gf_pathFromWindowsText(SIM_INSTALL_PATH.value.get()) / "Scenery";
    gf_setStockAirportsPath(stock);
    std::error_code ec;
    if (!std::filesystem::exists(stock, ec))
        gf_showMessage(fmt::format("Stock airports path does not exist: {}", gf_pathText(stock)), true);
}

}  // namespace zrb
