#include "download_site/data_file_maker.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <sodium.h>

namespace zrb::tools {

std::string gf_encryptDataText(std::string_view plain, const DataFileKey& key, StreamShape shape) {
    if (sodium_init() < 0) throw std::runtime_error("libsodium could not be initialised");
    if (shape.chunkBytes == 0) throw std::invalid_argument("chunks of 0 bytes");
    crypto_secretstream_xchacha20poly1305_state state;
    unsigned char header[crypto_secretstream_xchacha20poly1305_HEADERBYTES];
    crypto_secretstream_xchacha20poly1305_init_push(&state, header, key.data());
    std::string out(reinterpret_cast<const char*>(header), sizeof header);
    std::string cipher(shape.chunkBytes + crypto_secretstream_xchacha20poly1305_ABYTES, '\0');
    std::size_t pos = 0;
    do {
        const std::size_t length = std::min(shape.chunkBytes, plain.size() - pos);
        const bool last = pos + length >= plain.size();
        const unsigned char tag = last && shape.finalTag ? crypto_secretstream_xchacha20poly1305_TAG_FINAL
                                                         : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE;
        unsigned long long cipherLength = 0;
        crypto_secretstream_xchacha20poly1305_push(&state, reinterpret_cast<unsigned char*>(cipher.data()),
                                                   &cipherLength,
                                                   reinterpret_cast<const unsigned char*>(plain.data() + pos),
                                                   length, nullptr, 0, tag);
        out.append(cipher.data(), static_cast<std::size_t>(cipherLength));
        pos += length;
    } while (pos < plain.size());
    return out;
}

bool gf_makeDataFile(const std::filesystem::path& plainFile, const std::filesystem::path& dataFile,
                     const DataFileKey& key) {
    std::ifstream in(plainFile, std::ios::binary);
    if (!in) return false;
    const std::string plain((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::ofstream out(dataFile, std::ios::binary | std::ios::trunc);
    out << gf_encryptDataText(plain, key);
    // A full disk shows only when the buffer is written out.
    out.close();
    return !out.fail();
}

}  // namespace zrb::tools
