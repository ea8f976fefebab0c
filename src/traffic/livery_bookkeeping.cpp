#include "traffic/livery_bookkeeping.h"

#include <fmt/format.h>

#include <algorithm>

#include "config/parameters.h"
#include "foundation/ansi_text.h"
#include "foundation/log.h"
#include "foundation/user_error.h"
#include "shell/common/message_line.h"
#include "shell/common/run_control.h"
#include "traffic/traffic_lists.h"

namespace zrb {

std::unordered_map<std::uint32_t, std::string_view> g_rememberedLiveries;

std::string_view lf_rememberedLivery(std::uint32_t hexId) {
    const auto it = g_rememberedLiveries.find(hexId);
    if (it == g_rememberedLiveries.end()) return {};
    if (gf_isFailedTitle(it->second)) {
        g_rememberedLiveries.erase(it);
        return {};
    }
    return it->second;
}

void gf_rememberLivery(std::uint32_t hexId, std::string_view title) { g_rememberedLiveries[hexId] = title; }

void gf_clearRememberedLiveries() { g_rememberedLiveries.clear(); }

void gf_liveryCreationFailed(const AiAc& aircraft) {
    if (gf_stopUnderWay()) return;
    // The window shows UTF-8; the title is in its aircraft.cfg's bytes.
    gf_showMessage(fmt::format("{} '{}' could not be created by your Sim!", aircraft.callsign,
                               gf_legacyTextToUtf8(aircraft.title)),
                   true);
    g_failedKeys.insert(fmt::format("{} {}", aircraft.type, aircraft.airline));
    if (aircraft.title.empty() || gf_isFailedTitle(aircraft.title)) return;
    g_failedTitles.push_back(aircraft.title);
    if (g_failedTitles.size() < g_maxFailedTitles) return;
    const std::string text = "There are too many liveries that could not be created by P3D!";
    gf_logLine("\n{}Error {}, {}\n", "===> ", g_tooManyFailedLiveriesCode, text);
    throw UserErrorException(g_tooManyFailedLiveriesCode, fmt::format("{}, see Log.txt", text));
}

void gf_logNoMatches() {
    if (g_noMatchSet.empty() || !LOG.value) return;
    gf_logLine("\nNo match found for:");
    std::vector<std::string> keys(g_noMatchSet.begin(), g_noMatchSet.end());
    std::sort(keys.begin(), keys.end());
    for (const std::string& key : keys) gf_logLine(key);
    gf_logLine("");
}

}  // namespace zrb
