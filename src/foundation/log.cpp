#include "foundation/log.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <mutex>
#include <stdexcept>

#include "foundation/log_repeats.h"
#include "foundation/program_id.h"
#include "foundation/time.h"
#include "foundation/version_data.h"
#include "platform/platform.h"

namespace zrb {

namespace {

constexpr const char* logFileName = "Log.txt";
constexpr std::string_view warningPrefix = "===> ";
constexpr std::string_view indentPrefix = "          ";

// Owns g_logStream and the three below: every access to the stream holds it.
std::mutex g_logMutex;
std::ofstream g_logStream;
// A flood of lines nothing else bounds must not fill the user's disk: past
// the limit the log says so once and takes no more lines.
std::uintmax_t g_logByteLimit = g_logByteLimitDefault;
std::uintmax_t g_logBytes = 0;
bool g_logFull = false;

// A line quoting a service's text ("message") must not write megabytes each
// poll; the cut falls on a character boundary, so the file stays UTF-8.
std::string_view lf_cappedLine(std::string_view text, std::string& note) {
    if (text.size() <= g_logLineByteLimit) return text;
    std::size_t cut = g_logLineByteLimit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    note = fmt::format(" ... ({} more bytes)", text.size() - cut);
    return text.substr(0, cut);
}

void lf_writeLine(std::string_view prefix, std::string_view fullText) {
    std::string note;
    const std::string_view text = lf_cappedLine(fullText, note);
    std::lock_guard lock(g_logMutex);
    if (!g_logStream.is_open() || g_logFull) return;
    // Two for the line end: Windows writes "\r\n".
    const std::uintmax_t bytes = prefix.size() + text.size() + note.size() + 2;
    if (g_logBytes + bytes > g_logByteLimit) {
        g_logFull = true;
        constexpr std::uintmax_t megabyte = 1024 * 1024;
        const std::string size = g_logByteLimit >= megabyte ? fmt::format("{} MB", g_logByteLimit / megabyte)
                                                            : fmt::format("{} bytes", g_logByteLimit);
        g_logStream << warningPrefix << "Log.txt has reached " << size
                    << ": nothing more is written to it until the program starts again\n";
        g_logStream.flush();
        return;
    }
    g_logStream << prefix << text << note << '\n';
    g_logStream.flush();
    // What the file holds, line ends inside the text included.
    const std::streamoff position = g_logStream.tellp();
    g_logBytes = position >= 0 ? static_cast<std::uintmax_t>(position) : g_logBytes + bytes;
}

void lf_copyReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code ec;
    platform::copyFileReplacing(from, to, ec);
    if (ec) throw std::filesystem::filesystem_error("cannot copy file", from, to, ec);
}

}  // namespace

void gf_rotateBackups(const std::filesystem::path& path) {
    const std::string text = path.string();
    const auto dot = text.rfind('.');
    if (dot == std::string::npos) return;
    const std::filesystem::path first = text.substr(0, dot) + "0" + text.substr(dot);
    const std::filesystem::path second = text.substr(0, dot) + "00" + text.substr(dot);
    if (std::filesystem::exists(first)) lf_copyReplacing(first, second);
    if (std::filesystem::exists(path)) lf_copyReplacing(path, first);
}

void gf_openLog() {
    gf_rotateBackups(logFileName);
    gf_resetRepeatedLogLines();
    {
        std::lock_guard lock(g_logMutex);
        if (g_logStream.is_open()) g_logStream.close();
        g_logStream.clear();
        g_logBytes = 0;
        g_logFull = false;
        g_logStream.open(logFileName, std::ios::out | std::ios::trunc);
        if (!g_logStream.is_open()) throw std::runtime_error(std::string("Failed to write file ") + logFileName);
    }
    const auto now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    gf_logLine("{} (utc) {} version {} for {}", gf_timeText(now), g_programId,
               fmt::format("{}.{}.{}", g_programVersion.major, g_programVersion.minor, g_programVersion.patch),
               g_simulatorFamily);
}

void gf_closeLog() {
    gf_logAllHeldRepeats();
    std::lock_guard lock(g_logMutex);
    if (g_logStream.is_open()) g_logStream.close();
}

bool gf_logIsOpen() {
    std::lock_guard lock(g_logMutex);
    return g_logStream.is_open();
}

void gf_setLogByteLimitForTest(std::uintmax_t bytes) {
    std::lock_guard lock(g_logMutex);
    g_logByteLimit = bytes;
}

void gf_logLine(std::string_view text) { lf_writeLine({}, text); }
void gf_logMarked(std::string_view text) { lf_writeLine(warningPrefix, text); }
void gf_logIndented(std::string_view text) { lf_writeLine(indentPrefix, text); }

std::string gf_banner(int width, int extra, bool leadingNewline, bool trailingNewline, std::string_view text) {
    std::string line = leadingNewline ? "\n" : "";
    int n = width + extra;
    if (n % 2 != 0) ++n;
    if (text.empty()) {
        line.append(static_cast<std::size_t>(std::max(n, 0)), '*');
    } else if (static_cast<long long>(text.size()) + 2 < n) {
        const std::string stars(static_cast<std::size_t>(n / 2 - 1), '*');
        line += stars;
        line += ' ';
        line += text;
        line += ' ';
        line += stars;
    } else {
        line += text;
    }
    if (trailingNewline) line += '\n';
    return line;
}

}  // namespace zrb
