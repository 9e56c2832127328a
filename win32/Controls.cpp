#include "win32/Controls.h"

#include "win32/Fonts.h"
#include "win32/Handles.h"
#include "win32/Wide.h"

#include <algorithm>
#include <map>
#include <string>
#include <tuple>

namespace Controls {
namespace {
// Below this the identifiers of the dialog keys (IDOK, IDCANCEL...) stay free.
constexpr int kFirstId = 100;
} // namespace

RECT place(const Design::Rect& rect, int dpi) {
    const int left = Design::pixels(rect.left, dpi);
    const int top = Design::pixels(rect.top, dpi);
    return {left, top, left + Design::pixels(rect.width, dpi),
            top + Design::pixels(rect.height, dpi)};
}

int id(const Design::Window& window, std::string_view name) {
    const auto found = std::find_if(window.controls.begin(), window.controls.end(),
                                    [name](const Design::Control& c) { return c.name == name; });
    return found == window.controls.end() ? -1 : kFirstId + int(found - window.controls.begin());
}

std::vector<const Design::Control*> inTabOrder(const Design::Window& window) {
    std::vector<const Design::Control*> order;
    for (const Design::Control& c : window.controls)
        order.push_back(&c);
    std::stable_sort(order.begin(), order.end(), [](const auto* a, const auto* b) {
        return unsigned(a->tabIndex) < unsigned(b->tabIndex);
    });
    return order;
}

HWND create(HWND parent, const Design::Window& window, const Design::Control& control,
            const wchar_t* className, DWORD style, HFONT font, int dpi) {
    const RECT r = place(control.rect, dpi);
    HWND hwnd = CreateWindowExW(0, className, Wide::fromUtf8(control.caption).c_str(),
                                WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                                r.bottom - r.top, parent,
                                reinterpret_cast<HMENU>(INT_PTR(id(window, control.name))),
                                GetModuleHandleW(nullptr), nullptr);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return hwnd;
}

namespace {
// The design's face where the system has it. Elsewhere (Wine without Windows' own fonts) a
// missing face becomes one far wider, and the help text runs out of its window: the face
// nearest to its widths stands in, as in the Linux program.
const wchar_t* shownFace(const wchar_t* face) {
    if (wcscmp(face, L"MS Sans Serif") != 0 || Fonts::installed(face))
        return face;
    static const wchar_t* const substitute =
        Fonts::firstInstalled({L"Microsoft Sans Serif", L"FreeSans", L"Liberation Sans", face});
    return substitute;
}
} // namespace

HFONT font(const wchar_t* face, int centipoints, bool bold, int dpi) {
    static std::map<std::tuple<std::wstring, int, bool, int>, Handles::Font> made;
    Handles::Font& f = made[{face, centipoints, bold, dpi}];
    if (!f)
        f.reset(CreateFontW(-MulDiv(centipoints, dpi, 7200), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL,
                            FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                            shownFace(face)));
    return f.get();
}

HFONT dialogFont(int dpi) {
    return font(L"MS Sans Serif", 800, false, dpi);
}

std::wstring text(HWND hwnd) {
    std::wstring s(std::size_t(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    s.resize(std::size_t(GetWindowTextW(hwnd, s.data(), int(s.size()))));
    return s;
}

} // namespace Controls
