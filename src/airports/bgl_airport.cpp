#include "airports/bgl_airport.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <unordered_map>
#include <utility>

#include <fmt/format.h>

#include "foundation/ansi_text.h"
#include "foundation/text_file.h"

namespace zrb {

namespace {

// ---------------------------------------------------------------- layout (bytes)
constexpr std::size_t altitudeOffset = 20;        // i32, millimetres
constexpr std::size_t firstSubrecordOffset = 56;  // 0x3C airport
constexpr std::size_t firstSubrecordOffsetV2 = 60;  // 0xAB airport

constexpr std::size_t nameTextOffset = 6;
constexpr std::size_t maxNameBytes = 45;

constexpr std::size_t helipadLonOffset = 12;
constexpr std::size_t helipadLatOffset = 16;
constexpr std::size_t helipadWidthOffset = 28;    // f32, metres
constexpr std::size_t helipadHeadingOffset = 32;  // f32, degrees
constexpr std::size_t helipadBytes = 36;

constexpr std::size_t parkingCountOffset = 6;     // u16
constexpr std::size_t parkingEntriesOffset = 8;
constexpr std::size_t parkingRadiusOffset = 4;    // f32, metres
constexpr std::size_t parkingHeadingOffset = 8;   // f32, degrees
constexpr std::size_t parkingLonOffset = 28;
constexpr std::size_t parkingLatOffset = 32;
constexpr std::size_t parkingEntryBytes = 36;     // in a 0x3D list
constexpr std::size_t parkingEntryBytesV2 = 40;   // in a 0xAD list
constexpr std::size_t airlineCodeBytes = 4;       // each, after the entry

// ---------------------------------------------------------------- decoding
constexpr double latitudePerUnit = 3.3527612686157227e-7;   // 180 / 2^29 degrees
constexpr double longitudePerUnit = 4.470348358154297e-7;   // 360 / (3 × 2^28) degrees
constexpr double zeroPositionDeg = 0.0001;  // both within this of 0: no position
constexpr double radiansPerDegree = 0.017453292519943295;
constexpr double fullTurnRad = 6.283185307179586;  // a heading of exactly 0 is stored as this
constexpr double feetPerMillimetre = 3.2808399 / 1000.0;
constexpr std::int64_t maxAltitudeFt = 10000;
// Below sea level down to the lowest airfields there are; the field is signed.
constexpr std::int64_t minAltitudeFt = -1500;
constexpr double minRadiusM = 1.0;    // excluded
constexpr double maxRadiusM = 200.0;  // excluded
constexpr double sameHelipadDeg = 1e-8;

constexpr std::uint32_t identShift = 5;
constexpr std::uint32_t identBase = 38;
constexpr std::size_t identLength = 4;

constexpr std::uint32_t nameCodeMask = 0x3F;
constexpr std::uint32_t typeShift = 8;
constexpr std::uint32_t typeMask = 0xF;
constexpr std::uint32_t numberShift = 12;
constexpr std::uint32_t numberMask = 0xFFF;
constexpr std::uint32_t airlineCountShift = 24;
constexpr std::uint32_t firstParkingType = 1;
constexpr std::uint32_t lastParkingType = 11;
constexpr std::uint32_t lastRampType = 7;
constexpr std::uint32_t cargoType = 5;

constexpr std::uint32_t firstLetterCode = 12;  // name codes from here are one letter, code + 53
constexpr std::array<std::string_view, firstLetterCode> g_parkingPrefixes{
    "", "r", "p", "np", "ep", "sep", "sp", "swp", "wp", "nwp", "g", ""};

constexpr std::string_view duplicateLetters = "abcdef";
constexpr std::string_view warningMark = "===> ";

// ---------------------------------------------------------------- helpers
struct Position {
    double lat = 0.0;
    double lon = 0.0;
};

Position lf_position(std::span<const std::uint8_t> bytes, std::size_t lonAt, std::size_t latAt) {
    return {90.0 - gf_bglU32(bytes, latAt) * latitudePerUnit, gf_bglU32(bytes, lonAt) * longitudePerUnit - 180.0};
}

bool lf_validPosition(const Position& p) {
    if (!(p.lat >= -90.0 && p.lat <= 90.0 && p.lon >= -180.0 && p.lon <= 180.0)) return false;
    return !(std::abs(p.lat) <= zeroPositionDeg && std::abs(p.lon) <= zeroPositionDeg);
}

double lf_headingRad(float degrees) {
    if (degrees == 0.0F) return fullTurnRad;
    return degrees * radiansPerDegree;
}

std::int32_t lf_altitudeFt(std::int32_t millimetres) {
    const std::int64_t feet = std::llround(millimetres * feetPerMillimetre);
    if (feet > maxAltitudeFt || feet < minAltitudeFt) return 0;
    return static_cast<std::int32_t>(feet);
}

std::string lf_parkingPrefix(std::uint32_t code) {
    if (code < firstLetterCode) return std::string(g_parkingPrefixes[code]);
    return std::string(1, static_cast<char>(code + 53));
}

// The name as UTF-8 without control characters: the file's bytes when they
// are UTF-8 already, else read as legacy text, so the XML written from it stays valid.
std::string lf_nameText(std::span<const std::uint8_t> subrecord) {
    const std::uint32_t declared = gf_bglU32(subrecord, 2) & 0xFFFFu;
    if (declared <= nameTextOffset) return {};
    const std::size_t length = std::min<std::size_t>({declared - nameTextOffset, maxNameBytes,
                                                      subrecord.size() - nameTextOffset});
    std::string raw(reinterpret_cast<const char*>(subrecord.data() + nameTextOffset), length);
    while (!raw.empty() && raw.back() == '\0') raw.pop_back();
    if (!gf_isUtf8(raw)) raw = gf_ansiToUtf8(raw);
    std::erase_if(raw, [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
    return raw;
}

// The subrecords of an airport, one after the other up to the record's end.
class SubrecordWalk {
public:
    SubrecordWalk(std::span<const std::uint8_t> record, std::size_t first) : m_record(record), m_at(first) {}

    // The next subrecord (header included), or none at the end. A subrecord
    // smaller than its header or running past the record ends the walk and
    // sets fault().
    std::optional<std::span<const std::uint8_t>> next() {
        if (m_fault || m_at + g_bglRecordHeaderBytes > m_record.size()) return std::nullopt;
        const std::uint32_t size = gf_bglU32(m_record, m_at + 2);
        if (size < g_bglRecordHeaderBytes || size > m_record.size() - m_at) {
            m_fault = true;
            return std::nullopt;
        }
        const auto sub = m_record.subspan(m_at, size);
        m_at += size;
        return sub;
    }
    bool fault() const { return m_fault; }
    std::size_t offset() const { return m_at; }

private:
    std::span<const std::uint8_t> m_record;
    std::size_t m_at;
    bool m_fault = false;
};

// What one airport record is read into, with the state of its helipads and ids.
class AirportReader {
public:
    AirportReader(BglAirport& airport, std::string_view pathText) : m_airport(airport), m_path(pathText) {}

    void helipad(std::span<const std::uint8_t> sub);
    // Nothing is added from a list that does not fit its record.
    void parkingList(std::span<const std::uint8_t> sub, std::size_t entryBytes);
    bool duplicatesFound() const { return m_duplicatesFound; }

private:
    void line(std::string text) { m_airport.scanLines.push_back(std::move(text)); }
    void parkingEntry(std::span<const std::uint8_t> entry);
    std::optional<std::string> uniqueId(const std::string& base);

    BglAirport& m_airport;
    std::string_view m_path;
    std::uint32_t m_helipadNumber = 1;
    std::vector<Position> m_helipads;
    std::unordered_map<std::string, std::size_t> m_idsGiven;  // ids given per base id
    bool m_duplicatesFound = false;
};

void AirportReader::helipad(std::span<const std::uint8_t> sub) {
    if (sub.size() < helipadBytes) {
        line(fmt::format("helipad record of {} too short (skipped) in {}", m_airport.ident, m_path));
        return;
    }
    const Position p = lf_position(sub, helipadLonOffset, helipadLatOffset);
    if (!lf_validPosition(p)) {
        line(fmt::format("lat/lon helipad incorrect (skipped): {:.6f},{:.6f}", p.lat, p.lon));
        return;
    }
    const float width = gf_bglF32(sub, helipadWidthOffset);
    const float heading = gf_bglF32(sub, helipadHeadingOffset);
    // A NaN or infinite size or heading would reach the parking file as "nan".
    if (!std::isfinite(width) || width < 0.0F || !std::isfinite(heading)) {
        line(fmt::format("helipad size or heading invalid (skipped): {:.6f},{:.6f}", p.lat, p.lon));
        return;
    }
    for (const Position& known : m_helipads) {
        if (std::abs(known.lat - p.lat) <= sameHelipadDeg && std::abs(known.lon - p.lon) <= sameHelipadDeg) {
            line(fmt::format("double helipad {} (skipped) {:.6f},{:.6f}", m_airport.name, p.lat, p.lon));
            return;
        }
    }
    m_helipads.push_back(p);
    m_airport.stands.emplace_back(fmt::format("helipad{}", m_helipadNumber), std::vector<StandOption>{}, p.lat,
                                  p.lon, lf_headingRad(heading), width * 0.5, 1, 1, 0);
    ++m_helipadNumber;
}

void AirportReader::parkingList(std::span<const std::uint8_t> sub, std::size_t entryBytes) {
    // Every entry must lie within the list's own record: a count larger than
    // the data would otherwise turn the records after it into stands.
    const auto entryEnd = [&](std::size_t at) {
        return at + entryBytes + airlineCodeBytes * (gf_bglU32(sub, at) >> airlineCountShift);
    };
    bool fits = sub.size() >= parkingEntriesOffset;
    const std::size_t count = fits ? gf_bglU16(sub, parkingCountOffset) : 0;
    for (std::size_t i = 0, at = parkingEntriesOffset; fits && i < count; ++i) {
        fits = at <= sub.size() && sub.size() - at >= entryBytes && entryEnd(at) <= sub.size();
        if (fits) at = entryEnd(at);
    }
    if (!fits) {
        line(fmt::format("parking list of {} does not fit its record (skipped) in {}", m_airport.ident, m_path));
        return;
    }
    m_airport.stands.reserve(m_airport.stands.size() + count);
    m_idsGiven.reserve(m_idsGiven.size() + count);
    for (std::size_t i = 0, at = parkingEntriesOffset; i < count; ++i) {
        parkingEntry(sub.subspan(at, entryBytes));
        at = entryEnd(at);
    }
}

// Base ids end in a digit, so an id with a letter can only come from its own
// base: the n-th spot of a base takes the base, then the letters in turn.
std::optional<std::string> AirportReader::uniqueId(const std::string& base) {
    std::size_t& given = m_idsGiven[base];
    if (given++ == 0) return base;
    m_duplicatesFound = true;
    if (given > duplicateLetters.size() + 1) {
        given = duplicateLetters.size() + 1;
        return std::nullopt;
    }
    return base + duplicateLetters[given - 2];
}

void AirportReader::parkingEntry(std::span<const std::uint8_t> entry) {
    const std::uint32_t word = gf_bglU32(entry, 0);
    const float radius = gf_bglF32(entry, parkingRadiusOffset);
    if (!(radius > minRadiusM && radius < maxRadiusM)) {
        line(fmt::format("Skipped position with radius {:.1F} m in {}", radius, m_path));
        return;
    }
    const std::string base = lf_parkingPrefix(word & nameCodeMask) + std::to_string((word >> numberShift) & numberMask);
    const std::uint32_t type = (word >> typeShift) & typeMask;
    if (type < firstParkingType || type > lastParkingType) return;
    const Position p = lf_position(entry, parkingLonOffset, parkingLatOffset);
    if (!lf_validPosition(p)) {
        line(fmt::format("LatLon {:.6f},{:.6f} invalid (skipped)", p.lat, p.lon));
        return;
    }
    const float heading = gf_bglF32(entry, parkingHeadingOffset);
    if (!std::isfinite(heading)) {
        line(fmt::format("Heading of {} invalid (skipped) in {}", base, m_path));
        return;
    }
    const auto id = uniqueId(base);
    if (!id) {
        line(fmt::format("{}Warning: more than 6 duplicate IDs {} in {}", warningMark, base, m_path));
        return;
    }
    const std::int32_t notCargo = type == cargoType ? 0 : 1;
    const std::int32_t notRamp = type <= lastRampType ? 0 : 1;
    Stand& stand = m_airport.stands.emplace_back(*id, std::vector<StandOption>{}, p.lat, p.lon, lf_headingRad(heading),
                                                 static_cast<double>(radius), notCargo, notRamp, 1);
    stand.suffixed = *id != base ? 1 : 0;
}

// Within every group of stands sharing a base id, the widest keeps the plain
// id and the narrower ones take the letters in order of decreasing radius.
// Base ids end in a digit, so a stand belongs to the group of its own id or,
// when its id ends in one of the letters, to that of its id without it; the
// groups are gathered in one pass, however many there are.
void lf_renameDuplicateStands(std::vector<Stand>& stands) {
    std::unordered_map<std::string, std::size_t> groupOf;  // base id -> index in groups
    std::vector<std::vector<Stand*>> groups;
    for (const Stand& s : stands)
        if (s.suffixed != 0 && groupOf.try_emplace(s.id.substr(0, s.id.size() - 1), groups.size()).second)
            groups.emplace_back();
    for (Stand& s : stands) {
        auto group = groupOf.find(s.id);
        if (group == groupOf.end() && !s.id.empty() && duplicateLetters.find(s.id.back()) != std::string_view::npos)
            group = groupOf.find(s.id.substr(0, s.id.size() - 1));
        if (group == groupOf.end()) continue;
        s.suffixed = 0;
        groups[group->second].push_back(&s);
    }
    for (const auto& [base, index] : groupOf) {
        std::vector<Stand*>& group = groups[index];
        // Equal radii keep their stand order (the pointers' order).
        std::ranges::sort(group, [](const Stand* a, const Stand* b) {
            return a->radius > b->radius || (a->radius == b->radius && std::less<const Stand*>{}(a, b));
        });
        for (std::size_t k = 0; k < group.size(); ++k)
            group[k]->id = k == 0 ? base : base + static_cast<char>('`' + k);
    }
}

}  // namespace

std::optional<std::string> gf_decodeBglIdent(std::uint32_t packed) {
    std::uint32_t value = packed >> identShift;
    std::array<char, 8> reversed{};  // 2^27 has at most 6 base-38 digits
    std::size_t count = 0;
    do {
        const std::uint32_t digit = value % identBase;
        if (digit == 0) return std::nullopt;  // a blank
        reversed[count++] = static_cast<char>(digit >= 2 && digit <= 11 ? digit + 46 : digit + 53);
        value /= identBase;
    } while (value != 0 && count < reversed.size());
    if (count != identLength) return std::nullopt;
    return std::string{reversed[3], reversed[2], reversed[1], reversed[0]};
}

BglAirport gf_readBglAirportRecord(std::span<const std::uint8_t> record, std::string ident,
                                   std::string_view pathText) {
    BglAirport airport;
    airport.ident = std::move(ident);
    const bool v2 = record.size() >= 2 && gf_bglU16(record, 0) == g_bglAirportRecordV2;
    const std::size_t first = v2 ? firstSubrecordOffsetV2 : firstSubrecordOffset;
    if (record.size() < first) {
        airport.scanLines.push_back(
            fmt::format("airport record of {} too short (skipped) in {}", airport.ident, pathText));
        return airport;
    }
    airport.altitudeFt = lf_altitudeFt(static_cast<std::int32_t>(gf_bglU32(record, altitudeOffset)));

    // A name that differs from an earlier one leaves the airport without a name.
    for (SubrecordWalk walk(record, first); const auto sub = walk.next();) {
        if (gf_bglU16(*sub, 0) != g_bglNameRecord) continue;
        std::string text = lf_nameText(*sub);
        if (airport.name.empty())
            airport.name = std::move(text);
        else if (text != airport.name)
            airport.name.clear();
    }

    // Helipads and parking spots up to the first parking list of the airport's kind.
    const std::uint16_t parkingId = v2 ? g_bglParkingRecordV2 : g_bglParkingRecord;
    AirportReader reader(airport, pathText);
    SubrecordWalk walk(record, first);
    while (const auto sub = walk.next()) {
        const std::uint16_t id = gf_bglU16(*sub, 0);
        if (id == g_bglHelipadRecord) {
            reader.helipad(*sub);
        } else if (id == parkingId) {
            reader.parkingList(*sub, v2 ? parkingEntryBytesV2 : parkingEntryBytes);
            if (reader.duplicatesFound()) lf_renameDuplicateStands(airport.stands);
            return airport;
        }
    }
    if (walk.fault())
        airport.scanLines.push_back(fmt::format("record at byte {} of airport {} runs past its end (rest skipped) in {}",
                                                walk.offset(), airport.ident, pathText));
    return airport;
}

}  // namespace zrb
