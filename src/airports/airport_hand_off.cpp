#include "airports/airport_hand_off.h"

#include <filesystem>
#include <system_error>

#include <fmt/format.h>

#include "airports/addon_airport_scan.h"
#include "airports/park_airport_file.h"
#include "build_config.h"
#include "config/paths.h"
#include "foundation/folders.h"
#include "foundation/log.h"
#include "foundation/text_file.h"
#include "platform/platform.h"
#include "shell/common/main_window_state.h"

namespace zrb {

void gf_handOffForLearning(HandOffFolder which, const std::vector<std::string>& icaos) {
    if (icaos.empty()) return;
    const bool orbx = which == HandOffFolder::orbx;
    const std::filesystem::path& folder = orbx ? g_myOrbxFolder : g_myThirdpartyFolder;
    std::size_t settled = 0;  // copied, or needing no learning
    for (const std::string& icao : icaos) {
        if (!gf_downloadAirportForLearning(icao)) {
            ++settled;
            continue;
        }
        const std::filesystem::path source = folder / (icao + ".xml");
        const std::filesystem::path destination = g_tbloFolder / (icao + ".xml");
        std::error_code ec;
        platform::copyFileReplacing(source, destination, ec);
        if (ec) {
            if (orbx)
                gf_logMarked("failed to copy {}", gf_pathText(source));
            else
                gf_logMarked("'{}' failed to copy '{}'", gf_pathText(source), gf_pathText(destination));
            continue;
        }
        gf_logLine("{} copied to {}", icao, gf_pathText(destination));
        ++settled;
        std::filesystem::remove(folder / (icao + ".txt"), ec);
    }
    if (orbx) {
        g_mainWindowState.airportsComplete = settled == icaos.size();
        gf_invalidateBand(g_statusBand);
    }
    const std::size_t waiting = gf_countFolderEntries(g_tbloFolder);
    g_tbloCount = waiting;
    if (waiting == 0) {
        gf_logLine(orbx ? "All your ORBX airports are done, no off line learning needed."
                        : "All your third party airports are done, no off line learning needed.");
        if (!orbx) {
            std::error_code ec;
            std::filesystem::remove(g_tbloFolder, ec);
        }
    } else {
        gf_logLine("");
        std::error_code ec;
        const std::filesystem::path tblo = std::filesystem::absolute(g_tbloFolder, ec);
        gf_logMarked("zip folder '{}', and mail to \"{}\"", gf_pathText(ec ? g_tbloFolder : tblo),
                     build::airportContact);
    }
    gf_invalidateBand(g_statusBand);
}

}  // namespace zrb
