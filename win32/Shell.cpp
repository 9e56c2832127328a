#include "win32/Shell.h"

#include "core/AppInfo.h"
#include "core/Errors.h"
#include "core/Texts.h"
#include "win32/Controls.h"
#include "win32/Handles.h"
#include "win32/LongWork.h"
#include "win32/Wide.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <vector>

namespace Shell {
namespace {

// The windows live in statics of their own, made before this list and so destroyed after
// it at the end of the run; the list is never destroyed, so that a window's destructor
// always finds it.
std::vector<Window*>& allWindows() {
    static auto* const registered = new std::vector<Window*>;
    return *registered;
}

bool ending = false;

void exitLoop() {
    if (services().exit)
        services().exit();
    else
        PostQuitMessage(0);
}

Window* windowOf(HWND hwnd) {
    const HWND root = GetAncestor(hwnd, GA_ROOT);
    for (Window* w : allWindows())
        if (w->hwnd() && w->hwnd() == root)
            return w;
    return nullptr;
}

// Tab and Shift+Tab follow the tab order whatever the control with the focus asks for
// (Ctrl+Tab is left to it); everything else goes through the dialog keys of its window.
bool keyboard(MSG& msg) {
    Window* window = windowOf(msg.hwnd);
    if (window == nullptr)
        return false;
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && GetKeyState(VK_CONTROL) >= 0) {
        const bool back = GetKeyState(VK_SHIFT) < 0;
        if (HWND next = GetNextDlgTabItem(window->hwnd(), GetFocus(), back))
            SetFocus(next);
        return true;
    }
    if ((msg.message == WM_CHAR || msg.message == WM_KEYUP) && msg.wParam == VK_TAB &&
        GetKeyState(VK_CONTROL) >= 0)
        return true;
    return IsDialogMessageW(window->hwnd(), &msg) != FALSE;
}

void dispatch(MSG& msg) {
    if (keyboard(msg))
        return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

} // namespace

void MsgBox(std::string_view text) {
    if (services().messages) {
        services().messages(std::string(text));
        return;
    }
    MessageBoxW(GetActiveWindow(), Wide::fromUtf8(text).c_str(),
                Wide::fromUtf8(AppInfo::Title).c_str(), MB_OK);
}

void guard(const std::function<void()>& handler) noexcept {
    try {
        try {
            handler();
        } catch (...) {
            MsgBox(errorMessage(std::current_exception()));
        }
    } catch (...) {
        // Not even the message could be shown: the window stays as it was.
    }
}

FileSlot& fileSlot1() {
    static FileSlot slot;
    return slot;
}

Services& services() {
    static Services held;
    return held;
}

void endProgram() {
    ending = true;
    // Owned windows first: destroying an owner would take them along anyway.
    for (auto it = allWindows().rbegin(); it != allWindows().rend(); ++it)
        (*it)->discard();
    fileSlot1().close();
    ending = false;
    exitLoop();
}

int run() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        dispatch(msg);
    return int(msg.wParam);
}

void processMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(int(msg.wParam));
            return;
        }
        dispatch(msg);
    }
}

int dpi() {
    const Handles::WindowDc screen(nullptr);
    return GetDeviceCaps(screen.get(), LOGPIXELSY);
}

Window::Window(const Design::Window& design)
    : m_design(design) {
    allWindows().push_back(this);
}

Window::~Window() {
    std::erase(allWindows(), this);
}

void Window::show() {
    if (!m_hwnd) {
        // A window half built goes again.
        try {
            build();
        } catch (...) {
            discard();
            throw;
        }
        Form_Load();
    }
    ShowWindow(m_hwnd, SW_SHOW);
    SetForegroundWindow(m_hwnd);
    if (m_focus && GetActiveWindow() == m_hwnd)
        SetFocus(m_focus);
}

void Window::hide() {
    if (m_hwnd)
        ShowWindow(m_hwnd, SW_HIDE);
}

void Window::close() {
    if (m_hwnd)
        SendMessageW(m_hwnd, WM_CLOSE, 0, 0);
}

void Window::discard() {
    if (m_hwnd)
        DestroyWindow(m_hwnd);
}

HWND Window::control(std::string_view name) const {
    return m_hwnd ? GetDlgItem(m_hwnd, Controls::id(m_design, name)) : nullptr;
}

void Window::setFocusTo(HWND control) {
    m_focus = control;
    SetFocus(control);
}

void Window::create(const wchar_t* className, HBRUSH background, HCURSOR cursor, DWORD style,
                    DWORD exStyle, const RECT& frame, HWND owner, HMENU menu) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    if (!GetClassInfoExW(instance, className, &wc)) {
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &Window::proc;
        wc.hInstance = instance;
        wc.hbrBackground = background;
        wc.hCursor = cursor ? cursor : LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        wc.lpszClassName = className;
        RegisterClassExW(&wc);
    }
    if (!CreateWindowExW(exStyle, className, L"", style, frame.left, frame.top,
                         frame.right - frame.left, frame.bottom - frame.top, owner, menu, instance,
                         this))
        throw VemoError(std::string(Texts::kWindowNotMade));
}

LRESULT Window::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ACTIVATE:
        // The focus comes back to the control that had it, as in a dialog.
        if (LOWORD(wParam) == WA_INACTIVE) {
            if (HWND focus = GetFocus(); focus && IsChild(m_hwnd, focus))
                m_focus = focus;
        } else if (m_focus && IsWindow(m_focus)) {
            SetFocus(m_focus);
            return 0;
        }
        break;
    case WM_NEXTDLGCTL:
        // Multi-line edit controls ask for the next control themselves.
        if (HWND next = GetNextDlgTabItem(m_hwnd, GetFocus(), wParam != 0))
            SetFocus(next);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(m_hwnd, message, wParam, lParam);
}

LRESULT CALLBACK Window::proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* window =
            static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        window->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    }
    auto* window = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (window == nullptr)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        window->m_hwnd = nullptr;
        window->m_focus = nullptr;
        window->destroyed();
        // The program lives while one of its windows is visible.
        if (!ending && std::none_of(allWindows().begin(), allWindows().end(),
                                    [](const Window* w) { return w->isVisible(); }))
            endProgram();
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (LongWork::running()) {
        // While long work runs the windows wait, and none may close under it.
        if (message == WM_SETCURSOR) {
            SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));
            return TRUE;
        }
        if (message == WM_CLOSE)
            return 0;
    }
    return window->handle(message, wParam, lParam);
}

} // namespace Shell
