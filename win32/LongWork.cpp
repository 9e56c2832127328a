#include "win32/LongWork.h"

#include "core/AppInfo.h"
#include "core/Texts.h"
#include "win32/Controls.h"
#include "win32/Shell.h"
#include "win32/Wide.h"

#include <commctrl.h>

namespace {

int working = 0;

HCURSOR waitCursor() {
    return LoadCursorW(nullptr, MAKEINTRESOURCEW(32514));
}

// The pointer follows at once the state of the windows under it.
void refreshPointer() {
    POINT at;
    if (GetCursorPos(&at))
        SetCursorPos(at.x, at.y);
}

} // namespace

LongWork::LongWork(HWND owner, std::string_view label, bool cancellable)
    : m_owner(owner)
    , m_label(Wide::fromUtf8(label))
    , m_cancellable(cancellable)
    , m_start(GetTickCount64()) {
    ++working;
    SetCursor(waitCursor());
}

LongWork::~LongWork() {
    if (m_window) {
        // The windows come back before the modal one goes, so that the focus returns to
        // the program and not to another one.
        for (const HWND hwnd : m_disabled)
            EnableWindow(hwnd, TRUE);
        DestroyWindow(m_window);
    }
    --working;
    refreshPointer();
}

bool LongWork::running() {
    return working > 0;
}

bool LongWork::step(std::int64_t done, std::int64_t total) {
    const ULONGLONG now = GetTickCount64() - m_start;
    if (now < ULONGLONG(Shell::services().progressDelay) ||
        (m_window && now - m_lastStep < 40 && done < total))
        return !m_cancelled;
    m_lastStep = now;
    if (!m_window)
        open();
    if (total <= 0) {
        // No total: a bar that moves without a share.
        SetWindowLongPtrW(m_bar, GWL_STYLE, GetWindowLongPtrW(m_bar, GWL_STYLE) | PBS_MARQUEE);
        SendMessageW(m_bar, PBM_SETMARQUEE, TRUE, 0);
    } else {
        SendMessageW(m_bar, PBM_SETPOS, WPARAM(done * 1000 / total), 0);
    }
    pump();
    return !m_cancelled;
}

void LongWork::open() {
    static const bool registered = [] {
        const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &LongWork::proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        wc.lpszClassName = L"VemoLongWork";
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
    const int dpi = Shell::dpi();
    const auto px = [dpi](int at96) { return MulDiv(at96, dpi, 96); };
    const DWORD style = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_DLGMODALFRAME;
    RECT frame{0, 0, px(360), px(m_cancellable ? 112 : 76)};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    // Centred on the window the work is for.
    RECT over{};
    if (!m_owner || !GetWindowRect(m_owner, &over))
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &over, 0);
    const int x = over.left + (over.right - over.left - width) / 2;
    const int y = over.top + (over.bottom - over.top - height) / 2;
    m_window = CreateWindowExW(exStyle, L"VemoLongWork",
                               Wide::fromUtf8(AppInfo::Title).c_str(), style, x, y, width,
                               height, m_owner, nullptr, GetModuleHandleW(nullptr), this);
    if (!m_window)
        return;
    const HFONT font = Controls::dialogFont(dpi);
    const auto child = [&](const wchar_t* cls, const wchar_t* text, DWORD childStyle, int id,
                           int left, int top, int w, int h) {
        const HWND hwnd = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | childStyle,
                                          px(left), px(top), px(w), px(h), m_window,
                                          reinterpret_cast<HMENU>(INT_PTR(id)),
                                          GetModuleHandleW(nullptr), nullptr);
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return hwnd;
    };
    child(L"STATIC", m_label.c_str(), SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, -1, 12, 12, 336,
          16);
    m_bar = child(PROGRESS_CLASSW, L"", 0, -1, 12, 36, 336, 20);
    SendMessageW(m_bar, PBM_SETRANGE32, 0, 1000);
    if (m_cancellable) {
        const HWND cancel = child(L"BUTTON", Wide::fromUtf8(Texts::kCancel).c_str(),
                                  BS_DEFPUSHBUTTON | WS_TABSTOP, IDCANCEL, 268, 72, 80, 26);
        SetFocus(cancel);
    }
    // Modal: the program's other windows take no input while it is there.
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM self) -> BOOL {
            auto* work = reinterpret_cast<LongWork*>(self);
            if (hwnd != work->m_window && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
                EnableWindow(hwnd, FALSE);
                work->m_disabled.push_back(hwnd);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(this));
    ShowWindow(m_window, SW_SHOW);
    SetForegroundWindow(m_window);
    if (m_cancellable)
        SetFocus(GetDlgItem(m_window, IDCANCEL));
}

void LongWork::pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(int(msg.wParam));
            return;
        }
        // Escape, Enter and Space on "Annulla" as in a dialog.
        if (m_window && IsDialogMessageW(m_window, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

LRESULT CALLBACK LongWork::proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(
                              reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* work = reinterpret_cast<LongWork*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL && work && work->m_cancellable)
            work->m_cancelled = true;
        return 0;
    case WM_CLOSE:
        // Closing the window gives the work up where it can be; it never ends the program.
        if (work && work->m_cancellable)
            work->m_cancelled = true;
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
