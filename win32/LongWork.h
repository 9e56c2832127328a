#pragma once

#include "core/TextFile.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Feedback for work that may take long: the wait pointer at once and, from half a second
// on, a modal progress window with a bar that keeps the program's windows painted and,
// when the work can be given up, a button "Annulla" to do so. Everything returns to
// normal when it goes.
class LongWork {
public:
    LongWork(HWND owner, std::string_view label, bool cancellable);
    ~LongWork();
    LongWork(const LongWork&) = delete;
    LongWork& operator=(const LongWork&) = delete;

    // Reports the share done; false when the user has given up.
    bool step(std::int64_t done, std::int64_t total);
    TextFile::Progress progress() {
        return [this](std::int64_t done, std::int64_t total) { return step(done, total); };
    }

    // Whether some long work is running: the program's windows show the wait pointer.
    static bool running();

private:
    void open();
    void pump();
    static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_owner;
    std::wstring m_label;
    bool m_cancellable;
    bool m_cancelled = false;
    ULONGLONG m_start;
    ULONGLONG m_lastStep = 0;
    HWND m_window = nullptr;
    HWND m_bar = nullptr;
    // The program's windows that the progress window disabled.
    std::vector<HWND> m_disabled;
};
