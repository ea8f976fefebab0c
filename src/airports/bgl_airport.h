#pragma once
// One airport record of a BGL scenery file turned into the airport the add-on
// scan links or writes: its ident, name, altitude and one Stand per helipad and
// parking spot, with ids made unique within the airport and lettered by size.
//
// Everything read from the record is checked against the record's own bounds;
// what is skipped or doubted becomes a line for the scan log, in file order.
//
// Threads: no shared state; safe from any thread.

#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "airports/stand.h"

namespace zrb {

// Record ids of the records read.
inline constexpr std::uint16_t g_bglAirportRecord = 0x3C;
inline constexpr std::uint16_t g_bglAirportRecordV2 = 0xAB;  // subrecords from 60, 40-byte parking entries
inline constexpr std::uint16_t g_bglNameRecord = 0x19;
inline constexpr std::uint16_t g_bglHelipadRecord = 0x26;
inline constexpr std::uint16_t g_bglParkingRecord = 0x3D;    // the parking list of a 0x3C airport
inline constexpr std::uint16_t g_bglParkingRecordV2 = 0xAD;  // the parking list of a 0xAB airport

inline constexpr std::size_t g_bglRecordHeaderBytes = 6;  // u16 id, u32 size (header included)
inline constexpr std::size_t g_bglIdentOffset = 40;       // in an airport record

// Little-endian reads; the caller has checked that the bytes are there.
inline std::uint16_t gf_bglU16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}
inline std::uint32_t gf_bglU32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | (static_cast<std::uint32_t>(bytes[at + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[at + 2]) << 16) | (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}
inline float gf_bglF32(std::span<const std::uint8_t> bytes, std::size_t at) {
    const std::uint32_t bits = gf_bglU32(bytes, at);
    float value = 0.0F;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// An airport as read from its record.
struct BglAirport {
    std::string ident;          // ICAO code, four characters
    std::string name;           // UTF-8; empty when the record has none, or names that differ
    std::int32_t altitudeFt = 0;  // 0 when the record's altitude lies outside the range airports have
    std::vector<Stand> stands;  // helipads and parking spots in file order, ids unique
    std::vector<std::string> scanLines;  // what was skipped or doubted, for the scan log
};

// The four-character ident of a packed ident field, or none for a blank digit
// or another length.
std::optional<std::string> gf_decodeBglIdent(std::uint32_t packed);

// Reads one airport record (its whole bytes, header included) of either kind.
// Never throws for what the record holds: a subrecord that does not fit ends
// the reading of the airport with a scan-log line, the stands read so far kept.
// pathText names the file in the scan-log lines.
BglAirport gf_readBglAirportRecord(std::span<const std::uint8_t> record, std::string ident,
                                   std::string_view pathText);

}  // namespace zrb
