#pragma once
// A byte stream under the test's control: it records what the client writes and
// lets the test hand the client received bytes and completion statuses, all on
// the test's own thread, so that framing and failures are tested exactly.

#include <cerrno>
#include <cstring>
#include <deque>
#include <utility>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/simconnect_transport.h"
#include "simconnect/environment.h"
#include "simconnect/protocol.h"

namespace zrb::test {

struct Attempt {
    std::uint32_t family = 0;
    std::u16string address;
    std::u16string port;
    bool operator==(const Attempt&) const = default;
};

struct FakeWire {
    std::mutex mutex;  // owns every field
    std::vector<std::vector<std::uint8_t>> writes;
    std::uint8_t* readBuffer = nullptr;
    std::uint32_t readSize = 0;
    bool readArmed = false;
    bool closed = false;
    bool failWrites = false;
    int failErrno = 0;  // Linux: the errno a refused write leaves (0: untouched)
    platform::IoCompletion completion = nullptr;
    void* context = nullptr;

    // Hands bytes to the client as reads of at most `chunk` bytes each.
    // False when the client had no read armed.
    bool deliver(const std::vector<std::uint8_t>& bytes, std::size_t chunk = SIZE_MAX) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            std::unique_lock lock(mutex);
            if (!readArmed) return false;
            const std::size_t n = std::min({chunk, bytes.size() - done, static_cast<std::size_t>(readSize)});
            std::memcpy(readBuffer, bytes.data() + done, n);
            readArmed = false;
            auto* cb = completion;
            auto* ctx = context;
            lock.unlock();
            cb(ctx, false, platform::ioStatusSuccess, static_cast<std::uint32_t>(n));
            done += n;
        }
        return true;
    }
    // Completes the armed read with a status (0 bytes).
    bool completeRead(std::uint32_t status) {
        std::unique_lock lock(mutex);
        if (!readArmed) return false;
        readArmed = false;
        auto* cb = completion;
        auto* ctx = context;
        lock.unlock();
        cb(ctx, false, status, 0);
        return true;
    }
    std::vector<std::vector<std::uint8_t>> takeWrites() {
        std::lock_guard lock(mutex);
        return std::exchange(writes, {});
    }
};

class FakeStream final : public platform::ByteStream {
public:
    explicit FakeStream(std::shared_ptr<FakeWire> wire) : m_wire(std::move(wire)) {}
    ~FakeStream() override { close(); }
    platform::IoStart startRead(std::uint8_t* buffer, std::uint32_t size) override {
        std::lock_guard lock(m_wire->mutex);
        if (m_wire->closed) return platform::IoStart::failed;
        m_wire->readBuffer = buffer;
        m_wire->readSize = size;
        m_wire->readArmed = true;
        return platform::IoStart::pending;
    }
    platform::IoStart startWrite(const std::uint8_t* data, std::uint32_t size) override {
        std::lock_guard lock(m_wire->mutex);
        if (m_wire->failWrites || m_wire->closed) {
            if (m_wire->failErrno != 0) errno = m_wire->failErrno;
            return platform::IoStart::failed;
        }
        m_wire->writes.emplace_back(data, data + size);
        return platform::IoStart::completed;
    }
    void close() override {
        std::unique_lock lock(m_wire->mutex);
        if (m_wire->closed) return;
        m_wire->closed = true;
        // As on Windows, closing cancels the outstanding read; its completion
        // still comes and releases the client's reference.
        if (m_wire->readArmed) {
            m_wire->readArmed = false;
            auto* cb = m_wire->completion;
            auto* ctx = m_wire->context;
            lock.unlock();
            cb(ctx, false, platform::ioStatusCancelled, 0);
        }
    }
    bool isPipe() const override { return false; }

private:
    std::shared_ptr<FakeWire> m_wire;
};

// An environment whose transports are fake: records every attempt; attempts of
// the families in `succeed` (by index of attempt when `succeedAt` >= 0) open a
// FakeStream on `wire`. No cfg folders, no registry ports, no close delays.
struct FakeEnvironment {
    std::shared_ptr<FakeWire> wire = std::make_shared<FakeWire>();
    std::shared_ptr<std::vector<Attempt>> attempts = std::make_shared<std::vector<Attempt>>();
    std::shared_ptr<int> succeedAt = std::make_shared<int>(0);  // index of the attempt that succeeds; -1: none

    SimConnectEnvironment make() const {
        SimConnectEnvironment e;
        e.cfgFolder = [](platform::CfgFolder) { return std::optional<std::filesystem::path>(); };
        e.registryPort = [](bool, std::u16string&) { return false; };
        auto w = wire;
        auto a = attempts;
        auto s = succeedAt;
        e.openStream = [w, a, s](std::uint32_t family, const std::u16string& address, const std::u16string& port,
                                 bool, platform::IoCompletion completion,
                                 void* context) -> std::unique_ptr<platform::ByteStream> {
            a->push_back(Attempt{family, address, port});
            if (*s < 0 || static_cast<int>(a->size()) - 1 != *s) return nullptr;
            {
                std::lock_guard lock(w->mutex);
                w->completion = completion;
                w->context = context;
                w->closed = false;
                w->readArmed = false;
            }
            return std::make_unique<FakeStream>(w);
        };
        e.closeDelayBeforeDrain = std::chrono::milliseconds(0);
        e.closeDelayAfterRelease = std::chrono::milliseconds(0);
        e.transportWaitStep = std::chrono::milliseconds(1);
        return e;
    }
};

// Little-endian helpers for building messages and reading packets.
inline void putU32(std::vector<std::uint8_t>& b, std::size_t offset, std::uint32_t v) {
    if (b.size() < offset + 4) b.resize(offset + 4);
    for (int i = 0; i < 4; ++i) b[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline std::uint32_t getU32(const std::vector<std::uint8_t>& b, std::size_t offset) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | b.at(offset + static_cast<std::size_t>(i));
    return v;
}
// A received message of `size` bytes with id `id` (bytes after the header: fill).
inline std::vector<std::uint8_t> message(std::uint32_t size, std::uint32_t id, std::uint8_t fill = 0x5A) {
    std::vector<std::uint8_t> m(size, fill);
    if (size >= 4) putU32(m, 0, size);
    if (size >= 8) putU32(m, 4, simconnect::kProtocolVersion);
    if (size >= 12) putU32(m, 8, id);
    return m;
}

}  // namespace zrb::test
