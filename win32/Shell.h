#pragma once

#include "core/Design.h"
#include "core/FileSlot.h"
#include "win32/Services.h"

#include <windows.h>

#include <functional>
#include <string_view>

// Window operations, the message box, the handler guard, the message loop and the end of
// the program.
namespace Shell {

// Modal box owned by the program's active window: the text, one OK button, no icon,
// caption "Vemo".
void MsgBox(std::string_view text);

// Runs a handler; an error that escapes it becomes an Italian message box and the program
// goes on with its windows as they were at the failing step.
void guard(const std::function<void()>& handler) noexcept;

FileSlot& fileSlot1();

// The system as the windows reach it.
Services& services();

// Ends the program at once: every window goes without any handler running, file slot 1
// is closed, and the message loop ends with status 0.
void endProgram();

// Runs the message loop until the program ends; its exit status.
int run();
// Handles the messages waiting, as the loop does.
void processMessages();

// The screen's dots per inch, which the designs are converted at.
int dpi();

// One of the program's three windows: the instance lives for the whole run, its
// on-screen window and controls only while it is open.
class Window {
public:
    explicit Window(const Design::Window& design);
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND hwnd() const { return m_hwnd; }
    bool isOpen() const { return m_hwnd != nullptr; }
    bool isVisible() const { return m_hwnd && IsWindowVisible(m_hwnd); }

    // Opens the window if it is closed (building it and running its Form_Load), then
    // makes it visible and brings it to the front.
    void show();
    void hide();
    void close();
    // Removes the window without running anything; used when the program ends.
    void discard();

    // The control with this name in the window's design, or null.
    HWND control(std::string_view name) const;

protected:
    // Builds the on-screen window, through create(), and then its controls.
    virtual void build() = 0;
    virtual void Form_Load() {}
    // Called when the on-screen window has gone.
    virtual void destroyed() {}
    virtual LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    // Registers the class once and creates the window on it into m_hwnd; throws VemoError
    // when Windows cannot make it.
    void create(const wchar_t* className, HBRUSH background, HCURSOR cursor, DWORD style,
                DWORD exStyle, const RECT& frame, HWND owner, HMENU menu);
    // Where the keyboard focus goes when the window opens or comes back to the front.
    void setFocusTo(HWND control);

    const Design::Window& m_design;
    HWND m_hwnd = nullptr;

private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND m_focus = nullptr;
};

} // namespace Shell
