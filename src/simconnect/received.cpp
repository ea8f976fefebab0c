#include "simconnect/received.h"

#include <algorithm>
#include <cstring>

#include "foundation/log_repeats.h"
#include "simconnect/protocol.h"

namespace zrb {

namespace {

using namespace simconnect;

RepeatedLogLines g_malformedLines(LogLineKind::plain, "! SimConnect message malformed, dropped");

std::uint32_t lf_u32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint64_t lf_u64(const std::uint8_t* p) {
    return static_cast<std::uint64_t>(lf_u32(p)) | (static_cast<std::uint64_t>(lf_u32(p + 4)) << 32);
}

std::string lf_boundedText(const std::uint8_t* p, std::size_t available) {
    const auto* end = static_cast<const std::uint8_t*>(std::memchr(p, 0, available));
    return std::string(reinterpret_cast<const char*>(p), end ? static_cast<std::size_t>(end - p) : available);
}

// The header when the message is at least minBytes long and its dwSize agrees
// with its length; otherwise logs the message as malformed.
const std::uint8_t* lf_checked(const std::uint8_t* message, std::uint32_t size, std::uint32_t minBytes) {
    if (message == nullptr || size < kReceiveHeaderBytes) return nullptr;
    const std::uint32_t id = lf_u32(message + 8);
    if (size < minBytes || lf_u32(message) != size) {
        g_malformedLines.write("! SimConnect message dwID {} of {} bytes is malformed, dropped", id, size);
        return nullptr;
    }
    return message;
}

RecvEvent lf_event(const std::uint8_t* m) { return RecvEvent{lf_u32(m + 12), lf_u32(m + 16), lf_u32(m + 20)}; }

}  // namespace

std::optional<RecvHeader> gf_recvHeader(const std::uint8_t* message, std::uint32_t size) {
    const auto* m = lf_checked(message, size, kReceiveHeaderBytes);
    if (!m) return std::nullopt;
    return RecvHeader{lf_u32(m), lf_u32(m + 4), lf_u32(m + 8)};
}

std::optional<RecvException> gf_recvException(const std::uint8_t* message, std::uint32_t size) {
    const auto* m = lf_checked(message, size, kExceptionMsgBytes);
    if (!m) return std::nullopt;
    return RecvException{lf_u32(m + 12), lf_u32(m + 16), lf_u32(m + 20)};
}

std::optional<RecvOpen> gf_recvOpen(const std::uint8_t* message, std::uint32_t size) {
    // The name field and the four application version words (up to offset 284).
    const auto* m = lf_checked(message, size, 284);
    if (!m) return std::nullopt;
    RecvOpen open;
    open.applicationName = lf_boundedText(m + 12, kNameFieldBytes);
    open.versionMajor = lf_u32(m + 268);
    open.versionMinor = lf_u32(m + 272);
    open.buildMajor = lf_u32(m + 276);
    open.buildMinor = lf_u32(m + 280);
    return open;
}

std::optional<RecvEvent> gf_recvEvent(const std::uint8_t* message, std::uint32_t size) {
    const auto* m = lf_checked(message, size, kEventMsgBytes);
    if (!m) return std::nullopt;
    return lf_event(m);
}

std::optional<RecvObjectAddRemove> gf_recvObjectAddRemove(const std::uint8_t* message, std::uint32_t size) {
    const auto* m = lf_checked(message, size, kObjectAddRemoveMsgBytes);
    if (!m) return std::nullopt;
    return RecvObjectAddRemove{lf_event(m), lf_u32(m + 24)};
}

std::optional<RecvFilename> gf_recvFilename(const std::uint8_t* message, std::uint32_t size) {
    const auto* m = lf_checked(message, size, kEventMsgBytes);
    if (!m) return std::nullopt;
    const std::size_t available = std::min<std::size_t>(kFilenameFieldBytes, size - kEventMsgBytes);
    return RecvFilename{lf_event(m), lf_boundedText(m + kEventMsgBytes, available)};
}

std::optional<RecvFrame> gf_recvFrame(const std::uint8_t* message, std::uint32_t size) {
    const auto* m = lf_checked(message, size, 28);
    if (!m) return std::nullopt;
    RecvFrame frame{lf_event(m), 0.0f};
    const std::uint32_t bits = lf_u32(m + 24);
    std::memcpy(&frame.frameRate, &bits, sizeof bits);
    return frame;
}

std::optional<RecvObjectData> gf_recvObjectData(const std::uint8_t* message, std::uint32_t size) {
    const auto* m = lf_checked(message, size, kObjectDataHeaderBytes);
    if (!m) return std::nullopt;
    RecvObjectData data;
    data.requestId = lf_u32(m + 12);
    data.objectId = lf_u32(m + 16);
    data.defineId = lf_u32(m + 20);
    data.flags = lf_u32(m + 24);
    data.entryNumber = lf_u32(m + 28);
    data.outOf = lf_u32(m + 32);
    data.defineCount = lf_u32(m + 36);
    data.data = std::span<const std::uint8_t>(m + kObjectDataHeaderBytes, size - kObjectDataHeaderBytes);
    return data;
}

std::optional<double> gf_dataF64(std::span<const std::uint8_t> data, std::size_t offset) {
    if (offset > data.size() || data.size() - offset < 8) return std::nullopt;
    const std::uint64_t bits = lf_u64(data.data() + offset);
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::optional<std::int64_t> gf_dataI64(std::span<const std::uint8_t> data, std::size_t offset) {
    if (offset > data.size() || data.size() - offset < 8) return std::nullopt;
    return static_cast<std::int64_t>(lf_u64(data.data() + offset));
}

std::string gf_dataText(std::span<const std::uint8_t> data, std::size_t offset, std::size_t fieldBytes) {
    if (offset >= data.size()) return {};
    std::size_t available = data.size() - offset;
    if (fieldBytes > 0) available = std::min(available, fieldBytes);
    return lf_boundedText(data.data() + offset, available);
}

}  // namespace zrb
