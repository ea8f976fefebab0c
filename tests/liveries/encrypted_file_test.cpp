#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "data_file_writer.h"
#include "foundation/text_file.h"
#include "foundation/xml_file.h"
#include "liveries/encrypted_file.h"
#include "support/temp_folder.h"

namespace zrb::test {
namespace {

namespace fs = std::filesystem;

std::string patternText(std::size_t size) {
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i) text[i] = static_cast<char>((i * 31 + 7) % 251);
    return text;
}

TEST(EncryptedFile, RoundTripsEveryChunkBoundaryByteForByte) {
    LoggedFolder folder;
    for (const std::size_t size : {0u, 1u, 4095u, 4096u, 4097u, 8192u, 10000u}) {
        SCOPED_TRACE(size);
        const auto plain = patternText(size);
        writeEncryptedFile(folder / "data.enc", plain);
        ASSERT_TRUE(gf_streamDecrypt(folder / "data.enc", folder / "data.xml"));
        EXPECT_EQ(readFile(folder / "data.xml"), plain);
    }
    // The file layout: header, full chunks of 4113 bytes, a last chunk of 17 + rest.
    EXPECT_EQ(encryptText(patternText(10000)).size(), 24u + 2 * 4113u + 17u + 10000u - 8192u);
    EXPECT_EQ(encryptText("").size(), 24u + 17u);
}

TEST(EncryptedFile, BytesAfterAFullFinalChunkAreIgnored) {
    LoggedFolder folder;
    const auto plain = patternText(8192);
    writeFile(folder / "data.enc", encryptText(plain) + "trailing garbage");
    ASSERT_TRUE(gf_streamDecrypt(folder / "data.enc", folder / "data.xml"));
    EXPECT_EQ(readFile(folder / "data.xml"), plain);
    // Chunks are read 4113 bytes at a time, so bytes behind a shorter last
    // chunk are read with it and break its authentication.
    writeFile(folder / "data.enc", encryptText(patternText(5000)) + "trailing garbage");
    EXPECT_FALSE(gf_streamDecrypt(folder / "data.enc", folder / "data.xml"));
}

TEST(EncryptedFile, RefusedFilesLeaveNoOutputAndSayWhy) {
    LoggedFolder folder;
    const auto plain = patternText(9000);
    const auto good = encryptText(plain);
    std::string flipped = good;
    flipped[24 + 4113 + 100] = static_cast<char>(flipped[24 + 4113 + 100] ^ 0x01);
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"another key", encryptText(plain, testKey())},
        {"one flipped byte", flipped},
        {"1000-byte chunks", encryptText(plain, gf_dataFileKey(), {1000, true})},
        {"no FINAL chunk", encryptText(plain, gf_dataFileKey(), {4096, false})},
        {"cut after a whole chunk", good.substr(0, 24 + 4113)},
        {"cut inside a chunk", good.substr(0, good.size() - 5)},
        {"header only", good.substr(0, 24)},
        {"ten bytes", good.substr(0, 10)},
        {"empty", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(folder / "data.enc", c.bytes);
        writeFile(folder / "data.xml", "stale plain text");
        EXPECT_FALSE(gf_streamDecrypt(folder / "data.enc", folder / "data.xml"));
        EXPECT_FALSE(fs::exists(folder / "data.xml"));
    }
    const auto lines = folder.logLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "gf_streamDecrypt exception: Decryption failed"),
              static_cast<long>(std::size(cases)));
}

TEST(EncryptedFile, ReportsFilesThatCannotBeOpened) {
    LoggedFolder folder;
    EXPECT_FALSE(gf_streamDecrypt(folder / "missing.enc", folder / "out.xml"));
    EXPECT_TRUE(folder.logContains("gf_streamDecrypt exception: Could not open input file: " +
                                   (folder / "missing.enc").string()));
    EXPECT_FALSE(fs::exists(folder / "out.xml"));

    writeEncryptedFile(folder / "data.enc", "x");
    EXPECT_FALSE(gf_streamDecrypt(folder / "data.enc", folder / "no-folder" / "out.xml"));
    EXPECT_TRUE(folder.logContains("gf_streamDecrypt exception: Could not open output file: " +
                                   (folder / "no-folder" / "out.xml").string()));
}

TEST(EncryptedFile, DecryptsWithTheKeyItIsGiven) {
    const auto plain = patternText(4500);
    std::istringstream in(encryptText(plain, testKey()));
    std::ostringstream out;
    lf_decryptStream(testKey(), in, out);
    EXPECT_EQ(out.str(), plain);

    std::istringstream wrong(encryptText(plain, testKey()));
    std::ostringstream ignored;
    EXPECT_THROW(lf_decryptStream(gf_dataFileKey(), wrong, ignored), std::runtime_error);
}

TEST(EncryptedFile, RemoveFileIsQuietAboutMissingFiles) {
    LoggedFolder folder;
    const auto before = folder.logLines().size();
    gf_removeFile(folder / "not-there.xml");
    writeFile(folder / "there.xml", "x");
    gf_removeFile(folder / "there.xml");
    EXPECT_FALSE(fs::exists(folder / "there.xml"));
    EXPECT_EQ(folder.logLines().size(), before);
}

TEST(EncryptedFile, RemoveFileWarnsWhenThePathStays) {
    LoggedFolder folder;
    // A folder that is not empty cannot be removed, whoever runs the test.
    writeFile(folder / "plain" / "inside.xml", "x");
    gf_removeFile(folder / "plain");
    EXPECT_TRUE(fs::exists(folder / "plain" / "inside.xml"));
    const std::string warning = "===> Warning: could not remove " + gf_pathText(folder / "plain") + ", errorcode: ";
    EXPECT_TRUE(folder.logContains(warning));
}

TEST(EncryptedFile, DataFileMakerReportsAFileItCouldNotWrite) {
    LoggedFolder folder;
    writeFile(folder / "plain.xml", "<aircrafts/>");
    ASSERT_TRUE(tools::gf_makeDataFile(folder / "plain.xml", folder / "data.enc", testKey()));
    std::istringstream in(readFile(folder / "data.enc"));
    std::ostringstream out;
    lf_decryptStream(testKey(), in, out);
    EXPECT_EQ(out.str(), "<aircrafts/>");
    // The bytes fit the stream's buffer: only closing the file shows that the disk is full.
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no full device here";
    EXPECT_FALSE(tools::gf_makeDataFile(folder / "plain.xml", "/dev/full", testKey()));
}

}  // namespace
}  // namespace zrb::test
