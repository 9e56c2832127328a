#include "win32/Form2.h"

#include "win32/Controls.h"
#include "win32/Form1.h"
#include "win32/Wide.h"
#include "win32/Windows.h"

Form2::Form2()
    : Shell::Window(Design::kForm2) {}

void Form2::build() {
    const int dpi = Shell::dpi();
    // No frame, at its designed place; it belongs to the main window, so no task-bar button.
    create(L"VemoForm2", static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), nullptr,
           WS_POPUP | WS_CLIPCHILDREN, 0, Controls::place(m_design.client, dpi), Windows::owner(),
           nullptr);
    SetWindowTextW(m_hwnd, Wide::fromUtf8(m_design.caption).c_str());
    const HFONT buttons = Controls::font(L"MS Sans Serif", 825, true, dpi);
    HWND label = nullptr;
    for (const Design::Control* c : Controls::inTabOrder(m_design)) {
        if (c->kind == Design::Kind::Label)
            label = Controls::create(m_hwnd, m_design, *c, L"STATIC",
                                     SS_LEFT | SS_NOPREFIX | WS_CLIPSIBLINGS,
                                     Controls::dialogFont(dpi), dpi);
        else
            Controls::create(m_hwnd, m_design, *c, L"BUTTON",
                             BS_PUSHBUTTON | BS_MULTILINE | WS_TABSTOP | WS_CLIPSIBLINGS, buttons,
                             dpi);
    }
    // The buttons stand over the foot of the text.
    SetWindowPos(label, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    setFocusTo(control("Command1"));
}

LRESULT Form2::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && lParam != 0) {
            const auto button = reinterpret_cast<HWND>(lParam);
            if (button == control("Command1"))
                Shell::guard([this] { Command1_Click(); });
            else if (button == control("Command2"))
                Shell::guard([this] { Command2_Click(); });
        }
        return 0;
    case DM_GETDEFID: {
        // Neither button is the default: Enter clicks the one with the focus.
        const HWND focus = GetFocus();
        return focus == control("Command1") || focus == control("Command2")
                   ? MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID)
                   : 0;
    }
    case WM_CTLCOLORSTATIC: {
        const auto dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, RGB(255, 255, 0));
        SetBkColor(dc, RGB(0, 0, 0));
        return reinterpret_cast<LRESULT>(GetStockObject(BLACK_BRUSH));
    }
    default:
        break;
    }
    return Shell::Window::handle(message, wParam, lParam);
}

void Form2::Command1_Click() {
    hide();
    Windows::form1().show();
}

void Form2::Command2_Click() {
    Shell::endProgram();
}
