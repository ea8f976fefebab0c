// The real main window: class, window, child controls, the window procedure
// that hands each message to the logic's handlers, and the GetMessage loop.
#include "platform/window.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <utility>
#include <variant>
#include <vector>

namespace zrb::platform {

namespace {

constexpr int titleResourceId = 101;
constexpr int iconResourceId = 100;
constexpr int titleBufferUnits = 100;
constexpr COLORREF controlBackground = RGB(153, 204, 255);
constexpr WPARAM enterKey = 13;
constexpr ULONGLONG servePollMs = 10;

// Set by registerMainWindowClass before the window exists; read only by the
// GUI thread afterwards.
WindowHandlers g_handlers;
std::atomic<HWND> g_mainWindow{nullptr};

// Owns g_invalidations.
std::mutex g_invalidationMutex;
std::vector<Rect> g_invalidations;

const wchar_t* lf_wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

HINSTANCE lf_instance() { return GetModuleHandleW(nullptr); }

COLORREF lf_rgb(const Colour& c) { return RGB(c.r, c.g, c.b); }

// One brush and one pen per colour, made on first use and kept for the
// process's life (the display uses a handful of colours). GUI thread only.
HBRUSH lf_brush(const Colour& colour) {
    static std::map<COLORREF, HBRUSH> brushes;
    const COLORREF rgb = lf_rgb(colour);
    auto it = brushes.find(rgb);
    if (it == brushes.end()) it = brushes.emplace(rgb, CreateSolidBrush(rgb)).first;
    return it->second;
}

HPEN lf_pen(const Colour& colour) {
    static std::map<COLORREF, HPEN> pens;
    const COLORREF rgb = lf_rgb(colour);
    auto it = pens.find(rgb);
    if (it == pens.end()) it = pens.emplace(rgb, CreatePen(PS_SOLID, 1, rgb)).first;
    return it->second;
}

// The labels and the status display are laid out for the dialog font, as are
// the controls beside them.
HGDIOBJ lf_font() { return GetStockObject(DEFAULT_GUI_FONT); }

void lf_draw(HDC dc, const DrawList& drawing) {
    SetBkMode(dc, TRANSPARENT);
    const HGDIOBJ originalPen = GetCurrentObject(dc, OBJ_PEN);
    const HGDIOBJ originalFont = SelectObject(dc, lf_font());
    for (const DrawOp& op : drawing) {
        if (const auto* fill = std::get_if<FillOp>(&op)) {
            const RECT r{fill->left, fill->top, fill->right, fill->bottom};
            FillRect(dc, &r, lf_brush(fill->colour));
        } else if (const auto* line = std::get_if<LineOp>(&op)) {
            SelectObject(dc, lf_pen(line->colour));
            MoveToEx(dc, line->x1, line->y1, nullptr);
            LineTo(dc, line->x2, line->y2);
        } else if (const auto* text = std::get_if<TextOp>(&op)) {
            SetTextColor(dc, lf_rgb(text->colour));
            TextOutW(dc, text->x, text->y, reinterpret_cast<const wchar_t*>(text->text.c_str()),
                     static_cast<int>(text->text.size()));
        }
    }
    SelectObject(dc, originalPen);
    SelectObject(dc, originalFont);
}

// Every subclassed edit passes all but Enter on to its own procedure, kept in
// the edit's user data.
LRESULT CALLBACK lf_editProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(edit, GWLP_USERDATA));
    if (message == WM_CHAR && wParam == enterKey) {
        if (g_handlers.editEnter) g_handlers.editEnter(static_cast<std::uint16_t>(GetDlgCtrlID(edit)));
        return 0;
    }
    return CallWindowProcW(previous, edit, message, wParam, lParam);
}

LRESULT CALLBACK lf_wndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        g_mainWindow = window;
        if (g_handlers.created) g_handlers.created();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        const HDC dc = BeginPaint(window, &ps);
        if (dc != nullptr && g_handlers.paint) lf_draw(dc, g_handlers.paint());
        EndPaint(window, &ps);
        return 0;
    }
    case WM_CLOSE:
        // The run closes down and ends the program through WM_APP + 2.
        if (g_handlers.close) g_handlers.close();
        return 0;
    case WM_QUERYENDSESSION:
        // Nothing the program holds is worth keeping the session for.
        return TRUE;
    case WM_ENDSESSION:
        // FALSE: another program refused, the session goes on.
        if (wParam != FALSE && g_handlers.sessionEnd) g_handlers.sessionEnd();
        return 0;
    case WM_COMMAND:
        if (g_handlers.command && g_handlers.command(LOWORD(wParam), HIWORD(wParam))) return 0;
        break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
        const auto dc = reinterpret_cast<HDC>(wParam);
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, controlBackground);
        return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
    }
    case messageStartRun:
        if (g_handlers.startRun) g_handlers.startRun();
        return 0;
    case messageEndProgram:
        if (g_handlers.endProgram) g_handlers.endProgram();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool lf_post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    const HWND window = g_mainWindow.load();
    return window != nullptr && PostMessageW(window, message, wParam, lParam) != FALSE;
}

}  // namespace

std::optional<std::u16string> loadApplicationTitle() {
    wchar_t buffer[titleBufferUnits] = {};
    const int length = LoadStringW(lf_instance(), titleResourceId, buffer, titleBufferUnits);
    if (length <= 0) return std::nullopt;
    return std::u16string(reinterpret_cast<const char16_t*>(buffer), static_cast<std::size_t>(length));
}

bool registerMainWindowClass(const std::u16string& className, const WindowHandlers& handlers) {
    g_handlers = handlers;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = lf_wndProc;
    wc.hInstance = lf_instance();
    wc.hIcon = LoadIconW(lf_instance(), MAKEINTRESOURCEW(iconResourceId));
    wc.hIconSm = wc.hIcon;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = lf_wide(className);
    return RegisterClassExW(&wc) != 0;
}

bool createMainWindow(const std::u16string& className, const std::u16string& title, int x, int y) {
    const HWND window = CreateWindowExW(0, lf_wide(className), lf_wide(title), WS_CAPTION | WS_SYSMENU, x, y,
                                        mainWindowWidth, mainWindowHeight, nullptr, nullptr, lf_instance(), nullptr);
    if (window == nullptr) return false;
    g_mainWindow = window;
    ShowWindow(window, SW_SHOW);
    return UpdateWindow(window) != FALSE;
}

bool mainWindowExists() { return g_mainWindow.load() != nullptr; }

ControlHandle createControl(const ControlSpec& spec) {
    const HWND parent = g_mainWindow.load();
    if (parent == nullptr) return noControl;
    const wchar_t* windowClass = L"Edit";
    DWORD style = WS_CHILD | WS_VISIBLE;
    int y = spec.y;
    int height = spec.height;
    switch (spec.kind) {
    case ControlKind::checkBox:
        windowClass = L"button";
        style |= BS_CHECKBOX;
        break;
    case ControlKind::button:
        windowClass = L"button";
        style |= BS_DEFPUSHBUTTON;
        break;
    case ControlKind::edit:
        style |= WS_BORDER;
        break;
    case ControlKind::comboBox:
        windowClass = L"ComboBox";
        style |= WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST;
        break;
    }
    const std::u16string caption = spec.kind == ControlKind::button ? spec.caption : std::u16string();
    const HWND control =
        CreateWindowExW(0, windowClass, lf_wide(caption), style, spec.x, y, spec.width, height, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), lf_instance(), nullptr);
    if (control == nullptr) return noControl;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(lf_font()), FALSE);
    if (spec.kind == ControlKind::edit) {
        const LONG_PTR previous =
            SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(lf_editProc));
        SetWindowLongPtrW(control, GWLP_USERDATA, previous);
    }
    if (spec.kind == ControlKind::checkBox)
        SendMessageW(control, BM_SETCHECK, spec.checked ? BST_CHECKED : BST_UNCHECKED, 0);
    EnableWindow(control, spec.enabled ? TRUE : FALSE);
    return reinterpret_cast<ControlHandle>(control);
}

ControlHandle controlById(std::uint16_t id) {
    const HWND parent = g_mainWindow.load();
    if (parent == nullptr) return noControl;
    return reinterpret_cast<ControlHandle>(GetDlgItem(parent, id));
}

int runMessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

void quitMessageLoop(int code) { PostQuitMessage(code); }

bool serveSentMessagesUntil(const std::function<bool()>& done, std::int64_t limitMs) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(std::max<std::int64_t>(limitMs, 0));
    for (;;) {
        if (done()) return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return false;
        const auto wait = static_cast<DWORD>(std::min<ULONGLONG>(end - now, servePollMs));
        MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_SENDMESSAGE, 0);
        // Delivers the messages other threads sent; takes none of the posted ones.
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

bool postStartRun() { return lf_post(messageStartRun); }
bool postEndProgram() { return lf_post(messageEndProgram); }
bool postClose() { return lf_post(WM_CLOSE); }

bool postCommand(std::uint16_t id, std::uint16_t code) {
    const auto control = reinterpret_cast<LPARAM>(reinterpret_cast<HWND>(controlById(id)));
    return lf_post(WM_COMMAND, MAKEWPARAM(id, code), control);
}

bool postEditEnter(std::uint16_t id) {
    const auto edit = reinterpret_cast<HWND>(controlById(id));
    return edit != nullptr && PostMessageW(edit, WM_CHAR, enterKey, 0) != FALSE;
}

void invalidateRect(const Rect& rect) {
    const HWND window = g_mainWindow.load();
    if (window == nullptr) return;
    {
        std::lock_guard lock(g_invalidationMutex);
        if (g_invalidations.size() >= maxKeptInvalidations)
            g_invalidations.erase(g_invalidations.begin(), g_invalidations.begin() + maxKeptInvalidations / 2);
        g_invalidations.push_back(rect);
    }
    const RECT r{rect.left, rect.top, rect.right, rect.bottom};
    InvalidateRect(window, &r, TRUE);
}

bool setTopmost(bool topmost) {
    const HWND window = g_mainWindow.load();
    return window != nullptr && SetWindowPos(window, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                                             SWP_NOMOVE | SWP_NOSIZE) != FALSE;
}

std::optional<bool> isTopmost() {
    const HWND window = g_mainWindow.load();
    if (window == nullptr) return std::nullopt;
    return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

std::optional<Rect> windowRect() {
    const HWND window = g_mainWindow.load();
    RECT r;
    if (window == nullptr || GetWindowRect(window, &r) == FALSE) return std::nullopt;
    return Rect{r.left, r.top, r.right, r.bottom};
}

std::optional<Rect> clientRect() {
    const HWND window = g_mainWindow.load();
    RECT r;
    POINT origin{0, 0};
    if (window == nullptr || GetClientRect(window, &r) == FALSE || ClientToScreen(window, &origin) == FALSE)
        return std::nullopt;
    return Rect{origin.x, origin.y, origin.x + r.right, origin.y + r.bottom};
}

std::vector<Rect> takeInvalidations() {
    std::lock_guard lock(g_invalidationMutex);
    return std::exchange(g_invalidations, {});
}

void destroyMainWindow() {
    const HWND window = g_mainWindow.exchange(nullptr);
    if (window != nullptr) DestroyWindow(window);
}

bool sendSessionEnd() {
    const HWND window = g_mainWindow.load();
    if (window == nullptr) return false;
    if (SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF) == FALSE) return false;
    SendMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    return true;
}

}  // namespace zrb::platform
