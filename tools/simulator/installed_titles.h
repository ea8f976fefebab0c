#pragma once
// The titles of the liveries installed below SimObjects folders, as the
// simulator knows them: the title of every [fltsim.N] section of every
// aircraft.cfg (or sim.cfg). The stand-in refuses to create anything else.

#include <filesystem>
#include <string>
#include <vector>

namespace zrb::standin {

// The titles, sorted, each once. Folders that cannot be read are skipped, as
// the simulator skips them. Throws std::length_error beyond the bounds a
// stand-in keeps to (files, titles).
std::vector<std::string> gf_installedTitles(const std::vector<std::filesystem::path>& simObjectsFolders);

}  // namespace zrb::standin
