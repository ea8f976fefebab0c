#pragma once
// The airport records of BGL scenery files: the pre-test that tells whether a
// file holds an airport section, and the walk over its sections, subsections
// and records that hands every airport with a four-character ident to the
// caller as a BglAirport (bgl_airport.h).
//
// A BGL file is made by whoever made the add-on: every offset, count and size
// in it is checked against its section, its subsection and the file before it
// is used, and nothing is allocated by a count the file gives. A table or
// subsection that runs past the end of the file is read as far as the file
// holds it (a cut file keeps the airports before the cut); a record offset at
// or past the end, or a record smaller than its header, ends the walk
// quietly. A record that runs outside its bounds, or a first subsection that
// lies past the end of the file, raises BglFormatError; airports handed over
// before it keep their results.
//
// Threads: no shared state; any number of files may be read at once, each by
// its own thread.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <span>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "airports/bgl_airport.h"

namespace zrb {

// A file whose structure runs outside its bounds: truncated, or corrupt.
class BglFormatError : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};

// Where the reader takes a file's bytes from.
class BglBytes {
public:
    virtual ~BglBytes() = default;
    virtual std::uint64_t size() const = 0;
    // The bytes [offset, offset + length); the caller keeps the range within
    // size(). Valid until the next call.
    virtual std::span<const std::uint8_t> read(std::uint64_t offset, std::size_t length) = 0;
};

// A whole file held in memory (tests, the fuzz target, the benchmark).
class BglMemory final : public BglBytes {
public:
    explicit BglMemory(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    std::uint64_t size() const override { return m_bytes.size(); }
    std::span<const std::uint8_t> read(std::uint64_t offset, std::size_t length) override;

private:
    std::span<const std::uint8_t> m_bytes;
};

// A file on disk, read range by range: only the header, the tables and the
// airport subsections are read, however large the file is.
class BglDiskFile final : public BglBytes {
public:
    // Throws std::runtime_error when the file cannot be opened or its size not read.
    explicit BglDiskFile(const std::filesystem::path& path);
    std::uint64_t size() const override { return m_size; }
    // Throws std::runtime_error when the read fails.
    std::span<const std::uint8_t> read(std::uint64_t offset, std::size_t length) override;

private:
    std::ifstream m_in;
    std::uint64_t m_size = 0;
    std::vector<std::uint8_t> m_buffer;
};

// True when the file holds at least one section of the airport type among the
// sections its header counts, and is longer than its header and section table.
// False for a file that cannot be opened or read. The header size is not
// looked at (the walk does that).
bool gf_hasAirportSection(BglBytes& file);
bool gf_hasAirportSection(const std::filesystem::path& path);

// Walks every airport subsection of the file and calls onAirport with each
// airport whose ident decodes to four characters, in file order; an airport
// record met twice (two sections sharing their records) is read once. A file
// with another header size, or shorter than its header, yields nothing.
// pathText names the file in the airports' scan-log lines.
// Throws BglFormatError for a record that runs past the end of the file or of
// its subsection, a first subsection (or its table) at or past the end of the
// file, an airport record too short for its ident, or tables that point into
// each other so often that the walk would not end.
void gf_readBglAirports(BglBytes& file, std::string_view pathText,
                        const std::function<void(BglAirport&&)>& onAirport);

}  // namespace zrb
