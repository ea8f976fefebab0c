#pragma once
// The installed liveries of each aircraft category, reported once the livery
// tables are built: a log line per category, the installed types of the small
// categories kept for the matcher's last step, and the settings of categories
// without any livery switched off (and their boxes disabled), so that no
// aircraft of them is asked for.
//
// Worker thread, during the livery processing of a start-up.

#include <string>
#include <vector>

namespace zrb {

// One category 0..5: "Category {}: No livery found" or
// "Category {}: {} pax liverie{}{}"; fills its type list.
void lf_reportCategory(int category);

// Appends the types to g_lightTypes, g_buzjetTypes or g_rotorcraftTypes (the
// first flag set; none: only logged) and logs them, 20 to a line.
void lf_addCategoryTypes(bool light, bool buzjet, bool rotorcraft, const std::vector<std::string>& types);

}  // namespace zrb
