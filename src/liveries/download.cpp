#include "liveries/download.h"

#include <fstream>
#include <memory>
#include <mutex>
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
    std::ofstream* out = nullptr;
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

// libcurl's progress callback: a stop ends the transfer at once.
int lf_abortOnStop(void*, curl_off_t, curl_off_t, curl_off_t, curl_off_t) { return gf_stopUnderWay() ? 1 : 0; }

void lf_setOption(CURL* handle, CURLoption option, auto value) {
    if (const CURLcode code = curl_easy_setopt(handle, option, value); code != CURLE_OK)
        throw std::runtime_error(fmt::format("curl option {} failed: {}", static_cast<int>(option),
                                             curl_easy_strerror(code)));
}

// Performs the transfer into the open file.
DownloadResult lf_transfer(CURL* handle, const std::string& url, std::ofstream& out) {
    const DownloadSite site = lf_site();
    const std::string userAgent(g_downloadUserAgent);
    const DownloadLimits& limits = site.limits;
    FileSink sink{&out, 0, limits.maxBytes};
    lf_setOption(handle, CURLOPT_URL, url.c_str());
    lf_setOption(handle, CURLOPT_USERAGENT, userAgent.c_str());
    lf_setOption(handle, CURLOPT_WRITEFUNCTION, &lf_writeToFile);
    lf_setOption(handle, CURLOPT_WRITEDATA, static_cast<void*>(&sink));
    lf_setOption(handle, CURLOPT_FAILONERROR, 1L);
    lf_setOption(handle, CURLOPT_NOSIGNAL, 1L);  // time-outs without signals: other threads run curl too
    lf_setOption(handle, CURLOPT_CONNECTTIMEOUT, static_cast<long>(limits.connectTimeout.count()));
    lf_setOption(handle, CURLOPT_LOW_SPEED_LIMIT, limits.lowSpeedBytesPerSecond);
    lf_setOption(handle, CURLOPT_LOW_SPEED_TIME, static_cast<long>(limits.lowSpeedTime.count()));
    lf_setOption(handle, CURLOPT_TIMEOUT, static_cast<long>(limits.totalTimeout.count()));
    lf_setOption(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
    lf_setOption(handle, CURLOPT_XFERINFOFUNCTION, &lf_abortOnStop);
    lf_setOption(handle, CURLOPT_NOPROGRESS, 0L);
    if (!site.caFile.empty()) lf_setOption(handle, CURLOPT_CAINFO, site.caFile.c_str());
    const CURLcode code = curl_easy_perform(handle);
    // The option points at this call's sink: it must not outlive it.
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, nullptr);
    if (code == CURLE_OK) return DownloadResult::done;
    gf_logLine("curl: '{}' => {}", url, curl_easy_strerror(code));
    long status = 0;
    if (code == CURLE_HTTP_RETURNED_ERROR && curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK &&
        status == httpNotFound)
        return DownloadResult::notFound;
    return DownloadResult::failed;
}

}  // namespace

bool gf_curlDownload(CURL* handle, const std::string& url, const fs::path& path, bool binary) {
    return gf_curlDownloadResult(handle, url, path, binary) == DownloadResult::done;
}

DownloadResult gf_curlDownloadResult(CURL* handle, const std::string& url, const fs::path& path, bool binary) {
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
            result = lf_transfer(handle, url, out);
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
