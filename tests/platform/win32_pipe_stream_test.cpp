// The named-pipe transport of the SimConnect client against a pipe server run by
// the test itself: overlapped reads and writes completed on the system's I/O
// threads, data longer than a read, a server that goes away, close with a read
// outstanding, missing and busy pipes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "platform/platform.h"
#include "platform/simconnect_transport.h"
#include "platform/win32_completions.h"

namespace {

namespace platform = zrb::platform;
using zrb::test::Completions;

constexpr DWORD pipeBufferBytes = 4096;

std::u16string lf_pipeName(const char* role) {
    const std::string name = "TolvarenTest-" + std::to_string(GetCurrentProcessId()) + "-" + role;
    return std::u16string(name.begin(), name.end());
}

std::wstring lf_fullName(const std::u16string& name) {
    return L"\\\\.\\pipe\\" + std::wstring(name.begin(), name.end());
}

// One instance of a message-mode pipe, as the simulator serves it, and the
// thread that serves it once a client connects. Declare it before the client's
// stream: the stream must close first, so that a server still reading stops.
class PipeServer {
public:
    explicit PipeServer(std::u16string name) : m_name(std::move(name)) {
        m_handle = CreateNamedPipeW(lf_fullName(m_name).c_str(), PIPE_ACCESS_DUPLEX,
                                    PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, pipeBufferBytes,
                                    pipeBufferBytes, 0, nullptr);
    }
    ~PipeServer() {
        if (m_thread.joinable()) {
            // A server still waiting for its client would wait for ever: be that client.
            HANDLE poke = CreateFileW(lf_fullName(m_name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
            if (poke != INVALID_HANDLE_VALUE) CloseHandle(poke);
            m_thread.join();
        }
        closeNow();
    }
    PipeServer(const PipeServer&) = delete;
    PipeServer& operator=(const PipeServer&) = delete;

    bool isOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    const std::u16string& name() const { return m_name; }

    // Runs the dialogue on the server's thread once a client has connected.
    void serve(std::function<void(HANDLE)> dialogue = {}) {
        m_thread = std::thread([this, dialogue = std::move(dialogue)] {
            if (!ConnectNamedPipe(m_handle, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED) return;
            if (dialogue) dialogue(m_handle);
        });
    }
    void waitUntilServed() {
        if (m_thread.joinable()) m_thread.join();
    }
    // The simulator going away.
    void closeNow() {
        if (m_handle == INVALID_HANDLE_VALUE) return;
        DisconnectNamedPipe(m_handle);
        CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }

private:
    std::u16string m_name;
    HANDLE m_handle = INVALID_HANDLE_VALUE;
    std::thread m_thread;
};

std::string lf_readMessage(HANDLE pipe) {
    char buffer[pipeBufferBytes];
    DWORD read = 0;
    if (!ReadFile(pipe, buffer, sizeof buffer, &read, nullptr)) return "<read failed>";
    return std::string(buffer, read);
}

void lf_writeMessage(HANDLE pipe, const std::string& message) {
    DWORD written = 0;
    WriteFile(pipe, message.data(), static_cast<DWORD>(message.size()), &written, nullptr);
}

const std::uint8_t* lf_bytes(const std::string& text) { return reinterpret_cast<const std::uint8_t*>(text.data()); }

TEST(Win32PipeStream, ExchangesDataWithAServerOverSeveralReads) {
    PipeServer server(lf_pipeName("echo"));
    ASSERT_TRUE(server.isOpen());
    const std::string answer = "world!" + std::string(100, 'x');
    std::string received;
    server.serve([&](HANDLE pipe) {
        received = lf_readMessage(pipe);
        lf_writeMessage(pipe, answer.substr(0, 6));
        lf_writeMessage(pipe, answer.substr(6));
        // Wait for the client's goodbye before this end closes.
        lf_readMessage(pipe);
    });

    Completions completions;
    auto stream = platform::openPipeStream(u".", server.name(), &Completions::record, &completions);
    ASSERT_NE(stream, nullptr) << "error " << platform::lastSystemError();
    EXPECT_TRUE(stream->isPipe());

    const std::string hello = "hello";
    ASSERT_EQ(stream->startWrite(lf_bytes(hello), 5), platform::IoStart::pending);
    const auto written = completions.next(true);
    ASSERT_TRUE(written.arrived);
    EXPECT_EQ(written.status, platform::ioStatusSuccess);
    EXPECT_EQ(written.bytes, 5u);

    // More than one read's worth arrives whole, in order, 40 bytes at most a
    // read. A read that ends inside a server's message may report the buffer
    // overflow that the client takes as "more of this message".
    std::string got;
    int reads = 0;
    std::uint8_t buffer[40] = {};
    while (got.size() < answer.size() && reads < 20) {
        ASSERT_EQ(stream->startRead(buffer, sizeof buffer), platform::IoStart::pending);
        const auto read = completions.next(false);
        ASSERT_TRUE(read.arrived);
        ASSERT_TRUE(read.status == platform::ioStatusSuccess || read.status == platform::ioStatusBufferOverflow)
            << "status 0x" << std::hex << read.status;
        ASSERT_GT(read.bytes, 0u);
        got.append(reinterpret_cast<const char*>(buffer), read.bytes);
        ++reads;
    }
    EXPECT_EQ(got, answer);
    EXPECT_GE(reads, 3);

    ASSERT_EQ(stream->startWrite(lf_bytes(hello), 3), platform::IoStart::pending);
    EXPECT_TRUE(completions.next(true).arrived);
    server.waitUntilServed();
    EXPECT_EQ(received, "hello");
}

TEST(Win32PipeStream, AServerThatGoesAwayFailsTheOutstandingRead) {
    PipeServer server(lf_pipeName("broken"));
    ASSERT_TRUE(server.isOpen());
    server.serve();
    Completions completions;
    auto stream = platform::openPipeStream(u".", server.name(), &Completions::record, &completions);
    ASSERT_NE(stream, nullptr) << "error " << platform::lastSystemError();
    server.waitUntilServed();

    std::uint8_t buffer[64] = {};
    ASSERT_EQ(stream->startRead(buffer, sizeof buffer), platform::IoStart::pending);
    server.closeNow();
    const auto read = completions.next(false);
    ASSERT_TRUE(read.arrived) << "the read never completed";
    // A failure, never a successful read (Windows reports a broken pipe, Wine a
    // pipe that is no longer connected); later reads cannot start.
    EXPECT_NE(read.status, platform::ioStatusSuccess) << read.bytes << " bytes";
    EXPECT_EQ(stream->startRead(buffer, sizeof buffer), platform::IoStart::failed);
}

TEST(Win32PipeStream, CloseCompletesTheOutstandingReadAsCancelled) {
    PipeServer server(lf_pipeName("close"));
    ASSERT_TRUE(server.isOpen());
    server.serve();
    Completions completions;
    auto stream = platform::openPipeStream(u".", server.name(), &Completions::record, &completions);
    ASSERT_NE(stream, nullptr) << "error " << platform::lastSystemError();
    server.waitUntilServed();

    std::uint8_t buffer[64] = {};
    ASSERT_EQ(stream->startRead(buffer, sizeof buffer), platform::IoStart::pending);
    stream->close();
    const auto read = completions.next(false);
    ASSERT_TRUE(read.arrived) << "close left the read without its completion";
    // The client's own status, whatever the system passed: Wine hands the
    // completion routine Win32 error numbers (995 here), not NTSTATUS values.
    EXPECT_EQ(read.status, platform::ioStatusCancelled) << "status 0x" << std::hex << read.status;
}

TEST(Win32PipeStream, MissingAndBusyPipesFail) {
    Completions completions;
    EXPECT_EQ(platform::openPipeStream(u".", lf_pipeName("missing"), &Completions::record, &completions), nullptr);
    EXPECT_EQ(platform::lastSystemError(), platform::errorFileNotFound);

    // The only instance is taken: the client waits for a free one (5 s) and gives up.
    PipeServer server(lf_pipeName("busy"));
    ASSERT_TRUE(server.isOpen());
    server.serve();
    HANDLE first = CreateFileW(lf_fullName(server.name()).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    server.waitUntilServed();
    EXPECT_EQ(platform::openPipeStream(u".", server.name(), &Completions::record, &completions), nullptr);
    CloseHandle(first);
}

}  // namespace
