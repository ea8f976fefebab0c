#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "foundation/random.h"
#include "liveries/dbase.h"
#include "liveries/similar_types.h"
#include "livery_fixture.h"
#include "support/temp_folder.h"

namespace zrb::test {
namespace {

class SimilarTypes : public ::testing::Test {
protected:
    ~SimilarTypes() override {
        resetLiveryTables();
        g_dbaseSimilarGroups.clear();
    }
    LoggedFolder m_folder;
};

TEST_F(SimilarTypes, ListInstalledStandInsAndTheFirstSortedGroupWins) {
    g_dbaseSimilarGroups = {{"A", "B"}, {"B", "C"}, {"D", "E"}, {"F", "G", "G"}};
    buildLiveryTables({{"AAA", "A", "AAA A"}, {"AAA", "C", "AAA C", true}, {"BBB", "D", "BBB D"},
                       {"CCC", "G", "CCC G"}});

    EXPECT_EQ(g_similarInstalledTypes.at("B"), TypeList{"A"});  // "B,A" sorts before "B,C"
    EXPECT_FALSE(g_similarInstalledTypes.contains("A"));  // its only partner has no livery
    EXPECT_EQ(g_similarInstalledTypes.at("E"), TypeList{"D"});
    EXPECT_FALSE(g_similarInstalledTypes.contains("D"));  // E has no livery
    // A type named twice in a group is not its own stand-in.
    EXPECT_FALSE(g_similarInstalledTypes.contains("G"));
    EXPECT_EQ(g_similarInstalledTypes.at("F"), (TypeList{"G", "G"}));
    EXPECT_TRUE(m_folder.logContains("3 similar model definitions"));

    // AAA lacks B, and of B's stand-ins it has A; it has A and C themselves.
    EXPECT_EQ(gf_similarTypes("AAA", "B"), TypeList{"A"});
    EXPECT_TRUE(gf_similarTypes("AAA", "A").empty());
    EXPECT_TRUE(gf_similarTypes("BBB", "B").empty());  // no stand-in of B
    EXPECT_EQ(gf_similarTypes("BBB", "E"), TypeList{"D"});
    EXPECT_TRUE(gf_similarTypes("ZZZ", "E").empty());
}

TEST_F(SimilarTypes, AnAirlineListIsOneObjectShuffledOnEveryCall) {
    g_dbaseSimilarGroups = {{"A1", "A2", "A3", "A4", "A5"}};
    buildLiveryTables({{"LONG", "A2", "t2"}, {"LONG", "A3", "t3"}, {"LONG", "A4", "t4"}, {"LONG", "A5", "t5"}});
    gf_seedThreadRng(7);
    // The whole airline key counts, also beyond three characters.
    const TypeList* first = &gf_similarTypes("LONG", "A1");
    ASSERT_EQ(first->size(), 4u);
    std::set<TypeList> orders;
    for (int i = 0; i < 50; ++i) {
        const TypeList& list = gf_similarTypes("LONG", "A1");
        EXPECT_EQ(&list, first);
        orders.insert(list);
    }
    EXPECT_GT(orders.size(), 5u);
}

TEST_F(SimilarTypes, APickedTypeIsAOneTypeListAndAnEmptyPickLeavesItAlone) {
    const TypeList& picked = gf_pickedTypeList([] { return std::string("C172"); });
    EXPECT_EQ(picked, TypeList{"C172"});
    const TypeList& none = gf_pickedTypeList([] { return std::string(); });
    EXPECT_TRUE(none.empty());
    EXPECT_NE(&none, &picked);
    EXPECT_EQ(picked, TypeList{"C172"});
    EXPECT_EQ(&gf_pickedTypeList([] { return std::string("PA28"); }), &picked);
    EXPECT_EQ(picked, TypeList{"PA28"});
}

}  // namespace
}  // namespace zrb::test
