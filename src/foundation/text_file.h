#pragma once
// Reading text files that other software wrote, in whatever character set, into
// UTF-8 lines; and the small plain-text readers and writers the program shares.
//
// Line ends: the narrow readers (ANSI and UTF-8 files, gf_readLines,
// gf_readTextFile) drop the CR of a CR LF pair, as the Windows text mode does,
// so lines compare the same on every system. UTF-16 files keep that CR at the
// end of their lines. The writers always write CR LF.
//
// All functions keep no state of their own (apart from the message sink) and
// may run on several threads at once for different files.

#include <cstddef>
#include <filesystem>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace zrb {

// What the first bytes of a file tell about its character set.
enum class TextCharset : int {
    ansi = 0,              // no byte-order mark, not valid UTF-8: legacy text of the code page
    unicode = 1,           // UTF-16 little-endian, mark FF FE
    unicodeBigEndian = 2,  // UTF-16 big-endian, mark FE FF
    utf8WithBom = 3,       // mark EF BB BF
    utf8WithoutBom = 4,    // no mark, and the examined bytes are valid UTF-8
    noneFound = 5,         // the file cannot be opened or read, or holds fewer than 2 bytes
};

// "ANSI", "Unicode", "Unicode_big_endian", "UTF8_with_BOM", "UTF8_without_BOM",
// "none_found"; std::out_of_range for a code outside 0..5.
std::string_view gf_charsetName(int code);
std::string_view gf_charsetName(TextCharset charset);

// Whether every byte sequence is a complete, well-formed UTF-8 character
// (overlong forms and surrogates are not looked for).
bool gf_isUtf8(std::string_view bytes);

// Looks at the first 1027 bytes at most. Logs "Cannot open file {} for character
// encoding. Win32 error: {}" when the file cannot be opened.
TextCharset gf_detectCharset(const std::filesystem::path& path);

// What becomes of a line of an ANSI or UTF-8 file that is not well-formed
// UTF-8: legacy text made UTF-8 (gf_ansiToUtf8), or its bytes as the file
// holds them, for a reader that converts all but some of its lines itself.
enum class LegacyLines { toUtf8, keepBytes };

// Appends the file's lines to `lines`: UTF-16 files as UTF-8, the lines of an
// ANSI or UTF-8 file as `legacy` says (the detection looks at the first bytes
// only, so either kind of file may hold legacy lines). True when the file was opened
// and read to its end. A UTF-16 conversion failure is shown and logged and gives
// false, keeping the lines converted before it. Throws std::runtime_error
// "file {} has unknown charset: {}" for noneFound or a code outside the table.
bool gf_readTextFileInCharset(TextCharset charset, const std::filesystem::path& path,
                              std::vector<std::string>& lines, LegacyLines legacy = LegacyLines::toUtf8);

// gf_detectCharset, then gf_readTextFileInCharset. False when no character set
// was found, and also after an unexpected error, which it logs
// ("gf_readExtTextFileToStringVector {}"); the lines read until then stay.
bool gf_readExtTextFileToStringVector(const std::filesystem::path& path, std::vector<std::string>& lines);

// Appends every line of the stream (split at '\n', without the '\n' and without
// a CR before it) until the stream fails. The vector is not cleared first.
void gf_readLines(std::istream& in, std::vector<std::string>& lines);

// One of the program's own plain-text files: a path and its lines.
struct TextFile {
    std::filesystem::path path;
    std::vector<std::string> lines;
};

inline constexpr std::size_t defaultTextFileReserve = 512;  // lines

// Clears the lines and reads the file into them, bytes unchanged (no character-set
// detection). A file that cannot be opened gives no lines. Returns file.lines.
std::vector<std::string>& gf_readTextFile(TextFile& file, std::size_t reserve = defaultTextFileReserve);

// Replace the file. Every '\n' of the text becomes CR LF, as Windows text mode
// writes it; addNewline / each line ends with CR LF. False when the file cannot
// be opened or the writing fails (a full disk must not look like success).
bool gf_writeStringToFile(std::string_view text, const std::filesystem::path& path, bool addNewline);
bool gf_writeLines(const std::vector<std::string>& lines, const std::filesystem::path& path);

// The text between "<Path>" and the first "</Path>" after it in a line of an
// add-on description; empty when either is missing.
std::string gf_extractPathElement(std::string_view line);

// Where the readers show a problem the user must see: the window's message line
// (text, and whether to log it too). The shell sets it at start; while it is not
// set, such problems are only logged. Safe to set from any thread.
using MessageSink = void (*)(std::string_view text, bool log);  // gf_showMessage fits
void gf_setMessageSink(MessageSink sink);

// A path as UTF-8 text, for log lines and messages, on every system.
std::string gf_pathText(const std::filesystem::path& path);

}  // namespace zrb
