#include "airports/bgl_file.h"

#include <algorithm>
#include <system_error>
#include <unordered_set>

#include <fmt/format.h>

#include "foundation/text_file.h"

namespace zrb {

namespace {

// ---------------------------------------------------------------- layout (bytes)
constexpr std::uint32_t headerBytes = 56;  // the header size a file must state
constexpr std::size_t headerSizeOffset = 4;
constexpr std::size_t sectionCountOffset = 20;
constexpr std::size_t headerFieldsBytes = 24;    // up to and with the section count
constexpr std::uint64_t minFileBytes = 60;       // header plus one word

constexpr std::size_t sectionEntryBytes = 20;
constexpr std::size_t sectionFlagOffset = 4;
constexpr std::size_t subsectionCountOffset = 8;
constexpr std::size_t subsectionTableOffset = 12;
constexpr std::uint32_t airportSectionType = 3;
// Bit 16 of the flag chooses 20-byte subsection entries; only 16-byte ones are read.
constexpr std::uint32_t wideSubsectionFlag = 0x10000;

constexpr std::size_t subsectionEntryBytes = 16;
constexpr std::size_t subsectionDataOffset = 8;
constexpr std::size_t subsectionDataSize = 12;

constexpr std::size_t tableChunkEntries = 256;  // entries read at once from a table
// Tables and records of a sound file are read about once; sections sharing
// their subsections read them again. Beyond this many times the file's size
// the tables point into each other over and over, and the walk would not end
// in any useful time.
constexpr std::uint64_t readBudgetPerFileByte = 4;

// Reads a table of fixed-size entries in chunks, so that a large count costs
// no large allocation; calls visit with each entry's bytes until it returns false.
template <typename Visit>
void lf_forEachEntry(BglBytes& file, std::uint64_t offset, std::uint64_t count, std::size_t entryBytes,
                     Visit&& visit) {
    std::vector<std::uint8_t> chunk;
    for (std::uint64_t done = 0; done < count;) {
        const std::uint64_t take = std::min<std::uint64_t>(count - done, tableChunkEntries);
        const auto bytes = file.read(offset + done * entryBytes, static_cast<std::size_t>(take * entryBytes));
        chunk.assign(bytes.begin(), bytes.end());  // visit may read the file again
        for (std::uint64_t i = 0; i < take; ++i)
            if (!visit(std::span<const std::uint8_t>(chunk).subspan(static_cast<std::size_t>(i * entryBytes),
                                                                    entryBytes)))
                return;
        done += take;
    }
}

class FileWalk {
public:
    FileWalk(BglBytes& file, std::string_view pathText, const std::function<void(BglAirport&&)>& onAirport)
        : m_file(file), m_path(pathText), m_onAirport(onAirport), m_budget(readBudgetPerFileByte * file.size()) {}

    void section(std::span<const std::uint8_t> entry);

private:
    void subsection(std::span<const std::uint8_t> entry);
    void records(std::span<const std::uint8_t> data, std::uint64_t dataOffset, bool cut);
    void charge(std::uint64_t bytes);
    void pastTheEnd(std::uint64_t offset) const;

    BglBytes& m_file;
    std::string_view m_path;
    const std::function<void(BglAirport&&)>& m_onAirport;
    std::unordered_set<std::uint64_t> m_airportsRead;  // file offsets of the airport records read
    std::uint64_t m_budget;                            // bytes of tables and records still to be read
    bool m_subsectionMet = false;                      // a subsection lay inside the file
};

void FileWalk::charge(std::uint64_t bytes) {
    if (bytes > m_budget)
        throw BglFormatError(fmt::format("tables point into each other, {} bytes read from a file of {}",
                                         readBudgetPerFileByte * m_file.size(), m_file.size()));
    m_budget -= bytes;
}

// A cut file ends quietly where the cut lies, keeping what came before it. A
// file whose first subsection already lies past its end holds nothing that
// could be read: without an error the user would never learn that it is damaged.
void FileWalk::pastTheEnd(std::uint64_t offset) const {
    if (m_subsectionMet) return;
    throw BglFormatError(fmt::format(
        "damaged: the first subsection at byte {} lies past the end of the file of {} bytes", offset, m_file.size()));
}

void FileWalk::section(std::span<const std::uint8_t> entry) {
    if (gf_bglU32(entry, 0) != airportSectionType) return;
    if ((gf_bglU32(entry, sectionFlagOffset) & wideSubsectionFlag) != 0) return;
    const std::uint64_t tableOffset = gf_bglU32(entry, subsectionTableOffset);
    const std::uint64_t declared = gf_bglU32(entry, subsectionCountOffset);
    if (declared == 0) return;
    if (tableOffset >= m_file.size() || m_file.size() - tableOffset < subsectionEntryBytes) {
        pastTheEnd(tableOffset);
        return;
    }
    // A cut file still holds the entries before the cut.
    const std::uint64_t count = std::min<std::uint64_t>(declared, (m_file.size() - tableOffset) / subsectionEntryBytes);
    charge(count * subsectionEntryBytes);
    lf_forEachEntry(m_file, tableOffset, count, subsectionEntryBytes, [this](auto sub) {
        subsection(sub);
        return true;
    });
}

void FileWalk::subsection(std::span<const std::uint8_t> entry) {
    const std::uint64_t offset = gf_bglU32(entry, subsectionDataOffset);
    if (offset >= m_file.size()) {
        pastTheEnd(offset);
        return;
    }
    m_subsectionMet = true;
    const std::uint64_t declared = gf_bglU32(entry, subsectionDataSize);
    // A cut file (a download or copy that ended early) still holds the
    // records before the cut: they are read, and only a record the cut runs
    // through is an error.
    const std::uint64_t size = std::min(declared, m_file.size() - offset);
    charge(size);
    records(m_file.read(offset, static_cast<std::size_t>(size)), offset, size < declared);
}

// The records of one subsection, bounded by it: records of other sections are
// never read as airports. A record smaller than its own header ends the walk
// (there is no telling where the next one starts), keeping what was read.
void FileWalk::records(std::span<const std::uint8_t> data, std::uint64_t dataOffset, bool cut) {
    std::size_t at = 0;
    while (data.size() - at >= g_bglRecordHeaderBytes) {
        const std::uint16_t id = gf_bglU16(data, at);
        const std::uint32_t size = gf_bglU32(data, at + 2);
        if (size < g_bglRecordHeaderBytes) return;
        if (size > data.size() - at)
            throw BglFormatError(fmt::format("record at byte {} of size {} {}", dataOffset + at, size,
                                             cut ? "runs past the end of the file" : "does not fit its subsection"));
        const auto record = data.subspan(at, size);
        at += size;
        if (id != g_bglAirportRecord && id != g_bglAirportRecordV2) continue;
        if (record.size() < g_bglIdentOffset + 4)
            throw BglFormatError(fmt::format("airport record at byte {} of size {} is too short",
                                             dataOffset + (at - size), size));
        auto ident = gf_decodeBglIdent(gf_bglU32(record, g_bglIdentOffset));
        if (!ident) continue;
        if (!m_airportsRead.insert(dataOffset + (at - size)).second) continue;
        m_onAirport(gf_readBglAirportRecord(record, std::move(*ident), m_path));
    }
}

}  // namespace

std::span<const std::uint8_t> BglMemory::read(std::uint64_t offset, std::size_t length) {
    if (offset > m_bytes.size() || length > m_bytes.size() - offset)
        throw std::out_of_range(fmt::format("read of {} bytes at {} outside {} bytes", length, offset, m_bytes.size()));
    return m_bytes.subspan(static_cast<std::size_t>(offset), length);
}

BglDiskFile::BglDiskFile(const std::filesystem::path& path) : m_in(path, std::ios::binary) {
    std::error_code ec;
    m_size = std::filesystem::file_size(path, ec);
    if (!m_in || ec) throw std::runtime_error(fmt::format("cannot open {}", gf_pathText(path)));
}

std::span<const std::uint8_t> BglDiskFile::read(std::uint64_t offset, std::size_t length) {
    if (offset > m_size || length > m_size - offset)
        throw std::out_of_range(fmt::format("read of {} bytes at {} outside {} bytes", length, offset, m_size));
    m_buffer.resize(length);
    m_in.clear();
    m_in.seekg(static_cast<std::streamoff>(offset));
    m_in.read(reinterpret_cast<char*>(m_buffer.data()), static_cast<std::streamsize>(length));
    if (static_cast<std::size_t>(m_in.gcount()) != length)
        throw std::runtime_error(fmt::format("read of {} bytes at {} failed", length, offset));
    return m_buffer;
}

bool gf_hasAirportSection(BglBytes& file) {
    if (file.size() < headerFieldsBytes) return false;
    const std::uint64_t sections = gf_bglU32(file.read(0, headerFieldsBytes), sectionCountOffset);
    // 64-bit: a hostile count must not wrap the size test round.
    if (sections == 0 || file.size() <= headerBytes + sectionEntryBytes * sections) return false;
    bool found = false;
    lf_forEachEntry(file, headerBytes, sections, sectionEntryBytes, [&](auto entry) {
        found = gf_bglU32(entry, 0) == airportSectionType;
        return !found;
    });
    return found;
}

bool gf_hasAirportSection(const std::filesystem::path& path) {
    try {
        BglDiskFile file(path);
        return gf_hasAirportSection(file);
    } catch (const std::exception&) {
        return false;
    }
}

void gf_readBglAirports(BglBytes& file, std::string_view pathText,
                        const std::function<void(BglAirport&&)>& onAirport) {
    if (file.size() < minFileBytes) return;
    const auto header = file.read(0, headerFieldsBytes);
    if (gf_bglU32(header, headerSizeOffset) != headerBytes) return;
    // Sections are read only as far as the file holds them, however many the header counts.
    const std::uint64_t counted = gf_bglU32(header, sectionCountOffset);
    const std::uint64_t sections = std::min(counted, (file.size() - headerBytes) / sectionEntryBytes);
    FileWalk walk(file, pathText, onAirport);
    lf_forEachEntry(file, headerBytes, sections, sectionEntryBytes, [&](auto entry) {
        walk.section(entry);
        return true;
    });
}

}  // namespace zrb
