#pragma once
// Log.txt: the program's one log, in the current directory.
//
// Every line is written whole under g_logMutex and flushed at once, so lines of
// different threads never interleave and the file is current after a crash.
// While the file is not open (before gf_openLog, after a failed open, after
// gf_closeLog) every write is dropped without error. Nothing may log while
// holding g_logMutex, and no other lock is taken under it. The file is bounded
// (g_logByteLimitDefault); lines that outside input can repeat go through
// log_repeats.h.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include <fmt/format.h>

namespace zrb {

// Keeps two older copies before a file is rewritten: Log.txt -> Log0.txt ->
// Log00.txt. Copies, never moves. Does nothing for a name without a '.'.
// Throws std::filesystem::filesystem_error when a copy fails.
void gf_rotateBackups(const std::filesystem::path& path);

// Rotates, truncates and opens Log.txt and writes the header line. Throws
// std::runtime_error "Failed to write file Log.txt" when it cannot be opened,
// and the file-system error when a backup cannot be copied; the log then stays
// closed and every later line is dropped.
void gf_openLog();

// Closes the log after the summaries of held-back repeated lines
// (log_repeats.h); later lines are dropped. The program calls it when it ends.
void gf_closeLog();

// Log.txt takes lines up to this size, then one line that says so and no more
// until it is opened again.
inline constexpr std::uintmax_t g_logByteLimitDefault = 32 * 1024 * 1024;
// A longer line is cut there and ends with the count of bytes left out; the
// line naming a path as long as Linux allows (4 KB) fits whole.
inline constexpr std::size_t g_logLineByteLimit = 16 * 1024;
// Tests make the limit small; gf_openLog keeps what was set.
void gf_setLogByteLimitForTest(std::uintmax_t bytes);

bool gf_logIsOpen();

void gf_logLine(std::string_view text);      // plain line
void gf_logMarked(std::string_view text);    // "===> " warning line
void gf_logIndented(std::string_view text);  // continuation line, 10 spaces

// "{}"-formatted variants of the three, for the common case.
template <typename... Args>
void gf_logLine(fmt::format_string<Args...> format, Args&&... args) {
    gf_logLine(std::string_view(fmt::format(format, std::forward<Args>(args)...)));
}
template <typename... Args>
void gf_logMarked(fmt::format_string<Args...> format, Args&&... args) {
    gf_logMarked(std::string_view(fmt::format(format, std::forward<Args>(args)...)));
}
template <typename... Args>
void gf_logIndented(fmt::format_string<Args...> format, Args&&... args) {
    gf_logIndented(std::string_view(fmt::format(format, std::forward<Args>(args)...)));
}

// A framing line of '*' for lists of logged values: width + extra rounded up to
// an even count of stars, with the text centred in them when it fits.
std::string gf_banner(int width, int extra, bool leadingNewline, bool trailingNewline,
                      std::string_view text = {});

}  // namespace zrb
