#pragma once
// Paths as Windows writes them, on every system.
//
// The simulator's configuration files, add-on descriptions and aircraft.cfg
// entries hold path texts with backslashes ("SimObjects\Airplanes",
// "..\shared\b738"), and several rules of the scans match on such texts
// ("\IVAO_MTL\IVAO_"). Windows also finds a file whatever the letter case of
// its name. These helpers give the same results on the Linux build:
//   - gf_pathFromWindowsText turns a Windows path text into a path of this
//     system (backslashes become separators here too);
//   - gf_windowsPathText turns a path back into Windows text (backslashes), so
//     text rules see the same characters on both builds;
//   - gf_findPathNoCase finds an existing file or folder the way Windows
//     would, ignoring the letter case of each name.
//
// No state: safe from any thread.

#include <filesystem>
#include <string>
#include <string_view>

namespace zrb {

// UTF-8 text -> a path of this system, never in the ANSI code page that a
// plain std::string names on Windows. A text that is not well-formed UTF-8
// missed its conversion on the way in: it is taken as legacy text
// (gf_ansiToUtf8), and logged.
// Never throws for its text.
std::filesystem::path gf_pathFromUtf8(std::string_view text);

// UTF-8 text with '\' or '/' separators -> a path of this system (as
// gf_pathFromUtf8).
std::filesystem::path gf_pathFromWindowsText(std::string_view text);

// A path -> UTF-8 text with '\' separators ("/tmp/x" gives "\tmp\x" on Linux).
std::string gf_windowsPathText(const std::filesystem::path& path);

// base / relative, where each name of the relative part that does not exist
// as written is replaced by an entry of its folder that differs only in ASCII
// letter case (the first in listing order). "." and ".." are kept. Names that
// match nothing are kept as written, so the result then names a missing path.
// File-system errors while listing a folder count as "no match".
std::filesystem::path gf_findPathNoCase(const std::filesystem::path& base, const std::filesystem::path& relative);

}  // namespace zrb
