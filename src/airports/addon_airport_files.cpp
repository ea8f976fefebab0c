#include "airports/addon_airport_files.h"

#include <algorithm>
#include <functional>
#include <numeric>
#include <system_error>

#include <fmt/format.h>

#include "airports/bgl_file.h"
#include "airports/park_airport_file.h"
#include "airports/parking_file.h"
#include "config/meta_info.h"
#include "config/paths.h"
#include "foundation/log.h"
#include "foundation/number_text.h"
#include "foundation/strings.h"
#include "foundation/text_file.h"
#include "foundation/windows_path.h"
#include "liveries/dbase.h"

namespace zrb {

namespace {

constexpr std::size_t scanLogReserve = 2048;  // lines
constexpr std::string_view warningMark = "===> ";
constexpr std::string_view orbxMark = "ORBX";  // in any case: a simaddon scenery
constexpr std::string_view g_metaSimulatorP3d = "P3D";

struct ArchiveLink {
    bool linked = false;
    std::int32_t archivedStands = 0;
    std::string publisher;
};

// Writes the archive path into the airport's link file; false when the file
// could not be written, so the airport is generated instead of looking linked.
bool lf_writeLinkFile(const std::filesystem::path& folder, const std::string& icao, const std::string& archivePath,
                      std::vector<std::string>& lines) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const std::filesystem::path file = folder / (icao + ".txt");
    if (gf_writeStringToFile(archivePath, file, true)) return true;
    lines.push_back(fmt::format("{}Linking {} did not succeed", warningMark, gf_pathText(file)));
    return false;
}

std::string lf_archivePublisher(std::string_view publisher) {
    std::string out;
    for (const char c : publisher) {
        if (c == ' ')
            out += "%20";
        else
            out.push_back(c);
    }
    return out;
}

// The archived file of a thirdparty airport: the first entry of the
// publisher's lists that begins with the code gives its stand count.
std::optional<std::string> lf_findThirdpartyArchive(const std::string& publisher, const std::string& icao,
                                                    std::int32_t& archivedStands) {
    for (const ThirdPartyAirports& group : g_dbaseThirdPartyAirports) {
        if (group.publisher != publisher) continue;
        for (const std::string& entry : group.airports) {
            if (!gf_parseNamedInt({"lf_findThirdpartyArchive", icao, archivedStands}, entry)) continue;
            return fmt::format("archive/thirdparty/{}/{}.xml", lf_archivePublisher(publisher), icao);
        }
    }
    return std::nullopt;
}

ArchiveLink lf_linkToArchivedAirport(AirportScanShared& shared, const std::string& icao, std::string_view pathText,
                                     std::vector<std::string>& lines) {
    const std::lock_guard lock(shared.linkMutex);
    ArchiveLink link;
    link.publisher = gf_publisherFromFilename(pathText, lines);
    if (link.publisher == g_unknownPublisher) return link;
    if (link.publisher == g_simaddonPublisher) {
        if (!g_dbaseSimaddonAirports.contains(icao)) {
            lines.push_back(fmt::format("{} does not exist as simaddon", icao));
            return link;
        }
        const std::string archive = fmt::format("archive/{}/{}.xml", g_simaddonPublisher, icao);
        link.linked = lf_writeLinkFile(g_myOrbxFolder, icao, archive, lines);
        if (link.linked) lines.push_back(fmt::format("{} airport {} linked to {}", g_simaddonPublisher, icao, archive));
    } else {
        const auto archive = lf_findThirdpartyArchive(link.publisher, icao, link.archivedStands);
        if (!archive) {
            lines.push_back(fmt::format("thirdparty {} {} does not exist", link.publisher, icao));
            return link;
        }
        link.linked = lf_writeLinkFile(g_myThirdpartyFolder, icao, *archive, lines);
        if (link.linked) lines.push_back(fmt::format("thirdparty airport {} linked to {}", icao, *archive));
    }
    if (link.linked) shared.filesChanged = true;
    return link;
}

// Sorted through their order, each stand moved once (a stand is large).
void lf_sortById(std::vector<Stand>& stands) {
    std::vector<std::size_t> order(stands.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::ranges::sort(order, [&](std::size_t a, std::size_t b) { return stands[a].id < stands[b].id; });
    std::vector<Stand> sorted;
    sorted.reserve(stands.size());
    for (const std::size_t i : order) sorted.push_back(std::move(stands[i]));
    stands = std::move(sorted);
}

// Writes the airport's own parking file, its stands sorted by id.
void lf_generateAirportFile(AirportScanShared& shared, BglAirport& airport, const ArchiveLink& link,
                            std::string_view pathText, std::vector<std::string>& lines) {
    if (airport.stands.empty()) return;
    const std::filesystem::path& folder =
        link.publisher == g_simaddonPublisher ? g_myOrbxFolder : g_myThirdpartyFolder;
    lf_sortById(airport.stands);
    const auto stands = airport.stands.size();
    const auto helipads = static_cast<std::size_t>(
        std::ranges::count_if(airport.stands, [](const Stand& s) { return s.heli != 0; }));
    lines.push_back(fmt::format("Generated {}: {} position{}{}", airport.ident, stands, gf_plural(stands),
                                helipads == 0 ? std::string()
                                              : fmt::format(", of which {} helipad{}", helipads, gf_plural(helipads))));
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    g_metaSimulator.set(std::string(g_metaSimulatorP3d));
    AddonAirport record;
    record.ident = airport.ident;
    record.name = airport.name;
    record.bglPath = std::string(pathText);
    record.publisher = link.publisher;
    record.altitude = airport.altitudeFt;
    record.stands = std::move(airport.stands);
    const std::filesystem::path file = folder / lf_apfXmlName(airport.ident);
    bool written = false;
    {
        const std::lock_guard lock(
            shared.generationMutexes[std::hash<std::string>{}(airport.ident) % shared.generationMutexes.size()]);
        written = gf_writeApf(record, file, g_apfModeScan);
    }
    if (written)
        shared.filesChanged = true;
    else
        lines.push_back(fmt::format("{}Generating {} did not succeed", warningMark, gf_pathText(file)));
}

void lf_processAirport(AirportScanShared& shared, BglAirport& airport, std::string_view pathText) {
    ++shared.airportsRead;
    std::vector<std::string> lines;
    const ArchiveLink link = lf_linkToArchivedAirport(shared, airport.ident, pathText, lines);
    std::ranges::move(airport.scanLines, std::back_inserter(lines));
    const auto stands = static_cast<std::int64_t>(airport.stands.size());
    const bool moreThanArchived = stands > link.archivedStands && link.publisher != g_simaddonPublisher;
    if (moreThanArchived)
        lines.push_back(fmt::format("{}{} has {} parkpos while archived one has {}", warningMark, airport.ident, stands,
                                    link.archivedStands));
    if (!link.linked || moreThanArchived) lf_generateAirportFile(shared, airport, link, pathText, lines);
    shared.log.add(lines);
}

}  // namespace

AirportScanLog::AirportScanLog() { m_lines.reserve(scanLogReserve); }

void AirportScanLog::add(std::string line) {
    const std::lock_guard lock(m_mutex);
    m_lines.push_back(std::move(line));
}

void AirportScanLog::add(std::vector<std::string>& lines) {
    const std::lock_guard lock(m_mutex);
    std::ranges::move(lines, std::back_inserter(m_lines));
    lines.clear();
}

std::vector<std::string> AirportScanLog::take() {
    const std::lock_guard lock(m_mutex);
    return std::exchange(m_lines, {});
}

std::string gf_publisherFromFilename(std::string_view pathText, std::vector<std::string>& lines) {
    if (gf_containsNoCase(pathText, orbxMark)) {
        lines.push_back(fmt::format("from filename => publisher {}", g_simaddonPublisher));
        return std::string(g_simaddonPublisher);
    }
    for (const auto& names : g_dbasePublishers) {
        // An empty name (a names list ending in ",") would match every path.
        const bool found = std::ranges::any_of(
            names, [&](const std::string& name) { return !name.empty() && gf_containsNoCase(pathText, name); });
        if (found && !names.empty()) return names.front();
    }
    return std::string(g_unknownPublisher);
}

void gf_processBglFile(AirportScanShared& shared, const std::filesystem::path& path) {
    const std::string pathText = gf_windowsPathText(path);
    std::optional<BglDiskFile> file;
    try {
        file.emplace(path);
    } catch (const std::exception&) {
        return;  // gone or locked since the walk saw it
    }
    try {
        gf_readBglAirports(*file, pathText, [&](BglAirport&& airport) { lf_processAirport(shared, airport, pathText); });
    } catch (const BglFormatError& e) {
        gf_logMarked("Exception in lf_processBGLfile: {}", pathText);
        // The scan reports the error where it takes the task's result: name the file there.
        throw BglFormatError(fmt::format("{}: {}", pathText, e.what()));
    } catch (const std::exception&) {
        gf_logMarked("Exception in lf_processBGLfile: {}", pathText);
        throw;
    }
}

}  // namespace zrb
