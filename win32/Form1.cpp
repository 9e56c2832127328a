#include "win32/Form1.h"

#include "core/Design.h"
#include "core/Errors.h"
#include "core/MainWindow.h"
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

namespace {

constexpr int kFirstCommand = 1000;
const COLORREF kYellow = RGB(255, 255, 0);
const COLORREF kBlack = RGB(0, 0, 0);

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

} // namespace

// A pane as the commands see it, whatever control it holds now.
class Form1::PaneAdapter : public Ports::Pane {
public:
    PaneAdapter(Form1& form, std::unique_ptr<RichTextBox>& pane)
        : m_form(form)
        , m_pane(pane) {}

    Ports::Bytes text() const override {
        auto held = std::make_shared<const std::string>(m_pane->Text());
        return {held, *held};
    }
    bool change(const Change& change, const TextFile::Progress& progress) override {
        // Reading the text out is the first tenth of the work, showing the result the rest.
        const auto part = [&progress](std::int64_t from, std::int64_t to) {
            return [&progress, from, to](std::int64_t done, std::int64_t total) {
                const std::int64_t share = total > 0 ? done * (to - from) / total : to - from;
                return !progress || progress(from + share, 10);
            };
        };
        std::optional<std::string> bytes = m_pane->Text(part(0, 1));
        // Given up: the pane keeps what it had.
        if (!bytes)
            return false;
        change(bytes->data(), bytes->data(), 0, bytes->size());
        return renamed(m_pane->setText(*bytes, part(1, 10)));
    }
    bool changeCanBeGivenUp() const override { return true; }
    bool load(const Reader& read, const TextFile::Progress& progress) override {
        std::string bytes;
        const auto size = read([&bytes](std::size_t size) {
            bytes.resize(std::max(size, bytes.size()));
            return bytes.data();
        });
        if (!size)
            return false;
        bytes.resize(*size);
        return renamed(m_pane->LoadFile(bytes, progress));
    }
    std::string print(const TextFile::Progress& progress) override {
        const DefaultPrinter printer;
        m_pane->SelPrint(printer.dc(), printer.name(), progress);
        return {};
    }

private:
    // A new text comes in a new control, which screen readers must find by name again.
    bool renamed(bool changed) {
        if (changed)
            Accessible::nameControls(m_form.m_hwnd, m_form.m_design);
        return changed;
    }

    Form1& m_form;
    std::unique_ptr<RichTextBox>& m_pane;
};

// The button, the file chooser, the messages, the progress window and the other windows
// as the commands see them.
class Form1::Adapters : public Ports::Button,
                        public Ports::FileChooser,
                        public Ports::Messages,
                        public Ports::LongWork,
                        public Ports::Windows {
public:
    explicit Adapters(Form1& form)
        : m_form(form) {}

    std::string caption() const override { return Wide::toUtf8(Controls::text(m_form.m_command1)); }
    void setCaption(std::string_view caption) override {
        SetWindowTextW(m_form.m_command1, Wide::fromUtf8(caption).c_str());
    }

    std::string open(std::string_view filter, const std::string& start) override {
        m_form.m_commonDialog1.setFilter(filter);
        m_form.m_commonDialog1.ShowOpen(m_form.m_hwnd, Wide::fromUtf8(start));
        return Wide::toUtf8(m_form.m_commonDialog1.FileName());
    }
    std::string save(std::string_view filter, const std::string& start) override {
        m_form.m_commonDialog1.setFilter(filter);
        m_form.m_commonDialog1.ShowSave(m_form.m_hwnd, Wide::fromUtf8(start));
        return Wide::toUtf8(m_form.m_commonDialog1.FileName());
    }
    bool mayReplace(const std::string& path) override {
        return m_form.m_commonDialog1.mayReplace(m_form.m_hwnd, Wide::fromUtf8(path));
    }

    void show(std::string_view text) override { Shell::MsgBox(text); }

    std::unique_ptr<Ports::Work> start(std::string_view label, bool cancellable) override {
        struct Work : Ports::Work {
            Work(HWND owner, std::string_view label, bool cancellable)
                : work(owner, label, cancellable) {}
            bool step(std::int64_t done, std::int64_t total) override {
                return work.step(done, total);
            }
            ::LongWork work;
        };
        return std::make_unique<Work>(m_form.m_hwnd, label, cancellable);
    }

    void showHelp() override { ::Windows::form2().show(); }
    void showAbout() override { ::Windows::about().show(); }
    void endProgram() override { Shell::endProgram(); }

private:
    Form1& m_form;
};

Form1::Form1()
    : Shell::Window(Design::kForm1)
    , m_document(std::make_unique<PaneAdapter>(*this, m_pane1))
    , m_key(std::make_unique<PaneAdapter>(*this, m_pane2))
    , m_adapters(std::make_unique<Adapters>(*this))
    , m_commands(std::make_unique<MainWindow>(
          MainWindow::PortSet{*m_document, *m_key, *m_adapters, *m_adapters, *m_adapters,
                              *m_adapters, *m_adapters, Shell::fileSlot1()})) {}

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
        if (index >= 0 && index < int(std::size(Design::kMenu)))
            m_commands->run(Design::kMenu[index].name);
    });
}

void Form1::Command1_Click() {
    m_commands->Command1_Click();
}
