// The site addresses reach the program as they were given to the build, a
// Windows path with its backslashes (and a quote) included.
#include "foundation/sites.h"

#include <gtest/gtest.h>

namespace zrb {
namespace {

TEST(Sites, AddressesAndCaFilesArriveAsTheyWereGiven) {
    EXPECT_STREQ(build::serviceHost, "https://localhost:4433");
    EXPECT_STREQ(build::serviceCaFile, R"(C:\Users\o"neil\ca.pem)");
    EXPECT_STREQ(build::downloadBaseUrl, "https://localhost:4434/dl/");
    EXPECT_STREQ(build::downloadCaFile, R"(Z:\work\x\cert.pem)");
}

}  // namespace
}  // namespace zrb
