#pragma once
// The stand-in's own encoder and decoder of the SimConnect wire format. Written
// apart from the client's packet code on purpose (only the constants header is
// shared), so that a mistake in the client shows up as a disagreement here.

#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zrb::standin {

// Bounds-checked little-endian reads from one received packet. A read past the
// end yields nothing and marks the reader as overrun.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    std::optional<std::uint32_t> u32(std::size_t offset);
    std::optional<double> f64(std::size_t offset);
    std::optional<float> f32(std::size_t offset);
    // The text of a fixed field up to its terminator; nothing when the field
    // lies past the end. terminated tells whether a zero ended it inside the
    // field with only zeros after it, as the simulator expects a text field.
    std::optional<std::string> text(std::size_t offset, std::size_t fieldBytes, bool* terminated = nullptr);
    std::span<const std::uint8_t> tail(std::size_t offset) const;
    std::size_t size() const { return m_bytes.size(); }
    bool overrun() const { return m_overrun; }

private:
    std::span<const std::uint8_t> m_bytes;
    bool m_overrun = false;
};

// Builds one server message: appends fields in order, then patches dwSize.
class MessageBuilder {
public:
    // Starts a message with dwSize (patched later), dwVersion and dwID.
    explicit MessageBuilder(std::uint32_t messageId);
    MessageBuilder& u32(std::uint32_t value);
    MessageBuilder& i64(std::int64_t value);
    MessageBuilder& f32(float value);
    MessageBuilder& f64(double value);
    // A text in a field of fieldBytes (cut to fieldBytes - 1 and zero-filled).
    MessageBuilder& fixedText(const std::string& value, std::size_t fieldBytes);
    // A text and its terminator, as variable-length strings are sent.
    MessageBuilder& variableText(const std::string& value);
    MessageBuilder& raw(std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> finish();

private:
    std::vector<std::uint8_t> m_bytes;
};

// One packet from the client, split into its header and the whole bytes.
struct ClientPacket {
    std::uint32_t size = 0;
    std::uint32_t version = 0;
    std::uint32_t id = 0;       // 0xF0000000 | opcode
    std::uint32_t sendId = 0;
    std::vector<std::uint8_t> bytes;
    std::uint32_t opcode() const { return id & 0x0FFFFFFF; }
};

enum class ClientFrame : std::uint8_t { packet, needMore, bad };

// Frames the client's stream: every packet starts with a 16-byte header whose
// first word is the whole size. Consumes a framed packet from the front of
// `pending`. bad: a size below 16 or above maxBytes.
ClientFrame gf_frameClientPacket(std::vector<std::uint8_t>& pending, std::size_t& consumed, ClientPacket& packet,
                                 std::uint32_t maxBytes);

}  // namespace zrb::standin
