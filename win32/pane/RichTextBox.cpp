#include "win32/pane/RichTextBox.h"

#include "core/Memory.h"
#include "core/Texts.h"
#include "win32/Fonts.h"
#include "win32/Handles.h"
#include "win32/pane/PaneClipboard.h"

#include <commctrl.h>
#include <imm.h>
#include <richedit.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>

namespace {

constexpr UINT kUnicode = 1200;
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
    static const wchar_t* const face =
        Fonts::firstInstalled({L"FreeMono", L"Consolas", L"Courier New"});
    return face;
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
            end = at == shown.begin() + std::ptrdiff_t(limit) ? begin + kSlice
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
    const HWND hwnd = CreateWindowExW(
        WS_EX_CLIENTEDGE, MSFTEDIT_CLASS, L"", style, pixels.left, pixels.top,
        pixels.right - pixels.left, pixels.bottom - pixels.top, parent,
        reinterpret_cast<HMENU>(INT_PTR(controlId)), GetModuleHandleW(nullptr), nullptr);
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
    return *Text({});
}

std::optional<std::string> RichTextBox::Text(const TextFile::Progress& progress) const {
    // In ranges, asking `progress` between them: the control hands out a large text slowly,
    // and in one piece the progress window could not show until it was all out.
    constexpr LONG kRange = LONG(1) << 20;
    const LONG n = length();
    std::u16string shown(std::size_t(n) + 1, u'\0');
    std::size_t got = 0;
    for (LONG from = 0; from < n;) {
        const LONG to = std::min(n, from + kRange);
        TEXTRANGEW range{{from, to}, reinterpret_cast<LPWSTR>(shown.data() + got)};
        got +=
            std::size_t(SendMessageW(m_hwnd, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range)));
        from = to;
        if (progress && !progress(from, n))
            return std::nullopt;
    }
    shown.resize(got);
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
    // Destroyed on the way out unless it becomes the pane.
    Handles::Window owned(
        makeControl(parent, GetDlgCtrlID(m_hwnd), place, wrapsCheaply(bytes, ending)));
    const HWND fresh = owned.get();
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
        if (!Memory::available(size * 3 + (std::size_t(32) << 20)))
            throw std::bad_alloc();
        if (!fill(fresh, shown, progress))
            return false;
    }
    SendMessageW(fresh, EM_SETUNDOLIMIT, 100, 0);
    SendMessageW(fresh, EM_SETSEL, 0, 0);
    // In the old control's place in the tab order, with the focus if it had it.
    const bool focused = GetFocus() == m_hwnd;
    SetWindowPos(fresh, m_hwnd, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const HWND old = m_hwnd;
    RemoveWindowSubclass(old, subclassProc, 0);
    m_hwnd = owned.release();
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
    const std::u16string plain = PaneClipboard::text(m_hwnd);
    if (!plain.empty())
        insertPlain(plain);
}

void RichTextBox::copy() const {
    const CHARRANGE range = selection();
    if (range.cpMin == range.cpMax)
        return;
    PaneClipboard::setText(
        m_hwnd, PaneText::displayToPlain(display(range.cpMin, range.cpMax), {}, m_lineEnding));
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
    return PanePrint::print(printer, printerName, display(0, length()), paneFace(), kPointSize,
                            progress);
}
