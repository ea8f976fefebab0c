#pragma once
// The simulator sends its texts (titles, names) in the 8-bit Windows code page
// of a western system, Windows-1252, and scenery files hold their airport names
// in it. They are turned into UTF-8 once, on arrival, so that cutting, showing
// and writing them into XML never splits or mangles a character.

#include <cstddef>
#include <string>
#include <string_view>

namespace zrb {

// Windows-1252 to UTF-8; the five bytes the code page leaves undefined map to
// the control characters of the same number, as the system's own conversion does.
std::string gf_ansiToUtf8(std::string_view text);

// UTF-8 to Windows-1252, for texts the simulator reads in that code page (file
// paths). A character the code page lacks, and a broken sequence, become '?'.
std::string gf_utf8ToAnsi(std::string_view text);

// Appends one code point (up to U+10FFFF) as UTF-8.
void gf_appendUtf8(std::string& out, char32_t c);

// Whether the text is UTF-8 that every converter takes: no broken or overlong
// sequence, no surrogate, nothing above U+10FFFF.
bool gf_isWellFormedUtf8(std::string_view text);

// A text from a file that other software wrote: UTF-8 as it is, anything else
// taken as Windows-1252, the legacy code page such files are written in.
std::string gf_legacyTextToUtf8(std::string_view text);

// The first maxChars characters of a UTF-8 text (a character is a lead byte
// with its continuation bytes).
std::string gf_firstUtf8Chars(std::string_view text, std::size_t maxChars);

}  // namespace zrb
