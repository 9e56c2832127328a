#pragma once

#include <windows.h>

#include <utility>

// Owners of the system's handles: each gives its handle back to the system when it goes,
// on every path, and none can be copied. A null handle is owned by no one.
namespace Handles {

template <typename T, auto Release> class Owner {
public:
    Owner() = default;
    explicit Owner(T handle)
        : m_handle(handle) {}
    ~Owner() { reset(); }
    Owner(Owner&& other) noexcept
        : m_handle(other.release()) {}
    Owner& operator=(Owner&& other) noexcept {
        if (this != &other) {
            reset();
            m_handle = other.release();
        }
        return *this;
    }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;

    T get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    // The caller, or a window it is given to, owns it from now on.
    T release() { return std::exchange(m_handle, nullptr); }
    void reset(T handle = nullptr) {
        if (m_handle != nullptr)
            Release(m_handle);
        m_handle = handle;
    }

private:
    T m_handle = nullptr;
};

// A kernel object (process, thread, file...); INVALID_HANDLE_VALUE is taken as null.
class Handle : public Owner<HANDLE, CloseHandle> {
public:
    Handle() = default;
    explicit Handle(HANDLE handle)
        : Owner(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
};

template <typename T> using GdiObject = Owner<T, DeleteObject>;
using Font = GdiObject<HFONT>;
using Bitmap = GdiObject<HBITMAP>;
using Menu = Owner<HMENU, DestroyMenu>;
using Icon = Owner<HICON, DestroyIcon>;
using RegistryKey = Owner<HKEY, RegCloseKey>;
// A window made for a while, such as a control filled before it is shown.
using Window = Owner<HWND, DestroyWindow>;
// A device context of CreateDC or CreateCompatibleDC.
using Dc = Owner<HDC, DeleteDC>;

// A window's device context, or the screen's for a null window: GetDC and ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window)
        : m_window(window)
        , m_dc(GetDC(window)) {}
    ~WindowDc() {
        if (m_dc != nullptr)
            ReleaseDC(m_window, m_dc);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// BeginPaint and EndPaint of a WM_PAINT.
class Paint {
public:
    explicit Paint(HWND window)
        : m_window(window)
        , m_dc(BeginPaint(window, &m_paint)) {}
    ~Paint() { EndPaint(m_window, &m_paint); }
    Paint(const Paint&) = delete;
    Paint& operator=(const Paint&) = delete;
    HDC get() const { return m_dc; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint{};
    HDC m_dc;
};

// An object selected into a device context, the one before it put back when this goes.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object)
        : m_dc(dc)
        , m_previous(SelectObject(dc, object)) {}
    ~Selection() {
        if (m_previous != nullptr && m_previous != HGDI_ERROR)
            SelectObject(m_dc, m_previous);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// The clipboard, open for this thread while the object lives.
class Clipboard {
public:
    explicit Clipboard(HWND owner)
        : m_open(OpenClipboard(owner) != 0) {}
    ~Clipboard() {
        if (m_open)
            CloseClipboard();
    }
    Clipboard(const Clipboard&) = delete;
    Clipboard& operator=(const Clipboard&) = delete;
    bool isOpen() const { return m_open; }

private:
    bool m_open;
};

// Global memory, locked while the object lives; null when it cannot be.
class GlobalView {
public:
    explicit GlobalView(HGLOBAL memory)
        : m_memory(memory)
        , m_data(memory != nullptr ? GlobalLock(memory) : nullptr) {}
    ~GlobalView() {
        if (m_data != nullptr)
            GlobalUnlock(m_memory);
    }
    GlobalView(const GlobalView&) = delete;
    GlobalView& operator=(const GlobalView&) = delete;
    void* data() const { return m_data; }
    std::size_t size() const { return GlobalSize(m_memory); }

private:
    HGLOBAL m_memory;
    void* m_data;
};

using Global = Owner<HGLOBAL, GlobalFree>;

// A print job on a printer's device context: cancelled unless end() has finished it.
class PrintJob {
public:
    PrintJob(HDC printer, const DOCINFOW& job)
        : m_printer(printer)
        , m_started(StartDocW(printer, &job) > 0) {}
    ~PrintJob() {
        if (m_started)
            AbortDoc(m_printer);
    }
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;
    bool started() const { return m_started; }
    // False when the printer refused to end the job.
    bool end() {
        m_started = false;
        return EndDoc(m_printer) > 0;
    }

private:
    HDC m_printer;
    bool m_started;
};

} // namespace Handles
