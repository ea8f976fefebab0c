// Decryption of any bytes: never a crash, a hang or memory that grows with the
// input; and whatever decrypts with success is exactly what was encrypted.
//
// The first input byte picks the mode:
//   even: the rest is taken as an encrypted file as it stands;
//   odd:  the rest is a plain text that is encrypted with chunk size, FINAL
//         flag and a cut taken from the next bytes, and then decrypted.

#include <cstdlib>
#include <sstream>

#include "../data_file_writer.h"
#include "fuzz_target.h"
#include "liveries/encrypted_file.h"

namespace {

using zrb::DataFileKey;

void lf_check(bool condition) {
    if (!condition) std::abort();
}

bool lf_decrypts(const DataFileKey& key, const std::string& bytes, std::string& plain) {
    std::istringstream in(bytes);
    std::ostringstream out;
    try {
        zrb::lf_decryptStream(key, in, out);
    } catch (const std::runtime_error&) {
        return false;
    }
    plain = std::move(out).str();
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const DataFileKey key = zrb::test::testKey();
    std::string plain;
    if ((data[0] & 1) == 0) {
        lf_decrypts(key, rest, plain);
        lf_decrypts(zrb::gf_dataFileKey(), rest, plain);
        return 0;
    }
    if (rest.size() < 3) return 0;
    const std::size_t chunk = 1 + static_cast<std::uint8_t>(rest[0]) * 32;  // 1 .. 8161 plain bytes
    const bool finalTag = (rest[1] & 1) != 0;
    const auto cutCode = static_cast<std::uint8_t>(rest[2]);
    const std::string text = rest.substr(3);
    std::string encrypted = zrb::test::encryptText(text, key, {chunk, finalTag});
    const bool cut = cutCode < 64 && !encrypted.empty();
    if (cut) encrypted.resize(encrypted.size() * cutCode / 64);
    const bool decrypted = lf_decrypts(key, encrypted, plain);
    if (decrypted) lf_check(plain == text);
    // A whole, well-made stream always decrypts; a cut or unfinished one never does.
    if (chunk == zrb::g_plainChunkBytes) lf_check(decrypted == (finalTag && !cut));
    if (!finalTag || cut) lf_check(!decrypted);
    return 0;
}

std::vector<std::string> fuzzSeeds() {
    const auto key = zrb::test::testKey();
    const std::string xml = "<aircrafts><aircraft types=\"B738,A320\"/></aircrafts>";
    std::string big(9000, 'x');
    return {
        std::string(1, '\0') + zrb::test::encryptText(xml, key),
        std::string(1, '\0') + zrb::test::encryptText(big, key),
        std::string(1, '\0') + zrb::test::encryptText("", key),
        std::string(1, '\0') + std::string(24, '\0'),
        std::string("\x01\x7f\x01\x40", 4) + xml,       // chunks of 4065 bytes, FINAL, whole
        std::string("\x01\x7f\x01\x20", 4) + big,       // cut in half
        std::string("\x01\x02\x00\xff", 4) + xml,       // no FINAL
        std::string("\x01\x00\x01\xff", 4) + xml,       // 1-byte chunks
    };
}
