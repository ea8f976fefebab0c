// Where an airport's parking file is: the user's and the scanner's folders
// first, the download archive last; fetching archive files; the nearest stand
// of any airport; and the offline-learning test of the add-on airport scan.
#include <algorithm>
#include <array>
#include <limits>
#include <map>
#include <mutex>
#include <optional>
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
#include "foundation/stop_flags.h"
#include "foundation/text_file.h"
#include "foundation/time.h"
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
// How long one answer of the site for an archive file (the file is there, or
// the site says it is not) is kept.
constexpr Seconds archiveAnswerLifetime = 30 * 60;
// A failure (another status, the network, a time-out) is not asked again for
// a while, twice as long after each further one: a hanging site would
// otherwise hold the traffic loop at every check, and a busy one be asked by
// every user every 16 s.
constexpr Seconds firstFailureBackOff = 2 * 60;
constexpr Seconds maxFailureBackOff = 30 * 60;
// Downloaded copies read once and removed again, in the current directory.
const fs::path nearestStandCopy{"airport.xml"};

enum class ArchiveState { there, notThere, failed };
// What is known of an archive URL. The failures count until the file came
// whole or the site said it has none: the probe's yes alone does not end
// them, since the download that follows may fail again.
struct ArchiveRecord {
    ArchiveState state = ArchiveState::failed;
    Seconds when = 0;
    Seconds keptFor = 0;
    std::uint32_t failures = 0;
};
std::mutex g_archiveRecordMutex;                      // owns g_archiveRecords
// By the URL; a failure is also kept under the archive base, so that one
// probe, not one per airport, finds out that the site does not answer.
std::map<std::string, ArchiveRecord> g_archiveRecords;

// A clock set back ends the record: it must not hold for ever.
bool lf_holds(const ArchiveRecord& record, Seconds now) {
    return now >= record.when && now - record.when < record.keptFor;
}

Seconds lf_backOff(std::uint32_t failures) {
    Seconds backOff = firstFailureBackOff;
    for (std::uint32_t i = 1; i < failures && backOff < maxFailureBackOff; ++i) backOff *= 2;
    return std::min(backOff, maxFailureBackOff);
}

// The URL's kept state: failed while the whole site is backed off.
std::optional<ArchiveState> lf_keptState(const std::string& url) {
    const Seconds now = gf_systemNow();
    const std::string site = gf_downloadBaseUrl();
    std::lock_guard lock(g_archiveRecordMutex);
    for (const std::string& key : {site, url})
        if (const auto it = g_archiveRecords.find(key); it != g_archiveRecords.end() && lf_holds(it->second, now))
            return it->second.state;
    return std::nullopt;
}

// Keeps what came of a probe or a download. A stop ends a transfer without
// the site's fault: it is not kept.
void lf_keep(const std::string& url, DownloadResult result, bool endsFailures) {
    if (result == DownloadResult::failed && gf_stopUnderWay()) return;
    const Seconds now = gf_systemNow();
    const std::string site = gf_downloadBaseUrl();
    std::lock_guard lock(g_archiveRecordMutex);
    if (result != DownloadResult::failed) {
        ArchiveRecord& record = g_archiveRecords[url];
        record.state = result == DownloadResult::done ? ArchiveState::there : ArchiveState::notThere;
        record.when = now;
        record.keptFor = archiveAnswerLifetime;
        if (endsFailures) record.failures = 0;
        g_archiveRecords.erase(site);  // the site answers
        return;
    }
    for (const std::string& key : {url, site}) {
        ArchiveRecord& record = g_archiveRecords[key];
        record.state = ArchiveState::failed;
        record.when = now;
        if (record.failures < std::numeric_limits<std::uint32_t>::max()) ++record.failures;
        record.keptFor = lf_backOff(record.failures);
    }
}

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

// While the URL is backed off, or the site's 404 is kept, no request goes
// out: a failing file would otherwise be fetched again at every check, and a
// site that does not answer hold the hand-off for every airport in turn.
bool lf_downloadArchived(const std::string& url, const fs::path& localFile) {
    if (const auto kept = lf_keptState(url); kept && *kept != ArchiveState::there) return false;
    const CurlHandle handle(curl_easy_init());
    const DownloadResult result = gf_curlDownloadResult(handle.get(), url, localFile, false);
    lf_keep(url, result, true);
    return result == DownloadResult::done;
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
    const std::string url = lf_archiveUrl(lf_stockArchivePath(icao));
    if (const auto kept = lf_keptState(url)) return *kept == ArchiveState::there;
    const CurlHandle handle(curl_easy_init());
    const DownloadResult result = gf_curlProbe(handle.get(), url);
    lf_keep(url, result, result == DownloadResult::notFound);
    return result == DownloadResult::done;
}

void gf_forgetArchiveProbes() {
    std::lock_guard lock(g_archiveRecordMutex);
    g_archiveRecords.clear();
}

std::string lf_downloadFile(const std::string& archivePath, const fs::path& localFile) {
    const std::string url = lf_archiveUrl(archivePath);
    if (lf_downloadArchived(url, localFile)) return {};
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
    if (!lf_downloadArchived(url, localFile)) {
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
