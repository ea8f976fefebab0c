#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include <curl/curl.h>

#include "download_site/download_site.h"
#include "foundation/stop_flags.h"
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

// A site that trickles a few bytes a second, one that is quick enough but
// never ends, a file larger than any data file and a stop: each ends the
// download, and none leaves a file behind.
TEST_F(Download, TricklingEndlessOversizedAndStoppedDownloadsEnd) {
    using namespace std::chrono_literals;
    tools::DownloadSite site;
    const Curl curl(curl_easy_init());
    const auto timed = [&](const std::string& path) {
        const auto start = std::chrono::steady_clock::now();
        const bool done = gf_curlDownload(curl.get(), site.baseUrl() + path, folder / "data.bin", true);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 8s) << path;
        EXPECT_FALSE(fs::exists(folder / "data.bin")) << path;
        return done;
    };
    DownloadLimits limits;
    limits.lowSpeedTime = 1s;
    gf_setDownloadLimitsForTest(limits);
    site.trickle("/slow", 200, 1'000'000);  // 200 bytes a second: far below the low-speed limit
    EXPECT_FALSE(timed("slow"));

    limits.totalTimeout = 2s;
    gf_setDownloadLimitsForTest(limits);
    site.trickle("/endless", 20'000, 100'000'000);  // above the low-speed limit, for hours
    EXPECT_FALSE(timed("endless"));

    limits = DownloadLimits{};
    limits.maxBytes = 1000;
    gf_setDownloadLimitsForTest(limits);
    site.serve("/big", std::string(1001, 'b'));
    EXPECT_FALSE(timed("big"));
    site.trickle("/bigUnannounced", 20'000, 5000);  // no size given in advance
    EXPECT_FALSE(timed("bigUnannounced"));
    site.serve("/fits", std::string(1000, 'b'));
    EXPECT_TRUE(gf_curlDownload(curl.get(), site.baseUrl() + "fits", folder / "fits.bin", true));

    gf_setDownloadLimitsForTest(DownloadLimits{});
    std::jthread closer([] {
        std::this_thread::sleep_for(300ms);
        g_stopProgram = true;
    });
    site.trickle("/stopped", 20'000, 100'000'000);
    EXPECT_FALSE(timed("stopped"));
    closer.join();
    g_stopProgram = false;
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
