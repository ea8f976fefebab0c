#pragma once
// The add-on scenery folders the airport scan walks: from the simulator's own
// scenery lists (scenery.cfg, scenery_add-ons.xml) or from the settings
// afolder0..afolder9, and the tests that keep the simulator's stock scenery
// out of the scan.
//
// Folder texts are Windows path texts as the simulator and the user write
// them (backslashes, a drive letter); gf_pathFromWindowsText turns one into a
// path of the system the program runs on.
//
// Threads: the worker thread (the scan's entry); the tests of path texts are
// safe from any thread.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zrb {

// The text names a folder of the simulator's stock scenery: it holds one of
// the stock folder names (\World, \BASE, \0006 ...) as a whole path component,
// with exact case.
bool gf_isStockSceneryPath(std::string_view text);

// The path text lies in the folder (or is it): the folder's text, with exact
// case, followed by the end or a separator. Either separator counts on both sides.
bool gf_isInsideFolder(std::string_view text, std::string_view folder);

// The active areas of scenery.cfg: each Local folder that is not stock
// scenery, relative ones joined to the simulator's install folder, appended
// in file order. A file that cannot be read adds nothing (logged).
void gf_readSceneryCfg(const std::filesystem::path& file, std::string_view installFolder,
                       std::string_view stockFolder, std::vector<std::string>& folders);

// Every <Path> of scenery_add-ons.xml, appended unchanged in file order.
void gf_readSceneryAddOnsXml(const std::filesystem::path& file, std::vector<std::string>& folders);

// The settings afolder0..afolder9 that are not empty, in that order; replaces
// the list. Throws UserErrorException 42 for a setting inside the stock folder.
void gf_readAfolderParameters(std::string_view stockFolder, std::vector<std::string>& folders);

}  // namespace zrb
