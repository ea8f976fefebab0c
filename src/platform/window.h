#pragma once
// The main window as the logic sees it: one 880x516 window with child controls
// addressed by their control id, a message queue served by the GUI thread, and
// the few operations the logic needs (invalidate a band, read and write a
// control's text, enable a control, set a check box; the control operations
// are those of controls.h).
//
// The win32 side is the real window class, window and GetMessage loop. The
// posix side is a headless window: it keeps each control's text and states,
// runs the same queue on the thread that calls runMessageLoop, and lets tests
// read what the window would show and post what a user would do.
//
// Threads: every function may be called from any thread. Handlers run on the
// GUI thread (the one in runMessageLoop). Callers must hold no lock of their
// own while calling in: on Windows a control operation from another thread
// waits for the GUI thread.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/controls.h"
#include "platform/drawing.h"

namespace zrb::platform {

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

inline constexpr int mainWindowWidth = 880;   // pixels
inline constexpr int mainWindowHeight = 516;  // pixels

// WM_APP + 1 and WM_APP + 2 (WM_APP = 0x8000).
inline constexpr std::uint32_t messageStartRun = 0x8000 + 1;
inline constexpr std::uint32_t messageEndProgram = 0x8000 + 2;
// CBN_SELCHANGE in the high word of WM_COMMAND's wParam.
inline constexpr std::uint16_t notifySelectionChange = 1;
// BN_CLICKED.
inline constexpr std::uint16_t notifyClicked = 0;

// What the GUI thread does with each message. Unset handlers are skipped (the
// win32 side then falls back to the default window procedure).
struct WindowHandlers {
    std::function<void()> created;                                 // WM_CREATE
    std::function<void()> close;                                   // WM_CLOSE
    std::function<void()> startRun;                                // WM_APP + 1
    std::function<void()> endProgram;                              // WM_APP + 2
    std::function<bool(std::uint16_t id, std::uint16_t code)> command;  // WM_COMMAND; true = handled
    std::function<void(std::uint16_t id)> editEnter;               // Enter in a subclassed edit
    std::function<DrawList()> paint;                               // WM_PAINT: what to draw (inside Begin/EndPaint)
    // WM_ENDSESSION with wParam TRUE: Windows ends the session (logoff,
    // shutdown) and may end the process as soon as this returns, or a few
    // seconds from now if it does not. WM_QUERYENDSESSION is always allowed.
    std::function<void()> sessionEnd;
};

enum class ControlKind : std::uint8_t { checkBox, button, edit, comboBox };

struct ControlSpec {
    ControlKind kind = ControlKind::edit;
    std::uint16_t id = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;           // for a combo box: the height of the dropped list
    std::u16string caption;   // buttons only
    bool enabled = false;
    bool checked = false;     // check boxes only
};

// ------------------------------------------------------------ program start
// LoadStringW of string resource 101 (the title and class name); posix: the
// program id. Empty when the resource cannot be loaded.
std::optional<std::u16string> loadApplicationTitle();

// RegisterClassExW (CS_HREDRAW | CS_VREDRAW, icon 100, arrow cursor, black
// background). False on failure. posix: always true.
bool registerMainWindowClass(const std::u16string& className, const WindowHandlers& handlers);

// CreateWindowExW (WS_CAPTION | WS_SYSMENU, 880x516 at x, y), ShowWindow,
// UpdateWindow. WM_CREATE reaches handlers.created before this returns. False
// when the window cannot be created. One main window per process.
bool createMainWindow(const std::u16string& className, const std::u16string& title, int x, int y);
bool mainWindowExists();

// Child controls (CreateWindowExW with the control id as child id). Edit boxes
// are subclassed so that Enter reaches handlers.editEnter. Returns the new
// control's handle, noControl on failure.
ControlHandle createControl(const ControlSpec& spec);

// GetMessage / TranslateMessage / DispatchMessage until WM_QUIT; returns its
// wParam. Must run on the thread that created the window.
int runMessageLoop();
// PostQuitMessage: ends runMessageLoop with the code once the queue reaches it.
void quitMessageLoop(int code);

// For a handler that must wait on other threads (the session's end): waits
// until done() holds or limitMs have passed, testing it every few
// milliseconds, while the GUI thread still serves what other threads send to
// the window (their control calls wait for it). Posted messages stay queued.
// GUI thread only; true when done() held.
bool serveSentMessagesUntil(const std::function<bool()>& done, std::int64_t limitMs);

// ------------------------------------------------------------ posting (any thread)
bool postStartRun();     // WM_APP + 1
bool postEndProgram();   // WM_APP + 2
bool postClose();        // WM_CLOSE, as the close button does
bool postCommand(std::uint16_t id, std::uint16_t code = notifyClicked);  // as a click does
bool postEditEnter(std::uint16_t id);                                   // as Enter in an edit does

// ------------------------------------------------------------ the window operations
// The control operations themselves (set text, enable, check, combo lists, and
// reading them back) are in controls.h and work on a control's handle.

// GetDlgItem(main window, id): the handle of a created control, noControl when
// there is none.
ControlHandle controlById(std::uint16_t id);

// InvalidateRect with erase on the main window. Does nothing without a window.
void invalidateRect(const Rect& rect);

// ------------------------------------------------------------ window placement
// SetWindowPos HWND_TOPMOST / HWND_NOTOPMOST without moving or sizing.
bool setTopmost(bool topmost);
std::optional<bool> isTopmost();
// GetWindowRect of the main window in screen coordinates.
std::optional<Rect> windowRect();
// The client area (where the program paints) in screen coordinates: inside the
// frame and below the caption. The headless window has no frame.
std::optional<Rect> clientRect();

// ------------------------------------------------------------ for tests
// At most this many invalidated rectangles are kept (the newest): the program
// invalidates every second for as long as it runs, and nothing outside tests
// takes them.
inline constexpr std::size_t maxKeptInvalidations = 1024;
// The rectangles invalidated so far, oldest first, and forgetting them.
std::vector<Rect> takeInvalidations();
// Drops the window, its controls and queued messages so that a test can create
// another (posix only; the win32 side destroys the window).
void destroyMainWindow();
// What Windows does at logoff: WM_QUERYENDSESSION, then WM_ENDSESSION with
// TRUE, each sent to the main window and waited for. False when there is no
// window or the query was refused. Not from the GUI thread.
bool sendSessionEnd();

#if !defined(_WIN32)
// What the headless window drew at its last paint (an invalidation queues one
// paint, served by the loop like any other message), and how many paints it served.
DrawList recordedDrawing();
std::uint64_t paintCount();
// Moves the headless window, as the user (or minimising it) would.
void setHeadlessWindowRect(const Rect& rect);
#endif

}  // namespace zrb::platform
