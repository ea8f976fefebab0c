#include "liveries/encrypted_file.h"

#include <fstream>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <vector>

#include <sodium.h>

#include "build_config.h"
#include "foundation/log.h"
#include "foundation/text_file.h"

namespace zrb {

namespace {

static_assert(g_dataKeyBytes == crypto_secretstream_xchacha20poly1305_KEYBYTES);
static_assert(g_streamHeaderBytes == crypto_secretstream_xchacha20poly1305_HEADERBYTES);
static_assert(g_chunkOverheadBytes == crypto_secretstream_xchacha20poly1305_ABYTES);

constexpr int lf_hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

constexpr bool lf_isKeyHex(std::string_view hex) {
    if (hex.size() != 2 * g_dataKeyBytes) return false;
    for (const char c : hex)
        if (lf_hexDigit(c) < 0) return false;
    return true;
}

static_assert(lf_isKeyHex(build::dataKeyHex), "TOLVAREN_DATA_KEY_HEX must be 64 hex digits");

constexpr DataFileKey lf_keyFromHex(std::string_view hex) {
    DataFileKey key{};
    for (std::size_t i = 0; i < key.size(); ++i)
        key[i] = static_cast<unsigned char>(lf_hexDigit(hex[2 * i]) * 16 + lf_hexDigit(hex[2 * i + 1]));
    return key;
}

constexpr DataFileKey g_builtInKey = lf_keyFromHex(build::dataKeyHex);

// Reads up to count bytes; returns how many came.
std::size_t lf_readUpTo(std::istream& in, unsigned char* buffer, std::size_t count) {
    in.read(reinterpret_cast<char*>(buffer), static_cast<std::streamsize>(count));
    return static_cast<std::size_t>(in.gcount());
}

void lf_initSodium() {
    if (sodium_init() < 0) throw std::runtime_error("libsodium could not be initialised");
}

}  // namespace

const DataFileKey& gf_dataFileKey() { return g_builtInKey; }

void lf_decryptStream(const DataFileKey& key, std::istream& in, std::ostream& out) {
    lf_initSodium();
    std::array<unsigned char, g_streamHeaderBytes> header{};
    crypto_secretstream_xchacha20poly1305_state state;
    // A file too short to hold the header holds no data either: it is cut,
    // like a stream without its FINAL chunk.
    if (lf_readUpTo(in, header.data(), header.size()) != header.size()) throw std::runtime_error("Decryption failed");
    if (crypto_secretstream_xchacha20poly1305_init_pull(&state, header.data(), key.data()) != 0)
        throw std::runtime_error("Invalid header or key");

    std::vector<unsigned char> cipher(g_cipherChunkBytes, 0);
    std::vector<unsigned char> plain(g_plainChunkBytes, 0);
    bool finalSeen = false;
    for (std::size_t got = lf_readUpTo(in, cipher.data(), cipher.size()); got > 0;
         got = lf_readUpTo(in, cipher.data(), cipher.size())) {
        unsigned long long plainLength = 0;
        unsigned char tag = 0;
        if (crypto_secretstream_xchacha20poly1305_pull(&state, plain.data(), &plainLength, &tag, cipher.data(), got,
                                                       nullptr, 0) != 0)
            throw std::runtime_error("Decryption failed");
        out.write(reinterpret_cast<const char*>(plain.data()), static_cast<std::streamsize>(plainLength));
        if (!out) throw std::runtime_error("Could not write the decrypted data");
        if (tag == crypto_secretstream_xchacha20poly1305_TAG_FINAL) {
            finalSeen = true;
            break;
        }
    }
    // A stream that stops before its FINAL chunk has lost its end: a cut
    // download must not pass for a whole file.
    if (!finalSeen) throw std::runtime_error("Decryption failed");
    sodium_memzero(plain.data(), plain.size());
}

void lf_decryptFile(const DataFileKey& key, const std::filesystem::path& in, const std::filesystem::path& out) {
    std::ifstream input(in, std::ios::binary);
    if (!input) throw std::runtime_error("Could not open input file: " + gf_pathText(in));
    std::ofstream output(out, std::ios::binary | std::ios::trunc);
    if (!output) throw std::runtime_error("Could not open output file: " + gf_pathText(out));
    lf_decryptStream(key, input, output);
    output.close();
    if (!output) throw std::runtime_error("Could not write the decrypted data");
}

bool gf_streamDecrypt(const std::filesystem::path& in, const std::filesystem::path& out) {
    try {
        lf_decryptFile(gf_dataFileKey(), in, out);
        return true;
    } catch (const std::exception& e) {
        gf_logLine("{} exception: {}", "gf_streamDecrypt", e.what());
    }
    gf_removeFile(out);
    return false;
}

void gf_removeFile(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return;
    if (!std::filesystem::remove(path, ec) && ec)
        gf_logMarked("Warning: could not remove {}, errorcode: {}", gf_pathText(path), ec.message());
}

}  // namespace zrb
