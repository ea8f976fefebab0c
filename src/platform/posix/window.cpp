// The headless main window of the Linux build. It keeps what the real window
// would show (control texts and states, topmost, invalidated rectangles) and
// serves the same messages in the same order on the thread that runs the loop.
#include "platform/window.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <utility>
#include <variant>

namespace zrb::platform {

namespace {

constexpr std::chrono::milliseconds servePoll{10};

struct StartRun {};
struct EndProgram {};
struct Close {};
struct Command {
    std::uint16_t id;
    std::uint16_t code;
};
struct EditEnter {
    std::uint16_t id;
};
struct Quit {
    int code;
};
struct Paint {};
struct SessionEnd {};
using Message = std::variant<StartRun, EndProgram, Close, Command, EditEnter, Quit, Paint, SessionEnd>;

// Owns every field of g_window. Handlers are copied out and called without it.
std::mutex g_windowMutex;
std::condition_variable g_queueChanged;

struct HeadlessWindow {
    WindowHandlers handlers;
    bool exists = false;
    bool topmost = false;
    Rect rect;
    std::map<std::uint16_t, ControlHandle> controls;  // child id -> headless control
    std::deque<Message> queue;
    std::vector<Rect> invalidations;
    bool paintQueued = false;  // invalidations coalesce into one paint, as WM_PAINT does
    DrawList drawing;          // what the last paint drew
    std::uint64_t paints = 0;
    std::uint64_t sessionEnds = 0;  // session ends handled, for sendSessionEnd
};
HeadlessWindow g_window;

// Notifies under the lock: a detached thread's post is then complete before
// the GUI thread can act on it (and, at the end, before the program exits).
bool lf_post(Message message, bool needsWindow = true) {
    std::lock_guard lock(g_windowMutex);
    if (needsWindow && !g_window.exists) return false;
    g_window.queue.push_back(message);
    g_queueChanged.notify_all();
    return true;
}

}  // namespace

// There are no resources on Linux: the title is the program id, as string
// resource 101 holds it on Windows.
std::optional<std::u16string> loadApplicationTitle() { return std::u16string(u"TLVR_P3D"); }

bool registerMainWindowClass(const std::u16string& /*className*/, const WindowHandlers& handlers) {
    std::lock_guard lock(g_windowMutex);
    g_window.handlers = handlers;
    return true;
}

bool createMainWindow(const std::u16string& /*className*/, const std::u16string& /*title*/, int x, int y) {
    std::function<void()> created;
    {
        std::lock_guard lock(g_windowMutex);
        if (g_window.exists) return false;
        g_window.exists = true;
        g_window.rect = {x, y, x + mainWindowWidth, y + mainWindowHeight};
        created = g_window.handlers.created;
    }
    if (created) created();
    return true;
}

bool mainWindowExists() {
    std::lock_guard lock(g_windowMutex);
    return g_window.exists;
}

ControlHandle createControl(const ControlSpec& spec) {
    std::lock_guard lock(g_windowMutex);
    if (!g_window.exists) return noControl;
    const ControlHandle handle = createHeadlessControl(spec.kind == ControlKind::comboBox);
    if (spec.kind == ControlKind::button) setControlText(handle, spec.caption);
    enableControl(handle, spec.enabled);
    setCheck(handle, spec.checked);
    if (const auto old = g_window.controls.find(spec.id); old != g_window.controls.end())
        destroyHeadlessControl(old->second);
    g_window.controls[spec.id] = handle;
    return handle;
}

ControlHandle controlById(std::uint16_t id) {
    std::lock_guard lock(g_windowMutex);
    const auto it = g_window.controls.find(id);
    return it == g_window.controls.end() ? noControl : it->second;
}

int runMessageLoop() {
    for (;;) {
        Message message;
        WindowHandlers handlers;
        {
            std::unique_lock lock(g_windowMutex);
            g_queueChanged.wait(lock, [] { return !g_window.queue.empty(); });
            message = g_window.queue.front();
            g_window.queue.pop_front();
            handlers = g_window.handlers;
        }
        if (const auto* quit = std::get_if<Quit>(&message)) return quit->code;
        if (std::holds_alternative<StartRun>(message)) {
            if (handlers.startRun) handlers.startRun();
        } else if (std::holds_alternative<EndProgram>(message)) {
            if (handlers.endProgram) handlers.endProgram();
        } else if (std::holds_alternative<Close>(message)) {
            if (handlers.close) handlers.close();
        } else if (const auto* command = std::get_if<Command>(&message)) {
            if (handlers.command) handlers.command(command->id, command->code);
        } else if (const auto* enter = std::get_if<EditEnter>(&message)) {
            if (handlers.editEnter) handlers.editEnter(enter->id);
        } else if (std::holds_alternative<SessionEnd>(message)) {
            if (handlers.sessionEnd) handlers.sessionEnd();
            std::lock_guard lock(g_windowMutex);
            ++g_window.sessionEnds;
            g_queueChanged.notify_all();
        } else if (std::holds_alternative<Paint>(message)) {
            {
                std::lock_guard lock(g_windowMutex);
                g_window.paintQueued = false;
            }
            DrawList drawing;
            if (handlers.paint) drawing = handlers.paint();
            std::lock_guard lock(g_windowMutex);
            g_window.drawing = std::move(drawing);
            ++g_window.paints;
        }
    }
}

void quitMessageLoop(int code) { lf_post(Quit{code}, false); }

// The headless controls need no GUI thread: there is nothing to serve.
bool serveSentMessagesUntil(const std::function<bool()>& done, std::int64_t limitMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(servePoll);
    }
    return true;
}

bool postStartRun() { return lf_post(StartRun{}); }
bool postEndProgram() { return lf_post(EndProgram{}); }
bool postClose() { return lf_post(Close{}); }
bool postCommand(std::uint16_t id, std::uint16_t code) { return lf_post(Command{id, code}); }
bool postEditEnter(std::uint16_t id) { return lf_post(EditEnter{id}); }

void invalidateRect(const Rect& rect) {
    std::lock_guard lock(g_windowMutex);
    if (!g_window.exists) return;
    auto& kept = g_window.invalidations;
    if (kept.size() >= maxKeptInvalidations) kept.erase(kept.begin(), kept.begin() + maxKeptInvalidations / 2);
    kept.push_back(rect);
    if (!g_window.paintQueued) {
        g_window.paintQueued = true;
        g_window.queue.push_back(Paint{});
        g_queueChanged.notify_all();
    }
}

bool setTopmost(bool topmost) {
    std::lock_guard lock(g_windowMutex);
    if (!g_window.exists) return false;
    g_window.topmost = topmost;
    return true;
}

std::optional<bool> isTopmost() {
    std::lock_guard lock(g_windowMutex);
    if (!g_window.exists) return std::nullopt;
    return g_window.topmost;
}

std::optional<Rect> windowRect() {
    std::lock_guard lock(g_windowMutex);
    if (!g_window.exists) return std::nullopt;
    return g_window.rect;
}

std::optional<Rect> clientRect() { return windowRect(); }

std::vector<Rect> takeInvalidations() {
    std::lock_guard lock(g_windowMutex);
    return std::exchange(g_window.invalidations, {});
}

DrawList recordedDrawing() {
    std::lock_guard lock(g_windowMutex);
    return g_window.drawing;
}

std::uint64_t paintCount() {
    std::lock_guard lock(g_windowMutex);
    return g_window.paints;
}

void setHeadlessWindowRect(const Rect& rect) {
    std::lock_guard lock(g_windowMutex);
    g_window.rect = rect;
}

bool sendSessionEnd() {
    std::unique_lock lock(g_windowMutex);
    if (!g_window.exists) return false;
    const std::uint64_t target = g_window.sessionEnds + 1;
    g_window.queue.push_back(SessionEnd{});
    g_queueChanged.notify_all();
    // A window dropped meanwhile (a test's end) serves nothing more.
    g_queueChanged.wait(lock, [&] { return g_window.sessionEnds >= target || !g_window.exists; });
    return g_window.sessionEnds >= target;
}

void destroyMainWindow() {
    std::lock_guard lock(g_windowMutex);
    for (const auto& [id, handle] : g_window.controls) destroyHeadlessControl(handle);
    g_window = HeadlessWindow{};
    g_queueChanged.notify_all();
}

}  // namespace zrb::platform
