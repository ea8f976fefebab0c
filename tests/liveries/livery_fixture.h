#pragma once
// Test helper: livery tables built from a handful of installed liveries, as the
// livery processing builds them from the scan result, without the file.

#include <string>
#include <vector>

#include "liveries/livery_tables.h"
#include "liveries/similar_types.h"
#include "traffic/failed_titles.h"

namespace zrb::test {

struct FixtureLivery {
    std::string airline;
    std::string type;
    std::string title;
    bool cargo = false;
};

inline void resetLiveryTables() {
    gf_emptyLiveryTables();
    gf_clearSimilarModels();
    g_failedTitles.clear();
}

// Empties every table, then indexes the liveries in their order and derives the
// title tables and the similar-type maps (from the database's groups as they
// stand).
inline void buildLiveryTables(const std::vector<FixtureLivery>& liveries) {
    resetLiveryTables();
    for (const FixtureLivery& livery : liveries) gf_indexLivery(livery.airline, livery.type, livery.title, livery.cargo);
    lf_buildAirlineModelIndex();
    lf_buildModelIndex();
    gf_buildSimilarModels();
}

}  // namespace zrb::test
