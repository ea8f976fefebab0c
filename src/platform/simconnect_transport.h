#pragma once
// The operating-system side of the SimConnect client: byte streams over a named
// pipe or TCP with completion callbacks, the folders where SimConnect.cfg is
// looked for, and reading that INI file.
//
// Windows: overlapped I/O completed through BindIoCompletionCallback on system
// threads; named pipes; Winsock 2; SHGetKnownFolderPath; GetPrivateProfile*W.
// Linux: each stream has a reader and a writer thread of its own that make the
// blocking calls and report through the same callback; there is no named pipe
// (opening one fails with error 2, as on a Windows machine without a simulator);
// the two documents folders are the AppData folder's "Public Documents" and
// "Documents" subfolders, so they never touch the user's own files; the INI
// reader is our own (see iniGetString).

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/bounded_call.h"

namespace zrb::platform {

// ---------------------------------------------------------------- completion statuses
// NTSTATUS values the completion callback reports (BindIoCompletionCallback
// passes them on Windows; Linux maps errno onto them).
inline constexpr std::uint32_t ioStatusSuccess = 0;
inline constexpr std::uint32_t ioStatusBufferOverflow = 0x80000005;   // pipe message longer than the read
inline constexpr std::uint32_t ioStatusCancelled = 0xC0000120;
inline constexpr std::uint32_t ioStatusRemoteDisconnect = 0xC000013C;
inline constexpr std::uint32_t ioStatusPipeBroken = 0xC000014B;
inline constexpr std::uint32_t ioStatusConnectionReset = 0xC000020D;
inline constexpr std::uint32_t ioStatusUnsuccessful = 0xC0000001;

// Called on an I/O thread when a started read or write completes (also when it
// was cancelled by close). For a read, bytes is how many landed in the buffer;
// a successful read of 0 bytes means the peer closed the stream.
using IoCompletion = void (*)(void* context, bool isWrite, std::uint32_t status, std::uint32_t bytes);

enum class IoStart : std::uint8_t {
    pending,    // the completion callback will report the result
    completed,  // finished at once; no callback follows (Linux writes only)
    failed,     // could not be started; no callback follows; see lastSystemError()
};

// One open pipe or socket. Not thread-safe by itself: the caller serialises
// startRead/startWrite/close (the client does so under its transport lock). At
// most one read and one write may be outstanding. The buffers passed must stay
// valid until their completion. Destroying the stream closes it; completions of
// operations still outstanding are still delivered (with ioStatusCancelled when
// close cancelled them), so the caller keeps the context alive until then.
class ByteStream {
public:
    virtual ~ByteStream() = default;
    virtual IoStart startRead(std::uint8_t* buffer, std::uint32_t size) = 0;
    virtual IoStart startWrite(const std::uint8_t* data, std::uint32_t size) = 0;
    // Shuts a socket down both ways, cancels outstanding I/O and closes the handle.
    virtual void close() = 0;
    virtual bool isPipe() const = 0;
};

// WSAStartup 2.0 / WSACleanup; nothing to do on Linux.
bool startSockets();
void stopSockets();

// Opening a stream never blocks for long: the name lookup and the connect
// (or the waits for a busy pipe) end by a deadline a few seconds away, and a
// cancel request ends them within a slice (100 ms). Past the deadline or
// cancelled, the open fails with WSAETIMEDOUT (10060).
inline constexpr std::chrono::milliseconds g_openStreamTimeout{5000};
// Limits with the deadline g_openStreamTimeout from now and no cancel request.
WaitLimits defaultOpenLimits();

// CreateFileW on "\\server\pipe\name" (the default SimConnect pipe name when
// pipeName is empty), waiting in slices while the pipe is busy, up to the
// limits. Null on failure, with lastSystemError() set.
std::unique_ptr<ByteStream> openPipeStream(const std::u16string& server, const std::u16string& pipeName,
                                           IoCompletion completion, void* context,
                                           const WaitLimits& limits = defaultOpenLimits());

// GetAddrInfoW(address, port, family, SOCK_STREAM, IPPROTO_TCP) (a host name is
// looked up on a thread of its own, see bounded_call.h), then a connect to the
// first result that is waited for in slices up to the limits, TCP_NODELAY when
// disableNagle. family is 2 (IPv4) or 23 (IPv6), the Windows numbers on every
// platform. Null on failure, with lastSystemError() set.
std::unique_ptr<ByteStream> openTcpStream(std::uint32_t family, const std::u16string& address,
                                          const std::u16string& port, bool disableNagle, IoCompletion completion,
                                          void* context, const WaitLimits& limits = defaultOpenLimits());

// PostMessageW(window, message, 0, 0) / SetEvent(event); nothing on Linux.
void notifyWindow(void* window, std::uint32_t message);
void signalEvent(void* event);

// ---------------------------------------------------------------- SimConnect.cfg
enum class CfgFolder : std::uint8_t { publicDocuments, documents, current };

// The folder, or nothing when the system cannot tell.
std::optional<std::filesystem::path> simConnectCfgFolder(CfgFolder folder);

// GetPrivateProfileStringW(section, key, "", buffer of bufferChars): the value,
// cut to bufferChars - 1 characters; empty when the file, the section or the
// key is missing. Section and key names match without regard to case; the
// first matching section and key count; the value is trimmed and one pair of
// surrounding quotes is removed. The Linux reader takes UTF-8 (with or without
// a byte-order mark) or UTF-16LE with a byte-order mark; lines starting with
// ';' are comments.
std::u16string iniGetString(const std::filesystem::path& file, const std::u16string& section,
                            const std::u16string& key, std::uint32_t bufferChars);

// GetPrivateProfileSectionW(section, buffer of bufferChars) != 0: true when the
// section exists and holds at least one entry.
bool iniSectionHasEntries(const std::filesystem::path& file, const std::u16string& section,
                          std::uint32_t bufferChars);

}  // namespace zrb::platform
