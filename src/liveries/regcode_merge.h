#pragma once
// Filling g_regcodeMap and g_specialTitles (livery_tables.h) from the three
// sources of registration codes, in this order, a later one overriding an
// earlier one for the same registration:
//   1. the ATC ids of the scanned liveries (the first mapping of an id stays;
//      clashes go to output/errors/InlineRegcodes.txt);
//   2. the shipped file input/AIG-regcodes.enc;
//   3. the user's files in input/my_regcodes.
// What the file sources changed is reported in output/info/OfflineRegcodes.txt.
//
// Worker thread, during the livery processing of a start-up, after the livery
// index is built (titles are found in it) and before anything reads the tables.

#include <string>
#include <string_view>
#include <vector>

#include "liveries/regcode_files.h"

namespace zrb {

// One installed livery's ATC id and title, as the in-line codes read them.
struct InlineRegcode {
    std::string_view atcid;
    std::string_view title;
};

// The lines of the offline merge report, from the start of the offline
// processing until they are written.
extern std::vector<std::string> g_regcodeReport;

// Maps each entry's registrations to its installed title (entries whose title
// is not installed are ignored), reserves its title when it is special, and
// appends what changed to g_regcodeReport.
void lf_mergeRegcodes(const RegcodeEntries& entries);

// The ATC ids of the scanned liveries, in their order.
void lf_processInlineRegcodes(const std::vector<InlineRegcode>& liveries);

// The shipped file, then the user's folder, then the report.
void lf_processOfflineRegcodes();

}  // namespace zrb
