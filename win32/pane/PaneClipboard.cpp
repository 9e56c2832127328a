#include "win32/pane/PaneClipboard.h"

#include "win32/Handles.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

namespace {

// CF_UNICODETEXT ends at the first NUL; beside it a copy puts the whole text in a format of
// its own, its length first, so that a paste between panes brings NUL bytes across too.
UINT exactFormat() {
    static const UINT format = RegisterClipboardFormatW(L"Vemo.ExactText");
    return format;
}

} // namespace

namespace PaneClipboard {

std::u16string text(HWND owner) {
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

namespace {

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

} // namespace

void setText(HWND owner, const std::u16string& text) {
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

} // namespace PaneClipboard
