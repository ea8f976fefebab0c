// The TCP transport of the SimConnect client against a listener on loopback
// (under Wine, a socket of the Linux host): connect by address and port text,
// overlapped send and receive on the system's I/O threads, the peer closing.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <thread>

#include "platform/platform.h"
#include "platform/simconnect_transport.h"
#include "platform/win32_completions.h"

namespace {

namespace platform = zrb::platform;
using zrb::test::Completions;

constexpr std::uint32_t familyIpv4 = 2;
constexpr std::uint32_t familyIpv6 = 23;

// A listening socket on the loopback address of the family, on a free port.
class Listener {
public:
    explicit Listener(int family) {
        m_socket = socket(family, SOCK_STREAM, IPPROTO_TCP);
        if (m_socket == INVALID_SOCKET) return;
        sockaddr_storage address{};
        int length = 0;
        if (family == AF_INET) {
            auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
            v4->sin_family = AF_INET;
            v4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            length = sizeof *v4;
        } else {
            auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
            v6->sin6_family = AF_INET6;
            v6->sin6_addr = in6addr_loopback;
            length = sizeof *v6;
        }
        if (bind(m_socket, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(m_socket, 1) != 0) {
            closesocket(m_socket);
            m_socket = INVALID_SOCKET;
            return;
        }
        getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(family == AF_INET ? reinterpret_cast<sockaddr_in*>(&address)->sin_port
                                         : reinterpret_cast<sockaddr_in6*>(&address)->sin6_port);
    }
    ~Listener() {
        if (m_socket != INVALID_SOCKET) closesocket(m_socket);
    }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    bool isListening() const { return m_socket != INVALID_SOCKET; }
    std::u16string portText() const {
        const std::string text = std::to_string(m_port);
        return std::u16string(text.begin(), text.end());
    }
    SOCKET accept() const { return ::accept(m_socket, nullptr, nullptr); }
    void close() {
        if (m_socket != INVALID_SOCKET) closesocket(m_socket);
        m_socket = INVALID_SOCKET;
    }

private:
    SOCKET m_socket = INVALID_SOCKET;
    unsigned short m_port = 0;
};

std::string lf_receive(SOCKET peer, std::size_t count) {
    std::string text;
    char buffer[256];
    while (text.size() < count) {
        const int got = recv(peer, buffer, static_cast<int>(sizeof buffer), 0);
        if (got <= 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

struct JoinOnExit {
    Listener& listener;
    std::thread& thread;
    ~JoinOnExit() {
        if (!thread.joinable()) return;
        listener.close();
        thread.join();
    }
};

// Sends, receives an answer, then sees the listener's side close the connection.
void lf_exchange(std::uint32_t family, const std::u16string& address, Listener& listener) {
    std::string received;
    std::thread peerThread([&] {
        const SOCKET peer = listener.accept();
        if (peer == INVALID_SOCKET) return;
        received = lf_receive(peer, 5);
        send(peer, "world!", 6, 0);
        // Wait for the client's goodbye, then close this end.
        lf_receive(peer, 3);
        shutdown(peer, SD_BOTH);
        closesocket(peer);
    });
    // On a failed assertion: stop a peer still waiting to accept, then join it.
    // Declared before the stream, whose close ends a peer still receiving.
    const JoinOnExit joinPeer{listener, peerThread};

    Completions completions;
    auto stream = platform::openTcpStream(family, address, listener.portText(), true, &Completions::record, &completions);
    ASSERT_NE(stream, nullptr) << "error " << platform::lastSystemError();
    EXPECT_FALSE(stream->isPipe());

    const std::string hello = "hello";
    const auto* helloBytes = reinterpret_cast<const std::uint8_t*>(hello.data());
    const platform::IoStart sent = stream->startWrite(helloBytes, 5);
    ASSERT_NE(sent, platform::IoStart::failed);
    if (sent == platform::IoStart::pending) {
        const auto written = completions.next(true);
        ASSERT_TRUE(written.arrived);
        EXPECT_EQ(written.status, platform::ioStatusSuccess);
        EXPECT_EQ(written.bytes, 5u);
    }

    std::uint8_t buffer[64] = {};
    std::string answer;
    while (answer.size() < 6) {
        ASSERT_EQ(stream->startRead(buffer, sizeof buffer), platform::IoStart::pending);
        const auto read = completions.next(false);
        ASSERT_TRUE(read.arrived);
        ASSERT_EQ(read.status, platform::ioStatusSuccess);
        ASSERT_GT(read.bytes, 0u);
        answer.append(reinterpret_cast<char*>(buffer), read.bytes);
    }
    EXPECT_EQ(answer, "world!");

    // The peer closing shows as a read of 0 bytes or as a failure, never as data.
    ASSERT_NE(stream->startWrite(helloBytes, 3), platform::IoStart::failed);
    ASSERT_EQ(stream->startRead(buffer, sizeof buffer), platform::IoStart::pending);
    const auto last = completions.next(false);
    ASSERT_TRUE(last.arrived) << "the peer's close never completed the read";
    EXPECT_TRUE(last.bytes == 0 || last.status != platform::ioStatusSuccess);
    stream->close();
    peerThread.join();
    EXPECT_EQ(received, "hello");
}

class Win32TcpStream : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(platform::startSockets()); }
    void TearDown() override { platform::stopSockets(); }
};

TEST_F(Win32TcpStream, ExchangesDataOverIpv4AndSeesThePeerClose) {
    Listener listener(AF_INET);
    ASSERT_TRUE(listener.isListening()) << WSAGetLastError();
    lf_exchange(familyIpv4, u"127.0.0.1", listener);
}

TEST_F(Win32TcpStream, ExchangesDataOverIpv6) {
    Listener listener(AF_INET6);
    if (!listener.isListening()) GTEST_SKIP() << "no IPv6 loopback on this machine";
    lf_exchange(familyIpv6, u"::1", listener);
}

TEST_F(Win32TcpStream, NoListenerFails) {
    // A port that was free a moment ago: nothing listens there now.
    std::u16string port;
    {
        Listener gone(AF_INET);
        ASSERT_TRUE(gone.isListening());
        port = gone.portText();
    }
    Completions completions;
    EXPECT_EQ(platform::openTcpStream(familyIpv4, u"127.0.0.1", port, false, &Completions::record, &completions),
              nullptr);
}

}  // namespace
