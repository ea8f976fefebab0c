#pragma once
// Downloads from the program's download site: the data files and versions.json
// at its root, the airport archive under "P3D/".
//
// Threads: the functions keep no state of their own; each call uses a libcurl
// handle that it owns or is given, so calls on different threads with
// different handles are independent. The site's address and the time limits
// are owned by g_downloadSiteMutex (download.cpp).

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <stop_token>
#include <string>
#include <string_view>

#include "foundation/version_data.h"

// libcurl's easy handle, as curl/curl.h declares it.
typedef void CURL;  // NOLINT(modernize-use-using)

namespace zrb {

// The program's short id, sent as the user agent.
inline constexpr std::string_view g_downloadUserAgent = "TLVR";

// A stalled or trickling site must not hold the start-up: a transfer slower
// than the low-speed limit for its time, or longer than the total time, ends.
// Both are generous for the largest real file (a few megabytes). A file larger
// than the maximum is refused, however fast it comes. A stop of the run or of
// the program ends a transfer within about a second.
inline constexpr std::chrono::seconds g_downloadConnectTimeout{15};
inline constexpr long g_downloadLowSpeedBytesPerSecond = 1024;
inline constexpr std::chrono::seconds g_downloadLowSpeedTime{30};
inline constexpr std::chrono::seconds g_downloadTotalTimeout{600};
inline constexpr std::uint64_t g_downloadMaxBytes = 64U * 1024U * 1024U;

// One HTTP(S) GET into a file. The bytes go to a temporary file beside the
// destination that replaces it only when the whole transfer succeeded, so a
// failed download leaves the previous copy as it was. binary = false writes in
// text mode. False for a null handle, an output that cannot be created
// ("Could not open output file: {}"), an HTTP status of 400 or more, a
// transport failure, a time-out, a file larger than the maximum or a stop.
bool gf_curlDownload(CURL* handle, const std::string& url, const std::filesystem::path& path, bool binary);

// A site that does not answer must not hold the start-up for the limits of a
// data file while it is asked for versions.json, a few hundred bytes: such a
// file may take this long in all, connection included.
inline constexpr std::chrono::seconds g_smallFileTimeout{3};
// gf_curlDownload within g_smallFileTimeout (or the site's limits where shorter).
bool gf_curlDownloadSmall(CURL* handle, const std::string& url, const std::filesystem::path& path, bool binary);

// What a download came to: the file is there, the site answered that it has
// no such file (HTTP 404), or it failed for any other reason (another status,
// the network, a time-out, a stop), which may pass.
enum class DownloadResult { done, notFound, failed };
// gf_curlDownload, telling a file the site does not have from a failure.
DownloadResult gf_curlDownloadResult(CURL* handle, const std::string& url, const std::filesystem::path& path,
                                     bool binary);

// gf_curlDownloadResult into memory: the text is the whole file when done,
// empty otherwise. The token's stop ends the transfer as a stop of the run does.
DownloadResult gf_curlDownloadText(CURL* handle, const std::string& url, std::string& text,
                                   const std::stop_token& stop);

// How long a probe may take in all, connection included: the site's answer
// is all it asks for, and a site that hangs must not keep the one thread that
// fetches airport files from its next file.
inline constexpr std::chrono::seconds g_probeTimeout{3};
// Whether the site has the file, without fetching it: the GET of
// gf_curlDownload, ended at the first bytes of the body, with nothing written.
// done for a 2xx status (or a protocol without statuses), notFound for the
// site's 404, failed for anything else (another status, the network, more
// than g_probeTimeout, a stop of the run or by the token).
DownloadResult gf_curlProbe(CURL* handle, const std::string& url, const std::stop_token& stop = {});

// Downloads base URL + file name into the destination (binary), with a handle
// of its own; logs "Downloaded '{}' to '{}'" or "Downloading '{}' failed !".
bool gf_downloadFile(std::string_view fileName, const std::filesystem::path& destination);

// The site's base URL (ending in "/").
std::string gf_downloadSiteUrl();
// The base of the airport archive: the site's base URL + "P3D/".
std::string gf_downloadBaseUrl();

// "{}.{}.{}"
std::string gf_versionToString(const VersionData& version);

// Points the downloads at another site (a stand-in on loopback) and names the
// CA bundle that vouches for it (empty: the system's store). For tests.
void gf_setDownloadSiteForTest(std::string baseUrl, std::string caFile);
// Shortens the time limits, so that a test of a stalled site ends quickly.
void gf_setDownloadTimeoutsForTest(std::chrono::seconds connect, std::chrono::seconds lowSpeedTime);
// Every limit of a download, for tests of a trickling or oversized file.
struct DownloadLimits {
    std::chrono::seconds connectTimeout = g_downloadConnectTimeout;
    long lowSpeedBytesPerSecond = g_downloadLowSpeedBytesPerSecond;
    std::chrono::seconds lowSpeedTime = g_downloadLowSpeedTime;
    std::chrono::seconds totalTimeout = g_downloadTotalTimeout;
    std::uint64_t maxBytes = g_downloadMaxBytes;
    std::chrono::milliseconds probeTimeout = g_probeTimeout;
};
void gf_setDownloadLimitsForTest(const DownloadLimits& limits);
// Back to the built-in site and limits.
void gf_resetDownloadSiteForTest();

}  // namespace zrb
