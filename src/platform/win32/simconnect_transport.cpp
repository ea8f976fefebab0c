// Windows side of the SimConnect streams: named pipes and Winsock 2 sockets
// with overlapped I/O, completed on system threads through
// BindIoCompletionCallback.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "platform/simconnect_transport.h"

namespace zrb::platform {

namespace {

constexpr std::size_t kMaxPipeNameChars = 259;
constexpr const wchar_t* kDefaultPipeName = L"Lockheed Martin Prepar3D v5\\SimConnect";

class Win32Stream;

// The OVERLAPPED of one direction with its way back to the stream.
struct StreamOverlapped {
    OVERLAPPED overlapped;
    Win32Stream* owner;
    bool isWrite;
};

const wchar_t* lf_wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

HANDLE lf_createEvent() {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (event == nullptr) std::printf("CreateEvent failed with %d.\n", static_cast<int>(GetLastError()));
    return event;
}

class Win32Stream final : public ByteStream {
public:
    Win32Stream(HANDLE handle, SOCKET socket, bool pipe, IoCompletion completion, void* context)
        : m_handle(handle), m_socket(socket), m_pipe(pipe), m_completion(completion), m_context(context) {
        m_read.owner = this;
        m_read.isWrite = false;
        m_write.owner = this;
        m_write.isWrite = true;
        if (m_pipe) {
            m_readEvent = lf_createEvent();
            m_writeEvent = lf_createEvent();
        }
    }
    ~Win32Stream() override {
        close();
        // The events may be signalled by I/O until its completion, so they go
        // only with the stream, after every completion was delivered.
        if (m_readEvent) CloseHandle(m_readEvent);
        if (m_writeEvent) CloseHandle(m_writeEvent);
    }

    IoStart startRead(std::uint8_t* buffer, std::uint32_t size) override {
        if (m_closed) return IoStart::failed;
        ZeroMemory(&m_read.overlapped, sizeof(OVERLAPPED));
        m_read.overlapped.hEvent = m_readEvent;
        if (m_pipe) {
            if (ReadFile(m_handle, buffer, size, nullptr, &m_read.overlapped) || GetLastError() == ERROR_IO_PENDING)
                return IoStart::pending;
            return IoStart::failed;
        }
        WSABUF wsaBuffer{size, reinterpret_cast<char*>(buffer)};
        DWORD flags = 0;
        if (WSARecv(m_socket, &wsaBuffer, 1, nullptr, &flags, &m_read.overlapped, nullptr) == 0 ||
            WSAGetLastError() == WSA_IO_PENDING)
            return IoStart::pending;
        SetLastError(static_cast<DWORD>(WSAGetLastError()));
        return IoStart::failed;
    }

    IoStart startWrite(const std::uint8_t* data, std::uint32_t size) override {
        if (m_closed) return IoStart::failed;
        ZeroMemory(&m_write.overlapped, sizeof(OVERLAPPED));
        m_write.overlapped.hEvent = m_writeEvent;
        if (m_pipe) {
            if (WriteFile(m_handle, data, size, nullptr, &m_write.overlapped) || GetLastError() == ERROR_IO_PENDING)
                return IoStart::pending;
            return IoStart::failed;
        }
        // WSASend does not write to the buffer; the API just lacks const.
        WSABUF wsaBuffer{size, reinterpret_cast<char*>(const_cast<std::uint8_t*>(data))};
        if (WSASend(m_socket, &wsaBuffer, 1, nullptr, 0, &m_write.overlapped, nullptr) == 0 ||
            WSAGetLastError() == WSA_IO_PENDING)
            return IoStart::pending;
        SetLastError(static_cast<DWORD>(WSAGetLastError()));
        return IoStart::failed;
    }

    void close() override {
        if (m_closed) return;
        m_closed = true;
        if (m_pipe) {
            CancelIo(m_handle);
            CloseHandle(m_handle);
        } else {
            shutdown(m_socket, SD_BOTH);
            CancelIo(reinterpret_cast<HANDLE>(m_socket));
            closesocket(m_socket);
        }
    }

    bool isPipe() const override { return m_pipe; }

    void completed(const StreamOverlapped& op, DWORD status, DWORD bytes) {
        m_completion(m_context, op.isWrite, status, bytes);
    }

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
    SOCKET m_socket = INVALID_SOCKET;
    bool m_pipe = false;
    bool m_closed = false;
    IoCompletion m_completion = nullptr;
    void* m_context = nullptr;
    HANDLE m_readEvent = nullptr;
    HANDLE m_writeEvent = nullptr;
    StreamOverlapped m_read{};
    StreamOverlapped m_write{};
};

// Windows hands the completion routine the NTSTATUS of the I/O; Wine hands it
// the Win32 error number instead. The client tells failures apart by NTSTATUS,
// so the error numbers of the same situations are turned back into them.
DWORD lf_ntStatus(DWORD code) {
    switch (code) {
        case ERROR_SUCCESS: return ioStatusSuccess;
        case ERROR_OPERATION_ABORTED: return ioStatusCancelled;
        case ERROR_BROKEN_PIPE:
        case ERROR_PIPE_NOT_CONNECTED: return ioStatusPipeBroken;
        case ERROR_NETNAME_DELETED:
        case ERROR_CONNECTION_ABORTED:
        case WSAECONNRESET:
        case WSAECONNABORTED: return ioStatusConnectionReset;
        case ERROR_MORE_DATA: return ioStatusBufferOverflow;
        default: return code;  // an NTSTATUS already, or another failure
    }
}

// The routine bound to every stream.
VOID CALLBACK lf_ioCompleted(DWORD status, DWORD bytes, LPOVERLAPPED overlapped) {
    auto* op = reinterpret_cast<StreamOverlapped*>(reinterpret_cast<char*>(overlapped) -
                                                   offsetof(StreamOverlapped, overlapped));
    op->owner->completed(*op, lf_ntStatus(status), bytes);
}

using AddressList = std::shared_ptr<ADDRINFOW>;

// The addresses of host and service; null on failure (last error set). A
// numeric address (or none, the local machine) needs no lookup; a host name is
// looked up on a thread of its own, waited for up to the limits.
AddressList lf_lookUp(const std::u16string& host, const std::u16string& service, ADDRINFOW hints,
                      const WaitLimits& limits) {
    const auto lookUp = [host, service](ADDRINFOW hints) -> AddressList {
        ADDRINFOW* list = nullptr;
        if (GetAddrInfoW(host.empty() ? nullptr : lf_wide(host), lf_wide(service), &hints, &list) != 0 ||
            list == nullptr)
            return nullptr;
        return AddressList(list, FreeAddrInfoW);
    };
    ADDRINFOW numeric = hints;
    numeric.ai_flags |= AI_NUMERICHOST;
    AddressList list = host.empty() ? lookUp(hints) : lookUp(numeric);
    if (!list && !host.empty()) {
        try {
            list = callBounded<AddressList>([lookUp, hints] { return lookUp(hints); }, limits).value_or(nullptr);
        } catch (const std::exception&) {
            list = nullptr;  // no thread for the lookup
        }
    }
    if (!list) SetLastError(waitOver(limits) ? WSAETIMEDOUT : WSAHOST_NOT_FOUND);
    return list;
}

// A connect to the first address, waited for in slices up to the limits. The
// socket (blocking again) or INVALID_SOCKET with the last error set.
SOCKET lf_connectBounded(const ADDRINFOW& address, const WaitLimits& limits) {
    const SOCKET s = socket(address.ai_family, address.ai_socktype, address.ai_protocol);
    if (s == INVALID_SOCKET) return INVALID_SOCKET;
    u_long nonBlocking = 1;
    int error = ioctlsocket(s, FIONBIO, &nonBlocking) == 0 ? 0 : WSAGetLastError();
    if (error == 0 && connect(s, address.ai_addr, static_cast<int>(address.ai_addrlen)) != 0) {
        error = WSAGetLastError();
        if (error == WSAEWOULDBLOCK) {
            error = WSAETIMEDOUT;
            while (!waitOver(limits)) {
                fd_set writable;
                fd_set failed;
                FD_ZERO(&writable);
                FD_ZERO(&failed);
                FD_SET(s, &writable);
                FD_SET(s, &failed);
                timeval slice{0, static_cast<long>(std::chrono::microseconds(g_waitSlice).count())};
                const int ready = select(0, nullptr, &writable, &failed, &slice);
                if (ready == SOCKET_ERROR) {
                    error = WSAGetLastError();
                    break;
                }
                if (ready == 0) continue;
                int soError = 0;
                int length = sizeof soError;
                error = getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &length) == 0
                            ? soError
                            : WSAGetLastError();
                break;
            }
        }
    }
    u_long blocking = 0;
    if (error == 0 && ioctlsocket(s, FIONBIO, &blocking) != 0) error = WSAGetLastError();
    if (error != 0) {
        closesocket(s);
        SetLastError(static_cast<DWORD>(error));
        return INVALID_SOCKET;
    }
    return s;
}

}  // namespace

bool startSockets() {
    WSADATA data{};
    return WSAStartup(MAKEWORD(2, 0), &data) == 0;
}

void stopSockets() { WSACleanup(); }

std::unique_ptr<ByteStream> openPipeStream(const std::u16string& server, const std::u16string& pipeName,
                                           IoCompletion completion, void* context, const WaitLimits& limits) {
    std::wstring name = L"\\\\" + std::wstring(lf_wide(server)) + L"\\pipe\\" +
                        (pipeName.empty() ? std::wstring(kDefaultPipeName) : std::wstring(lf_wide(pipeName)));
    if (name.size() > kMaxPipeNameChars) name.resize(kMaxPipeNameChars);
    HANDLE pipe = INVALID_HANDLE_VALUE;
    for (;;) {
        pipe = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
        if (pipe != INVALID_HANDLE_VALUE) break;
        if (GetLastError() != ERROR_PIPE_BUSY) return nullptr;
        // Busy: another client is being served. Wait in slices, so that a
        // stop ends the wait, and never beyond the deadline.
        if (waitOver(limits)) {
            SetLastError(WSAETIMEDOUT);
            return nullptr;
        }
        if (!WaitNamedPipeW(name.c_str(), static_cast<DWORD>(g_waitSlice.count())) &&
            GetLastError() != ERROR_SEM_TIMEOUT)
            return nullptr;
    }
    if (!BindIoCompletionCallback(pipe, lf_ioCompleted, 0)) {
        const DWORD error = GetLastError();
        CloseHandle(pipe);
        SetLastError(error);
        return nullptr;
    }
    return std::make_unique<Win32Stream>(pipe, INVALID_SOCKET, true, completion, context);
}

std::unique_ptr<ByteStream> openTcpStream(std::uint32_t family, const std::u16string& address,
                                          const std::u16string& port, bool disableNagle, IoCompletion completion,
                                          void* context, const WaitLimits& limits) {
    ADDRINFOW hints{};
    hints.ai_family = static_cast<int>(family);  // 2 = AF_INET, 23 = AF_INET6
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    const AddressList addresses = lf_lookUp(address, port, hints, limits);
    if (!addresses) return nullptr;
    const SOCKET s = lf_connectBounded(*addresses, limits);
    if (s == INVALID_SOCKET) return nullptr;
    if (!BindIoCompletionCallback(reinterpret_cast<HANDLE>(s), lf_ioCompleted, 0)) {
        const DWORD error = GetLastError();
        closesocket(s);
        SetLastError(error);
        return nullptr;
    }
    if (disableNagle) {
        const BOOL on = TRUE;
        setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    }
    return std::make_unique<Win32Stream>(INVALID_HANDLE_VALUE, s, false, completion, context);
}

void notifyWindow(void* window, std::uint32_t message) {
    PostMessageW(static_cast<HWND>(window), message, 0, 0);
}

void signalEvent(void* event) { SetEvent(static_cast<HANDLE>(event)); }

}  // namespace zrb::platform
