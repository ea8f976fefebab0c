#pragma once
// The operating-system calls of the foundation. The win32 side makes the real
// Windows calls; the posix side stands in for them on Linux so that all logic
// above it builds and is tested there. Nothing outside src/platform includes a
// Windows header: the logic sees only these declarations.
//
// Every function here is safe to call from any thread.

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace zrb::platform {

// ---------------------------------------------------------------- errors
// Win32 error numbers the logic compares against. The posix side reports the
// same numbers for the same situations.
inline constexpr std::uint32_t errorSuccess = 0;
inline constexpr std::uint32_t errorFileNotFound = 2;
inline constexpr std::uint32_t errorAccessDenied = 5;
inline constexpr std::uint32_t errorInvalidHandle = 6;
inline constexpr std::uint32_t errorNotEnoughMemory = 8;
inline constexpr std::uint32_t errorGenFailure = 31;
inline constexpr std::uint32_t errorNetnameDeleted = 64;
inline constexpr std::uint32_t errorInvalidParameter = 87;
inline constexpr std::uint32_t errorBrokenPipe = 109;
inline constexpr std::uint32_t errorDiskFull = 112;
inline constexpr std::uint32_t errorNoData = 232;            // the pipe is being closed
inline constexpr std::uint32_t errorPipeNotConnected = 233;
inline constexpr std::uint32_t wsaErrorWouldBlock = 10035;
inline constexpr std::uint32_t wsaErrorAddressNotAvailable = 10049;
inline constexpr std::uint32_t wsaErrorNetworkUnreachable = 10051;
inline constexpr std::uint32_t wsaErrorConnectionAborted = 10053;
inline constexpr std::uint32_t wsaErrorConnectionReset = 10054;
inline constexpr std::uint32_t wsaErrorNotConnected = 10057;
inline constexpr std::uint32_t wsaErrorShutdown = 10058;
inline constexpr std::uint32_t wsaErrorTimedOut = 10060;
inline constexpr std::uint32_t wsaErrorConnectionRefused = 10061;
inline constexpr std::uint32_t wsaErrorHostUnreachable = 10065;
inline constexpr std::uint32_t errorInsufficientBuffer = 122;
inline constexpr std::uint32_t errorMoreData = 234;
inline constexpr std::uint32_t errorAlreadyExists = 183;
inline constexpr std::uint32_t errorBadDatabase = 1009;  // ERROR_BADDB: the registry store is corrupt
inline constexpr std::uint32_t errorNoUnicodeTranslation = 1113;
inline constexpr std::uint32_t errorUnsupportedType = 1630;  // a registry value of another type

// GetLastError on Windows. On Linux the errno of the last failing call, as
// the Win32 error number of the same situation (EPIPE is ERROR_BROKEN_PIPE,
// ECONNRESET is WSAECONNRESET, ...; one without a counterpart is
// ERROR_GEN_FAILURE), so that the logic above reads one set of numbers.
std::uint32_t lastSystemError();

// ---------------------------------------------------------------- folders
// The user's roaming AppData folder (SHGetFolderPathW CSIDL_APPDATA). On Linux:
// $XDG_CONFIG_HOME, else $HOME/.config. Empty when the system cannot tell.
std::optional<std::filesystem::path> appDataFolder();

// The machine's common program data folder (SHGetFolderPathW
// CSIDL_COMMON_APPDATA, normally C:\ProgramData). On Linux the stand-in folder
// appDataFolder() / "ProgramData". Empty when the system cannot tell.
std::optional<std::filesystem::path> programDataFolder();

// ---------------------------------------------------------------- the simulator's own files
// Where Prepar3D v<version> (version "5" or "6") keeps the lists of installed
// add-ons that the scans read. On Linux the same names below the stand-in
// folders above, so a test or the demo puts them under $XDG_CONFIG_HOME:
//   add-ons.cfg     <AppData>\Lockheed Martin\Prepar3D v<N>\add-ons.cfg
//   simobjects.cfg  <ProgramData>\Lockheed Martin\Prepar3D v<N>\simobjects.cfg
//   scenery.cfg     <ProgramData>\Lockheed Martin\Prepar3D v<N>\scenery.cfg
//   scenery_add-ons.xml  <ProgramData>\Lockheed Martin\Prepar3D v<N>\scenery_add-ons.xml
// Empty when the folder above it is unknown.
std::optional<std::filesystem::path> simAddOnsCfgFile(std::string_view version);
std::optional<std::filesystem::path> simObjectsCfgFile(std::string_view version);
std::optional<std::filesystem::path> simSceneryCfgFile(std::string_view version);
std::optional<std::filesystem::path> simSceneryAddOnsFile(std::string_view version);
// Tests: the folders that stand for AppData and ProgramData in the four paths
// above, on either system (both empty: the system's own again).
void setSimListFoldersForTest(const std::filesystem::path& appData, const std::filesystem::path& programData);

// ---------------------------------------------------------------- files
// Copies a file over another, replacing it (CopyFileW with bFailIfExists FALSE).
// std::filesystem's overwrite_existing cannot be used: the MinGW runtime refuses
// to replace an existing file. On failure ec holds the system's error.
void copyFileReplacing(const std::filesystem::path& from, const std::filesystem::path& to, std::error_code& ec);

// Moves `from` over `to` in one step, replacing an existing `to` (MoveFileExW
// with MOVEFILE_REPLACE_EXISTING and MOVEFILE_WRITE_THROUGH on Windows, rename
// on Linux): the target holds either its old or its new content, never half of
// either. On failure ec holds the system's error and both files are as they were.
void replaceFile(const std::filesystem::path& from, const std::filesystem::path& to, std::error_code& ec);

// ---------------------------------------------------------------- single instance
// Creates the named mutex (Windows) or takes an exclusive lock file in the
// temporary folder (Linux). Returns errorSuccess when this process now holds it,
// errorAlreadyExists when another holder exists (on Windows also when its mutex
// exists but may not be opened, as one made by an elevated process), another
// error number on failure.
// The holder keeps it until releaseSingleInstance or the end of the process.
std::uint32_t acquireSingleInstance(std::string_view name);
void releaseSingleInstance();

// ---------------------------------------------------------------- registry
// A small mirror of the three registry calls the program makes. Status values
// are LSTATUS codes (0 success, 2 not found, 6 invalid handle, 234 more data,
// 1630 a value that is not REG_SZ).
//
// On Linux the registry is the file "registry.xml" in appDataFolder(): keys as
// <key> elements with the predefined root ("HKLM" or "HKEY_LOCAL_MACHINE",
// "HKCU" or "HKEY_CURRENT_USER") and the sub-key path with backslash separators
// (compared without regard to ASCII case, as Windows does), holding <value>
// elements with the value name and type ("REG_SZ" when omitted) and the data as
// element text (UTF-8):
//   <registry>
//     <key root="HKLM" path="SOFTWARE\Lockheed Martin\Prepar3D v5">
//       <value name="SetupPath" type="REG_SZ">C:\Prepar3D v5\</value>
//     </key>
//   </registry>
// A key also exists when a listed key lies below it. No file (or no AppData
// folder, or an empty file) means no keys (status 2); a file that does not parse
// or whose root is not <registry> gives status 1009 on open. The file is read
// afresh on every open, and an open key keeps what it held at that moment. Both
// registry views (view64) see the same keys there.
enum class RegRoot : std::uint8_t { localMachine, currentUser };

struct RegKey {
    std::uintptr_t handle = 0;  // 0 = not open
};

// RegOpenKeyExW(root, subKey, 0, KEY_READ [| KEY_WOW64_64KEY], &key).
// Sub-keys use '\\' as separator, as on Windows.
std::int32_t regOpenKey(RegRoot root, const std::u16string& subKey, bool view64, RegKey& key);

// RegGetValueW(key, nullptr, valueName, RRF_RT_REG_SZ, nullptr, buffer, &bytes):
// with buffer == nullptr reports the size in bytes (with the terminating NUL);
// otherwise copies at most `bytes` bytes and sets `bytes` to what was written.
std::int32_t regGetString(RegKey key, const std::u16string& valueName, char16_t* buffer,
                          std::uint32_t& bytes);

void regCloseKey(RegKey key);

// ---------------------------------------------------------------- text conversion
// WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, ...): with outLength == 0
// (out may then be nullptr) returns the length needed; returns 0 and sets
// `error` on failure (1113 for an invalid UTF-16 sequence such as a lone
// surrogate, 122 when out is too small, 87 for inLength 0 or a null pointer).
// inLength -1 means a NUL-terminated input whose NUL is converted too.
// `error` is 0 after success.
int utf16ToUtf8(const char16_t* in, int inLength, char* out, int outLength, std::uint32_t& error);

// MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, ...), same conventions;
// 1113 for malformed UTF-8 (stray or missing continuation bytes, overlong forms,
// encoded surrogates, values above U+10FFFF).
int utf8ToUtf16(const char* in, int inLength, char16_t* out, int outLength, std::uint32_t& error);

// The system's ANSI code page (GetACP), in which other programs' 8-bit text
// files and the simulator's texts are written; 0 where the system has none
// (Linux).
std::uint32_t ansiCodePage();

// 8-bit text of the code page to UTF-16 and back (MultiByteToWideChar /
// WideCharToMultiByte without best-fit characters; a character the code page
// lacks becomes '?'). nullopt when the system cannot convert in that code page
// (always on Linux) or the text is too long for it.
std::optional<std::u16string> codePageToUtf16(std::uint32_t codePage, std::string_view text);
std::optional<std::string> utf16ToCodePage(std::uint32_t codePage, std::u16string_view text);

// ---------------------------------------------------------------- time
// gmtime_s / gmtime_r. False when the time cannot be broken down. Both sides
// accept 1970-01-01 00:00:00 up to 3000-12-31 23:59:59 UTC only (the range of
// the Windows call), so that a time behaves the same on either system.
bool utcCalendar(std::time_t t, std::tm& out);

// timeBeginPeriod(1) / timeEndPeriod(1); nothing to do on Linux.
void beginHighTimerResolution();
void endHighTimerResolution();

}  // namespace zrb::platform
