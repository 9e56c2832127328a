#include "win32/frmAbout.h"

#include "core/AppInfo.h"
#include "core/SysInfo.h"
#include "core/Texts.h"
#include "win32/Accessible.h"
#include "win32/Controls.h"
#include "win32/Handles.h"
#include "win32/Resources.h"
#include "win32/Wide.h"
#include "win32/Windows.h"
#include "win32/sysinfo/SystemRegistry.h"
#include "win32/sysinfo/SystemTools.h"

#include <string>

namespace {

// The services' stand-ins where a test put them, else the system's own, the registry
// read afresh each time so that a tool installed meanwhile is found.
bool startTool() {
    const Services& services = Shell::services();
    SystemRegistry registry;
    SystemFileExistence files;
    SystemProgramStart programs;
    return SysInfo::start(services.registry ? *services.registry : registry,
                          services.files ? *services.files : files,
                          services.programs ? *services.programs : programs);
}

void setText(HWND hwnd, std::string_view text) {
    SetWindowTextW(hwnd, Wide::fromUtf8(text).c_str());
}

} // namespace

frmAbout::frmAbout()
    : Shell::Window(Design::kAbout) {}

void frmAbout::build() {
    const int dpi = Shell::dpi();
    // A fixed dialog frame: caption and close control, neither minimise nor maximise.
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_DLGMODALFRAME;
    RECT frame = Controls::place(m_design.client, dpi);
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    create(L"VemoAbout", GetSysColorBrush(COLOR_BTNFACE), nullptr, style, exStyle, frame,
           Windows::owner(), nullptr);
    const HFONT font = Controls::dialogFont(dpi);
    for (const Design::Control* c : Controls::inTabOrder(m_design)) {
        switch (c->kind) {
        case Design::Kind::Button:
            Controls::create(m_hwnd, m_design, *c, L"BUTTON",
                             (c->name == "cmdOK" ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP,
                             font, dpi);
            break;
        case Design::Kind::IconBox: {
            const HWND box = Controls::create(m_hwnd, m_design, *c, L"STATIC",
                                              SS_ICON | SS_CENTERIMAGE | WS_TABSTOP, font, dpi);
            SendMessageW(box, STM_SETICON,
                         reinterpret_cast<WPARAM>(LoadImageW(GetModuleHandleW(nullptr),
                                                             MAKEINTRESOURCEW(VEMO_ICON),
                                                             IMAGE_ICON, 32, 32, LR_SHARED)),
                         0);
            // The icon in the middle of its designed box, which has a sunken border.
            SetWindowLongPtrW(box, GWL_EXSTYLE,
                              GetWindowLongPtrW(box, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
            const RECT place = Controls::place(c->rect, dpi);
            SetWindowPos(box, nullptr, place.left, place.top, place.right - place.left,
                         place.bottom - place.top, SWP_NOZORDER | SWP_FRAMECHANGED);
            break;
        }
        default:
            Controls::create(m_hwnd, m_design, *c, L"STATIC", SS_LEFT | SS_NOPREFIX, font, dpi);
            break;
        }
    }
    Accessible::nameControls(m_hwnd, m_design);
    setFocusTo(control("cmdOK"));
}

void frmAbout::Form_Load() {
    setText(m_hwnd, std::string(Texts::kAboutCaption) + AppInfo::Title);
    setText(control("lblVersion"), std::string(Texts::kVersion) + std::to_string(AppInfo::Major) +
                                       "." + std::to_string(AppInfo::Minor) + "." +
                                       std::to_string(AppInfo::Revision));
    setText(control("lblTitle"), AppInfo::Title);
}

LRESULT frmAbout::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        // Escape is IDCANCEL: "OK" is the cancel button too.
        if (id == IDCANCEL || id == Controls::id(m_design, "cmdOK"))
            Shell::guard([this] { cmdOK_Click(); });
        else if (id == Controls::id(m_design, "cmdSysInfo"))
            Shell::guard([this] { cmdSysInfo_Click(); });
        return 0;
    }
    case DM_GETDEFID: {
        // Enter clicks "OK", or "System Info..." when that has the focus.
        const HWND focus = GetFocus();
        const HWND button = focus == control("cmdSysInfo") ? focus : control("cmdOK");
        return MAKELRESULT(GetDlgCtrlID(button), DC_HASDEFID);
    }
    case WM_CTLCOLORSTATIC: {
        const auto dc = reinterpret_cast<HDC>(wParam);
        const auto label = reinterpret_cast<HWND>(lParam);
        SetTextColor(dc,
                     label == control("lblVersion") ? GetSysColor(COLOR_WINDOWTEXT) : RGB(0, 0, 0));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_PAINT: {
        // The etched rule.
        const Handles::Paint paint(m_hwnd);
        const HDC dc = paint.get();
        const int dpi = Shell::dpi();
        // Each line runs down from its row, `width` pixels, so that the white one lies
        // below the grey one instead of over it.
        for (const Design::Line& line : m_design.lines) {
            const RECT r{Design::pixels(line.x1, dpi), Design::pixels(line.y1, dpi),
                         Design::pixels(line.x2, dpi), Design::pixels(line.y1, dpi) + line.width};
            SetDCBrushColor(dc, RGB(line.red, line.green, line.blue));
            FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        }
        return 0;
    }
    default:
        break;
    }
    return Shell::Window::handle(message, wParam, lParam);
}

void frmAbout::cmdOK_Click() {
    close();
}

void frmAbout::cmdSysInfo_Click() {
    StartSysInfo();
}

void frmAbout::StartSysInfo() {
    if (!startTool())
        Shell::MsgBox(SysInfo::kUnavailable);
}

bool frmAbout::GetKeyValue(const Registry::HKEY& KeyRoot, const std::string& KeyName,
                           const std::string& SubKeyRef, std::string& KeyVal) {
    SystemRegistry registry;
    return SysInfo::getKeyValue(Shell::services().registry ? *Shell::services().registry : registry,
                                KeyRoot, KeyName, SubKeyRef, KeyVal);
}
