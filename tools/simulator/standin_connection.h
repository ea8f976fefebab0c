#pragma once
// One client connection of the stand-in (private to its .cpp files).

#include <sys/socket.h>
#include <unistd.h>

#include "simulator/standin.h"

namespace zrb::standin {

struct SimStandin::Connection {
    std::uint32_t id = 0;
    int fd = -1;
    std::atomic<bool> closed{false};
    std::atomic<bool> resetOnClose{false};  // the reader closes with a reset when it ends

    std::mutex outMutex;  // owns outbox
    std::deque<std::vector<std::uint8_t>> outbox;
    std::mutex sendMutex;  // serialises writes to fd, and its closing by the reader

    // m_stateMutex owns the rest.
    ConnectionInfo info;
    std::map<std::string, std::uint32_t> systemEvents;  // lower-case event name -> client event id
    struct PeriodicRequest {
        std::uint32_t requestId = 0;
        std::uint32_t defineId = 0;
        std::uint32_t objectId = 0;
        std::uint32_t period = 0;
    };
    std::vector<PeriodicRequest> periodic;

    ~Connection() {
        if (fd >= 0) ::close(fd);
    }
};

std::string gf_lower(std::string text);

// Bytes of one datum of this type in a data block; 0 for variable-length text.
std::uint32_t gf_datumBytes(std::uint32_t datumType);

}  // namespace zrb::standin
