// Where an airport's parking file is: the user's and the scanner's folders
// first, the download archive last; the archive files fetched for the run;
// the nearest stand of any airport; and the offline-learning test of the
// add-on airport scan.
#include <algorithm>
#include <array>
#include <fstream>
#include <optional>
#include <system_error>

#include <fmt/format.h>

#include "airports/airport_list.h"
#include "airports/archive_fetch.h"
#include "airports/learned_file.h"
#include "airports/park_airport_file.h"
#include "airports/parking_file.h"
#include "config/paths.h"
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
// Downloaded copies read once and removed again, in the current directory.
const fs::path nearestStandCopy{"airport.xml"};

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

// The fetched file's copy, for the parking-file reader; false (logged) when
// it cannot be written.
bool lf_writeCopy(const std::string& text, const fs::path& localFile) {
    std::ofstream out(localFile, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (out) return true;
    gf_logLine("Could not open output file: {}", gf_pathText(localFile));
    std::error_code ec;
    fs::remove(localFile, ec);
    return false;
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

std::optional<std::string> lf_findApf(const std::string& icao) {
    if (!gf_isSafePathComponent(icao) || icao.empty()) return std::string();
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
    switch (lf_existsInOnlineArchive(icao)) {
        case ArchiveAnswer::yes: return lf_stockArchivePath(icao);
        case ArchiveAnswer::no: return std::string();
        case ArchiveAnswer::onItsWay: break;
    }
    return std::nullopt;
}

ArchiveAnswer gf_airportFileAvailable(const std::string& icao) {
    if (!gf_isSafePathComponent(icao) || icao.empty()) return ArchiveAnswer::no;
    for (const fs::path& folder : {g_myThirdpartyFolder, g_myOrbxFolder})
        if (fs::exists(folder / lf_apfXmlName(icao)) || fs::exists(folder / lf_apfTxtName(icao)))
            return ArchiveAnswer::yes;
    return lf_existsInOnlineArchive(icao);
}

ArchiveAnswer lf_existsInOnlineArchive(const std::string& icao) {
    if (!gf_isSafePathComponent(icao) || icao.empty()) return ArchiveAnswer::no;
    return gf_archiveAnswer(lf_archiveUrl(lf_stockArchivePath(icao)));
}

ArchiveAnswer lf_askForArchiveFile(const std::string& archivePath) {
    return gf_archiveFile(lf_archiveUrl(archivePath)).answer;
}

std::string lf_downloadFile(const std::string& archivePath, const fs::path& localFile) {
    const std::string url = lf_archiveUrl(archivePath);
    const ArchiveFile file = gf_archiveFile(url);
    if (file.answer == ArchiveAnswer::yes && lf_writeCopy(*file.text, localFile)) return {};
    std::string error = fmt::format("failed to download: '{}'", url);
    gf_logLine(error);
    return error;
}

std::optional<double> gf_readDestApfForClosestStand(const std::string& icao, double lat, double lon,
                                                    std::string& standId) {
    try {
        const std::optional<std::string> found = lf_findApf(icao);
        if (!found) return std::nullopt;
        const std::string& path = *found;
        if (path.empty()) return g_noStandDistanceNm;
        fs::path localFile = path;
        std::optional<DownloadedCopy> copy;
        if (!gf_isLocalApfPath(path)) {
            if (lf_askForArchiveFile(path) == ArchiveAnswer::onItsWay) return std::nullopt;
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
    if (!gf_downloadArchived(url, localFile)) {
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
