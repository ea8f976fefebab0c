#include "foundation/random.h"

#include <algorithm>
#include <random>
#include <thread>

#include <gtest/gtest.h>

namespace zrb {
namespace {

// The next output a fresh engine with this seed gives after skipping n draws.
std::uint32_t lf_drawAfter(std::uint32_t seed, int skipped) {
    std::mt19937 engine(seed);
    engine.discard(static_cast<unsigned long long>(skipped));
    return engine();
}

TEST(Random, ReseedingReplaysTheSameDraws) {
    gf_seedThreadRng(1234);
    const auto first = lf_initThreadRng()();
    gf_seedThreadRng(1234);
    EXPECT_EQ(lf_initThreadRng()(), first);
    EXPECT_EQ(first, lf_drawAfter(1234, 0));
}

TEST(Random, EachThreadHasItsOwnEngine) {
    gf_seedThreadRng(99);
    std::uint32_t otherThreadDraw = 0;
    std::thread other([&] {
        gf_seedThreadRng(99);
        otherThreadDraw = lf_initThreadRng()();
    });
    other.join();
    // The other thread's draw did not advance this thread's engine.
    EXPECT_EQ(lf_initThreadRng()(), otherThreadDraw);
}

TEST(Random, ShuffleDrawsOnlyForTwoOrMoreElements) {
    gf_seedThreadRng(7);
    std::vector<std::string> none;
    std::vector<std::string> one{"A320"};
    gf_shuffle(none);
    gf_shuffle(one);
    EXPECT_EQ(one, std::vector<std::string>{"A320"});
    EXPECT_EQ(lf_initThreadRng()(), lf_drawAfter(7, 0));  // nothing was drawn

    const std::vector<std::string> sorted{"A319", "A320", "A321", "A332", "B738", "B744", "B77W", "E190"};
    bool changed = false;
    for (int i = 0; i < 20 && !changed; ++i) {
        auto items = sorted;
        gf_shuffle(items);
        auto check = items;
        std::ranges::sort(check);
        ASSERT_EQ(check, sorted);  // the same elements, only reordered
        changed = items != sorted;
    }
    EXPECT_TRUE(changed);
}

TEST(Random, PercentageOnlyPicksTheSign) {
    gf_seedThreadRng(2024);
    int up = 0;
    int down = 0;
    constexpr int draws = 10000;
    for (int i = 0; i < draws; ++i) {
        const double v = gf_randomPercentage(100.0, 10.0);
        if (v == 110.0)
            ++up;
        else if (v == 90.0)
            ++down;
        else
            FAIL() << v;
    }
    EXPECT_EQ(up + down, draws);
    EXPECT_GT(up, draws * 45 / 100);
    EXPECT_GT(down, draws * 45 / 100);

    // The sign follows the lowest bit of the draw: 0 is up, 1 is down.
    gf_seedThreadRng(5);
    const bool lowBitSet = (lf_drawAfter(5, 0) & 1u) != 0;
    EXPECT_EQ(gf_randomPercentage(100.0, 10.0), lowBitSet ? 90.0 : 110.0);

    // No percentage, no draw.
    gf_seedThreadRng(11);
    EXPECT_EQ(gf_randomPercentage(100.0, 0.0), 100.0);
    EXPECT_EQ(gf_randomPercentage(100.0, -5.0), 100.0);
    EXPECT_EQ(lf_initThreadRng()(), lf_drawAfter(11, 0));
}

}  // namespace
}  // namespace zrb
