// The waits between requests and the small reply readers of the service client.
#include <atomic>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "feed/rt_api_client.h"
#include "support/temp_folder.h"

using namespace zrb;
using nlohmann::json;

namespace {
std::vector<std::int64_t> g_sleeps;
std::atomic<bool>* g_stopDuringSleep = nullptr;

// Records every sleep of the feed, skips it, and may set a stop "during" it.
bool lf_recordSleep(std::int64_t ms) {
    g_sleeps.push_back(ms);
    if (g_stopDuringSleep != nullptr) g_stopDuringSleep->store(true);
    return false;
}

std::vector<std::int64_t> lf_takeSleeps() {
    std::vector<std::int64_t> taken;
    taken.swap(g_sleeps);
    return taken;
}
}  // namespace

TEST(WaitInterval, TwoHalvesAndAStopSkipsTheRest) {
    gf_setFeedSleepHookForTest(&lf_recordSleep);
    RtApiClient client;
    client.waitInterval(2001);
    EXPECT_EQ(lf_takeSleeps(), (std::vector<std::int64_t>{1000, 1000}));
    client.waitInterval(1);
    EXPECT_TRUE(lf_takeSleeps().empty()) << "half of 1 ms is no wait at all";

    g_stopDuringSleep = &client.stop;
    client.waitInterval(2000);
    EXPECT_EQ(lf_takeSleeps(), std::vector<std::int64_t>{1000}) << "a stop in the first half skips the second";
    client.waitInterval(2000);
    EXPECT_TRUE(lf_takeSleeps().empty()) << "a stop before the wait skips both halves";
    g_stopDuringSleep = nullptr;
    gf_setFeedSleepHookForTest(nullptr);
}

TEST(ReplyReaders, DefaultsForMissingOrMistypedMembers) {
    EXPECT_EQ(lf_jsonString(json{{"server", 5}}, "server", "?"), "?");
    EXPECT_EQ(lf_jsonString(json::array({"server"}), "server", "?"), "?");
    EXPECT_EQ(lf_jsonString(json{{"server", "s1"}}, "server", "?"), "s1");

    EXPECT_EQ(lf_replyStatus(json{{"status", 406}}), 406);
    EXPECT_EQ(lf_replyStatus(json{{"status", "200"}}), g_statusMissing);
    EXPECT_EQ(lf_replyStatus(json{{"status", 200.0}}), g_statusMissing);
    EXPECT_EQ(lf_replyStatus(json{{"status", 5000000000LL}}), g_statusMissing);
    EXPECT_EQ(lf_replyStatus(json::array()), g_statusMissing);

    EXPECT_EQ(lf_replyWait(json{{"rrl", 1500}}, "rrl"), 1500);
    EXPECT_EQ(lf_replyWait(json::object(), "rrl"), g_defaultWaitMs);
    EXPECT_EQ(lf_replyWait(json{{"rrl", true}}, "rrl"), g_defaultWaitMs);
    EXPECT_EQ(lf_replyWait(json{{"rrl", 0}}, "rrl"), g_minWaitMs) << "0 would hammer the service";
    EXPECT_EQ(lf_replyWait(json{{"rrl", 18446744073709551615ULL}}, "rrl"), g_maxWaitMs);
}

TEST(ReplyReaders, WriteCallbackAppendsAndRefusesANullTarget) {
    test::LoggedFolder folder;
    char bytes[] = "abc";
    std::string reply = "x";
    EXPECT_EQ(lf_callbackwriter(bytes, 1, 3, &reply), 3U);
    EXPECT_EQ(reply, "xabc");
    EXPECT_EQ(lf_callbackwriter(bytes, 1, 3, nullptr), 0U);
    EXPECT_EQ(lf_formValue("a b&c=d+e%"), "a%20b%26c%3Dd%2Be%25");
    // An empty view of a longer text: nothing of what lies beyond it.
    const std::string guid = "secret-guid";
    EXPECT_EQ(lf_formValue(std::string_view(guid.data(), 0)), "");
    EXPECT_EQ(lf_formValue(std::string_view(guid.data(), 6)), "secret");
}
