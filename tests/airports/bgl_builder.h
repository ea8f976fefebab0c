#pragma once
// Builds BGL scenery files byte by byte for the tests, the fuzz seeds and the
// benchmark: the header, the section table, subsection tables, airport
// records with their name, helipad and parking subrecords, and records of
// other kinds. Every field can be set to what a damaged file would hold.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zrb::test {

using Bytes = std::string;

inline void putU16(Bytes& out, std::uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}
inline void putU32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
inline void putF32(Bytes& out, float v) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    putU32(out, bits);
}
inline void setU32(Bytes& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline std::uint32_t bglLatitude(double lat) {
    return static_cast<std::uint32_t>(std::llround((90.0 - lat) * 536870912.0 / 180.0));
}
inline std::uint32_t bglLongitude(double lon) {
    return static_cast<std::uint32_t>(std::llround((lon + 180.0) * 805306368.0 / 360.0));
}
// Letters are 12 + their index, digits 2 + their value, a blank 0.
inline std::uint32_t bglIdent(std::string_view ident) {
    std::uint32_t v = 0;
    for (const char c : ident) {
        const std::uint32_t digit = c == ' ' ? 0 : (c >= '0' && c <= '9') ? 2 + (c - '0') : 12 + (c - 'A');
        v = v * 38 + digit;
    }
    return v << 5;
}

// A record or subrecord: u16 id, u32 size (header included), then the body.
inline Bytes bglRecord(std::uint16_t id, const Bytes& body, std::optional<std::uint32_t> sizeField = {}) {
    Bytes out;
    putU16(out, id);
    putU32(out, sizeField.value_or(static_cast<std::uint32_t>(6 + body.size())));
    return out + body;
}

struct BglHelipad {
    double lat = 51.0;
    double lon = 7.0;
    float width = 20.0F;   // metres
    float heading = 0.0F;  // degrees
};

struct BglParking {
    std::uint32_t nameCode = 10;  // "g"
    std::uint32_t type = 2;
    std::uint32_t number = 1;
    float radius = 20.0F;   // metres
    float heading = 90.0F;  // degrees
    double lat = 51.0;
    double lon = 7.0;
    std::uint32_t airlineCodes = 0;
};

inline Bytes bglHelipadRecord(const BglHelipad& h) {
    Bytes body(6, '\0');  // bytes 6..11 of the record
    putU32(body, bglLongitude(h.lon));
    putU32(body, bglLatitude(h.lat));
    body.append(8, '\0');
    putF32(body, h.width);
    putF32(body, h.heading);
    return bglRecord(0x26, body);
}

// A parking list: id 0x3D (36-byte entries) or 0xAD (40-byte entries).
inline Bytes bglParkingRecord(const std::vector<BglParking>& spots, bool v2,
                              std::optional<std::uint16_t> countField = {}) {
    Bytes body;
    putU16(body, countField.value_or(static_cast<std::uint16_t>(spots.size())));
    for (const auto& p : spots) {
        putU32(body, (p.nameCode & 0x3F) | ((p.type & 0xF) << 8) | ((p.number & 0xFFF) << 12) | (p.airlineCodes << 24));
        putF32(body, p.radius);
        putF32(body, p.heading);
        body.append(16, '\0');
        putU32(body, bglLongitude(p.lon));
        putU32(body, bglLatitude(p.lat));
        if (v2) body.append(4, '\0');
        for (std::uint32_t i = 0; i < p.airlineCodes; ++i) body.append("KLM\0", 4);
    }
    return bglRecord(v2 ? 0xAD : 0x3D, body);
}

// A name subrecord, padded with NULs to whole words; sizeField replaces its size.
inline Bytes bglNameRecord(std::string text, std::optional<std::uint32_t> sizeField = {}) {
    while ((text.size() + 6) % 4 != 0) text.push_back('\0');
    return bglRecord(0x19, text, sizeField);
}

// An airport record, 0x3C (subrecords from byte 56) or 0xAB (from byte 60).
class BglAirportRecord {
public:
    explicit BglAirportRecord(std::string_view ident, bool v2 = false)
        : m_packedIdent(bglIdent(ident)), m_v2(v2) {}

    BglAirportRecord& packedIdent(std::uint32_t v) { m_packedIdent = v; return *this; }
    BglAirportRecord& altitudeMm(std::uint32_t mm) { m_altitude = mm; return *this; }
    BglAirportRecord& name(const std::string& text, std::optional<std::uint32_t> sizeField = {}) {
        m_subrecords += bglNameRecord(text, sizeField);
        return *this;
    }
    BglAirportRecord& helipad(const BglHelipad& h) { m_subrecords += bglHelipadRecord(h); return *this; }
    BglAirportRecord& parking(const std::vector<BglParking>& spots, std::optional<std::uint16_t> countField = {}) {
        m_subrecords += bglParkingRecord(spots, m_v2, countField);
        return *this;
    }
    BglAirportRecord& subrecord(const Bytes& bytes) { m_subrecords += bytes; return *this; }
    BglAirportRecord& sizeField(std::uint32_t size) { m_sizeField = size; return *this; }

    Bytes bytes() const {
        Bytes out;
        putU16(out, m_v2 ? 0xAB : 0x3C);
        const std::size_t first = m_v2 ? 60 : 56;
        putU32(out, m_sizeField.value_or(static_cast<std::uint32_t>(first + m_subrecords.size())));
        out.resize(first, '\0');
        setU32(out, 20, m_altitude);
        setU32(out, 40, m_packedIdent);
        return out + m_subrecords;
    }

private:
    std::uint32_t m_packedIdent;
    bool m_v2;
    std::uint32_t m_altitude = 100000;  // 100 m
    Bytes m_subrecords;
    std::optional<std::uint32_t> m_sizeField;
};

struct BglSection {
    std::uint32_t type = 3;
    std::uint32_t flag = 0;
    std::vector<Bytes> subsections;  // each the records of one subsection, back to back
};

struct BglLayout {
    std::uint32_t headerSize = 56;
    std::optional<std::uint32_t> sectionCount;  // replaces the true count
};

// Header, section table, then per section its subsection table and the
// subsections' records. Every offset is a multiple of 4 when the records' are.
inline Bytes bglFile(const std::vector<BglSection>& sections, const BglLayout& layout = {}) {
    Bytes out(56, '\0');
    setU32(out, 0, 0x19920201);
    setU32(out, 4, layout.headerSize);
    setU32(out, 20, layout.sectionCount.value_or(static_cast<std::uint32_t>(sections.size())));
    std::size_t at = 56 + 20 * sections.size();
    Bytes tail;
    for (const auto& section : sections) {
        const std::size_t table = at;
        putU32(out, section.type);
        putU32(out, section.flag);
        putU32(out, static_cast<std::uint32_t>(section.subsections.size()));
        putU32(out, static_cast<std::uint32_t>(table));
        putU32(out, static_cast<std::uint32_t>(16 * section.subsections.size()));
        at += 16 * section.subsections.size();
        Bytes tableBytes;
        Bytes data;
        for (const auto& records : section.subsections) {
            putU32(tableBytes, 0);  // the subsection's id, not read
            putU32(tableBytes, 1);
            putU32(tableBytes, static_cast<std::uint32_t>(at + data.size()));
            putU32(tableBytes, static_cast<std::uint32_t>(records.size()));
            data += records;
        }
        at += data.size();
        tail += tableBytes + data;
    }
    return out + tail;
}

// A file with one airport section holding the given records in one subsection.
inline Bytes bglAirportFile(const std::vector<Bytes>& records) {
    Bytes joined;
    for (const auto& r : records) joined += r;
    return bglFile({BglSection{3, 0, {joined}}});
}

}  // namespace zrb::test
