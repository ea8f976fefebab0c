// Where an airport's parking file is: the user's and the scanner's folders
// first, the download archive last; fetching archive files; the nearest stand
// of any airport; and the offline-learning test of the add-on airport scan.
#include <array>
#include <chrono>
#include <map>
#include <mutex>
#include <system_error>

#include <fmt/format.h>

#include "airports/airport_list.h"
#include "airports/learned_file.h"
#include "airports/park_airport_file.h"
#include "airports/parking_file.h"
#include "config/paths.h"
#include "foundation/curl_handle.h"
#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "foundation/text_file.h"
#include "foundation/xml_file.h"
#include "liveries/download.h"

namespace zrb {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view xmlSuffix = ".xml";
constexpr std::string_view stockArchive = "archive/stock/";
constexpr std::size_t minLinkLength = 4;
constexpr std::string_view trailingWhiteSpace = " \t\r\n\v\f";
// Quality factors and weeks of traffic an archived file needs to be learned offline.
constexpr std::int32_t minTrafficWeeksForLearning = 27;
// How long one answer of the archive probe (the file is there, or the site
// says it is not) is kept.
constexpr auto archiveProbeLifetime = std::chrono::minutes(30);
// Downloaded copies read once and removed again, in the current directory.
const fs::path nearestStandCopy{"airport.xml"};

struct ProbeResult {
    bool exists = false;
    std::chrono::steady_clock::time_point when;
};
std::mutex g_archiveProbeMutex;                   // owns g_archiveProbes
std::map<std::string, ProbeResult> g_archiveProbes;  // by the probed URL

std::string lf_stockArchivePath(const std::string& icao) {
    return std::string(stockArchive) + lf_apfXmlString(icao);
}

// Characters of an archive path that go into a URL as they are; the rest is
// percent-encoded. '%' stays: the scanner's links already encode blanks.
bool lf_isUrlSafe(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~' || c == '/' || c == '%';
}

std::string lf_archiveUrl(const std::string& archivePath) {
    std::string url = gf_downloadBaseUrl();
    for (const char c : archivePath) {
        if (lf_isUrlSafe(c)) url += c;
        else url += fmt::format("%{:02X}", static_cast<unsigned char>(c));
    }
    return url;
}

// A link target stays inside the archive or the airports folder.
bool lf_isSafeLinkTarget(const std::string& target) {
    if (target.empty() || target.front() == '/' || target.front() == '\\') return false;
    if (target.find("..") != std::string::npos || target.find(':') != std::string::npos) return false;
    for (const char c : target)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    return true;
}

// Removes a downloaded copy when it goes out of scope, however the reading ended.
class DownloadedCopy {
public:
    explicit DownloadedCopy(fs::path path) : m_path(std::move(path)) {}
    ~DownloadedCopy() {
        std::error_code ec;
        if (!m_path.empty()) fs::remove(m_path, ec);
    }
    DownloadedCopy(const DownloadedCopy&) = delete;
    DownloadedCopy& operator=(const DownloadedCopy&) = delete;

private:
    fs::path m_path;
};

bool lf_downloadTo(const std::string& url, const fs::path& localFile) {
    const CurlHandle handle(curl_easy_init());
    return gf_curlDownload(handle.get(), url, localFile, false);
}

}  // namespace

fs::path lf_apfXmlName(const std::string& icao) { return fs::path(lf_apfXmlString(icao)); }
std::string lf_apfXmlString(const std::string& icao) { return icao + std::string(xmlSuffix); }
fs::path lf_apfTxtName(const std::string& icao) { return fs::path(icao + ".txt"); }

bool gf_isLocalApfPath(const std::string& path) { return path.compare(0, 8, "airports") == 0; }

std::string lf_qualityFactorText(QualityFactors qf) {
    const std::int32_t real = gf_qfReal(qf);
    const std::int32_t soft = gf_qfSoft(qf);
    if (real < 0 && soft < 0) return "  ";
    if (real >= 45) return fmt::format("{:2}", real);
    return fmt::format("{:2}/{:2}", real, soft);
}

bool lf_readApfLink(const fs::path& linkFile, std::string& target) {
    if (!fs::exists(linkFile)) return false;
    TextFile file{linkFile, {}};
    const auto& lines = gf_readTextFile(file);
    if (lines.empty()) return false;
    std::string line = lines.front();
    line.erase(line.find_last_not_of(trailingWhiteSpace) + 1);
    const auto xml = line.find(xmlSuffix);
    if (line.size() < minLinkLength || xml == std::string::npos) return false;
    target = line.substr(0, xml + xmlSuffix.size());
    return true;
}

std::string lf_findApf(const std::string& icao) {
    if (!gf_isSafePathComponent(icao) || icao.empty()) return {};
    for (const fs::path& folder : {g_myThirdpartyFolder, g_myOrbxFolder}) {
        std::string target;
        if (lf_readApfLink(folder / lf_apfTxtName(icao), target)) {
            if (lf_isSafeLinkTarget(target)) return target;
            gf_logMarked("Link {} names '{}', which is outside the airport files: passed over",
                         gf_pathText(folder / lf_apfTxtName(icao)), target);
        }
        const fs::path file = folder / lf_apfXmlName(icao);
        if (fs::exists(file)) return gf_pathText(file);
    }
    if (lf_existsInOnlineArchive(icao)) return lf_stockArchivePath(icao);
    return {};
}

bool gf_airportFileAvailable(const std::string& icao) {
    if (!gf_isSafePathComponent(icao) || icao.empty()) return false;
    for (const fs::path& folder : {g_myThirdpartyFolder, g_myOrbxFolder})
        if (fs::exists(folder / lf_apfXmlName(icao)) || fs::exists(folder / lf_apfTxtName(icao))) return true;
    return lf_existsInOnlineArchive(icao);
}

bool lf_existsInOnlineArchive(const std::string& icao) {
    if (!gf_isSafePathComponent(icao) || icao.empty()) return false;
    const auto now = std::chrono::steady_clock::now();
    const std::string url = lf_archiveUrl(lf_stockArchivePath(icao));
    {
        std::lock_guard lock(g_archiveProbeMutex);
        if (const auto it = g_archiveProbes.find(url);
            it != g_archiveProbes.end() && now - it->second.when < archiveProbeLifetime)
            return it->second.exists;
    }
    const fs::path probe = lf_apfXmlName(icao);
    const CurlHandle handle(curl_easy_init());
    const DownloadResult result = gf_curlDownloadResult(handle.get(), url, probe, false);
    const bool exists = result == DownloadResult::done;
    if (exists) fs::remove(probe);
    // Only the site's own answer is kept: a failure (the site busy or down, a
    // time-out) may pass, and the next check asks again.
    if (result == DownloadResult::failed) return false;
    std::lock_guard lock(g_archiveProbeMutex);
    g_archiveProbes[url] = {exists, now};
    return exists;
}

void gf_forgetArchiveProbes() {
    std::lock_guard lock(g_archiveProbeMutex);
    g_archiveProbes.clear();
}

std::string lf_downloadFile(const std::string& archivePath, const fs::path& localFile) {
    const std::string url = lf_archiveUrl(archivePath);
    if (lf_downloadTo(url, localFile)) return {};
    std::string error = fmt::format("failed to download: '{}'", url);
    gf_logLine(error);
    return error;
}

double gf_readDestApfForClosestStand(const std::string& icao, double lat, double lon, std::string& standId) {
    try {
        const std::string path = lf_findApf(icao);
        if (path.empty()) return g_noStandDistanceNm;
        fs::path localFile = path;
        std::optional<DownloadedCopy> copy;
        if (!gf_isLocalApfPath(path)) {
            if (!lf_downloadFile(path, nearestStandCopy).empty()) return g_noStandDistanceNm;
            localFile = nearestStandCopy;
            copy.emplace(nearestStandCopy);
        }
        pugi::xml_document doc;
        std::string error;
        if (!gf_loadParkingXml(doc, localFile, error)) return g_noStandDistanceNm;
        double best = g_noStandDistanceNm;
        for (const pugi::xml_node& parkpos : doc.child("parkpositions").children("parkpos")) {
            const LatLon stand{parkpos.attribute("latitude").as_double(), parkpos.attribute("longitude").as_double()};
            const double d = gf_distanceNm({lat, lon}, stand);
            if (d < best) {
                best = d;
                standId = gf_getAttrString(parkpos, "id");
            }
        }
        return best;
    } catch (const std::exception& e) {
        gf_logMarked("{}: {}", "gf_readDestApfForClosestStand", e.what());
        return g_noStandDistanceNm;
    }
}

bool gf_downloadAirportForLearning(const std::string& icao) {
    if (!gf_isSafePathComponent(icao) || icao.empty()) return false;
    const std::string url = lf_archiveUrl(lf_stockArchivePath(icao));
    gf_logLine(url);
    const fs::path localFile = lf_apfXmlName(icao);
    if (!lf_downloadTo(url, localFile)) {
        gf_logMarked("Failed to download {}", gf_pathText(localFile));
        return false;
    }
    const DownloadedCopy copy(localFile);
    pugi::xml_document doc;
    std::string error;
    bool suitable = false;
    if (!gf_loadParkingXml(doc, localFile, error)) {
        gf_logMarked("Failed to load {}", gf_pathText(localFile));
    } else {
        const auto qfReal = lf_getApfIntParameter(doc, "Qf_real");
        const auto qfSoft = lf_getApfIntParameter(doc, "Qf_soft");
        const auto weeks = lf_getApfIntParameter(doc, "RT_traffic_week");
        suitable = ((qfReal && *qfReal >= 0) || (qfSoft && *qfSoft >= 0)) && weeks &&
                   *weeks >= minTrafficWeeksForLearning;
    }
    if (!suitable) gf_logMarked("{} not suitable for offline learning", icao);
    return suitable;
}

}  // namespace zrb
