#pragma once
// Checked readers of the messages the simulator sends. Each takes one message
// as SimConnect_CallDispatch delivers it and returns nothing when the message
// is shorter than its kind needs or its dwSize disagrees with its length; the
// caller drops such a message (the reader has logged it). Texts are read up to
// their terminator but never past their field or the end of the message.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace zrb {

struct RecvHeader {
    std::uint32_t size = 0;
    std::uint32_t version = 0;
    std::uint32_t id = 0;
};

struct RecvException {
    std::uint32_t exception = 0;
    std::uint32_t sendId = 0;
    std::uint32_t index = 0;
};

struct RecvOpen {
    std::string applicationName;  // 8-bit text as sent
    std::uint32_t versionMajor = 0;
    std::uint32_t versionMinor = 0;
    std::uint32_t buildMajor = 0;
    std::uint32_t buildMinor = 0;
};

struct RecvEvent {
    std::uint32_t groupId = 0;
    std::uint32_t eventId = 0;
    std::uint32_t data = 0;
};

struct RecvObjectAddRemove {
    RecvEvent event;
    std::uint32_t objectType = 0;
};

struct RecvFilename {
    RecvEvent event;
    std::string fileName;
};

struct RecvFrame {
    RecvEvent event;
    float frameRate = 0.0f;
};

// Message ids 8 and 9; data views into the message (definition's bytes from offset 40).
struct RecvObjectData {
    std::uint32_t requestId = 0;
    std::uint32_t objectId = 0;
    std::uint32_t defineId = 0;
    std::uint32_t flags = 0;
    std::uint32_t entryNumber = 0;
    std::uint32_t outOf = 0;
    std::uint32_t defineCount = 0;
    std::span<const std::uint8_t> data;
};

std::optional<RecvHeader> gf_recvHeader(const std::uint8_t* message, std::uint32_t size);
std::optional<RecvException> gf_recvException(const std::uint8_t* message, std::uint32_t size);
std::optional<RecvOpen> gf_recvOpen(const std::uint8_t* message, std::uint32_t size);
std::optional<RecvEvent> gf_recvEvent(const std::uint8_t* message, std::uint32_t size);
std::optional<RecvObjectAddRemove> gf_recvObjectAddRemove(const std::uint8_t* message, std::uint32_t size);
std::optional<RecvFilename> gf_recvFilename(const std::uint8_t* message, std::uint32_t size);
std::optional<RecvFrame> gf_recvFrame(const std::uint8_t* message, std::uint32_t size);
std::optional<RecvObjectData> gf_recvObjectData(const std::uint8_t* message, std::uint32_t size);

// Little-endian reads from object data; nothing when the data is too short.
std::optional<double> gf_dataF64(std::span<const std::uint8_t> data, std::size_t offset);
std::optional<std::int64_t> gf_dataI64(std::span<const std::uint8_t> data, std::size_t offset);
// The text at offset up to its terminator, at most fieldBytes long and never
// past the data (fieldBytes 0: up to the end of the data).
std::string gf_dataText(std::span<const std::uint8_t> data, std::size_t offset, std::size_t fieldBytes);

}  // namespace zrb
