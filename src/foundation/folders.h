#pragma once
// Folder helpers the scans and the status display share. Paths are relative to
// the current directory unless absolute.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace zrb {

// Removes every sub-folder of the folder with all its contents; the files lying
// directly in the folder stay (the airport scan relies on keeping the parking
// files users put into airports/my_thirdparty). A missing folder, or a path that
// is not a folder, is left alone. A file-system error is raised as
// UserErrorException code 5 with the error's text.
void gf_clearSubfolders(const std::filesystem::path& folder);

// Entries (files and folders, not recursive) of the folder; 0 when it does not
// exist. Other file-system errors pass as std::filesystem::filesystem_error.
std::size_t gf_countFolderEntries(const std::filesystem::path& folder);

// The airport codes of the folder's airport files: for every regular file (not
// recursive) whose extension, upper-cased, is ".XML" and whose name without it
// has exactly 4 characters, that name (UTF-8), in directory order. Empty when
// the folder does not exist; other file-system errors pass as
// std::filesystem::filesystem_error.
std::vector<std::string> gf_findXmlFiles(const std::filesystem::path& folder);

}  // namespace zrb
