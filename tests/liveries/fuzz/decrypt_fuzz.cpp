// Decryption of any bytes: never a crash, a hang or memory that grows with the
// input; and whatever decrypts with success is exactly what was encrypted.
//
// The first input byte picks the mode:
//   even: the rest is taken as an encrypted file as it stands; a share of
//         these inputs also goes the program's way as input/dbase.enc (the
//         database reader decrypts it to a file, reads it and removes it),
//         after which no plain text may be left behind;
//   odd:  the rest is a plain text that is encrypted with chunk size, FINAL
//         flag and a cut taken from the next bytes, and then decrypted.

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "../data_file_writer.h"
#include "config/paths.h"
#include "fuzz_target.h"
#include "liveries/dbase.h"
#include "liveries/encrypted_file.h"

namespace {

namespace fs = std::filesystem;

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

// One input of the even mode in this many also goes through the files.
constexpr unsigned filePassEvery = 4;

// The installation folder, the current directory for the whole run.
struct Installation {
    Installation() : cd(folder.path()) { fs::create_directories(zrb::g_inputFolder); }
    zrb::test::TempFolder folder;
    zrb::test::CurrentDirectory cd;
};

void lf_readAsDatabase(const std::string& bytes) {
    static const Installation installation;
    // A new file rather than a truncated one: truncation flushes to the disk.
    fs::remove(zrb::g_dbaseEncFile);
    zrb::test::writeFile(zrb::g_dbaseEncFile, bytes);
    try {
        (void)zrb::gf_readDbase();
    } catch (const std::runtime_error&) {
        // Refused by its key or format, or a database without what it needs
        // (a UserErrorException): the program tells the user and stops.
    }
    lf_check(!fs::exists(zrb::g_dbaseXmlFile));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const DataFileKey key = zrb::test::testKey();
    std::string plain;
    if ((data[0] & 1) == 0) {
        static unsigned count = 0;
        lf_decrypts(key, rest, plain);
        lf_decrypts(zrb::gf_dataFileKey(), rest, plain);
        if (count++ % filePassEvery == 0) lf_readAsDatabase(rest);
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
    // The data files as the download site serves them, in the program's own
    // key: the sample database (one chunk), a database and a registration-code
    // file of several chunks, and a file with bytes after its FINAL chunk.
    const std::string dbase = zrb::test::readFile(zrb::test::testDataPath("dbase_sample.xml"));
    std::string largeDbase = dbase;
    std::string regcodes = "<?xml version=\"1.0\"?>\n<AIG-regcodes>\n";
    for (int i = 0; i < 150; ++i) {
        const std::string n = std::to_string(1000 + i);
        largeDbase.insert(largeDbase.rfind("</dbase>"),
                          "\t<db reg=\"PH-" + n + "\" airl=\"KLM\" type=\"B738\" opr=\"\" cargo=\"false\"/>\n");
        regcodes += "<livery title=\"AI Boeing 737-800 KLM " + n + "\" reg=\"PH-" + n + ",PH-X" + n + "\"/>\n";
    }
    regcodes += "</AIG-regcodes>\n";
    const auto& programKey = zrb::gf_dataFileKey();
    const std::string z(1, '\0');
    return {
        z + zrb::test::encryptText(dbase, programKey),
        z + zrb::test::encryptText(largeDbase, programKey),
        z + zrb::test::encryptText(regcodes, programKey),
        z + zrb::test::encryptText(regcodes, programKey) + "trailing bytes",
        z + zrb::test::encryptText("", programKey),
        z + zrb::test::encryptText(xml, key),
        z + zrb::test::encryptText(big, key),
        z + zrb::test::encryptText("", key),
        z + std::string(24, '\0'),
        std::string("\x01\x7f\x01\x40", 4) + xml,       // chunks of 4065 bytes, FINAL, whole
        std::string("\x01\x7f\x01\x20", 4) + big,       // cut in half
        std::string("\x01\x02\x00\xff", 4) + xml,       // no FINAL
        std::string("\x01\x00\x01\xff", 4) + xml,       // 1-byte chunks
        std::string("\x01\x7f\x01\xff", 4) + regcodes,  // the registration codes in chunks of 4065 bytes
    };
}
