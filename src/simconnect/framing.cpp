#include "simconnect/framing.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "simconnect/protocol.h"

namespace zrb {

namespace {

using simconnect::kReceiveBufferGrowBytes;
using simconnect::kReceiveBufferMaxBytes;
using simconnect::kReceiveBufferStartBytes;

std::int32_t lf_readSize(const ReceiveBuffer& b) {
    const std::uint8_t* p = b.bytes.data() + b.readPos;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                                     (static_cast<std::uint32_t>(p[2]) << 16) |
                                     (static_cast<std::uint32_t>(p[3]) << 24));
}

void lf_resetWhenEmpty(ReceiveBuffer& b) {
    if (b.readPos == b.writePos) b.readPos = b.writePos = 0;
}

}  // namespace

void gf_initReceiveBuffer(ReceiveBuffer& buffer) {
    buffer.bytes.assign(kReceiveBufferStartBytes, 0);
    buffer.writePos = buffer.readPos = 0;
    buffer.inZeroRun = false;
}

std::uint32_t gf_effectiveMaxReceiveSize(std::uint32_t configured) {
    return std::min(configured, kReceiveBufferMaxBytes);
}

FrameResult lf_parseReceived(ReceiveBuffer& b, PacketRecord& record, std::uint32_t maxReceiveSize) {
    record.data.clear();
    // Zero bytes between packets are skipped one by one. A run may end only in a
    // later read, so the state survives the end of the bytes at hand.
    if (b.inZeroRun) {
        while (b.readPos < b.writePos && b.bytes[b.readPos] == 0) ++b.readPos;
        if (b.readPos == b.writePos) {
            b.readPos = b.writePos = 0;
            return FrameResult::needMore;
        }
        b.inZeroRun = false;
    }
    const std::uint32_t unframed = b.writePos - b.readPos;
    if (unframed < 4) return FrameResult::needMore;
    const std::int32_t size = lf_readSize(b);
    if (size == 0) {
        b.inZeroRun = true;
        while (b.readPos < b.writePos && b.bytes[b.readPos] == 0) ++b.readPos;
        if (b.readPos < b.writePos) b.inZeroRun = false;
        lf_resetWhenEmpty(b);
        return FrameResult::ready;
    }
    if (size < 4) return FrameResult::badSize;
    if (static_cast<std::uint32_t>(size) > maxReceiveSize) return FrameResult::tooLarge;
    const auto whole = static_cast<std::uint32_t>(size);
    if (unframed < whole) return FrameResult::needMore;
    try {
        record.data.assign(b.bytes.begin() + b.readPos, b.bytes.begin() + b.readPos + whole);
    } catch (const std::bad_alloc&) {
        return FrameResult::outOfMemory;
    }
    b.readPos += whole;
    lf_resetWhenEmpty(b);
    return FrameResult::ready;
}

bool lf_makeReceiveRoom(ReceiveBuffer& b) {
    const auto capacity = static_cast<std::uint32_t>(b.bytes.size());
    if (b.writePos < capacity) return true;
    if (b.readPos > 0) {
        std::memmove(b.bytes.data(), b.bytes.data() + b.readPos, b.writePos - b.readPos);
        b.writePos -= b.readPos;
        b.readPos = 0;
        return true;
    }
    if (capacity >= kReceiveBufferMaxBytes) return false;
    std::uint32_t wanted = capacity + kReceiveBufferGrowBytes;
    if (b.writePos - b.readPos >= 4 && !b.inZeroRun) {
        // Growing 2048 bytes at a time would copy a large packet hundreds of
        // times; its size is known, so grow to it at once.
        const std::int32_t size = lf_readSize(b);
        if (size > 0) wanted = std::max(wanted, static_cast<std::uint32_t>(size));
    }
    wanted = std::min(wanted, kReceiveBufferMaxBytes);
    try {
        b.bytes.resize(wanted, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

}  // namespace zrb
