#pragma once
// Framing of the byte stream received from the simulator into packets. Each
// packet starts with its size (i32, header included); zero bytes between
// packets are skipped. A size whose low byte is 0 (256, 512, ...) also starts
// with a zero byte, so padding is told from such a size by where a whole
// packet's size can start: the nearest start after the zeros whose size is
// that of a real message (12 bytes up to MaxReceiveSize). Pure functions over
// plain records, so that they are tested split at every byte and fuzzed
// without a connection.

#include <cstdint>
#include <vector>

namespace zrb {

struct ReceiveBuffer {
    std::vector<std::uint8_t> bytes;  // capacity = bytes.size()
    std::uint32_t writePos = 0;       // end of the bytes received
    std::uint32_t readPos = 0;        // start of the bytes not yet framed
};

// The packet just framed (size 0 when none).
struct PacketRecord {
    std::vector<std::uint8_t> data;
};

enum class FrameResult : std::uint8_t {
    ready = 0,        // a packet (or skipped zero padding: empty record) was framed
    needMore = 1,
    tooLarge = 2,     // size above MaxReceiveSize
    badSize = 3,      // size 1..3 or negative
    outOfMemory = 4,
};

// Sets the buffer up at its starting capacity of 2048 bytes.
void gf_initReceiveBuffer(ReceiveBuffer& buffer);

// The effective limit: MaxReceiveSize from SimConnect.cfg, but never above the
// 1 MiB the receive buffer can grow to (a larger packet fails as too large).
std::uint32_t gf_effectiveMaxReceiveSize(std::uint32_t configured);

// Frames the next packet from buffer.readPos into record.
FrameResult lf_parseReceived(ReceiveBuffer& buffer, PacketRecord& record, std::uint32_t maxReceiveSize);

// Makes room for the next read when the buffer is full: moves the unframed rest
// to the start when bytes were consumed, else grows the buffer (to the pending
// packet's size when that is known, by 2048 bytes otherwise) up to 1 MiB.
// False when no room can be made.
bool lf_makeReceiveRoom(ReceiveBuffer& buffer);

}  // namespace zrb
