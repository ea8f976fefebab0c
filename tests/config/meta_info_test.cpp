#include "config/meta_info.h"

#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/xml_file.h"
#include "support/temp_folder.h"

namespace zrb {
namespace {

std::vector<std::pair<std::string, std::string>> lf_entries(const pugi::xml_node& meta) {
    std::vector<std::pair<std::string, std::string>> entries;
    for (const pugi::xml_node info : meta.children()) {
        EXPECT_STREQ(info.name(), "info");
        EXPECT_STREQ(info.first_attribute().name(), "name");
        EXPECT_STREQ(info.last_attribute().name(), "value");
        entries.emplace_back(info.attribute("name").as_string(), info.attribute("value").as_string());
    }
    return entries;
}

class MetaInfo : public ::testing::Test {
protected:
    ~MetaInfo() override { g_metaSimulator = "MSFS"; }
};

TEST_F(MetaInfo, HeaderHoldsItsFiveEntriesInOrder) {
    g_metaSimulator = "P3D";
    pugi::xml_document doc;
    ASSERT_TRUE(gf_writeMetaInfo(doc));
    const auto entries = lf_entries(doc.child("meta"));
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0], (std::pair<std::string, std::string>{"author", "TLVR_P3D"}));
    EXPECT_EQ(entries[1].first, "date");
    EXPECT_TRUE(std::regex_match(entries[1].second,
                                 std::regex(R"((Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Okt|Nov|Dec) \d\d, \d{4})")))
        << entries[1].second;
    EXPECT_EQ(entries[2], (std::pair<std::string, std::string>{"version", "11.0.2"}));
    EXPECT_EQ(entries[3].first, "copyright");
    EXPECT_FALSE(entries[3].second.empty());
    EXPECT_EQ(entries[4], (std::pair<std::string, std::string>{"P3D", "v5/v6"}));
}

TEST_F(MetaInfo, SimulatorEntryFollowsTheSimulatorName) {
    for (const auto& [name, entry, value] : {std::tuple{"MSFS", "MSFS", "2020"}, std::tuple{"X", "MSFS", "2024"},
                                             std::tuple{"", "MSFS", "2024"}, std::tuple{"p3d", "MSFS", "2024"}}) {
        g_metaSimulator = name;
        pugi::xml_document doc;
        ASSERT_TRUE(gf_writeMetaInfo(doc));
        const auto entries = lf_entries(doc.child("meta"));
        ASSERT_EQ(entries.size(), 5u);
        EXPECT_EQ(entries[4], (std::pair<std::string, std::string>{entry, value})) << name;
    }
    EXPECT_FALSE(gf_writeMetaInfo(pugi::xml_node()));  // nothing to append to
}

TEST_F(MetaInfo, EntriesAreReadBackBesideThePayload) {
    test::LoggedFolder folder;
    g_metaSimulator = "P3D";
    pugi::xml_document doc;
    ASSERT_TRUE(gf_writeMetaInfo(doc));
    doc.append_child("airport").append_attribute("icao").set_value("EHAM");
    ASSERT_TRUE(gf_saveXml(doc, folder / "EHAM.xml"));

    pugi::xml_document loaded;
    ASSERT_TRUE(gf_loadXml(loaded, folder / "EHAM.xml"));
    EXPECT_TRUE(gf_readMetaInfo(loaded, g_metaVersion));
    EXPECT_EQ(g_metaVersion.value.get(), "11.0.2");
    EXPECT_TRUE(gf_readMetaInfo(loaded, g_metaAuthor));
    EXPECT_EQ(g_metaAuthor.value.get(), "TLVR_P3D");
    EXPECT_TRUE(gf_readMetaInfo(loaded, g_metaP3d));
    EXPECT_EQ(g_metaP3d.value.get(), "v5/v6");
    g_metaMsfs.value = "kept";
    EXPECT_FALSE(gf_readMetaInfo(loaded, g_metaMsfs));
    EXPECT_EQ(g_metaMsfs.value.get(), "kept");
    EXPECT_STREQ(loaded.child("airport").attribute("icao").as_string(), "EHAM");
}

TEST_F(MetaInfo, MissingEntriesAndValuesAndBadNames) {
    test::LoggedFolder folder;
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string("<meta><info name=\"author\" value=\"TLVR_P3D\"/><info name=\"date\"/></meta>"));
    g_metaVersion.value = "before";
    EXPECT_FALSE(gf_readMetaInfo(doc, g_metaVersion));
    EXPECT_EQ(g_metaVersion.value.get(), "before");
    g_metaDate.value = "before";
    EXPECT_TRUE(gf_readMetaInfo(doc, g_metaDate));
    EXPECT_EQ(g_metaDate.value.get(), "");

    // A meta element that is not at the top is not the header.
    ASSERT_TRUE(doc.load_string("<root><meta><info name=\"version\" value=\"1.0.0\"/></meta></root>"));
    EXPECT_FALSE(gf_readMetaInfo(doc, g_metaVersion));

    // A name that breaks the query is logged, not thrown.
    StringParameter odd{"it's", ""};
    EXPECT_FALSE(gf_readMetaInfo(doc, odd));
    EXPECT_EQ(folder.logLines().size(), 2u);  // the header line and the query's error
}

}  // namespace
}  // namespace zrb
