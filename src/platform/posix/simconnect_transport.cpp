// Linux side of the SimConnect streams: BSD sockets with one reader and one
// writer thread per stream standing in for Windows' overlapped I/O. There is no
// named pipe on Linux: opening one fails as on a Windows machine without a
// simulator, so the client goes on to its TCP fallbacks.
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <exception>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/platform.h"
#include "platform/simconnect_transport.h"

namespace zrb::platform {

namespace {

constexpr std::uint32_t kFamilyIPv4 = 2;
constexpr std::uint32_t kFamilyIPv6 = 23;

// Shared by a stream object and its two threads, so that the threads may run
// on for a moment after the stream was destroyed (the last completion often
// destroys it from the reader thread itself). The descriptor is closed only
// when all three are done with it, so it is never reused under a blocked call.
struct StreamState {
    int fd = -1;
    IoCompletion completion = nullptr;
    void* context = nullptr;

    std::mutex mutex;  // owns every field below
    std::condition_variable wake;
    bool closing = false;
    std::uint8_t* readBuffer = nullptr;
    std::uint32_t readSize = 0;
    bool readArmed = false;
    const std::uint8_t* writeData = nullptr;
    std::uint32_t writeSize = 0;
    std::uint32_t writeDone = 0;  // bytes already sent by the fast path
    bool writeArmed = false;

    ~StreamState() {
        if (fd >= 0) ::close(fd);
    }
};

std::uint32_t lf_statusOfErrno(int error) {
    switch (error) {
        case ECONNRESET: return ioStatusConnectionReset;
        case EPIPE: return ioStatusPipeBroken;
        case ECONNABORTED:
        case ENOTCONN:
        case ESHUTDOWN: return ioStatusRemoteDisconnect;
        case ECANCELED: return ioStatusCancelled;
        default: return ioStatusUnsuccessful;
    }
}

void lf_readerLoop(const std::shared_ptr<StreamState>& s) {
    for (;;) {
        std::unique_lock lock(s->mutex);
        s->wake.wait(lock, [&] { return s->readArmed || s->closing; });
        if (!s->readArmed) return;  // closing with nothing outstanding
        if (s->closing) {
            s->readArmed = false;
            lock.unlock();
            s->completion(s->context, false, ioStatusCancelled, 0);
            continue;
        }
        std::uint8_t* buffer = s->readBuffer;
        const std::uint32_t size = s->readSize;
        lock.unlock();

        ssize_t n = 0;
        do {
            n = ::recv(s->fd, buffer, size, 0);
        } while (n < 0 && errno == EINTR);
        const int error = errno;

        lock.lock();
        s->readArmed = false;
        const bool closing = s->closing;
        lock.unlock();
        std::uint32_t status = ioStatusSuccess;
        std::uint32_t bytes = 0;
        if (closing) {
            status = ioStatusCancelled;
        } else if (n < 0) {
            errno = error;
            status = lf_statusOfErrno(error);
        } else {
            bytes = static_cast<std::uint32_t>(n);
        }
        s->completion(s->context, false, status, bytes);
    }
}

void lf_writerLoop(const std::shared_ptr<StreamState>& s) {
    for (;;) {
        std::unique_lock lock(s->mutex);
        s->wake.wait(lock, [&] { return s->writeArmed || s->closing; });
        if (!s->writeArmed) return;
        const std::uint8_t* data = s->writeData;
        const std::uint32_t size = s->writeSize;
        std::uint32_t done = s->writeDone;
        if (s->closing) {
            s->writeArmed = false;
            lock.unlock();
            s->completion(s->context, true, ioStatusCancelled, 0);
            continue;
        }
        lock.unlock();

        std::uint32_t status = ioStatusSuccess;
        while (done < size) {
            const ssize_t n = ::send(s->fd, data + done, size - done, MSG_NOSIGNAL);
            if (n < 0) {
                if (errno == EINTR) continue;
                status = lf_statusOfErrno(errno);
                break;
            }
            done += static_cast<std::uint32_t>(n);
        }

        lock.lock();
        s->writeArmed = false;
        if (s->closing) status = ioStatusCancelled;
        lock.unlock();
        s->completion(s->context, true, status, status == ioStatusSuccess ? size : 0);
    }
}

// The top of an I/O thread: nothing may escape it.
template <typename Loop>
void lf_ioThread(Loop loop, const std::shared_ptr<StreamState>& state, const char* name) {
    try {
        loop(state);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "SimConnect %s thread: %s\n", name, e.what());
    } catch (...) {
        std::fprintf(stderr, "SimConnect %s thread: unknown exception\n", name);
    }
}

class PosixSocketStream final : public ByteStream {
public:
    explicit PosixSocketStream(std::shared_ptr<StreamState> state) : m_state(std::move(state)) {
        std::thread([s = m_state] { lf_ioThread(lf_readerLoop, s, "reader"); }).detach();
        std::thread([s = m_state] { lf_ioThread(lf_writerLoop, s, "writer"); }).detach();
    }
    ~PosixSocketStream() override { close(); }

    IoStart startRead(std::uint8_t* buffer, std::uint32_t size) override {
        std::lock_guard lock(m_state->mutex);
        if (m_state->closing || m_state->readArmed) {
            errno = EBADF;
            return IoStart::failed;
        }
        m_state->readBuffer = buffer;
        m_state->readSize = size;
        m_state->readArmed = true;
        m_state->wake.notify_all();
        return IoStart::pending;
    }

    IoStart startWrite(const std::uint8_t* data, std::uint32_t size) override {
        std::lock_guard lock(m_state->mutex);
        if (m_state->closing || m_state->writeArmed) {
            errno = EBADF;
            return IoStart::failed;
        }
        // Fast path: a loopback socket with room takes the packet at once, which
        // saves a thread hand-over per packet (500 position updates per frame).
        ssize_t n = 0;
        do {
            n = ::send(m_state->fd, data, size, MSG_DONTWAIT | MSG_NOSIGNAL);
        } while (n < 0 && errno == EINTR);
        if (n >= 0 && static_cast<std::uint32_t>(n) == size) return IoStart::completed;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return IoStart::failed;
        m_state->writeData = data;
        m_state->writeSize = size;
        m_state->writeDone = n > 0 ? static_cast<std::uint32_t>(n) : 0;
        m_state->writeArmed = true;
        m_state->wake.notify_all();
        return IoStart::pending;
    }

    void close() override {
        std::lock_guard lock(m_state->mutex);
        if (m_state->closing) return;
        m_state->closing = true;
        // Wakes a blocked recv/send; the descriptor itself closes with the state.
        ::shutdown(m_state->fd, SHUT_RDWR);
        m_state->wake.notify_all();
    }

    bool isPipe() const override { return false; }

private:
    std::shared_ptr<StreamState> m_state;
};

std::string lf_narrow(const std::u16string& text) {
    if (text.empty()) return {};
    std::uint32_t error = 0;
    const int length = utf16ToUtf8(text.data(), static_cast<int>(text.size()), nullptr, 0, error);
    if (length <= 0) return {};
    std::string out(static_cast<std::size_t>(length), '\0');
    utf16ToUtf8(text.data(), static_cast<int>(text.size()), out.data(), length, error);
    return out;
}

using AddressList = std::shared_ptr<addrinfo>;

// The addresses of host and service; null on failure (errno set). A numeric
// address (or none, the local machine) needs no lookup; a host name is looked
// up on a thread of its own, waited for up to the limits.
AddressList lf_lookUp(const std::string& host, const std::string& service, addrinfo hints, const WaitLimits& limits) {
    const auto lookUp = [host, service](addrinfo hints) -> AddressList {
        addrinfo* list = nullptr;
        if (::getaddrinfo(host.empty() ? nullptr : host.c_str(), service.c_str(), &hints, &list) != 0 ||
            list == nullptr)
            return nullptr;
        return AddressList(list, ::freeaddrinfo);
    };
    addrinfo numeric = hints;
    numeric.ai_flags |= AI_NUMERICHOST;
    AddressList list = host.empty() ? lookUp(hints) : lookUp(numeric);
    if (!list && !host.empty()) {
        try {
            list = callBounded<AddressList>([lookUp, hints] { return lookUp(hints); }, limits).value_or(nullptr);
        } catch (const std::exception&) {
            list = nullptr;  // no thread for the lookup
        }
    }
    if (!list) errno = waitOver(limits) ? ETIMEDOUT : EHOSTUNREACH;
    return list;
}

// A connect to the first address, waited for in slices up to the limits. The
// descriptor (blocking again) or -1 with errno set. A connect interrupted by
// a signal goes on by itself, so it is waited for like one in progress.
int lf_connectBounded(const addrinfo& address, const WaitLimits& limits) {
    const int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, address.ai_protocol);
    if (fd < 0) return -1;
    int error = 0;
    if (::connect(fd, address.ai_addr, address.ai_addrlen) != 0) {
        error = errno;
        if (error == EINPROGRESS || error == EINTR) {
            error = ETIMEDOUT;
            while (!waitOver(limits)) {
                pollfd wait{fd, POLLOUT, 0};
                const int ready = ::poll(&wait, 1, static_cast<int>(g_waitSlice.count()));
                if (ready < 0 && errno != EINTR) {
                    error = errno;
                    break;
                }
                if (ready <= 0) continue;
                socklen_t length = sizeof error;
                if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
                break;
            }
        }
    }
    if (error == 0) {
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) error = errno;
    }
    if (error != 0) {
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

}  // namespace

bool startSockets() { return true; }
void stopSockets() {}

std::unique_ptr<ByteStream> openPipeStream(const std::u16string&, const std::u16string&, IoCompletion, void*,
                                           const WaitLimits&) {
    errno = ENOENT;  // ERROR_FILE_NOT_FOUND's counterpart: no simulator pipe here
    return nullptr;
}

std::unique_ptr<ByteStream> openTcpStream(std::uint32_t family, const std::u16string& address,
                                          const std::u16string& port, bool disableNagle, IoCompletion completion,
                                          void* context, const WaitLimits& limits) {
    addrinfo hints{};
    hints.ai_family = family == kFamilyIPv6 ? AF_INET6 : family == kFamilyIPv4 ? AF_INET : AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    const AddressList addresses = lf_lookUp(lf_narrow(address), lf_narrow(port), hints, limits);
    if (!addresses) return nullptr;
    const int fd = lf_connectBounded(*addresses, limits);
    if (fd < 0) return nullptr;
    if (disableNagle) {
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    auto state = std::make_shared<StreamState>();
    state->fd = fd;
    state->completion = completion;
    state->context = context;
    return std::make_unique<PosixSocketStream>(std::move(state));
}

void notifyWindow(void*, std::uint32_t) {}
void signalEvent(void*) {}

}  // namespace zrb::platform
