#include <thread>
#include <vector>

#include "platform/window.h"
#include "shell_test_support.h"

namespace zrb::test {
namespace {

using platform::ControlKind;

class HeadlessWindow : public ::testing::Test {
protected:
    HeadlessWindow() { platform::destroyMainWindow(); }
    ~HeadlessWindow() override { platform::destroyMainWindow(); }
};

TEST_F(HeadlessWindow, ControlsKeepWhatTheWindowWouldShow) {
    EXPECT_FALSE(platform::postStartRun());  // no window yet
    EXPECT_EQ(platform::createControl({ControlKind::edit, 1, 0, 0, 10, 10, u"", false, false}), platform::noControl);
    int created = 0;
    platform::WindowHandlers handlers;
    handlers.created = [&] {
        ++created;
        // Controls made while the window is being created, as WM_CREATE does.
        EXPECT_NE(platform::createControl({ControlKind::checkBox, 32797, 5, 149, 12, 12, u"", true, true}),
                  platform::noControl);
    };
    ASSERT_TRUE(platform::registerMainWindowClass(u"TLVR_P3D", handlers));
    ASSERT_TRUE(platform::createMainWindow(u"TLVR_P3D", u"TLVR_P3D", 400, 20));
    EXPECT_EQ(created, 1);
    EXPECT_FALSE(platform::createMainWindow(u"TLVR_P3D", u"TLVR_P3D", 400, 20));  // one window per process
    EXPECT_EQ(platform::windowRect(), (platform::Rect{400, 20, 1280, 536}));

    const auto box = platform::controlById(32797);
    EXPECT_EQ(platform::controlChecked(box), true);
    EXPECT_EQ(platform::controlEnabled(box), true);
    const auto button = platform::createControl({ControlKind::button, 32838, 758, 341, 90, 20, u"Re-read", false, false});
    EXPECT_EQ(platform::controlText(button), u"Re-read");
    EXPECT_EQ(platform::controlEnabled(button), false);
    platform::enableControl(button, true);
    EXPECT_EQ(platform::controlEnabled(button), true);
    const auto edit = platform::createControl({ControlKind::edit, 32839, 217, 343, 50, 16, u"", false, false});
    platform::setControlText(edit, u"EHAM");
    EXPECT_EQ(platform::controlText(platform::controlById(32839)), u"EHAM");
    EXPECT_EQ(platform::controlById(4711), platform::noControl);
    EXPECT_FALSE(platform::controlText(platform::noControl).has_value());

    EXPECT_EQ(platform::isTopmost(), false);
    platform::setTopmost(true);
    EXPECT_EQ(platform::isTopmost(), true);
    platform::takeInvalidations();
    platform::invalidateRect(g_lowerBand);
    EXPECT_EQ(platform::takeInvalidations(), std::vector<platform::Rect>{g_lowerBand});

    // A program that runs for days invalidates every second: only the newest are kept.
    for (int i = 0; i < 10000; ++i) platform::invalidateRect({0, 0, i, 1});
    const auto kept = platform::takeInvalidations();
    ASSERT_FALSE(kept.empty());
    EXPECT_LE(kept.size(), platform::maxKeptInvalidations);
    EXPECT_EQ(kept.back(), (platform::Rect{0, 0, 9999, 1}));
    EXPECT_EQ(kept.front().right + static_cast<int>(kept.size()), 10000);  // the newest, in order
}

TEST_F(HeadlessWindow, MessagesFromAnyThreadAreServedInOrderOnTheLoopThread) {
    std::vector<std::string> served;  // loop thread only
    std::thread::id loopThread;
    platform::WindowHandlers handlers;
    const auto note = [&](std::string what) {
        EXPECT_EQ(std::this_thread::get_id(), loopThread);
        served.push_back(std::move(what));
    };
    handlers.startRun = [&] { note("start"); };
    handlers.close = [&] { note("close"); };
    handlers.command = [&](std::uint16_t id, std::uint16_t) {
        note("command " + std::to_string(id));
        return true;
    };
    handlers.editEnter = [&](std::uint16_t id) { note("enter " + std::to_string(id)); };
    handlers.endProgram = [&] {
        note("end");
        platform::quitMessageLoop(7);
    };
    platform::registerMainWindowClass(u"TLVR_P3D", handlers);
    platform::createMainWindow(u"TLVR_P3D", u"TLVR_P3D", 0, 0);

    int code = 0;
    std::thread loop([&] {
        loopThread = std::this_thread::get_id();
        code = platform::runMessageLoop();
    });
    // Wait until the loop thread has its id before anything is served.
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(platform::postStartRun());
    std::thread other([] {
        platform::postCommand(32838);
        platform::postEditEnter(32839);
        platform::postClose();
    });
    other.join();
    platform::postEndProgram();
    loop.join();
    EXPECT_EQ(code, 7);
    EXPECT_EQ(served, (std::vector<std::string>{"start", "command 32838", "enter 32839", "close", "end"}));
}

}  // namespace
}  // namespace zrb::test
