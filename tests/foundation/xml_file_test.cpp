#include "foundation/xml_file.h"

#include <atomic>

#include "foundation/file_replace_hook.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace zrb {
namespace {

namespace fs = std::filesystem;
using test::LoggedFolder;
using test::readFile;
using test::writeFile;

std::size_t lf_fileCount(const fs::path& folder) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder)) ++n;
    return n;
}

TEST(XmlFile, SavesWholeFilesInTheLibrarysForm) {
    LoggedFolder folder;
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("parameters");
    ASSERT_TRUE(gf_appendParameterNode(root, "LOG", "true"));
    ASSERT_TRUE(gf_appendParameterNode(root, "DESTINATION", "K\xC3\x9CRZ & <co>"));
    const fs::path file = folder / "sub" / "parameters.xml";
    fs::create_directories(file.parent_path());
    writeFile(file, "old content that is longer than the new one will ever be .............................");

    ASSERT_TRUE(gf_saveXml(doc, file));
    EXPECT_EQ(readFile(file),
              "<?xml version=\"1.0\"?>\n<parameters>\n"
              "\t<parameter name=\"LOG\" value=\"true\" />\n"
              "\t<parameter name=\"DESTINATION\" value=\"K\xC3\x9CRZ &amp; &lt;co>\" />\n"
              "</parameters>\n");
    EXPECT_TRUE(folder.logContains("'" + file.string() + "' saved"));
    EXPECT_EQ(lf_fileCount(file.parent_path()), 1u);  // no temporary file left

    pugi::xml_document loaded;
    ASSERT_TRUE(gf_loadXml(loaded, file));
    EXPECT_EQ(gf_getAttrString(loaded.child("parameters").last_child(), "value"), "K\xC3\x9CRZ & <co>");

    // Writing quietly gives the same file and no log line.
    const auto before = folder.logLines().size();
    ASSERT_TRUE(gf_writeXml(doc, file));
    EXPECT_EQ(folder.logLines().size(), before);
}

TEST(XmlFile, FailedSavesLeaveTheTargetAsItWas) {
    LoggedFolder folder;
    pugi::xml_document doc;
    doc.append_child("parameters");

    const fs::path noFolder = folder / "missing" / "parameters.xml";
    EXPECT_FALSE(gf_saveXml(doc, noFolder));
    EXPECT_TRUE(folder.logContains("could not save to '" + noFolder.string() + "'"));
    EXPECT_FALSE(fs::exists(noFolder.parent_path()));

    // A target that cannot be replaced (here a folder with content) stays, and
    // the temporary file is cleaned up.
    const fs::path blocked = folder / "blocked.xml";
    writeFile(blocked / "inside.txt", "keep");
    EXPECT_FALSE(gf_writeXml(doc, blocked));
    EXPECT_EQ(readFile(blocked / "inside.txt"), "keep");
    for (const auto& e : fs::directory_iterator(folder.path()))
        EXPECT_EQ(e.path().string().find(".tmp"), std::string::npos) << e.path();
}

namespace {
std::atomic<int> g_refusals{0};  // replaces still to refuse
void lf_refuseSomeReplaces(const fs::path& from, const fs::path& to, std::error_code& ec) {
    if (g_refusals.fetch_sub(1) > 0) {
        ec = std::make_error_code(std::errc::permission_denied);  // another program holds the file
        return;
    }
    ec.clear();
    fs::rename(from, to, ec);
}
}  // namespace

// Another program holds the target open for a moment: the save waits for it;
// when it holds it longer, the old file stays whole (never a copy over it,
// which could leave half a file) and the save reports the failure.
TEST(XmlFile, ARefusedReplaceIsTriedAgainAndNeverCopiedOverTheTarget) {
    LoggedFolder folder;
    const fs::path target = folder / "parameters.xml";
    writeFile(target, "<parameters old=\"1\"/>");
    pugi::xml_document doc;
    doc.append_child("parameters").append_attribute("new").set_value("1");
    gf_setFileReplaceHookForTest(&lf_refuseSomeReplaces);

    g_refusals = 3;
    EXPECT_TRUE(gf_writeXml(doc, target));
    EXPECT_NE(readFile(target).find("new=\"1\""), std::string::npos);

    writeFile(target, "<parameters old=\"1\"/>");
    g_refusals = 1000;
    EXPECT_FALSE(gf_writeXml(doc, target));
    EXPECT_EQ(readFile(target), "<parameters old=\"1\"/>");
    for (const auto& e : fs::directory_iterator(folder.path()))
        EXPECT_EQ(e.path().string().find(".tmp"), std::string::npos) << e.path();
    gf_setFileReplaceHookForTest(nullptr);
}

TEST(XmlFile, LoadTellsMissingFromBroken) {
    LoggedFolder folder;
    pugi::xml_document doc;
    EXPECT_EQ(gf_loadXml(doc, folder / "none.xml").status, pugi::status_file_not_found);
    writeFile(folder / "cut.xml", "<parameters><parameter name=\"LOG\"");
    const auto cut = gf_loadXml(doc, folder / "cut.xml");
    EXPECT_FALSE(cut);
    EXPECT_NE(cut.status, pugi::status_file_not_found);
    writeFile(folder / "empty.xml", "");
    EXPECT_FALSE(gf_loadXml(doc, folder / "empty.xml"));
    std::filesystem::create_directories(folder / "folder.xml");
    EXPECT_EQ(gf_loadXml(doc, folder / "folder.xml").status, pugi::status_io_error);
    // A name outside ASCII works as well.
    writeFile(folder / "K\xC3\x9CRZ.xml", "<a b=\"c\"/>");
    ASSERT_TRUE(gf_loadXml(doc, folder / "K\xC3\x9CRZ.xml"));
    EXPECT_EQ(gf_getAttrString(doc.child("a"), "b"), "c");
}

TEST(XmlFile, NodeHelpers) {
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("airport");
    EXPECT_EQ(gf_getAttrString(pugi::xml_node(), "x"), "");
    EXPECT_EQ(gf_getAttrString(root, "missing"), "");

    EXPECT_FALSE(gf_appendParameterNode(pugi::xml_node(), "a", "b"));
    ASSERT_TRUE(gf_appendParameterNode(root, "WEEK", "false"));
    const pugi::xml_node entry = root.child("parameter");
    EXPECT_STREQ(entry.first_attribute().name(), "name");
    EXPECT_STREQ(entry.last_attribute().name(), "value");

    EXPECT_TRUE(gf_setBoolAttribute(root, "soft", true));
    EXPECT_EQ(gf_getAttrString(root, "soft"), "true");
    EXPECT_TRUE(gf_setBoolAttribute(root, "soft", false));  // set again, not doubled
    EXPECT_EQ(gf_getAttrString(root, "soft"), "false");
    EXPECT_EQ(std::distance(root.attributes_begin(), root.attributes_end()), 1);
    EXPECT_FALSE(gf_setBoolAttribute(pugi::xml_node(), "soft", true));
    EXPECT_FALSE(gf_setBoolAttribute(root.append_child(pugi::node_pcdata), "soft", true));
}

}  // namespace
}  // namespace zrb
