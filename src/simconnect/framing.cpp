#include "simconnect/framing.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>

#include "simconnect/protocol.h"

namespace zrb {

namespace {

using simconnect::kReceiveBufferGrowBytes;
using simconnect::kReceiveBufferMaxBytes;
using simconnect::kReceiveBufferStartBytes;

// The smallest message the simulator sends: a header of size, version and id.
constexpr std::uint32_t smallestMessageBytes = 12;

std::uint32_t lf_wordAt(const ReceiveBuffer& b, std::uint32_t pos) {
    const std::uint8_t* p = b.bytes.data() + pos;
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::int32_t lf_readSize(const ReceiveBuffer& b) { return static_cast<std::int32_t>(lf_wordAt(b, b.readPos)); }

// The bytes of zero padding at readPos (whose byte is 0), or nothing while
// the bytes at hand cannot tell. Four zero bytes are padding for sure (a size
// is never 0). After them, the next message's size starts at most three zero
// bytes before the first non-zero byte: the nearest such start whose size
// could be a message's wins; when none could, framing goes on at the first
// uncertain byte and fails there on the size it finds.
std::optional<std::uint32_t> lf_paddingAt(const ReceiveBuffer& b, std::uint32_t maxReceiveSize) {
    std::uint32_t p = b.readPos;
    while (p + 4 <= b.writePos && lf_wordAt(b, p) == 0) ++p;
    const std::uint32_t sure = p - b.readPos;
    if (p + 4 > b.writePos) return sure > 0 ? std::optional(sure) : std::nullopt;
    std::uint32_t firstNonZero = p;
    while (b.bytes[firstNonZero] == 0) ++firstNonZero;
    if (firstNonZero + 4 > b.writePos) return sure > 0 ? std::optional(sure) : std::nullopt;
    for (std::uint32_t start = firstNonZero + 1; start-- > p;) {
        const std::uint32_t size = lf_wordAt(b, start);
        if (size >= smallestMessageBytes && size <= maxReceiveSize) return start - b.readPos;
    }
    return sure;
}

void lf_resetWhenEmpty(ReceiveBuffer& b) {
    if (b.readPos == b.writePos) b.readPos = b.writePos = 0;
}

}  // namespace

void gf_initReceiveBuffer(ReceiveBuffer& buffer) {
    buffer.bytes.assign(kReceiveBufferStartBytes, 0);
    buffer.writePos = buffer.readPos = 0;
}

std::uint32_t gf_effectiveMaxReceiveSize(std::uint32_t configured) {
    return std::min(configured, kReceiveBufferMaxBytes);
}

FrameResult lf_parseReceived(ReceiveBuffer& b, PacketRecord& record, std::uint32_t maxReceiveSize) {
    record.data.clear();
    const std::uint32_t unframed = b.writePos - b.readPos;
    if (unframed < 4) return FrameResult::needMore;
    if (b.bytes[b.readPos] == 0) {
        const std::optional<std::uint32_t> padding = lf_paddingAt(b, maxReceiveSize);
        if (!padding) return FrameResult::needMore;
        if (*padding > 0) {
            b.readPos += *padding;
            lf_resetWhenEmpty(b);
            return FrameResult::ready;
        }
    }
    const std::int32_t size = lf_readSize(b);
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
    // Growing 2048 bytes at a time would copy a large packet hundreds of
    // times; when its size is known, grow to it at once.
    const bool sizeKnown = b.writePos - b.readPos >= 4 &&
                           (b.bytes[b.readPos] != 0 || lf_paddingAt(b, kReceiveBufferMaxBytes) == 0U);
    if (sizeKnown) {
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
