#pragma once
// Little-endian field writers over one reserved packet. Fields are placed at
// their wire offsets explicitly, so the layout does not depend on how the
// compiler lays out a struct.

#include <cstdint>
#include <cstring>

#include "simconnect/protocol.h"

namespace zrb {

class PacketWriter {
public:
    PacketWriter(std::uint8_t* packet, std::uint32_t size) : m_p(packet), m_size(size) {}

    void u32(std::uint32_t offset, std::uint32_t value) {
        m_p[offset] = static_cast<std::uint8_t>(value);
        m_p[offset + 1] = static_cast<std::uint8_t>(value >> 8);
        m_p[offset + 2] = static_cast<std::uint8_t>(value >> 16);
        m_p[offset + 3] = static_cast<std::uint8_t>(value >> 24);
    }
    void u64(std::uint32_t offset, std::uint64_t value) {
        u32(offset, static_cast<std::uint32_t>(value));
        u32(offset + 4, static_cast<std::uint32_t>(value >> 32));
    }
    void f32(std::uint32_t offset, float value) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        u32(offset, bits);
    }
    void f64(std::uint32_t offset, double value) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        u64(offset, bits);
    }
    void bytes(std::uint32_t offset, const void* data, std::size_t count) {
        if (count > 0) std::memcpy(m_p + offset, data, count);
    }
    // A text of at most fieldBytes - 1 characters; the rest of the field stays
    // zero. False, writing nothing, when it does not fit. Null writes nothing.
    bool text(std::uint32_t offset, const char* value, std::uint32_t fieldBytes) {
        if (value == nullptr) return true;
        std::size_t length = 0;
        while (length < fieldBytes && value[length] != '\0') ++length;
        if (length >= fieldBytes) return false;
        std::memcpy(m_p + offset, value, length);
        return true;
    }
    // dwSize, dwVersion and dwID; dwSendID was stamped when the packet was reserved.
    void header(std::uint32_t size, std::uint32_t opcode) {
        u32(0, size);
        u32(4, simconnect::kProtocolVersion);
        u32(8, simconnect::kOpcodeFlag | opcode);
    }
    std::uint32_t size() const { return m_size; }

private:
    std::uint8_t* m_p;
    std::uint32_t m_size;
};

}  // namespace zrb
