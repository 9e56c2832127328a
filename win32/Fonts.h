#pragma once

#include "win32/Handles.h"

#include <windows.h>

#include <cwchar>
#include <initializer_list>

namespace Fonts {

// Whether the system has a font family of this name, and does not merely stand another
// in for it.
inline bool installed(const wchar_t* face) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(wanted.lfFaceName, face, LF_FACESIZE - 1);
    const Handles::WindowDc screen(nullptr);
    bool found = false;
    EnumFontFamiliesExW(
        screen.get(), &wanted,
        [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM seen) -> int {
            *reinterpret_cast<bool*>(seen) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

// The first of the faces that is installed; none, the last.
inline const wchar_t* firstInstalled(std::initializer_list<const wchar_t*> faces) {
    for (const wchar_t* face : faces)
        if (installed(face))
            return face;
    return *(faces.end() - 1);
}

} // namespace Fonts
