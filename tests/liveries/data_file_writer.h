#pragma once
// Test helper: encrypted data files made the way the download site's files are
// made, and variants of them that a reader must refuse.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "build_config.h"
#include "download_site/data_file_maker.h"
#include "liveries/encrypted_file.h"
#include "support/temp_folder.h"

namespace zrb::test {

using tools::StreamShape;

// Bytes 0x00..0x1F: a key that is not the program's.
inline DataFileKey testKey() {
    DataFileKey key{};
    for (std::size_t i = 0; i < key.size(); ++i) key[i] = static_cast<unsigned char>(i);
    return key;
}

inline std::string encryptText(std::string_view plain, const DataFileKey& key = gf_dataFileKey(),
                               StreamShape shape = {}) {
    return tools::gf_encryptDataText(plain, key, shape);
}

inline void writeEncryptedFile(const std::filesystem::path& path, std::string_view plain,
                               const DataFileKey& key = gf_dataFileKey(), StreamShape shape = {}) {
    writeFile(path, encryptText(plain, key, shape));
}

inline std::filesystem::path testDataPath(std::string_view name) {
    return std::filesystem::path(build::sourceDir) / "tests" / "data" / std::string(name);
}

}  // namespace zrb::test
