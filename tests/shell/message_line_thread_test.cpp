#include <thread>
#include <vector>

#include "shell/common/message_line.h"
#include "shell_test_support.h"

namespace zrb::test {
namespace {

class MessageLine : public ShellTest {
protected:
    MessageLine() {
        platform::registerMainWindowClass(u"TLVR_P3D", {});
        platform::createMainWindow(u"TLVR_P3D", u"TLVR_P3D", 0, 0);
        platform::takeInvalidations();
    }
    int countInLog(const std::string& text) const {
        int n = 0;
        for (const auto& line : m_folder.logLines()) n += line == text ? 1 : 0;
        return n;
    }
};

TEST_F(MessageLine, LogsOnlyWhatIsAskedAndNotEmptyTexts) {
    gf_showMessage("", true);
    gf_showMessage("quiet", false);
    gf_showMessage("loud", true);
    gf_showMessage("loud", true);
    EXPECT_EQ(countInLog("quiet"), 0);
    EXPECT_EQ(countInLog("loud"), 2);
    EXPECT_EQ(countInLog(""), 0);
    EXPECT_EQ(gf_messageLineView().message, "loud");
    // Each change repaints the message band only.
    const auto invalidated = platform::takeInvalidations();
    ASSERT_FALSE(invalidated.empty());
    for (const auto& r : invalidated) EXPECT_EQ(r, g_messageBand);
}

TEST_F(MessageLine, AnErrorHoldsTheBandUntilCleared) {
    gf_showMessage("before", false);
    gf_showError("E");
    gf_showMessage("m", true);
    gf_clearMessage();
    auto view = gf_messageLineView();
    EXPECT_EQ(view.error, "E");
    EXPECT_TRUE(view.message.empty());
    EXPECT_TRUE(view.red());
    EXPECT_TRUE(m_folder.logContains("Error E"));
    EXPECT_EQ(countInLog("m"), 0);

    gf_clearError();
    gf_showMessage("after", false);
    view = gf_messageLineView();
    EXPECT_FALSE(view.red());
    EXPECT_EQ(view.message, "after");
}

TEST_F(MessageLine, NothingIsLoggedWhileAStopIsUnderWay) {
    g_stopRun = true;
    gf_showMessage("while stopping", true);
    gf_showError("failed while stopping");
    EXPECT_FALSE(m_folder.logContains("while stopping"));
    EXPECT_EQ(gf_messageLineView().error, "failed while stopping");
}

TEST_F(MessageLine, AMessageLivesTwentyFiveSeconds) {
    gf_showMessage("x", false);
    EXPECT_EQ(gf_messageLineView().shownAt, 1U);  // shown at clock 0
    for (int second = 1; second <= 25; ++second) gf_tickMessageClock();
    EXPECT_EQ(gf_messageLineView().message, "x");  // clock 25
    gf_tickMessageClock();
    EXPECT_TRUE(gf_messageLineView().message.empty());  // clock 26
    EXPECT_EQ(gf_messageLineView().shownAt, 0U);

    // Shown again, it counts from then.
    gf_showMessage("y", false);
    const auto shownAt = gf_messageLineView().shownAt;
    EXPECT_EQ(shownAt, 26U);
    for (int i = 0; i < 24; ++i) gf_tickMessageClock();
    gf_showMessage("y", false);
    for (int i = 0; i < 24; ++i) gf_tickMessageClock();
    EXPECT_EQ(gf_messageLineView().message, "y");
}

TEST_F(MessageLine, TextsFromManyThreadsStayWhole) {
    constexpr int threads = 6;
    constexpr int perThread = 200;
    std::vector<std::thread> writers;
    for (int t = 0; t < threads; ++t) {
        writers.emplace_back([t] {
            for (int i = 0; i < perThread; ++i) {
                gf_showMessage(fmt::format("thread {} message {}", t, i), true);
                if (i % 50 == 0) gf_tickMessageClock();
            }
        });
    }
    std::thread reader([] {
        for (int i = 0; i < 1000; ++i) {
            const auto view = gf_messageLineView();
            if (!view.message.empty()) {
                EXPECT_EQ(view.message.rfind("thread ", 0), 0U) << view.message;
            }
        }
    });
    for (auto& w : writers) w.join();
    reader.join();
    int logged = 0;
    for (const auto& line : m_folder.logLines()) logged += line.rfind("thread ", 0) == 0 ? 1 : 0;
    EXPECT_EQ(logged, threads * perThread);
}

}  // namespace
}  // namespace zrb::test
