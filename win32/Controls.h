#pragma once

#include "core/Design.h"

#include <windows.h>

#include <string_view>
#include <vector>

// The controls of a design, placed at the screen's dots per inch.
namespace Controls {

// A designed rectangle in pixels.
RECT place(const Design::Rect& rect, int dpi);

// The control's identifier: its place in the design, past those of the dialog keys.
int id(const Design::Window& window, std::string_view name);

// The window's controls in tab order, those without a tab index last.
std::vector<const Design::Control*> inTabOrder(const Design::Window& window);

// Creates the control at its designed place with its designed caption and the font.
HWND create(HWND parent, const Design::Window& window, const Design::Control& control,
            const wchar_t* className, DWORD style, HFONT font, int dpi);

// A font by its Windows name (where the system lacks "MS Sans Serif", the face nearest to
// its widths), size in hundredths of a point; made once for the run.
HFONT font(const wchar_t* face, int centipoints, bool bold, int dpi);

// The Windows dialog font, "MS Sans Serif" 8 points.
HFONT dialogFont(int dpi);

std::wstring text(HWND hwnd);

} // namespace Controls
