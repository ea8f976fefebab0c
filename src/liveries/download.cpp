#include "liveries/download.h"

#include <algorithm>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include <curl/curl.h>
#include <fmt/format.h>

#include "foundation/curl_handle.h"
#include "foundation/log.h"
#include "foundation/sites.h"
#include "foundation/stop_flags.h"
#include "foundation/text_file.h"

namespace zrb {

namespace {

namespace fs = std::filesystem;

// Where the bytes of a download gather before they replace the destination.
constexpr std::string_view partialSuffix = ".part";
// The HTTP status of a file the site does not have.
constexpr long httpNotFound = 404;
// The statuses of a site that has the file.
constexpr long httpOkFirst = 200;
constexpr long httpOkLast = 299;

struct DownloadSite {
    std::string baseUrl = build::downloadBaseUrl;
    std::string caFile = build::downloadCaFile;
    DownloadLimits limits;
};

std::mutex g_downloadSiteMutex;       // owns g_downloadSite
DownloadSite g_downloadSite;

DownloadSite lf_site() {
    std::lock_guard lock(g_downloadSiteMutex);
    return g_downloadSite;
}

// Where the bytes go, and how many the file may hold.
struct FileSink {
    std::ostream* out = nullptr;
    std::uint64_t written = 0;
    std::uint64_t maxBytes = 0;
};

// Returning fewer bytes than given ends the transfer: a file that grows past
// its maximum (the site may not announce its size) or cannot be written.
std::size_t lf_writeToFile(char* data, std::size_t size, std::size_t count, void* userData) {
    auto& sink = *static_cast<FileSink*>(userData);
    const std::size_t bytes = size * count;
    if (bytes > sink.maxBytes - sink.written) {
        gf_logLine("Download larger than {} bytes refused", sink.maxBytes);
        return 0;
    }
    sink.out->write(data, static_cast<std::streamsize>(bytes));
    if (!*sink.out) return 0;
    sink.written += bytes;
    return bytes;
}

// libcurl's progress callback: a stop of the run, or of the thread that asked
// (its token, when it gave one), ends the transfer at once.
int lf_abortOnStop(void* stopToken, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* stop = static_cast<const std::stop_token*>(stopToken);
    return gf_stopUnderWay() || (stop != nullptr && stop->stop_requested()) ? 1 : 0;
}

void lf_setOption(CURL* handle, CURLoption option, auto value) {
    if (const CURLcode code = curl_easy_setopt(handle, option, value); code != CURLE_OK)
        throw std::runtime_error(fmt::format("curl option {} failed: {}", static_cast<int>(option),
                                             curl_easy_strerror(code)));
}

// The options every GET from the site shares: the address, who asks, the
// site's CA file, where the bytes go and the stop.
void lf_setGetOptions(CURL* handle, const std::string& url, const DownloadSite& site, curl_write_callback write,
                      void* writeData, const std::stop_token* stop) {
    const std::string userAgent(g_downloadUserAgent);
    lf_setOption(handle, CURLOPT_URL, url.c_str());
    lf_setOption(handle, CURLOPT_USERAGENT, userAgent.c_str());
    lf_setOption(handle, CURLOPT_WRITEFUNCTION, write);
    lf_setOption(handle, CURLOPT_WRITEDATA, writeData);
    lf_setOption(handle, CURLOPT_FAILONERROR, 1L);
    lf_setOption(handle, CURLOPT_NOSIGNAL, 1L);  // time-outs without signals: other threads run curl too
    lf_setOption(handle, CURLOPT_XFERINFOFUNCTION, &lf_abortOnStop);
    lf_setOption(handle, CURLOPT_XFERINFODATA, const_cast<std::stop_token*>(stop));
    lf_setOption(handle, CURLOPT_NOPROGRESS, 0L);
    // The threaded resolver would otherwise hold the transfer, stop and
    // time-outs alike, until the system's name lookup returns: a slow name
    // server would keep the end of a run waiting for it.
    lf_setOption(handle, CURLOPT_QUICK_EXIT, 1L);
    if (!site.caFile.empty()) lf_setOption(handle, CURLOPT_CAINFO, site.caFile.c_str());
}

CURLcode lf_perform(CURL* handle) {
    const CURLcode code = curl_easy_perform(handle);
    // The options point at the caller's sink and token: they must not outlive them.
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, nullptr);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, nullptr);
    return code;
}

// A transfer that did not succeed: the site's 404, or any other failure.
DownloadResult lf_failure(CURL* handle, const std::string& url, CURLcode code) {
    gf_logLine("curl: '{}' => {}", url, curl_easy_strerror(code));
    long status = 0;
    if (code == CURLE_HTTP_RETURNED_ERROR && curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK &&
        status == httpNotFound)
        return DownloadResult::notFound;
    return DownloadResult::failed;
}

// Performs the transfer into the open stream.
DownloadResult lf_transfer(CURL* handle, const std::string& url, std::ostream& out, bool smallFile,
                           const std::stop_token* stop) {
    const DownloadSite site = lf_site();
    DownloadLimits limits = site.limits;
    if (smallFile) {
        limits.connectTimeout = std::min(limits.connectTimeout, g_smallFileTimeout);
        limits.totalTimeout = std::min(limits.totalTimeout, g_smallFileTimeout);
    }
    FileSink sink{&out, 0, limits.maxBytes};
    lf_setGetOptions(handle, url, site, &lf_writeToFile, &sink, stop);
    lf_setOption(handle, CURLOPT_CONNECTTIMEOUT, static_cast<long>(limits.connectTimeout.count()));
    lf_setOption(handle, CURLOPT_LOW_SPEED_LIMIT, limits.lowSpeedBytesPerSecond);
    lf_setOption(handle, CURLOPT_LOW_SPEED_TIME, static_cast<long>(limits.lowSpeedTime.count()));
    lf_setOption(handle, CURLOPT_TIMEOUT, static_cast<long>(limits.totalTimeout.count()));
    lf_setOption(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
    const CURLcode code = lf_perform(handle);
    if (code == CURLE_OK) return DownloadResult::done;
    return lf_failure(handle, url, code);
}

// The probe's write callback: the first bytes of the body are the answer, and
// returning none of them ends the transfer.
std::size_t lf_endAtBody(char*, std::size_t, std::size_t, void* userData) {
    *static_cast<bool*>(userData) = true;
    return 0;
}

DownloadResult lf_download(CURL* handle, const std::string& url, const fs::path& path, bool binary, bool smallFile) {
    if (handle == nullptr) return DownloadResult::failed;
    fs::path partial = path;
    partial += partialSuffix;
    try {
        DownloadResult result = DownloadResult::failed;
        {
            std::ofstream out(partial, binary ? std::ios::binary | std::ios::trunc : std::ios::trunc);
            if (!out) {
                gf_logLine("Could not open output file: {}", gf_pathText(path));
                return DownloadResult::failed;
            }
            result = lf_transfer(handle, url, out, smallFile, nullptr);
            out.close();
            if (result == DownloadResult::done && out.fail()) result = DownloadResult::failed;
        }
        if (result == DownloadResult::done) fs::rename(partial, path);
        else fs::remove(partial);
        return result;
    } catch (const std::exception& e) {
        gf_logLine("Downloader exception: '{}', {} => {}", e.what(), url, gf_pathText(path));
    }
    std::error_code ec;
    fs::remove(partial, ec);
    return DownloadResult::failed;
}

}  // namespace

bool gf_curlDownload(CURL* handle, const std::string& url, const fs::path& path, bool binary) {
    return lf_download(handle, url, path, binary, false) == DownloadResult::done;
}

bool gf_curlDownloadSmall(CURL* handle, const std::string& url, const fs::path& path, bool binary) {
    return lf_download(handle, url, path, binary, true) == DownloadResult::done;
}

DownloadResult gf_curlDownloadResult(CURL* handle, const std::string& url, const fs::path& path, bool binary) {
    return lf_download(handle, url, path, binary, false);
}

DownloadResult gf_curlDownloadText(CURL* handle, const std::string& url, std::string& text,
                                   const std::stop_token& stop) {
    text.clear();
    if (handle == nullptr) return DownloadResult::failed;
    try {
        std::ostringstream out;
        const DownloadResult result = lf_transfer(handle, url, out, false, &stop);
        if (result == DownloadResult::done) text = std::move(out).str();
        return result;
    } catch (const std::exception& e) {
        gf_logLine("Downloader exception: '{}', {}", e.what(), url);
    }
    return DownloadResult::failed;
}

DownloadResult gf_curlProbe(CURL* handle, const std::string& url, const std::stop_token& stop) {
    if (handle == nullptr) return DownloadResult::failed;
    try {
        bool bodyStarted = false;
        const DownloadSite site = lf_site();
        lf_setGetOptions(handle, url, site, &lf_endAtBody, &bodyStarted, &stop);
        const auto limit = static_cast<long>(site.limits.probeTimeout.count());
        lf_setOption(handle, CURLOPT_CONNECTTIMEOUT_MS, limit);
        lf_setOption(handle, CURLOPT_TIMEOUT_MS, limit);
        const CURLcode code = lf_perform(handle);
        if (code != CURLE_OK && !(code == CURLE_WRITE_ERROR && bodyStarted)) return lf_failure(handle, url, code);
        // Not every protocol has a status (file:// has none).
        long status = 0;
        curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
        if (status == 0 || (status >= httpOkFirst && status <= httpOkLast)) return DownloadResult::done;
        gf_logLine("curl: '{}' => HTTP status {}", url, status);
    } catch (const std::exception& e) {
        gf_logLine("Downloader exception: '{}', {}", e.what(), url);
    }
    return DownloadResult::failed;
}

bool gf_downloadFile(std::string_view fileName, const fs::path& destination) {
    const CurlHandle handle(curl_easy_init());
    const std::string url = gf_downloadSiteUrl() + std::string(fileName);
    const bool done = gf_curlDownload(handle.get(), url, destination, true);
    if (done) gf_logLine("Downloaded '{}' to '{}'", url, gf_pathText(destination));
    else gf_logMarked("Downloading '{}' failed !", url);
    return done;
}

std::string gf_downloadSiteUrl() { return lf_site().baseUrl; }

std::string gf_downloadBaseUrl() { return gf_downloadSiteUrl() + "P3D/"; }

std::string gf_versionToString(const VersionData& version) {
    return fmt::format("{}.{}.{}", version.major, version.minor, version.patch);
}

void gf_setDownloadSiteForTest(std::string baseUrl, std::string caFile) {
    std::lock_guard lock(g_downloadSiteMutex);
    g_downloadSite.baseUrl = std::move(baseUrl);
    g_downloadSite.caFile = std::move(caFile);
}

void gf_setDownloadTimeoutsForTest(std::chrono::seconds connect, std::chrono::seconds lowSpeedTime) {
    std::lock_guard lock(g_downloadSiteMutex);
    g_downloadSite.limits.connectTimeout = connect;
    g_downloadSite.limits.lowSpeedTime = lowSpeedTime;
}

void gf_setDownloadLimitsForTest(const DownloadLimits& limits) {
    std::lock_guard lock(g_downloadSiteMutex);
    g_downloadSite.limits = limits;
}

void gf_resetDownloadSiteForTest() {
    std::lock_guard lock(g_downloadSiteMutex);
    g_downloadSite = DownloadSite{};
}

}  // namespace zrb
