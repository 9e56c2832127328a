#pragma once

#include <windows.h>

#include <string>

// The panes' texts on the clipboard, exactly: beside the plain text, which ends at the first
// NUL, a copy puts the whole text in a format of its own, and a paste prefers that one.
namespace PaneClipboard {

// Empty when the clipboard holds no text or cannot be opened.
std::u16string text(HWND owner);
// Throws std::bad_alloc when there is no memory for the copy.
void setText(HWND owner, const std::u16string& text);

} // namespace PaneClipboard
