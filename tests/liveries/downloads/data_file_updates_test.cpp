#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include <fmt/format.h>
#include <pugixml.hpp>

#include "../data_file_writer.h"
#include "config/parameters.h"
#include "config/paths.h"
#include "download_site/download_site.h"
#include "liveries/data_file_updates.h"
#include "liveries/download.h"
#include "support/temp_folder.h"

namespace zrb::test {
namespace {

namespace fs = std::filesystem;

std::string versionsJson(const std::string& aig, const std::string& dbase) {
    const auto member = [](const char* key, const std::string& v) {
        const VersionData version(v);
        return fmt::format(R"("{}":{{"major":{},"minor":{},"patch":{}}})", key, version.major, version.minor,
                           version.patch);
    };
    std::string text = "{\"other\":[1,2]";
    if (!aig.empty()) text += "," + member("aig", aig);
    if (!dbase.empty()) text += "," + member("dbase", dbase);
    return text + "}";
}

class DataFileUpdates : public ::testing::Test {
protected:
    void SetUp() override {
        gf_setProgramDataFolderForTest(folder / "data");
        gf_setDownloadSiteForTest(site.baseUrl(), "");
        AIG_VERSION.value = "";
        DBASE_VERSION.value = "";
        fs::create_directories(folder / "input");
        site.serve("/AIG-regcodes.enc", aigFile);
        site.serve("/dbase.enc", dbaseFile);
    }
    void TearDown() override {
        site.stop();
        gf_resetDownloadSiteForTest();
        gf_setProgramDataFolderForTest({});
    }

    // The value parameters.xml holds for the setting; "-" when it has none.
    std::string stored(const char* name) const {
        pugi::xml_document doc;
        if (!doc.load_file((folder / "data" / "parameters.xml").c_str())) return "-";
        const auto node = doc.select_node(fmt::format("/parameters/parameter[@name='{}']", name).c_str()).node();
        return node ? node.attribute("value").as_string() : "-";
    }

    std::string leftovers() const {
        std::string names;
        for (const auto& entry : fs::directory_iterator(folder / "input"))
            if (entry.path().extension() != ".enc") names += entry.path().filename().string() + " ";
        return names;
    }

    LoggedFolder folder;
    tools::DownloadSite site;
    const std::string aigFile = encryptText("<regcodes><code reg=\"G-EUUA\"/></regcodes>");
    const std::string dbaseFile = encryptText("<aircrafts><aircraft types=\"B738\"/></aircrafts>");
};

TEST_F(DataFileUpdates, AnEqualVersionWithTheFilePresentIsNotFetched) {
    site.serve("/versions.json", versionsJson("0.0.0", "2.0.0"));
    DBASE_VERSION.value = "2.0.0";
    writeFile(folder / g_regcodesEncFile, "installed aig");
    writeFile(folder / g_dbaseEncFile, "installed dbase");
    gf_checkDataFileVersions();
    EXPECT_TRUE(folder.logContains("aig version up-to-date"));
    EXPECT_TRUE(folder.logContains("dbase version up-to-date"));
    EXPECT_EQ(site.requestCount("/AIG-regcodes.enc"), 0u);
    EXPECT_EQ(site.requestCount("/dbase.enc"), 0u);
    EXPECT_EQ(site.requestCount("/versions.json"), 1u);
    EXPECT_TRUE(fs::exists(folder / "versions.json"));
    // An older offer is not fetched either.
    site.serve("/versions.json", versionsJson("0.0.0", "1.0.0"));
    gf_checkDataFileVersions();
    EXPECT_EQ(site.requestCount("/dbase.enc"), 0u);
    EXPECT_EQ(readFile(folder / g_dbaseEncFile), "installed dbase");
}

TEST_F(DataFileUpdates, ANewerVersionIsDownloadedAndRecorded) {
    site.serve("/versions.json", versionsJson("1.10.0", "2.0.0"));
    AIG_VERSION.value = "1.9.9";
    DBASE_VERSION.value = "2.0.0";
    writeFile(folder / g_regcodesEncFile, "old aig");
    writeFile(folder / g_dbaseEncFile, "installed dbase");
    gf_checkDataFileVersions();
    EXPECT_EQ(readFile(folder / g_regcodesEncFile), aigFile);
    EXPECT_EQ(AIG_VERSION.value.get(), "1.10.0");
    EXPECT_EQ(stored("AIG_VERSION"), "1.10.0");
    EXPECT_TRUE(folder.logContains("aig updated to 1.10.0"));
    EXPECT_EQ(site.requestCount("/dbase.enc"), 0u);
    EXPECT_EQ(leftovers(), "");
    for (const auto& request : site.requests()) EXPECT_EQ(request.userAgent, "TLVR") << request.path;
}

TEST_F(DataFileUpdates, AMissingFileIsFetchedEvenAtAnEqualVersion) {
    site.serve("/versions.json", versionsJson("1.0.0", "2.0.0"));
    AIG_VERSION.value = "1.0.0";
    DBASE_VERSION.value = "2.0.0";
    writeFile(folder / g_regcodesEncFile, "installed aig");
    gf_checkDataFileVersions();
    EXPECT_EQ(readFile(folder / g_dbaseEncFile), dbaseFile);
    EXPECT_TRUE(folder.logContains("dbase updated to 2.0.0"));
    EXPECT_EQ(stored("DBASE_VERSION"), "2.0.0");
    EXPECT_EQ(site.requestCount("/AIG-regcodes.enc"), 0u);
}

TEST_F(DataFileUpdates, NoVersionInfoChangesNothing) {
    AIG_VERSION.value = "1.0.0";
    writeFile(folder / g_dbaseEncFile, "installed dbase");
    site.serve("/versions.json", "gone", 404);
    gf_checkDataFileVersions();
    EXPECT_TRUE(folder.logContains("===> Downloading version info from my web site failed!"));

    // A reply that is not JSON, or members that are not versions, are logged
    // and the start-up goes on with the installed files.
    for (const std::string body : {"not json", "[1,2,3]", R"({"aig":{"major":1,"minor":"2","patch":3}})",
                                   R"({"aig":{"major":1,"minor":2},"dbase":7})",
                                   R"({"aig":{"major":1,"minor":2,"patch":99999999999}})"}) {
        SCOPED_TRACE(body);
        site.serve("/versions.json", body);
        EXPECT_NO_THROW(gf_checkDataFileVersions());
    }
    EXPECT_TRUE(folder.logContains("===> versions.json is not valid, the installed data files stay: "));
    EXPECT_TRUE(folder.logContains("===> aig version not found"));
    EXPECT_TRUE(folder.logContains("===> dbase version not found"));
    EXPECT_EQ(site.requestCount("/AIG-regcodes.enc"), 0u);
    EXPECT_EQ(site.requestCount("/dbase.enc"), 0u);
    EXPECT_EQ(AIG_VERSION.value.get(), "1.0.0");
    EXPECT_EQ(stored("AIG_VERSION"), "-");
    EXPECT_EQ(readFile(folder / g_dbaseEncFile), "installed dbase");

    // A site that takes the request and never answers holds the start-up for
    // seconds, not for the limits of a data file.
    site.stall("/versions.json");
    const auto start = std::chrono::steady_clock::now();
    gf_checkDataFileVersions();
    EXPECT_LE(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(site.requestCount("/versions.json"), 7u);
    EXPECT_EQ(readFile(folder / g_dbaseEncFile), "installed dbase");
}

TEST_F(DataFileUpdates, AMissingEntrySkipsOnlyThatFile) {
    site.serve("/versions.json", versionsJson("1.4.12", ""));
    gf_checkDataFileVersions();
    EXPECT_TRUE(folder.logContains("===> dbase version not found"));
    EXPECT_TRUE(folder.logContains("aig updated to 1.4.12"));
    EXPECT_EQ(readFile(folder / g_regcodesEncFile), aigFile);
}

TEST_F(DataFileUpdates, ABadDownloadNeverReplacesTheInstalledFile) {
    site.serve("/versions.json", versionsJson("3.0.0", "3.0.0"));
    AIG_VERSION.value = "2.0.0";
    DBASE_VERSION.value = "2.0.0";
    writeFile(folder / g_regcodesEncFile, "installed aig");
    writeFile(folder / g_dbaseEncFile, "installed dbase");
    const struct {
        const char* name;
        std::string body;
        int status;
    } replies[] = {
        {"server error", "oops", 500},
        {"a page instead of the file", "<html><body>Please log in</body></html>", 200},
        {"a file of another key", encryptText("<aircrafts/>", testKey()), 200},
        {"a cut file", dbaseFile.substr(0, 30), 200},
        {"an empty reply", "", 200},
        {"encrypted text that is not XML", encryptText("<aircrafts"), 200},
    };
    for (const auto& reply : replies) {
        SCOPED_TRACE(reply.name);
        site.serve("/AIG-regcodes.enc", reply.body, reply.status);
        site.serve("/dbase.enc", reply.body, reply.status);
        gf_checkDataFileVersions();
        EXPECT_EQ(readFile(folder / g_regcodesEncFile), "installed aig");
        EXPECT_EQ(readFile(folder / g_dbaseEncFile), "installed dbase");
        EXPECT_EQ(AIG_VERSION.value.get(), "2.0.0");
        EXPECT_EQ(DBASE_VERSION.value.get(), "2.0.0");
        EXPECT_EQ(leftovers(), "");
    }
    EXPECT_EQ(stored("AIG_VERSION"), "-");

    // A missing file whose download fails stays missing, so that the next
    // start-up fetches it again.
    fs::remove(folder / g_dbaseEncFile);
    gf_checkDataFileVersions();
    EXPECT_FALSE(fs::exists(folder / g_dbaseEncFile));
    EXPECT_EQ(leftovers(), "");
}

}  // namespace
}  // namespace zrb::test
