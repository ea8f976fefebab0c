#include "simulator/wire.h"

#include <algorithm>

#include "simconnect/protocol.h"

namespace zrb::standin {

std::optional<std::uint32_t> ByteReader::u32(std::size_t offset) {
    if (offset > m_bytes.size() || m_bytes.size() - offset < 4) {
        m_overrun = true;
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | m_bytes[offset + static_cast<std::size_t>(i)];
    return value;
}

std::optional<double> ByteReader::f64(std::size_t offset) {
    const auto low = u32(offset);
    const auto high = u32(offset + 4);
    if (!low || !high) return std::nullopt;
    const std::uint64_t bits = (static_cast<std::uint64_t>(*high) << 32) | *low;
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::optional<float> ByteReader::f32(std::size_t offset) {
    const auto bits = u32(offset);
    if (!bits) return std::nullopt;
    float value = 0.0f;
    std::memcpy(&value, &*bits, sizeof value);
    return value;
}

std::optional<std::string> ByteReader::text(std::size_t offset, std::size_t fieldBytes, bool* terminated) {
    if (offset > m_bytes.size() || m_bytes.size() - offset < fieldBytes) {
        m_overrun = true;
        return std::nullopt;
    }
    std::string value;
    bool ended = false;
    bool padded = true;
    for (std::size_t i = 0; i < fieldBytes; ++i) {
        const auto c = m_bytes[offset + i];
        if (ended) {
            padded = padded && c == 0;
        } else if (c == 0) {
            ended = true;
        } else {
            value.push_back(static_cast<char>(c));
        }
    }
    if (terminated) *terminated = ended && padded;
    return value;
}

std::span<const std::uint8_t> ByteReader::tail(std::size_t offset) const {
    if (offset >= m_bytes.size()) return {};
    return m_bytes.subspan(offset);
}

MessageBuilder::MessageBuilder(std::uint32_t messageId) {
    u32(0);
    u32(simconnect::kProtocolVersion);
    u32(messageId);
}

MessageBuilder& MessageBuilder::u32(std::uint32_t value) {
    for (int i = 0; i < 4; ++i) m_bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    return *this;
}

MessageBuilder& MessageBuilder::i64(std::int64_t value) {
    const auto bits = static_cast<std::uint64_t>(value);
    u32(static_cast<std::uint32_t>(bits));
    return u32(static_cast<std::uint32_t>(bits >> 32));
}

MessageBuilder& MessageBuilder::f32(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return u32(bits);
}

MessageBuilder& MessageBuilder::f64(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return i64(static_cast<std::int64_t>(bits));
}

MessageBuilder& MessageBuilder::fixedText(const std::string& value, std::size_t fieldBytes) {
    const std::size_t length = fieldBytes == 0 ? 0 : std::min(value.size(), fieldBytes - 1);
    m_bytes.insert(m_bytes.end(), value.begin(), value.begin() + static_cast<std::ptrdiff_t>(length));
    m_bytes.insert(m_bytes.end(), fieldBytes - length, 0);
    return *this;
}

MessageBuilder& MessageBuilder::variableText(const std::string& value) {
    m_bytes.insert(m_bytes.end(), value.begin(), value.end());
    m_bytes.push_back(0);
    return *this;
}

MessageBuilder& MessageBuilder::raw(std::span<const std::uint8_t> bytes) {
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    return *this;
}

std::vector<std::uint8_t> MessageBuilder::finish() {
    const auto size = static_cast<std::uint32_t>(m_bytes.size());
    for (int i = 0; i < 4; ++i) m_bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(size >> (8 * i));
    return std::move(m_bytes);
}

ClientFrame gf_frameClientPacket(std::vector<std::uint8_t>& pending, std::size_t& consumed, ClientPacket& packet,
                                 std::uint32_t maxBytes) {
    ByteReader reader(std::span<const std::uint8_t>(pending).subspan(consumed));
    if (reader.size() < 4) return ClientFrame::needMore;
    const std::uint32_t size = *reader.u32(0);
    if (size < simconnect::kSendHeaderBytes || size > maxBytes) return ClientFrame::bad;
    if (reader.size() < size) return ClientFrame::needMore;
    packet.size = size;
    packet.version = *reader.u32(4);
    packet.id = *reader.u32(8);
    packet.sendId = *reader.u32(12);
    packet.bytes.assign(pending.begin() + static_cast<std::ptrdiff_t>(consumed),
                        pending.begin() + static_cast<std::ptrdiff_t>(consumed + size));
    consumed += size;
    return ClientFrame::packet;
}

}  // namespace zrb::standin
