#pragma once
// Finding an airport's parking file (the user's own folders first, then the
// download archive), fetching it when it is only in the archive, and loading
// the park airport's file into StandTable with its learned file, quality
// factors and fake aircraft. Also the nearest stand of any airport (for the
// closest-airport search) and the test whether an archived airport still
// needs offline learning (for the add-on airport scan).
//
// Files, relative to the current directory: airports/my_thirdparty and
// airports/my_ORBX hold parking files (ICAO.xml) and links (ICAO.txt, whose
// first line names an archive file); archive paths ("archive/stock/ICAO.xml")
// are relative to the archive base of the download site.
//
// Threads: the park airport's header, StandTable and the globals below belong
// to the worker thread, except where a global says otherwise. Nothing the
// worker calls here waits on the download site: archive files are fetched on
// a thread of their own (archive_fetch.h). gf_downloadAirportForLearning runs
// on the scan's thread and downloads there; it touches none of the worker's
// state.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "airports/archive_fetch.h"

namespace zrb {

// ---------------------------------------------------------------- header and state
struct ApfHeader {
    std::string airportName;  // "airport_name", empty when absent
    std::string publisher;    // "publisher", empty when absent
    std::int32_t altitude = 0;  // "altitude" [ft]
};

// The park airport's header. Worker thread only.
extern ApfHeader g_parkAirportHeader;
// The stands come from a handmade learned file. Atomic: the scan's file
// writers read it.
inline std::atomic<bool> g_handmadeAirport{false};
// The park airport's learned file was not read completely: the saver keeps a
// copy of it before it writes over it. Worker thread.
inline bool g_learnedFileIncomplete = false;
// "RT_traffic_week" of the park airport's file, 0 when absent. Worker thread.
inline std::int32_t g_rtTrafficWeek = 0;
// LEARN_SOFT was switched off for a well-learned airport (the learned file is
// then saved with the changed setting). Worker thread.
inline bool g_learnSoftAutoOff = false;
// The park airport's parking file is read: the renewals of static parking
// wait for it. Atomic: the window reads it.
inline std::atomic<bool> g_parkingDataLoaded{false};

// ---------------------------------------------------------------- quality factors
// Qf_real and Qf_soft, each 0..100 or -1 for none, as one value: Qf_soft in
// the high 32 bits, Qf_real in the low 32 bits.
using QualityFactors = std::uint64_t;

constexpr QualityFactors gf_packQualityFactors(std::int32_t qfReal, std::int32_t qfSoft) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(qfSoft)) << 32) |
           static_cast<std::uint32_t>(qfReal);
}
constexpr std::int32_t gf_qfReal(QualityFactors qf) { return static_cast<std::int32_t>(qf & 0xFFFFFFFFu); }
constexpr std::int32_t gf_qfSoft(QualityFactors qf) { return static_cast<std::int32_t>(qf >> 32); }

// "  " when both are negative; "{:2}" of Qf_real from 45 on; else "{:2}/{:2}".
std::string lf_qualityFactorText(QualityFactors qf);

// ---------------------------------------------------------------- names
std::filesystem::path lf_apfXmlName(const std::string& icao);  // ICAO.xml
std::string lf_apfXmlString(const std::string& icao);          // ICAO.xml
std::filesystem::path lf_apfTxtName(const std::string& icao);  // ICAO.txt

// The first eight characters are "airports": a file on disk; any other path
// names a file of the download archive.
bool gf_isLocalApfPath(const std::string& path);

// ---------------------------------------------------------------- finding
// The first line of a link file: trailing white space removed, cut after its
// first ".xml". False (target untouched) for a missing or empty file or a line
// shorter than 4 characters or without ".xml".
bool lf_readApfLink(const std::filesystem::path& linkFile, std::string& target);

// The path to read for the airport, first found: the link, then the file, in
// my_thirdparty, then in my_ORBX, then the stock archive file when the site
// has it; empty when none; nullopt while the site's answer is on its way (a
// later check reads it). A link whose target could leave its folder (a ".."
// part, a drive or root, control characters) is passed over with a warning.
std::optional<std::string> lf_findApf(const std::string& icao);

// A parking file or link exists in my_thirdparty or my_ORBX (yes; links are
// not opened), or the archive's answer.
ArchiveAnswer gf_airportFileAvailable(const std::string& icao);

// Whether the download site's stock archive holds the airport: the site's
// answer to a probe (archive_fetch.h: asked once, then kept; its failures
// backed off). Never waits.
ArchiveAnswer lf_existsInOnlineArchive(const std::string& icao);

// Asks for the archive path's file unless it is kept already: yes once it is
// kept for the run, no when the site has none or is backed off.
ArchiveAnswer lf_askForArchiveFile(const std::string& archivePath);

// Writes the archive path's file, as it was fetched for the run, into the
// local file; empty on success, else "failed to download: '{url}'" (also
// logged): the site has no such file, it failed lately and is backed off, or
// the file has not come yet (it is asked for then).
std::string lf_downloadFile(const std::string& archivePath, const std::filesystem::path& localFile);

// ---------------------------------------------------------------- loading
// Loads the park airport's file (path from lf_findApf) into StandTable, the
// header and the quality factors, merges its learned file, adds fake aircraft
// when PARK_FAKE is on, numbers the stands and finds their overlaps. Empty on
// success; else the error text, and StandTable, the header and the globals
// are left as they were. A missing "altitude" or a repeated stand id is
// reported as the text of its user error (codes 65, 94), so one bad file
// costs the parking at that airport and not the run.
std::string gf_readApf(const std::string& path, ApfHeader& header, QualityFactors& qf);

// Nautical miles from the position to the nearest stand of the airport's
// parking file, its id in standId; 100.0 (standId untouched) when there is no
// file or no stand nearer than that; nullopt while its file is on its way.
std::optional<double> gf_readDestApfForClosestStand(const std::string& icao, double lat, double lon,
                                                    std::string& standId);

// The archive's stock file of the airport has quality factors and at least 27
// weeks of traffic: it is worth learning offline.
bool gf_downloadAirportForLearning(const std::string& icao);

}  // namespace zrb
