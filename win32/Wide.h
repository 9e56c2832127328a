#pragma once

#include "core/Errors.h"
#include "core/Texts.h"

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

// The program's texts are UTF-8; Windows takes UTF-16. Every conversion between them, and
// from and to the system's ANSI code page, goes through here, and none loses a character
// without saying so.
namespace Wide {

// A text that does not convert exactly: invalid UTF-8, or UTF-16 with half a pair.
class Invalid : public VemoError {
public:
    Invalid()
        : VemoError(std::string(Texts::kTextNotConvertible)) {}
};

namespace detail {

inline std::optional<std::wstring> from(UINT codePage, std::string_view text) {
    if (text.empty())
        return std::wstring();
    const int size = int(text.size());
    const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    std::wstring wide(std::size_t(n > 0 ? n : 0), L'\0');
    if (n <= 0 ||
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), n) != n)
        return std::nullopt;
    return wide;
}

inline std::optional<std::string> to(UINT codePage, std::wstring_view text) {
    if (text.empty())
        return std::string();
    const int size = int(text.size());
    // WC_ERR_INVALID_CHARS is for UTF-8 only; other code pages tell a replaced character.
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : 0;
    BOOL replaced = FALSE;
    BOOL* replacedOut = utf8 ? nullptr : &replaced;
    const int n = WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, nullptr,
                                      replacedOut);
    std::string narrow(std::size_t(n > 0 ? n : 0), '\0');
    if (n <= 0 || replaced ||
        WideCharToMultiByte(codePage, flags, text.data(), size, narrow.data(), n, nullptr,
                            replacedOut) != n ||
        replaced)
        return std::nullopt;
    return narrow;
}

} // namespace detail

// Throw Invalid for a text that does not convert exactly.
inline std::wstring fromUtf8(std::string_view text) {
    auto wide = detail::from(CP_UTF8, text);
    if (!wide)
        throw Invalid();
    return std::move(*wide);
}

inline std::string toUtf8(std::wstring_view text) {
    auto narrow = detail::to(CP_UTF8, text);
    if (!narrow)
        throw Invalid();
    return std::move(*narrow);
}

// In the system's ANSI code page, as the registry's A functions give and take texts;
// nothing for a text that it cannot hold.
inline std::optional<std::wstring> fromAnsi(std::string_view text) {
    return detail::from(CP_ACP, text);
}

inline std::optional<std::string> toAnsi(std::wstring_view text) {
    return detail::to(CP_ACP, text);
}

} // namespace Wide
