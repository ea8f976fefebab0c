#pragma once
// Makes the encrypted data files the download site serves (dbase.enc,
// AIG-regcodes.enc): libsodium's secret stream push side, 4096-byte plain
// chunks, no additional data, the last chunk tagged FINAL. The shape can be
// changed to make the broken files a reader must refuse.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "liveries/encrypted_file.h"

namespace zrb::tools {

struct StreamShape {
    std::size_t chunkBytes = g_plainChunkBytes;  // plain bytes per chunk, at least 1
    bool finalTag = true;                        // the last chunk carries FINAL
};

// The encrypted bytes of the plain text. Empty text gives the header and one
// FINAL chunk of 17 bytes.
std::string gf_encryptDataText(std::string_view plain, const DataFileKey& key, StreamShape shape = {});

// Encrypts a plain file into a data file; false when either file fails.
bool gf_makeDataFile(const std::filesystem::path& plainFile, const std::filesystem::path& dataFile,
                     const DataFileKey& key);

}  // namespace zrb::tools
