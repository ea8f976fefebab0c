#pragma once
// Text in the legacy 8-bit code page of the system (its ANSI code page): what
// the simulator sends (titles, names), and the files older installers and
// add-ons wrote. It is turned into UTF-8 before it is shown, compared or made
// a path, so that cutting, showing and writing it into XML never splits or
// mangles a character. On Windows the system's own code page decodes it
// (a Polish "\xA3" is "Ł"); where the system has none (Linux) or its code
// page is UTF-8 itself, Windows-1252, the code page of western systems.

#include <cstddef>
#include <string>
#include <string_view>

namespace zrb {

// Legacy 8-bit text to UTF-8. In Windows-1252 the five bytes the code page
// leaves undefined map to the control characters of the same number, as the
// system's own conversion does.
std::string gf_ansiToUtf8(std::string_view text);

// UTF-8 to the legacy code page, for texts the simulator reads in it (file
// paths). A character the code page lacks, and a broken sequence, become '?'.
// Where the system's code page is UTF-8, UTF-8 text stays as it is.
std::string gf_utf8ToAnsi(std::string_view text);

// Appends one code point (up to U+10FFFF) as UTF-8.
void gf_appendUtf8(std::string& out, char32_t c);

// Whether the text is UTF-8 that every converter takes: no broken or overlong
// sequence, no surrogate, nothing above U+10FFFF.
bool gf_isWellFormedUtf8(std::string_view text);

// A text from a file that other software wrote: UTF-8 as it is, anything else
// taken as legacy text (gf_ansiToUtf8).
std::string gf_legacyTextToUtf8(std::string_view text);

// The first maxChars characters of a UTF-8 text (a character is a lead byte
// with its continuation bytes).
std::string gf_firstUtf8Chars(std::string_view text, std::size_t maxChars);

}  // namespace zrb
