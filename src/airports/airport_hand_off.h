#pragma once
// The hand-off of generated add-on airports for offline learning: an airport
// whose archived stock file still needs learning is copied into the folder
// TBLO, which the user zips and mails to the data maintainers.
//
// Threads: the worker thread, at the end of the add-on airport scan.

#include <string>
#include <vector>

namespace zrb {

enum class HandOffFolder { orbx, thirdparty };

// For each ICAO code of the folder's airport files, in order: asks the
// download archive whether the airport needs learning and, when it does,
// copies <folder>/<ICAO>.xml into TBLO and deletes the airport's link file.
// Then counts TBLO (g_tbloCount) and tells the user what to do with it. For
// my_ORBX it also sets the window's airports-complete flag. An empty list
// does nothing.
void gf_handOffForLearning(HandOffFolder folder, const std::vector<std::string>& icaos);

}  // namespace zrb
