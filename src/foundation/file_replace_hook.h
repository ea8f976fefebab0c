#pragma once
// Tests only: the step of gf_writeXml (xml_file.h) that replaces the target
// with the finished temporary file, so that a test can have it refused as
// another program holding the file open would.

#include <filesystem>
#include <system_error>

namespace zrb {

// Sets ec when the replace fails; nullptr restores the real one.
using FileReplaceHook = void (*)(const std::filesystem::path& from, const std::filesystem::path& to,
                                 std::error_code& ec);
void gf_setFileReplaceHookForTest(FileReplaceHook hook);

}  // namespace zrb
