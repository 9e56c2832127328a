#include "win32/pane/RichTextBox.h"

#include "core/Memory.h"
#include "core/Texts.h"
#include "win32/Handles.h"
#include "win32/Wide.h"

#include <commctrl.h>
#include <imm.h>
#include <richedit.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>

namespace {

constexpr UINT kUnicode = 1200;
// 2 cm in twips.
constexpr int kMargin = 1134;
constexpr int kPointSize = 10;

bool down(int key) {
    return (GetKeyState(key) & 0x8000) != 0;
}

// RichEdit keeps a paragraph break as a lone CR; the display has U+2029 there. Neither
// character stands for anything else on its side.
void breaksToControl(std::u16string& text) {
    std::replace(text.begin(), text.end(), PaneText::kBreak, u'\r');
}

void breaksFromControl(std::u16string& text) {
    std::replace(text.begin(), text.end(), u'\r', PaneText::kBreak);
}

// The first of the faces that is installed: FreeMono draws the stand-ins for control
// codes, the others are the fixed-pitch faces every Windows has.
const wchar_t* paneFace() {
    static const wchar_t* const face = [] {
        const wchar_t* const candidates[] = {L"FreeMono", L"Consolas", L"Courier New"};
        const Handles::WindowDc screen(nullptr);
        const wchar_t* chosen = candidates[std::size(candidates) - 1];
        for (const wchar_t* candidate : candidates) {
            LOGFONTW wanted{};
            wanted.lfCharSet = DEFAULT_CHARSET;
            wcsncpy(wanted.lfFaceName, candidate, LF_FACESIZE - 1);
            bool found = false;
            EnumFontFamiliesExW(
                screen.get(), &wanted,
                [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM seen) -> int {
                    *reinterpret_cast<bool*>(seen) = true;
                    return 0;
                },
                reinterpret_cast<LPARAM>(&found), 0);
            if (found) {
                chosen = candidate;
                break;
            }
        }
        return chosen;
    }();
    return face;
}

// CF_UNICODETEXT ends at the first NUL; beside it a copy puts the whole text in a format of
// its own, its length first, so that a paste between panes brings NUL bytes across too.
UINT exactFormat() {
    static const UINT format = RegisterClipboardFormatW(L"Vemo.ExactText");
    return format;
}

std::u16string clipboardText(HWND owner) {
    const Handles::Clipboard clipboard(owner);
    if (!clipboard.isOpen())
        return {};
    const bool exact = exactFormat() != 0 && IsClipboardFormatAvailable(exactFormat());
    const Handles::GlobalView data(GetClipboardData(exact ? exactFormat() : CF_UNICODETEXT));
    const auto* bytes = static_cast<const unsigned char*>(data.data());
    if (bytes == nullptr)
        return {};
    const std::size_t size = data.size();
    std::u16string text;
    if (exact) {
        std::uint64_t n = 0;
        if (size >= sizeof n)
            std::memcpy(&n, bytes, sizeof n);
        n = std::min<std::uint64_t>(n, (size - std::min(size, sizeof n)) / sizeof(char16_t));
        text.resize(std::size_t(n));
        std::memcpy(text.data(), bytes + sizeof n, text.size() * sizeof(char16_t));
    } else {
        const auto* units = reinterpret_cast<const char16_t*>(bytes);
        text.assign(units, std::find(units, units + size / sizeof(char16_t), u'\0'));
    }
    return text;
}

Handles::Global globalCopy(const void* head, std::size_t headSize, const std::u16string& text,
                           std::size_t units) {
    Handles::Global data(GlobalAlloc(GMEM_MOVEABLE, headSize + units * sizeof(char16_t)));
    const Handles::GlobalView view(data.get());
    auto* out = static_cast<unsigned char*>(view.data());
    if (out == nullptr)
        throw std::bad_alloc();
    if (headSize > 0)
        std::memcpy(out, head, headSize);
    std::memcpy(out + headSize, text.c_str(), units * sizeof(char16_t));
    return data;
}

void setClipboardText(HWND owner, const std::u16string& text) {
    // With its terminating NUL, which c_str() provides.
    Handles::Global plain = globalCopy(nullptr, 0, text, text.size() + 1);
    const std::uint64_t n = text.size();
    Handles::Global exact = globalCopy(&n, sizeof n, text, text.size());
    const Handles::Clipboard clipboard(owner);
    if (!clipboard.isOpen() || !EmptyClipboard())
        return;
    // The clipboard owns what it took.
    if (SetClipboardData(CF_UNICODETEXT, plain.get()))
        plain.release();
    if (exactFormat() != 0 && SetClipboardData(exactFormat(), exact.get()))
        exact.release();
}

// Appends a display to a control in slices, telling `progress` before each; false when it
// gives up. Wine's RichEdit lays out what a message brings before it returns, and takes no
// message meanwhile: a slice is the longest wait for "Annulla". A slice ends after a break
// where one is near, since a paragraph that a slice ends in is laid out again with the next.
bool fill(HWND control, std::u16string& shown, const TextFile::Progress& progress) {
    constexpr std::size_t kSlice = std::size_t(1) << 17;
    for (std::size_t begin = 0;;) {
        if (progress && !progress(std::int64_t(begin), std::int64_t(shown.size())))
            return false;
        if (begin == shown.size())
            return true;
        std::size_t end = shown.size();
        if (shown.size() - begin > kSlice) {
            const std::size_t limit = std::min(shown.size(), begin + 8 * kSlice);
            const auto from = shown.begin() + std::ptrdiff_t(begin + kSlice);
            const auto at = std::find(from, shown.begin() + std::ptrdiff_t(limit), u'\r');
            end = at == shown.begin() + std::ptrdiff_t(limit)
                      ? begin + kSlice
                      : std::size_t(at - shown.begin()) + 1;
        }
        // EM_REPLACESEL takes the text up to a NUL, which a display never holds.
        const char16_t next = shown[end];
        shown[end] = u'\0';
        SendMessageW(control, EM_SETSEL, WPARAM(-1), LPARAM(-1));
        SendMessageW(control, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(shown.data() + begin));
        shown[end] = next;
        begin = end;
    }
}

// Lays a displayed text out on the pages of a print job, in the pane's face, as the pane
// shows it: stand-ins for control codes, long lines wrapped at a blank where there is one.
// RichEdit's own EM_FORMATRANGE is not there to do it everywhere (Wine has none).
class PageWriter {
public:
    PageWriter(HDC printer, const std::string& printerName)
        : m_printer(printer)
        , m_printerName(printerName) {
        const int dpiX = GetDeviceCaps(printer, LOGPIXELSX);
        const int dpiY = GetDeviceCaps(printer, LOGPIXELSY);
        m_font.reset(CreateFontW(-MulDiv(kPointSize, dpiY, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                                 FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                 DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, paneFace()));
        m_selection.emplace(printer, m_font.get());
        TEXTMETRICW metrics{};
        GetTextMetricsW(printer, &metrics);
        m_lineHeight = std::max(1, int(metrics.tmHeight + metrics.tmExternalLeading));
        // The device context's origin is the printable area's corner; the margins are
        // measured from the paper's edges.
        const int width = GetDeviceCaps(printer, HORZRES);
        const int height = GetDeviceCaps(printer, VERTRES);
        const int paperWidth = std::max(width, GetDeviceCaps(printer, PHYSICALWIDTH));
        const int paperHeight = std::max(height, GetDeviceCaps(printer, PHYSICALHEIGHT));
        const int offsetX = GetDeviceCaps(printer, PHYSICALOFFSETX);
        const int offsetY = GetDeviceCaps(printer, PHYSICALOFFSETY);
        const int marginX = MulDiv(kMargin, dpiX, 1440);
        const int marginY = MulDiv(kMargin, dpiY, 1440);
        m_left = std::max(0, marginX - offsetX);
        m_top = std::max(0, marginY - offsetY);
        m_width = std::max(1, std::min(width, paperWidth - marginX - offsetX) - m_left);
        m_linesPerPage =
            std::max(1, (std::min(height, paperHeight - marginY - offsetY) - m_top) / m_lineHeight);
    }
    PageWriter(const PageWriter&) = delete;
    PageWriter& operator=(const PageWriter&) = delete;

    void paragraph(std::u16string_view text) {
        const std::u16string expanded = withoutTabs(text);
        std::u16string_view rest = expanded;
        do {
            const std::size_t take = fitting(rest);
            line(rest.substr(0, take));
            rest.remove_prefix(take);
        } while (!rest.empty());
    }

    void finish() {
        if (m_page > 0 && EndPage(m_printer) <= 0)
            throw stopped();
    }

private:
    static constexpr std::size_t kTabWidth = 8;
    // Measured at once at the most: far more than a line of any paper holds.
    static constexpr std::size_t kMeasured = 2048;

    static std::u16string withoutTabs(std::u16string_view text) {
        std::u16string out;
        out.reserve(text.size());
        for (const char16_t c : text) {
            if (c == u'\t')
                out.append(kTabWidth - out.size() % kTabWidth, u' ');
            else
                out += c;
        }
        return out;
    }

    // How much of `rest` goes on one line. A little more than the last line held is
    // measured, more only when all of it fits, so that a long paragraph costs its length.
    std::size_t fitting(std::u16string_view rest) {
        int fit = 0;
        for (std::size_t measured = std::min({rest.size(), m_measured, kMeasured});;
             measured = std::min({rest.size(), measured * 2, kMeasured})) {
            SIZE size{};
            GetTextExtentExPointW(m_printer, reinterpret_cast<const wchar_t*>(rest.data()),
                                  int(measured), m_width, &fit, nullptr, &size);
            if (std::size_t(fit) < measured || measured == rest.size() || measured == kMeasured)
                break;
        }
        m_measured = std::max<std::size_t>(16, std::size_t(fit) + std::size_t(fit) / 4 + 1);
        std::size_t take = std::max<std::size_t>(1, std::size_t(fit));
        if (take >= rest.size())
            return rest.size();
        const std::size_t blank = rest.substr(0, take).find_last_of(u' ');
        if (blank != std::u16string_view::npos && blank > 0)
            return blank + 1;
        // Never between the halves of a surrogate pair.
        if (take > 1 && rest[take - 1] >= 0xD800 && rest[take - 1] <= 0xDBFF)
            --take;
        return take;
    }

    void line(std::u16string_view text) {
        if (m_page == 0 || m_row == m_linesPerPage) {
            if (m_page > 0 && EndPage(m_printer) <= 0)
                throw stopped();
            ++m_page;
            if (StartPage(m_printer) <= 0)
                throw stopped();
            // Some drivers reset the device context with each page.
            SelectObject(m_printer, m_font.get());
            SetBkMode(m_printer, TRANSPARENT);
            m_row = 0;
        }
        ExtTextOutW(m_printer, m_left, m_top + m_row * m_lineHeight, 0, nullptr,
                    reinterpret_cast<const wchar_t*>(text.data()), UINT(text.size()), nullptr);
        ++m_row;
    }

    PrinterError stopped() const {
        return PrinterError(
            Texts::with(Texts::kPrintStopped, m_printerName, std::to_string(m_page)));
    }

    HDC m_printer;
    const std::string& m_printerName;
    Handles::Font m_font;
    // The printer's own font comes back when the pages are written.
    std::optional<Handles::Selection> m_selection;
    int m_lineHeight = 1;
    int m_left = 0;
    int m_top = 0;
    int m_width = 1;
    int m_linesPerPage = 1;
    int m_page = 0;
    int m_row = 0;
    std::size_t m_measured = 256;
};

// Wine's RichEdit lays out a stretch of text between tabs and breaks in a time that grows
// with the square of its length, and tabs without wrapping likewise: a text whose long
// stretches would cost more than about a second is shown without wrapping.
bool wrapsCheaply(std::string_view bytes, PaneText::LineEnding ending) {
    constexpr std::size_t kShort = 256;
    constexpr double kBudget = double(1 << 24);
    const char stops[] = {ending == PaneText::LineEnding::Cr ? '\r' : '\n', '\t', '\0'};
    double cost = 0;
    for (std::size_t begin = 0; begin < bytes.size();) {
        const std::size_t end = std::min(bytes.find_first_of(stops, begin), bytes.size());
        const double length = double(end - begin);
        if (end - begin > kShort && (cost += length * length) > kBudget)
            return false;
        begin = end + 1;
    }
    return true;
}

} // namespace

RichTextBox::RichTextBox(EncodingError::Place place, ErrorSink onError)
    : m_place(place)
    , m_onError(std::move(onError)) {}

RichTextBox::~RichTextBox() {
    if (m_hwnd != nullptr)
        RemoveWindowSubclass(m_hwnd, subclassProc, 0);
}

void RichTextBox::create(HWND parent, int controlId, const RECT& pixels) {
    m_hwnd = makeControl(parent, controlId, pixels, true);
    ShowWindow(m_hwnd, SW_SHOWNA);
    SetWindowSubclass(m_hwnd, subclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
}

HWND RichTextBox::makeControl(HWND parent, int controlId, const RECT& pixels, bool wrap) const {
    static const HMODULE richEdit = LoadLibraryW(L"Msftedit.dll");
    if (richEdit == nullptr)
        throw VemoError(std::string(Texts::kWindowNotMade));
    const DWORD style = WS_CHILD | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                        ES_AUTOVSCROLL | ES_WANTRETURN | ES_NOHIDESEL | ES_NOOLEDRAGDROP;
    const HWND hwnd = CreateWindowExW(WS_EX_CLIENTEDGE, MSFTEDIT_CLASS, L"", style, pixels.left,
                                      pixels.top, pixels.right - pixels.left,
                                      pixels.bottom - pixels.top, parent,
                                      reinterpret_cast<HMENU>(INT_PTR(controlId)),
                                      GetModuleHandleW(nullptr), nullptr);
    if (hwnd == nullptr)
        throw VemoError(std::string(Texts::kWindowNotMade));
    SendMessageW(hwnd, EM_SETTEXTMODE, TM_PLAINTEXT | TM_MULTILEVELUNDO | TM_MULTICODEPAGE, 0);
    SendMessageW(hwnd, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    // Lines wrap at the pane's width, unless the text's long lines would take the control
    // too long to lay out (see wrapsCheaply); then they scroll sideways.
    SendMessageW(hwnd, EM_SETTARGETDEVICE, 0, wrap ? 0 : 1);
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_FACE | CFM_SIZE | CFM_CHARSET;
    format.yHeight = kPointSize * 20;
    format.bCharSet = DEFAULT_CHARSET;
    format.bPitchAndFamily = FIXED_PITCH | FF_MODERN;
    wcsncpy(format.szFaceName, paneFace(), LF_FACESIZE - 1);
    SendMessageW(hwnd, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    SendMessageW(hwnd, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    return hwnd;
}

LONG RichTextBox::length() const {
    GETTEXTLENGTHEX how{GTL_NUMCHARS | GTL_PRECISE, kUnicode};
    return LONG(SendMessageW(m_hwnd, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&how), 0));
}

CHARRANGE RichTextBox::selection() const {
    CHARRANGE range{};
    SendMessageW(m_hwnd, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return range;
}

std::u16string RichTextBox::display(LONG from, LONG to) const {
    std::u16string text(std::size_t(to - from) + 1, u'\0');
    TEXTRANGEW range{{from, to}, reinterpret_cast<LPWSTR>(text.data())};
    text.resize(
        std::size_t(SendMessageW(m_hwnd, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range))));
    breaksFromControl(text);
    return text;
}

std::string RichTextBox::Text() const {
    const LONG n = length();
    std::u16string shown(std::size_t(n) + 1, u'\0');
    GETTEXTEX how{};
    how.cb = DWORD(shown.size() * sizeof(char16_t));
    how.flags = GT_DEFAULT;
    how.codepage = kUnicode;
    shown.resize(std::size_t(SendMessageW(m_hwnd, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&how),
                                          reinterpret_cast<LPARAM>(shown.data()))));
    breaksFromControl(shown);
    std::string bytes(PaneText::byteCapacity(shown.size(), m_lineEnding), '\0');
    try {
        bytes.resize(PaneText::fromDisplay(shown, {}, m_lineEnding, bytes.data()));
    } catch (const EncodingError& e) {
        throw e.in(m_place);
    }
    return bytes;
}

void RichTextBox::setText(std::string_view bytes) {
    setText(bytes, {});
}

bool RichTextBox::setText(std::string_view bytes, const TextFile::Progress& progress) {
    const PaneText::LineEnding ending =
        PaneText::detectLineEnding(bytes, PaneText::LineEnding::CrLf);
    // The text goes into a new control, which takes the old one's place when it is full:
    // removing a large text from a RichEdit control costs far more than making a new one,
    // and a fill given up leaves the pane as it was.
    RECT place;
    GetWindowRect(m_hwnd, &place);
    const HWND parent = GetParent(m_hwnd);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
    const HWND fresh = makeControl(parent, GetDlgCtrlID(m_hwnd), place, wrapsCheaply(bytes, ending));
    // No undo steps and no change notifications while it fills.
    SendMessageW(fresh, EM_SETUNDOLIMIT, 0, 0);
    SendMessageW(fresh, EM_SETEVENTMASK, 0, 0);
    {
        std::u16string shown(PaneText::displayCapacity(bytes.size()), u'\0');
        shown.resize(PaneText::toDisplay(bytes, ending, shown.data()));
        breaksToControl(shown);
        const std::size_t size = shown.size() * sizeof(char16_t);
        // RichEdit keeps what it could take when memory runs out half-way: the room for its
        // copy and its line layout is asked for before the pane changes.
        if (!Memory::available(size * 3 + (std::size_t(32) << 20))) {
            DestroyWindow(fresh);
            throw std::bad_alloc();
        }
        if (!fill(fresh, shown, progress)) {
            DestroyWindow(fresh);
            return false;
        }
    }
    SendMessageW(fresh, EM_SETUNDOLIMIT, 100, 0);
    SendMessageW(fresh, EM_SETSEL, 0, 0);
    // In the old control's place in the tab order, with the focus if it had it.
    const bool focused = GetFocus() == m_hwnd;
    SetWindowPos(fresh, m_hwnd, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const HWND old = m_hwnd;
    RemoveWindowSubclass(old, subclassProc, 0);
    m_hwnd = fresh;
    SetWindowSubclass(m_hwnd, subclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
    ShowWindow(m_hwnd, SW_SHOWNA);
    DestroyWindow(old);
    if (focused)
        SetFocus(m_hwnd);
    m_lineEnding = ending;
    return true;
}

bool RichTextBox::LoadFile(std::string_view bytes, const TextFile::Progress& progress) {
    return setText(bytes, progress);
}

EncodingError RichTextBox::located(const EncodingError& error, LONG position) const {
    const std::u16string before = display(0, position);
    const PaneText::Location at = PaneText::locate(before, {}, before.size());
    const std::int64_t column = error.line() == 1 ? at.column + error.column() - 1 : error.column();
    return EncodingError(error.character(), at.line + error.line() - 1, column, m_place);
}

void RichTextBox::replaceSelection(const std::u16string& shown) {
    std::u16string text = shown;
    breaksToControl(text);
    SendMessageW(m_hwnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

void RichTextBox::insertPlain(const std::u16string& plain) {
    const CHARRANGE range = selection();
    const LONG total = length();
    // A paste that replaces everything brings its own line ending, as a loaded text does.
    const bool whole = total == 0 || (range.cpMin == 0 && range.cpMax >= total);
    const PaneText::LineEnding ending =
        whole ? PaneText::detectLineEnding(plain, PaneText::LineEnding::CrLf) : m_lineEnding;
    std::u16string shown(PaneText::displayCapacity(plain.size()), u'\0');
    try {
        shown.resize(PaneText::plainToDisplay(plain, ending, shown.data()));
    } catch (const EncodingError& e) {
        throw located(e, range.cpMin);
    }
    replaceSelection(shown);
    if (ending != m_lineEnding) {
        m_lineEnding = ending;
        // Undo would bring the old text back under the new line ending.
        if (total > 0)
            SendMessageW(m_hwnd, EM_EMPTYUNDOBUFFER, 0, 0);
    }
}

std::u16string RichTextBox::committed() const {
    std::u16string text;
    HIMC context = ImmGetContext(m_hwnd);
    if (context == nullptr)
        return text;
    const LONG bytes = ImmGetCompositionStringW(context, GCS_RESULTSTR, nullptr, 0);
    if (bytes > 0) {
        text.resize(std::size_t(bytes) / sizeof(char16_t));
        ImmGetCompositionStringW(context, GCS_RESULTSTR, text.data(), DWORD(bytes));
    }
    ImmReleaseContext(m_hwnd, context);
    return text;
}

void RichTextBox::paste() {
    const std::u16string plain = clipboardText(m_hwnd);
    if (!plain.empty())
        insertPlain(plain);
}

void RichTextBox::copy() const {
    const CHARRANGE range = selection();
    if (range.cpMin == range.cpMax)
        return;
    setClipboardText(m_hwnd,
                     PaneText::displayToPlain(display(range.cpMin, range.cpMax), {}, m_lineEnding));
}

void RichTextBox::cut() {
    const CHARRANGE range = selection();
    if (range.cpMin == range.cpMax)
        return;
    copy();
    replaceSelection({});
}

template <typename Action> void RichTextBox::guarded(Action action) {
    std::string message;
    try {
        action();
        return;
    } catch (const VemoError& e) {
        message = e.message();
    } catch (const std::bad_alloc&) {
        message = Texts::kOutOfMemory;
    } catch (const std::exception& e) {
        message = Texts::with(Texts::kUnexpectedWith, e.what());
    }
    if (m_onError)
        m_onError(message);
}

bool RichTextBox::handleChar(char16_t c) {
    if (c == u'\r' || c == u'\n') {
        // Enter, whatever the modifiers: a real break, the pane's line ending.
        guarded([this] { replaceSelection(std::u16string(1, PaneText::kBreak)); });
        return true;
    }
    if (c == u'\t')
        return down(VK_CONTROL);
    // Ctrl with a letter, Ctrl+Backspace: no character to type.
    if (c < 0x20 || c == 0x7F)
        return true;
    if (PaneText::isLookAlike(c)) {
        guarded([this, c] { throw located(EncodingError(c, 1, 1), selection().cpMin); });
        return true;
    }
    return false;
}

bool RichTextBox::handleKey(WPARAM key) {
    const bool ctrl = down(VK_CONTROL);
    const bool shift = down(VK_SHIFT);
    if (down(VK_MENU))
        return false;
    switch (key) {
    case VK_ESCAPE:
        // In a dialog's keys RichEdit would ask its window to close: the document would go.
        return true;
    case VK_RETURN:
        // The WM_CHAR that follows types the break.
        return true;
    case VK_TAB:
        if (!ctrl)
            return false;
        guarded([this] { replaceSelection(u"\t"); });
        return true;
    case 'V':
        if (!ctrl)
            return false;
        guarded([this] { paste(); });
        return true;
    case 'C':
        if (!ctrl)
            return false;
        guarded([this] { copy(); });
        return true;
    case 'X':
        if (!ctrl)
            return false;
        guarded([this] { cut(); });
        return true;
    case VK_INSERT:
        if (shift == ctrl)
            return false;
        guarded([this, shift] { shift ? paste() : copy(); });
        return true;
    case VK_DELETE:
        if (!shift || ctrl)
            return false;
        guarded([this] { cut(); });
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK RichTextBox::subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR id, DWORD_PTR self) {
    auto* pane = reinterpret_cast<RichTextBox*>(self);
    switch (message) {
    case WM_GETDLGCODE: {
        LRESULT code = DefSubclassProc(hwnd, message, wParam, lParam);
        // Tab moves the focus through the dialog navigation; Ctrl+Tab types a tab.
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        if (msg != nullptr && msg->message == WM_KEYDOWN && msg->wParam == VK_TAB &&
            !down(VK_CONTROL))
            code &= ~(DLGC_WANTTAB | DLGC_WANTALLKEYS);
        return code;
    }
    case WM_PASTE:
        pane->guarded([pane] { pane->paste(); });
        return 0;
    case WM_COPY:
        pane->guarded([pane] { pane->copy(); });
        return 0;
    case WM_CUT:
        pane->guarded([pane] { pane->cut(); });
        return 0;
    case WM_CHAR:
        if (pane->handleChar(char16_t(wParam)))
            return 0;
        break;
    case WM_UNICHAR:
        if (wParam <= 0xFFFF && pane->handleChar(char16_t(wParam)))
            return 0;
        break;
    case WM_IME_COMPOSITION:
        // What an input method commits goes in as a paste does; the control keeps only the
        // composition it shows.
        if ((lParam & GCS_RESULTSTR) != 0) {
            pane->guarded([pane] { pane->insertPlain(pane->committed()); });
            lParam &= ~LPARAM(GCS_RESULTSTR);
        }
        break;
    case WM_KEYDOWN:
        if (pane->handleKey(wParam))
            return 0;
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, subclassProc, id);
        pane->m_hwnd = nullptr;
        break;
    default:
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

bool RichTextBox::SelPrint(HDC printer, const std::string& printerName,
                           const TextFile::Progress& progress) {
    // A character that reading refuses is refused before the job starts.
    (void)Text();
    const std::u16string shown = display(0, length());
    DOCINFOW info{};
    info.cbSize = sizeof info;
    info.lpszDocName = L"Vemo";
    Handles::PrintJob job(printer, info);
    if (!job.started())
        throw PrinterError(Texts::with(Texts::kPrinterRefusesJob, printerName));
    {
        PageWriter pages(printer, printerName);
        for (std::size_t begin = 0;;) {
            const std::size_t end = std::min(shown.find(PaneText::kBreak, begin), shown.size());
            pages.paragraph(std::u16string_view(shown).substr(begin, end - begin));
            if (end == shown.size())
                break;
            begin = end + 1;
            // Given up, the job is cancelled as it goes.
            if (progress && !progress(std::int64_t(begin), std::int64_t(shown.size())))
                return false;
        }
        pages.finish();
    }
    if (!job.end())
        throw PrinterError(Texts::with(Texts::kPrintFailed, printerName));
    return true;
}

DefaultPrinter::DefaultPrinter() {
    DWORD size = 0;
    GetDefaultPrinterW(nullptr, &size);
    std::wstring name(size, L'\0');
    if (size == 0 || !GetDefaultPrinterW(name.data(), &size))
        throw PrinterError(std::string(Texts::kNoDefaultPrinter));
    name.resize(wcslen(name.c_str()));
    m_name = Wide::toUtf8(name);
    m_dc.reset(CreateDCW(L"WINSPOOL", name.c_str(), nullptr, nullptr));
    if (!m_dc)
        throw PrinterError(Texts::with(Texts::kPrinterRefusesJob, m_name));
}
