#pragma once
// Linux tests only: a TCP listener on loopback that never accepts, its queue
// filled, so that a further connect to it hangs as one to an unreachable host
// does (the kernel drops the new handshake and the client keeps retrying).

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace zrb::test {

class StalledListener {
public:
    StalledListener() {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_fd, 0);
        socklen_t length = sizeof address;
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        // Fill the queue: these connect (or hang) and are never accepted.
        for (int i = 0; i < 4; ++i) {
            const int client = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
            ::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address);
            m_clients.push_back(client);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ~StalledListener() {
        for (const int client : m_clients) ::close(client);
        ::close(m_fd);
    }
    StalledListener(const StalledListener&) = delete;
    StalledListener& operator=(const StalledListener&) = delete;

    int port() const { return m_port; }
    std::u16string portText() const {
        const std::string text = std::to_string(m_port);
        return std::u16string(text.begin(), text.end());
    }

private:
    int m_fd = -1;
    int m_port = 0;
    std::vector<int> m_clients;
};

}  // namespace zrb::test
