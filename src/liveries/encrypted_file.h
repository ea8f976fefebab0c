#pragma once
// The encrypted data files (input/dbase.enc, input/AIG-regcodes.enc): a
// libsodium secret stream (XChaCha20-Poly1305) of 4096-byte plain chunks with
// no additional data, the last chunk tagged FINAL:
//
//   offset 0     24 bytes     stream header
//   offset 24    4113 bytes   chunk 1 (4096 plain + 17)
//   ...          17..4113     last chunk, tag FINAL
//
// The functions keep no shared state: safe from any thread.

#include <array>
#include <cstddef>
#include <filesystem>
#include <istream>
#include <ostream>

namespace zrb {

inline constexpr std::size_t g_dataKeyBytes = 32;
inline constexpr std::size_t g_streamHeaderBytes = 24;
inline constexpr std::size_t g_plainChunkBytes = 4096;
inline constexpr std::size_t g_chunkOverheadBytes = 17;
inline constexpr std::size_t g_cipherChunkBytes = g_plainChunkBytes + g_chunkOverheadBytes;

using DataFileKey = std::array<unsigned char, g_dataKeyBytes>;

// The key the data files of the download site are encrypted with (a build
// setting, checked when the program is compiled).
const DataFileKey& gf_dataFileKey();

// Decrypts one stream. Throws std::runtime_error "Invalid header or key" when
// the header is rejected, and "Decryption failed" when the input is shorter
// than a header, a chunk does not authenticate or the stream ends before its
// FINAL chunk. Bytes after the
// FINAL chunk are ignored. Memory use does not depend on the input's size.
void lf_decryptStream(const DataFileKey& key, std::istream& in, std::ostream& out);

// Decrypts a file into another: "Could not open input file: {path}",
// "Could not open output file: {path}", or lf_decryptStream's errors.
void lf_decryptFile(const DataFileKey& key, const std::filesystem::path& in, const std::filesystem::path& out);

// Decrypts with the built-in key. On any failure logs
// "gf_streamDecrypt exception: {}", removes the output file and returns false.
bool gf_streamDecrypt(const std::filesystem::path& in, const std::filesystem::path& out);

// Removes the file when it exists; logs a warning when that fails.
void gf_removeFile(const std::filesystem::path& path);

}  // namespace zrb
