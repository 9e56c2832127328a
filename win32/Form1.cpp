#include "win32/Form1.h"

#include "core/Design.h"
#include "core/Errors.h"
#include "core/Texts.h"
#include "crypt/Crypt.h"
#include "win32/Accessible.h"
#include "win32/Controls.h"
#include "win32/Form2.h"
#include "win32/Handles.h"
#include "win32/LongWork.h"
#include "win32/Resources.h"
#include "win32/Wide.h"
#include "win32/Windows.h"
#include "win32/frmAbout.h"
#include "win32/pane/RichTextBox.h"

#include <algorithm>
#include <iterator>
#include <new>
#include <stdexcept>

namespace {

constexpr int kFirstCommand = 1000;
const COLORREF kYellow = RGB(255, 255, 0);
const COLORREF kBlack = RGB(0, 0, 0);

using Handler = void (Form1::*)();
struct Command {
    std::string_view name;
    Handler handler;
};
const Command kCommands[] = {
    {"pubkey", &Form1::pubkey_Click},
    {"docdacriptare", &Form1::docdacriptare_Click},
    {"docriptato", &Form1::docriptato_Click},
    {"loadpubkey", &Form1::loadpubkey_Click},
    {"docdacrypt", &Form1::docdacrypt_Click},
    {"doccrypt", &Form1::doccrypt_Click},
    {"printcrdecr", &Form1::printcrdecr_Click},
    {"printkey", &Form1::printkey_Click},
    {"exit", &Form1::exit_Click},
    {"helponline2", &Form1::helponline2_Click},
    {"about", &Form1::about_Click},
    {"specialt", &Form1::specialt_Click},
};

// The menu bar of the design: an entry followed by deeper ones opens a submenu.
Handles::Menu buildMenu() {
    Handles::Menu bar(CreateMenu());
    std::vector<HMENU> levels{bar.get()};
    const auto& menu = Design::kMenu;
    for (std::size_t i = 0; i < std::size(menu); ++i) {
        const Design::MenuEntry& entry = menu[i];
        levels.resize(std::size_t(entry.depth) + 1);
        const std::wstring caption = Wide::fromUtf8(entry.caption);
        if (i + 1 < std::size(menu) && menu[i + 1].depth > entry.depth) {
            Handles::Menu sub(CreatePopupMenu());
            if (!sub || !AppendMenuW(levels.back(), MF_POPUP, reinterpret_cast<UINT_PTR>(sub.get()),
                                     caption.c_str()))
                throw VemoError(std::string(Texts::kWindowNotMade));
            // The bar owns it now.
            levels.push_back(sub.release());
        } else {
            AppendMenuW(levels.back(), MF_STRING, UINT_PTR(kFirstCommand + int(i)),
                        caption.c_str());
        }
    }
    return bar;
}

// The button's pointer: the icon's 32 by 32 picture, its hot spot at the centre.
HCURSOR padlockCursor() {
    static HCURSOR cursor = [] {
        const Handles::Icon icon(
            static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(VEMO_ICON),
                                          IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR)));
        ICONINFO info{};
        if (!icon || !GetIconInfo(icon.get(), &info))
            return LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        const Handles::Bitmap color(info.hbmColor);
        const Handles::Bitmap mask(info.hbmMask);
        info.fIcon = FALSE;
        info.xHotspot = 16;
        info.yHotspot = 16;
        return HCURSOR(CreateIconIndirect(&info));
    }();
    return cursor;
}

HCURSOR penCursor() {
    static HCURSOR cursor = static_cast<HCURSOR>(LoadImageW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(VEMO_PEN_CURSOR), IMAGE_CURSOR, 0, 0, 0));
    return cursor;
}

// A part of a piece of work, from `from` to `to` thousandths of the whole.
TextFile::Progress share(TextFile::Progress whole, std::int64_t from, std::int64_t to) {
    return [whole = std::move(whole), from, to](std::int64_t done, std::int64_t total) {
        return whole(total > 0 ? from * 10 + done * (to - from) * 10 / total : from * 10, 10000);
    };
}

} // namespace

Form1::Form1()
    : Shell::Window(Design::kForm1) {}

Form1::~Form1() = default;

int Form1::commandId(std::string_view name) {
    const auto& menu = Design::kMenu;
    const auto found = std::find_if(std::begin(menu), std::end(menu),
                                    [name](const Design::MenuEntry& e) { return e.name == name; });
    return found == std::end(menu) ? -1 : kFirstCommand + int(found - std::begin(menu));
}

void Form1::build() {
    const int dpi = Shell::dpi();
    const Design::Rect& client = m_design.client;
    // A normal frame without maximise or resizing, its client area at the designed place.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    RECT frame = Controls::place(client, dpi);
    AdjustWindowRectEx(&frame, style, TRUE, 0);
    Handles::Menu menu = buildMenu();
    create(L"VemoForm1", static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), penCursor(), style, 0,
           frame, nullptr, menu.get());
    // The window owns its menu now; a window not made left it to be destroyed here.
    menu.release();
    SetWindowTextW(m_hwnd, Wide::fromUtf8(m_design.caption).c_str());
    const auto icon = [](int size) {
        return reinterpret_cast<LPARAM>(LoadImageW(GetModuleHandleW(nullptr),
                                                   MAKEINTRESOURCEW(VEMO_ICON), IMAGE_ICON, size,
                                                   size, LR_SHARED));
    };
    SendMessageW(m_hwnd, WM_SETICON, ICON_BIG, icon(32));
    SendMessageW(m_hwnd, WM_SETICON, ICON_SMALL, icon(16));

    const HFONT dialog = Controls::dialogFont(dpi);
    const HFONT heading = Controls::font(L"MS Sans Serif", 2400, true, dpi);
    for (const Design::Control* c : Controls::inTabOrder(m_design)) {
        const int id = Controls::id(m_design, c->name);
        switch (c->kind) {
        case Design::Kind::Label:
            // The hints reach a pixel into the panes below them, which stay over them.
            Controls::create(m_hwnd, m_design, *c, L"STATIC",
                             SS_LEFT | SS_NOPREFIX | WS_CLIPSIBLINGS,
                             c->name == "Label1" || c->name == "Label2" ? heading : dialog, dpi);
            break;
        case Design::Kind::Button:
            m_command1 = Controls::create(m_hwnd, m_design, *c, L"BUTTON",
                                          BS_PUSHBUTTON | WS_TABSTOP, dialog, dpi);
            break;
        case Design::Kind::Pane: {
            auto pane = std::make_unique<RichTextBox>(
                c->name == "RichTextBox1" ? EncodingError::Place::Document
                                          : EncodingError::Place::Key,
                [](const std::string& message) { Shell::MsgBox(message); });
            pane->create(m_hwnd, id, Controls::place(c->rect, dpi));
            (c->name == "RichTextBox1" ? m_pane1 : m_pane2) = std::move(pane);
            break;
        }
        default: {
            // The logo at its natural size.
            const HWND image =
                Controls::create(m_hwnd, m_design, *c, L"STATIC", SS_BITMAP, dialog, dpi);
            SendMessageW(image, STM_SETIMAGE, IMAGE_BITMAP,
                         reinterpret_cast<LPARAM>(LoadImageW(GetModuleHandleW(nullptr),
                                                             MAKEINTRESOURCEW(VEMO_LOGO),
                                                             IMAGE_BITMAP, 0, 0, LR_SHARED)));
            break;
        }
        }
    }
    Accessible::nameControls(m_hwnd, m_design);
    Windows::adoptOwned();
    setFocusTo(m_command1);
}

void Form1::destroyed() {
    m_pane1.reset();
    m_pane2.reset();
    m_command1 = nullptr;
}

LRESULT Form1::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (lParam == 0 ||
            (reinterpret_cast<HWND>(lParam) == m_command1 && HIWORD(wParam) == BN_CLICKED))
            command(LOWORD(wParam));
        return 0;
    case DM_GETDEFID:
        // Enter clicks the button when it has the focus.
        return GetFocus() == m_command1 ? MAKELRESULT(GetDlgCtrlID(m_command1), DC_HASDEFID) : 0;
    case WM_CTLCOLORSTATIC: {
        const auto dc = reinterpret_cast<HDC>(wParam);
        const auto name = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        COLORREF text = kYellow;
        COLORREF back = kBlack;
        if (name == Controls::id(m_design, "lblFile") || name == Controls::id(m_design, "Label3")) {
            text = GetSysColor(COLOR_HIGHLIGHTTEXT);
            back = GetSysColor(COLOR_MENUTEXT);
        } else if (name == Controls::id(m_design, "Labelfd")) {
            text = GetSysColor(COLOR_BTNTEXT);
            back = GetSysColor(COLOR_MENUTEXT);
        }
        SetTextColor(dc, text);
        SetBkColor(dc, back);
        SetDCBrushColor(dc, back);
        return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
    }
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == m_command1) {
            SetCursor(padlockCursor());
            return TRUE;
        }
        if (LOWORD(lParam) == HTCLIENT &&
            (reinterpret_cast<HWND>(wParam) == m_hwnd ||
             GetParent(reinterpret_cast<HWND>(wParam)) == m_hwnd) &&
            !(m_pane1 && reinterpret_cast<HWND>(wParam) == m_pane1->hwnd()) &&
            !(m_pane2 && reinterpret_cast<HWND>(wParam) == m_pane2->hwnd())) {
            SetCursor(penCursor());
            return TRUE;
        }
        break;
    case WM_CLOSE:
        Windows::releaseOwned();
        DestroyWindow(m_hwnd);
        return 0;
    default:
        break;
    }
    return Shell::Window::handle(message, wParam, lParam);
}

void Form1::command(int id) {
    Shell::guard([&] {
        if (id == GetDlgCtrlID(m_command1)) {
            Command1_Click();
            return;
        }
        const int index = id - kFirstCommand;
        if (index < 0 || index >= int(std::size(Design::kMenu)))
            return;
        for (const Command& c : kCommands)
            if (c.name == Design::kMenu[index].name)
                (this->*c.handler)();
    });
}

void Form1::Command1_Click() {
    const bool encrypting = Controls::text(m_command1) == Wide::fromUtf8(Texts::kCripta);
    bool keyMissing = false;
    {
        LongWork work(m_hwnd, encrypting ? Texts::kEncrypting : Texts::kDecrypting, true);
        std::string result;
        try {
            result = Crypt::CryptText(m_pane1->Text(), m_pane2->Text());
        } catch (const std::invalid_argument&) {
            keyMissing = true;
        }
        // Given up: the document and the caption stay as they were.
        if (!keyMissing && m_pane1->setText(result, work.progress())) {
            SetWindowTextW(m_command1,
                           Wide::fromUtf8(encrypting ? Texts::kDecripta : Texts::kCripta).c_str());
            // The pane is a new control now, without the old one's names.
            Accessible::nameControls(m_hwnd, m_design);
        }
    }
    if (keyMissing)
        Shell::MsgBox(Texts::kKeyNeeded);
}

void Form1::loadInto(RichTextBox& pane, std::string_view filter, std::string_view message) {
    Shell::fileSlot1().close();
    m_commonDialog1.setFilter(filter);
    m_commonDialog1.ShowOpen(m_hwnd);
    const std::string name = Wide::toUtf8(m_commonDialog1.FileName());
    if (name.empty())
        return;
    {
        LongWork work(m_hwnd, Texts::with(Texts::kLoading, name), true);
        Shell::fileSlot1().openForReading(name);
        // Reading is the first tenth of the work, showing the text the rest. Given up: the
        // pane keeps what it had, and no file stays open.
        std::string bytes;
        const auto size = TextFile::read(
            Shell::fileSlot1().file(), TextFile::kMaxFileSize,
            [&bytes](std::size_t size) {
                bytes.resize(std::max(size, bytes.size()));
                return bytes.data();
            },
            share(work.progress(), 0, 100));
        if (!size) {
            Shell::fileSlot1().close();
            return;
        }
        bytes.resize(*size);
        bool loaded = false;
        try {
            loaded = pane.LoadFile(bytes, share(work.progress(), 100, 900));
        } catch (const std::bad_alloc&) {
            // A file too large for the memory is not held either.
            Shell::fileSlot1().close();
            throw;
        }
        if (!loaded) {
            Shell::fileSlot1().close();
            return;
        }
        Accessible::nameControls(m_hwnd, m_design);
    }
    if (!message.empty())
        Shell::MsgBox(message);
}

void Form1::loadpubkey_Click() {
    loadInto(*m_pane2, Texts::kKeyFilter, Texts::kKeyLoaded);
}

void Form1::docdacrypt_Click() {
    loadInto(*m_pane1, Texts::kPlainFilter, Texts::kPlainLoaded);
}

void Form1::doccrypt_Click() {
    loadInto(*m_pane1, Texts::kCryptedFilter, {});
}

void Form1::saveFrom(RichTextBox& pane, std::string_view filter, std::string_view proposal,
                     std::string_view message) {
    // Read first: a character that cannot be saved is reported before a file is chosen.
    std::string bytes;
    {
        const LongWork work(m_hwnd, Texts::kPreparing, false);
        bytes = pane.Text();
    }
    m_commonDialog1.setFilter(filter);
    m_commonDialog1.ShowSave(m_hwnd, Wide::fromUtf8(proposal));
    const std::string name = Wide::toUtf8(m_commonDialog1.FileName());
    if (name.empty())
        return;
    {
        LongWork work(m_hwnd, Texts::with(Texts::kSaving, name), true);
        // Given up: the file that was there is left as it was.
        if (!TextFile::save(name, bytes, work.progress()))
            return;
    }
    Shell::MsgBox(Texts::with(message, name));
}

void Form1::pubkey_Click() {
    Shell::fileSlot1().close();
    saveFrom(*m_pane2, Texts::kKeyFilter, Texts::kKeyName, Texts::kKeySaved);
}

void Form1::docdacriptare_Click() {
    saveFrom(*m_pane1, Texts::kPlainFilter, Texts::kPlainName, Texts::kPlainSaved);
}

void Form1::docriptato_Click() {
    saveFrom(*m_pane1, Texts::kCryptedFilter, Texts::kCryptedName, Texts::kCryptedSaved);
}

void Form1::printPane(RichTextBox& pane) {
    const DefaultPrinter printer;
    LongWork work(m_hwnd, Texts::kPrinting, true);
    pane.SelPrint(printer.dc(), printer.name(), work.progress());
}

void Form1::printcrdecr_Click() {
    printPane(*m_pane1);
}

void Form1::printkey_Click() {
    printPane(*m_pane2);
}

void Form1::exit_Click() {
    Shell::endProgram();
}

void Form1::helponline2_Click() {
    Windows::form2().show();
}

void Form1::about_Click() {
    Windows::about().show();
}

void Form1::specialt_Click() {
    Shell::MsgBox(Texts::kThanks);
}
