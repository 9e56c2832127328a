#pragma once

#include "core/Design.h"

#include <windows.h>

// What screen readers say for the controls of a window, through MSAA and UI Automation.
namespace Accessible {

// Names the controls of `design` in `window` that show no text of their own: each pane
// after its heading, with its hint as description, and moved right behind its heading
// so that Windows' own guess from the label before a control agrees; each picture after
// what it shows.
void nameControls(HWND window, const Design::Window& design);

} // namespace Accessible
