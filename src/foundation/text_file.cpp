#include "foundation/text_file.h"

#include <array>
#include <atomic>
#include <fstream>
#include <stdexcept>
#include <string>
#include <type_traits>

#include <fmt/format.h>

#include "foundation/ansi_text.h"
#include "foundation/log.h"
#include "foundation/utf16.h"
#include "platform/platform.h"

namespace zrb {

namespace {

constexpr std::size_t charsetProbeBytes = 1027;  // how much of a file the detection looks at
constexpr std::size_t minimumProbeBytes = 2;     // fewer bytes than this tell nothing
constexpr std::string_view utf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view lineEnd = "\r\n";  // what Windows text mode writes for '\n'
constexpr std::size_t readChunkBytes = 64 * 1024;  // a UTF-16 file is read whole, this much at a time

constexpr std::array<std::string_view, 6> charsetNames = {
    "ANSI", "Unicode", "Unicode_big_endian", "UTF8_with_BOM", "UTF8_without_BOM", "none_found"};

std::atomic<MessageSink> g_messageSink{nullptr};

void lf_showMessage(const std::string& text) {
    if (const MessageSink sink = g_messageSink.load()) {
        sink(text, true);
    } else {
        gf_logLine(std::string_view(text));
    }
}

std::string_view lf_safeCharsetName(TextCharset charset) {
    const auto code = static_cast<std::size_t>(charset);
    return code < charsetNames.size() ? charsetNames[code] : std::string_view("unknown");
}

}  // namespace

bool gf_isUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        std::size_t extra = 0;
        if (lead < 0x80) extra = 0;
        else if ((lead & 0xE0) == 0xC0) extra = 1;
        else if ((lead & 0xF0) == 0xE0) extra = 2;
        else if ((lead & 0xF8) == 0xF0) extra = 3;
        else return false;
        if (i + extra >= bytes.size()) return false;  // runs past the bytes read
        for (std::size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
        i += extra + 1;
    }
    return true;
}

namespace {

// Decodes the whole file as UTF-16: the mark, when present, chooses the byte
// order and is consumed; without one the order is big-endian.
std::u16string lf_decodeUtf16(std::string_view bytes, const std::filesystem::path& path) {
    bool littleEndian = false;
    std::size_t start = 0;
    if (bytes.size() >= 2) {
        const auto b0 = static_cast<unsigned char>(bytes[0]);
        const auto b1 = static_cast<unsigned char>(bytes[1]);
        if (b0 == 0xFF && b1 == 0xFE) {
            littleEndian = true;
            start = 2;
        } else if (b0 == 0xFE && b1 == 0xFF) {
            start = 2;
        }
    }
    const std::size_t units = (bytes.size() - start) / 2;
    if ((bytes.size() - start) % 2 != 0)
        gf_logMarked("{} ends in half a UTF-16 character; its last byte is ignored", gf_pathText(path));
    std::u16string text(units, u'\0');
    for (std::size_t u = 0; u < units; ++u) {
        const auto first = static_cast<unsigned char>(bytes[start + 2 * u]);
        const auto second = static_cast<unsigned char>(bytes[start + 2 * u + 1]);
        text[u] = littleEndian ? static_cast<char16_t>(first | (second << 8))
                               : static_cast<char16_t>((first << 8) | second);
    }
    return text;
}

// Instantiated for wchar_t on Windows only (char elsewhere, never called).
template <typename WideChar>
std::string lf_utf16ToUtf8Replacing(const std::basic_string<WideChar>& text) {
    constexpr char32_t replacement = 0xFFFD;
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char16_t>(text[i]);
        const bool high = c >= 0xD800 && c <= 0xDBFF;
        const bool low = c >= 0xDC00 && c <= 0xDFFF;
        const char32_t next = i + 1 < text.size() ? static_cast<char16_t>(text[i + 1]) : 0;
        if (high && next >= 0xDC00 && next <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
            ++i;
        } else if (high || low) {
            c = replacement;
        }
        gf_appendUtf8(out, c);
    }
    return out;
}

void lf_logReadError(const std::filesystem::path& path) { gf_logMarked("Cannot read file {}", gf_pathText(path)); }

// The whole stream; false after a read error. istream::read turns a failing
// read (an I/O error, or a folder opened as a file on Linux) into badbit, where
// an istreambuf_iterator would let the library's exception escape.
bool lf_readAll(std::istream& in, std::string& bytes) {
    std::string chunk(readChunkBytes, '\0');  // on the heap: scan tasks run on small stacks
    do {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        bytes.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
    } while (in);
    return !in.bad();
}

bool lf_readUtf16File(const std::filesystem::path& path, std::vector<std::string>& lines) {
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) {
        gf_logMarked("Cannot open file {}. Win32 error: {}", gf_pathText(path), platform::lastSystemError());
        return false;
    }
    std::string bytes;
    if (!lf_readAll(in, bytes)) {
        lf_logReadError(path);
        return false;
    }
    try {
        lf_readWideLinesAsUtf8(lf_decodeUtf16(bytes, path), lines);
    } catch (const win32::Utf8ConversionException& e) {
        lf_showMessage(fmt::format("conversion from error from utf16 to utf8, code: {}", e.errorCode()));
        gf_logIndented(gf_pathText(path));
        return false;
    } catch (const std::runtime_error& e) {
        lf_showMessage(std::string("conversion from error from utf16 to utf8: ") + e.what());
        gf_logIndented(gf_pathText(path));
        return false;
    }
    return true;
}

bool lf_readNarrowFile(const std::filesystem::path& path, std::vector<std::string>& lines, bool dropMark,
                       LegacyLines legacy) {
    // Binary, so that the bytes are the same on every system; gf_readLines drops the CRs.
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) {
        gf_logMarked("Cannot open file {}. Win32 error: {}", gf_pathText(path), platform::lastSystemError());
        return false;
    }
    const std::size_t first = lines.size();
    gf_readLines(in, lines);
    if (dropMark && lines.size() > first && lines[first].starts_with(utf8Mark)) lines[first].erase(0, utf8Mark.size());
    // Lines in the legacy code page become UTF-8 here, before any of them can
    // become a path. Line by line: the detection sees only the first bytes, and
    // a list that several installers edited mixes both.
    if (legacy == LegacyLines::toUtf8)
        for (std::size_t i = first; i < lines.size(); ++i)
            if (!gf_isWellFormedUtf8(lines[i])) lines[i] = gf_ansiToUtf8(lines[i]);
    // The lines before a read error stay, as after a failed UTF-16 conversion,
    // but a file that was not read to its end is no success.
    if (in.bad()) {
        lf_logReadError(path);
        return false;
    }
    return true;
}

void lf_writeText(std::ofstream& out, std::string_view text) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            out << text.substr(start);
            return;
        }
        out << text.substr(start, end - start) << lineEnd;
        start = end + 1;
    }
}

bool lf_finish(std::ofstream& out) {
    out.close();
    return !out.fail();
}

}  // namespace

std::string_view gf_charsetName(int code) {
    if (code < 0 || static_cast<std::size_t>(code) >= charsetNames.size())
        throw std::out_of_range(fmt::format("no character set has the code {}", code));
    return charsetNames[static_cast<std::size_t>(code)];
}

std::string_view gf_charsetName(TextCharset charset) { return gf_charsetName(static_cast<int>(charset)); }

TextCharset gf_detectCharset(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) {
        gf_logLine("Cannot open file {} for character encoding. Win32 error: {}", gf_pathText(path),
                   platform::lastSystemError());
        return TextCharset::noneFound;
    }
    std::string bytes(charsetProbeBytes, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) return TextCharset::noneFound;
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (bytes.size() < minimumProbeBytes) return TextCharset::noneFound;

    if (bytes.starts_with(utf8Mark)) return TextCharset::utf8WithBom;
    if (bytes.starts_with("\xFF\xFE")) return TextCharset::unicode;
    if (bytes.starts_with("\xFE\xFF")) return TextCharset::unicodeBigEndian;
    return gf_isUtf8(bytes) ? TextCharset::utf8WithoutBom : TextCharset::ansi;
}

bool gf_readTextFileInCharset(TextCharset charset, const std::filesystem::path& path,
                              std::vector<std::string>& lines, LegacyLines legacy) {
    switch (charset) {
        case TextCharset::unicode:
        case TextCharset::unicodeBigEndian:
            return lf_readUtf16File(path, lines);
        case TextCharset::utf8WithBom:
            return lf_readNarrowFile(path, lines, true, legacy);
        case TextCharset::ansi:
        case TextCharset::utf8WithoutBom:
            return lf_readNarrowFile(path, lines, false, legacy);
        case TextCharset::noneFound:
            break;
    }
    throw std::runtime_error(
        fmt::format("file {} has unknown charset: {}", gf_pathText(path), lf_safeCharsetName(charset)));
}

bool gf_readExtTextFileToStringVector(const std::filesystem::path& path, std::vector<std::string>& lines) {
    try {
        const TextCharset charset = gf_detectCharset(path);
        if (charset == TextCharset::noneFound) return false;
        return gf_readTextFileInCharset(charset, path, lines);
    } catch (const std::exception& e) {
        gf_logLine("gf_readExtTextFileToStringVector {}", e.what());
        return false;
    }
}

void gf_readLines(std::istream& in, std::vector<std::string>& lines) {
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        line.clear();
    }
}

std::vector<std::string>& gf_readTextFile(TextFile& file, std::size_t reserve) {
    file.lines.clear();
    std::ifstream in(file.path, std::ios::binary);
    if (in.is_open()) {
        file.lines.reserve(reserve);
        gf_readLines(in, file.lines);
    }
    return file.lines;
}

bool gf_writeStringToFile(std::string_view text, const std::filesystem::path& path, bool addNewline) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out.is_open()) return false;
    lf_writeText(out, text);
    if (addNewline) out << lineEnd;
    return lf_finish(out);
}

bool gf_writeLines(const std::vector<std::string>& lines, const std::filesystem::path& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out.is_open()) return false;
    for (const std::string& line : lines) {
        lf_writeText(out, line);
        out << lineEnd;
    }
    return lf_finish(out);
}

std::string gf_extractPathElement(std::string_view line) {
    constexpr std::string_view open = "<Path>";
    constexpr std::string_view close = "</Path>";
    const std::size_t start = line.find(open);
    if (start == std::string_view::npos) return {};
    const std::size_t textStart = start + open.size();
    // The closing tag is looked for after the opening one: a stray "</Path>"
    // before it must not give a negative length.
    const std::size_t end = line.find(close, textStart);
    if (end == std::string_view::npos) return {};
    return std::string(line.substr(textStart, end - textStart));
}

void gf_setMessageSink(MessageSink sink) { g_messageSink.store(sink); }

std::string gf_pathText(const std::filesystem::path& path) {
    if constexpr (std::is_same_v<std::filesystem::path::value_type, wchar_t>) {
        // A Windows name may hold a UTF-16 unit without its pair, which the
        // library's conversion refuses with an exception: such a unit shows as
        // U+FFFD, so that a scan passing it by can still name it.
        return lf_utf16ToUtf8Replacing(path.native());
    } else {
        const std::u8string text = path.u8string();
        return std::string(text.begin(), text.end());
    }
}

}  // namespace zrb
