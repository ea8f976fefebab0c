#include "liveries/livery_processing.h"

#include "foundation/log.h"
#include "liveries/dbase.h"
#include "liveries/liveries_scanned_file.h"
#include "liveries/livery_categories.h"
#include "liveries/livery_tables.h"
#include "liveries/regcode_merge.h"
#include "liveries/similar_types.h"
#include "shell/common/main_window_state.h"

namespace zrb {

namespace {

void lf_showLiveryCount(std::size_t count) {
    g_mainWindowState.liveries = count;
    gf_invalidateBand(g_statusBand);
}

// Before a rebuild: nothing of an earlier build may stay in any table.
void lf_emptyAllTables() {
    gf_emptyLiveryTables();
    gf_clearSimilarModels();
}

void lf_buildAirlineIndex(const std::vector<LiveryData>& liveries) {
    for (const LiveryData& livery : liveries) gf_indexLivery(livery.airl, livery.type, livery.title, livery.cargo);
}

std::vector<InlineRegcode> lf_inlineRegcodes(const std::vector<LiveryData>& liveries) {
    std::vector<InlineRegcode> codes;
    for (const LiveryData& livery : liveries)
        if (!livery.atcid.empty()) codes.push_back({livery.atcid, livery.title});
    return codes;
}

}  // namespace

void gf_buildLiveryTables(const std::vector<LiveryData>& liveries) {
    gf_reserveLiveryLists();
    lf_emptyAllTables();
    lf_showLiveryCount(liveries.size());
    lf_buildAirlineIndex(liveries);
    lf_buildAirlineModelIndex();
    lf_processInlineRegcodes(lf_inlineRegcodes(liveries));
    lf_processOfflineRegcodes();
    gf_logLine("{} registration codes", g_regcodeMap.size());
    lf_buildModelIndex();
    gf_logLine("{} airlines, {} pax aircraft models and {} cargo aircraft models", g_liveryIndex.size(),
               g_typeTitles[g_paxTable].size(), g_typeTitles[g_cargoTable].size());
    gf_buildSimilarModels();
    for (int category = 0; category < static_cast<int>(g_categoryCount); ++category) lf_reportCategory(category);
    g_liveriesProcessed = true;
    gf_invalidateBand(g_statusBand);
}

void gf_processScannedLiveries() {
    // A request made while this build runs stays for the next start-up.
    const bool rebuildRequested = gf_takeLiveryRebuildRequest();
    if (g_liveriesProcessed && !rebuildRequested) {
        gf_logLine("Processing scanned liveries skipped; already done in previous start-up");
        g_scannedLiveries.clear();
        return;
    }
    // A missing or unreadable result must not leave an earlier build behind.
    lf_emptyAllTables();
    lf_showLiveryCount(0);
    g_liveriesProcessed = false;
    std::vector<LiveryData> liveries = lf_readLiveriesScannedXml();
    gf_buildLiveryTables(liveries);
    g_scannedLiveries.clear();
}

}  // namespace zrb
