#pragma once
// What the airports of one BGL file become in the add-on airport scan: each
// airport is linked to the download archive's parking file for it (a small
// link file) or given a generated parking file of its own in airports/my_ORBX
// or airports/my_thirdparty, and everything done or skipped is written to the
// scan log.
//
// Threads: gf_processBglFile runs on the scan's file tasks, many at once. They
// share only an AirportScanShared: its scan log under its own mutex, the
// archive links under linkMutex, the result flag as an atomic, and one of the
// generation mutexes per airport file written. The aircraft database's lists
// are read without a lock (written only before the scan starts).

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "airports/bgl_airport.h"

namespace zrb {

// The scan log of one scan: lines appended from any thread, written out once at the end.
class AirportScanLog {
public:
    AirportScanLog();
    void add(std::string line);
    // Appends the lines together, so one airport's lines stay together; empties them.
    void add(std::vector<std::string>& lines);
    // The lines so far, leaving the log empty.
    std::vector<std::string> take();

private:
    std::mutex m_mutex;  // owns m_lines
    std::vector<std::string> m_lines;
};

inline constexpr std::size_t g_generationMutexCount = 64;

// What the file tasks of one scan share.
struct AirportScanShared {
    AirportScanLog log;
    // Held over each archive link: the link files and the database's lists are
    // used by one task at a time.
    std::mutex linkMutex;
    // An airport file of the same ICAO code is written by one task at a time:
    // two files holding the same airport never interleave their writes (the
    // file written last stands). Chosen by the code's hash.
    std::array<std::mutex, g_generationMutexCount> generationMutexes;
    // An airport was linked or its file generated.
    std::atomic<bool> filesChanged{false};
    // Airports read so far (the window shows the count).
    std::atomic<std::uint64_t> airportsRead{0};
};

inline constexpr std::string_view g_simaddonPublisher = "simaddon";
inline constexpr std::string_view g_unknownPublisher = "unknown";

// "simaddon" for a path holding "ORBX" in any case (with a scan-log line
// appended to scanLines), else the first publisher of the database one of
// whose names occurs in the path in any case, else "unknown".
std::string gf_publisherFromFilename(std::string_view pathText, std::vector<std::string>& scanLines);

// The body of one file task: reads the file's airports and links or generates
// each. A file that cannot be opened yields nothing. A damaged file raises
// BglFormatError whose text begins with the file's path, after logging
// "Exception in lf_processBGLfile: {path}"; the airports before the damage
// keep their results.
void gf_processBglFile(AirportScanShared& shared, const std::filesystem::path& path);

}  // namespace zrb
