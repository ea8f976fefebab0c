#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include <curl/curl.h>

#include "download_site/download_site.h"
#include "liveries/download.h"
#include "support/temp_folder.h"

namespace zrb::test {
namespace {

namespace fs = std::filesystem;

struct CurlDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using Curl = std::unique_ptr<CURL, CurlDeleter>;

class Download : public ::testing::Test {
protected:
    void TearDown() override { gf_resetDownloadSiteForTest(); }
    LoggedFolder folder;
};

TEST_F(Download, FetchesIntoTheFileAndSaysWhoAsks) {
    tools::DownloadSite site;
    site.serve("/P3D/archive/stock/EDDF.xml", "<airport/>\n");
    const Curl curl(curl_easy_init());
    ASSERT_TRUE(gf_curlDownload(curl.get(), site.baseUrl() + "P3D/archive/stock/EDDF.xml", folder / "EDDF.xml", false));
    EXPECT_EQ(readFile(folder / "EDDF.xml"), "<airport/>\n");
    ASSERT_EQ(site.requests().size(), 1u);
    EXPECT_EQ(site.requests()[0].userAgent, "TLVR");

    // The same handle serves the next download, as the airport loader uses it.
    site.serve("/two.bin", std::string("\0\1\2\r\n", 5));
    ASSERT_TRUE(gf_curlDownload(curl.get(), site.baseUrl() + "two.bin", folder / "two.bin", true));
    EXPECT_EQ(readFile(folder / "two.bin"), std::string("\0\1\2\r\n", 5));
}

TEST_F(Download, AFailedTransferKeepsThePreviousCopy) {
    tools::DownloadSite site;
    site.serve("/broken", "error page", 500);
    writeFile(folder / "data.bin", "previous copy");
    const Curl curl(curl_easy_init());
    EXPECT_FALSE(gf_curlDownload(curl.get(), site.baseUrl() + "broken", folder / "data.bin", true));
    EXPECT_FALSE(gf_curlDownload(curl.get(), site.baseUrl() + "missing", folder / "data.bin", true));
    EXPECT_EQ(readFile(folder / "data.bin"), "previous copy");
    EXPECT_FALSE(gf_curlDownload(curl.get(), site.baseUrl() + "missing", folder / "new.bin", true));
    EXPECT_FALSE(fs::exists(folder / "new.bin"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 2);  // Log.txt, data.bin

    EXPECT_FALSE(gf_curlDownload(nullptr, site.baseUrl() + "broken", folder / "data.bin", true));
    site.serve("/fine", "fine");
    EXPECT_FALSE(gf_curlDownload(curl.get(), site.baseUrl() + "fine", folder / "no-folder" / "x.bin", true));
    EXPECT_TRUE(folder.logContains("Could not open output file: " + (folder / "no-folder" / "x.bin").string()));
}

TEST_F(Download, AStalledSiteEndsInATimeOut) {
    tools::DownloadSite site;
    site.stall("/versions.json");
    gf_setDownloadTimeoutsForTest(std::chrono::seconds(2), std::chrono::seconds(1));
    const Curl curl(curl_easy_init());
    EXPECT_FALSE(gf_curlDownload(curl.get(), site.baseUrl() + "versions.json", folder / "versions.json", false));
    EXPECT_FALSE(fs::exists(folder / "versions.json"));
}

TEST_F(Download, NamedFilesComeFromTheSiteRoot) {
    tools::DownloadSite site;
    gf_setDownloadSiteForTest(site.baseUrl(), "");
    site.serve("/dbase.enc", "bytes");
    EXPECT_TRUE(gf_downloadFile("dbase.enc", folder / "dbase.enc"));
    EXPECT_TRUE(folder.logContains("Downloaded '" + site.baseUrl() + "dbase.enc' to '" +
                                   (folder / "dbase.enc").string() + "'"));
    EXPECT_FALSE(gf_downloadFile("AIG-regcodes.enc", folder / "AIG-regcodes.enc"));
    EXPECT_TRUE(folder.logContains("===> Downloading '" + site.baseUrl() + "AIG-regcodes.enc' failed !"));
    EXPECT_EQ(gf_downloadBaseUrl(), site.baseUrl() + "P3D/");
    EXPECT_EQ(gf_versionToString(VersionData(1, 4, 12)), "1.4.12");
}

TEST_F(Download, HttpsWithTheSitesOwnCertificate) {
    if (!tools::gf_makeTestCertificate(folder.path())) GTEST_SKIP() << "openssl cannot make a certificate here";
    tools::DownloadSite site(folder / "cert.pem", folder / "key.pem");
    site.serve("/versions.json", "{}");
    gf_setDownloadSiteForTest(site.baseUrl(), (folder / "cert.pem").string());
    EXPECT_TRUE(gf_downloadFile("versions.json", folder / "versions.json"));
    EXPECT_EQ(readFile(folder / "versions.json"), "{}");
    // Without the certificate the site is not trusted.
    gf_setDownloadSiteForTest(site.baseUrl(), (folder / "key.pem").string());
    EXPECT_FALSE(gf_downloadFile("versions.json", folder / "again.json"));
}

}  // namespace
}  // namespace zrb::test
