// The Windows pane and the button on documents of many megabytes, against a bare RichEdit
// control given the same text, in the same process. Each figure is a ratio of two times of
// this run, printed with its goal.
//
// Usage: bench_win32_pane [MiB ...]   the load sizes, 10 and 50 unless given; the button,
// the keystroke and the memory are measured on the first.

#include "bench/Prose.h"
#include "core/Cp1252.h"
#include "crypt/Crypt.h"
#include "win32/Form1.h"
#include "win32/Handles.h"
#include "win32/Shell.h"
#include "win32/Windows.h"
#include "win32/pane/RichTextBox.h"

#include <windows.h>

#include <psapi.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kMiB = std::size_t(1) << 20;
const RECT kPlace{16, 72, 297, 505};

// What a bare control is given for the same bytes: their Windows-1252 characters.
std::wstring wide(const std::string& bytes) {
    std::wstring out(bytes.size(), L'\0');
    std::transform(bytes.begin(), bytes.end(), out.begin(), [](char b) {
        return wchar_t(Cp1252::toUnicode(static_cast<unsigned char>(b)));
    });
    return out;
}

void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

double seconds(const std::function<void()>& work) {
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&a);
    work();
    QueryPerformanceCounter(&b);
    return double(b.QuadPart - a.QuadPart) / double(f.QuadPart);
}

HWND topWindow() {
    static const HWND top = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VemoBench";
        RegisterClassW(&wc);
        const HWND hwnd = CreateWindowExW(0, L"VemoBench", L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                          0, 0, 800, 600, nullptr, nullptr,
                                          GetModuleHandleW(nullptr), nullptr);
        pump();
        return hwnd;
    }();
    return top;
}

// A RichEdit control as a plain program makes one: plain text, no limit, the pane's place.
HWND bareControl() {
    LoadLibraryW(L"Msftedit.dll");
    const HWND hwnd = CreateWindowExW(
        WS_EX_CLIENTEDGE, MSFTEDIT_CLASS, L"",
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
        kPlace.left, kPlace.top, kPlace.right - kPlace.left, kPlace.bottom - kPlace.top,
        topWindow(), nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(hwnd, EM_SETTEXTMODE, TM_PLAINTEXT, 0);
    SendMessageW(hwnd, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    return hwnd;
}

void show(HWND hwnd) {
    UpdateWindow(hwnd);
    pump();
}

double bareWrite(HWND hwnd, const std::wstring& text) {
    return seconds([&] {
        SetWindowTextW(hwnd, text.c_str());
        show(hwnd);
    });
}

struct Pane {
    RichTextBox box{EncodingError::Place::Document, {}};
    Pane() { box.create(topWindow(), 100, kPlace); }
};

double keystrokes(HWND hwnd) {
    const LRESULT middle = GetWindowTextLengthW(hwnd) / 2;
    SendMessageW(hwnd, EM_SETSEL, middle, middle);
    SendMessageW(hwnd, EM_SCROLLCARET, 0, 0);
    show(hwnd);
    constexpr int kKeys = 20;
    return seconds([&] {
               for (int i = 0; i < kKeys; ++i) {
                   SendMessageW(hwnd, WM_KEYDOWN, 'A', 0x001E0001);
                   SendMessageW(hwnd, WM_CHAR, 'a', 0x001E0001);
                   SendMessageW(hwnd, WM_KEYUP, 'A', 0xC01E0001);
                   show(hwnd);
               }
           }) /
           kKeys;
}

struct Figure {
    std::string label;
    double measured;
    double baseline;
    double goal;
};

void report(const Figure& f) {
    const double ratio = f.measured / f.baseline;
    std::printf("%-58s %8.3f s %8.3f s  %6.2fx  goal <= %.1fx  %s\n", f.label.c_str(), f.measured,
                f.baseline, ratio, f.goal, ratio <= f.goal ? "ok" : "MISSED");
    std::fflush(stdout);
}

// Private bytes at the peak of a load of `mib` MiB, in a process of its own, as a
// multiple of the document's size.
double peakMemory(std::size_t mib, bool bare) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + (bare ? L"\" --bare-memory " : L"\" --memory ") +
                           std::to_wstring(mib);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return -1;
    const Handles::Handle process(pi.hProcess);
    const Handles::Handle thread(pi.hThread);
    WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    return code / 100.0;
}

std::size_t privateBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakPagefileUsage;
}

int memoryChild(std::size_t mib, bool bare) {
    topWindow();
    Pane pane;
    const HWND control = bareControl();
    const std::size_t before = privateBytes();
    {
        const std::string bytes = prose<std::string>(mib * kMiB, "\r\n");
        if (bare) {
            SetWindowTextW(control, wide(bytes).c_str());
            show(control);
        } else {
            pane.box.LoadFile(bytes);
            show(pane.box.hwnd());
        }
    }
    return int(double(privateBytes() - before) / double(mib * kMiB) * 100);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && (std::string(argv[1]) == "--memory" || std::string(argv[1]) == "--bare-memory"))
        return memoryChild(std::size_t(std::atoi(argv[2])), std::string(argv[1]) == "--bare-memory");
    std::vector<std::size_t> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::size_t(std::atoi(argv[i])));
    if (sizes.empty())
        sizes = {10, 50};
    std::printf("%-58s %10s %10s  %6s\n", "", "Vemo", "bare", "ratio");
    double bareLoad = 0;

    for (const std::size_t mib : sizes) {
        const std::string bytes = prose<std::string>(mib * kMiB, "\r\n");
        const std::wstring text = wide(bytes);
        double bare = 0;
        {
            const HWND control = bareControl();
            bare = bareWrite(control, text);
            DestroyWindow(control);
        }
        double pane = 0;
        {
            Pane p;
            pane = seconds([&] {
                p.box.LoadFile(bytes);
                show(p.box.hwnd());
            });
        }
        report({"load " + std::to_string(mib) + " MiB, pane vs bare control", pane, bare, 1.3});
        if (mib == sizes.front())
            bareLoad = bare;
    }

    // The button: Form1's handler on a document, against the bare control's load of a
    // text as large. Given the result itself, a bare control takes many minutes under Wine
    // for a megabyte: its long lines between tabs, wrapped or not.
    const std::size_t mib = sizes.front();
    const std::string document = prose<std::string>(mib * kMiB, "\r\n");
    const std::string result = Crypt::CryptText(document, "chiave segreta");
    Shell::services().messages = [](const std::string& m) { std::printf("message: %s\n", m.c_str()); };
    Form1& form = Windows::form1();
    form.show();
    pump();
    form.RichTextBox2()->setText("chiave segreta");
    form.RichTextBox1()->setText(document);
    show(form.hwnd());
    const double click = seconds([&] {
        form.Command1_Click();
        show(form.hwnd());
    });
    Shell::endProgram();
    pump();
    report({"button on " + std::to_string(mib) + " MiB, vs bare control loading as much",
            click, bareLoad, 1.5});

    // A keystroke in the middle of a document of the first size.
    {
        const std::string ten = prose<std::string>(mib * kMiB, "\r\n");
        const HWND control = bareControl();
        bareWrite(control, wide(ten));
        const double bareKey = keystrokes(control);
        DestroyWindow(control);
        Pane p;
        p.box.LoadFile(ten);
        show(p.box.hwnd());
        report({"keystroke in the middle of " + std::to_string(mib) + " MiB, pane vs bare control",
                keystrokes(p.box.hwnd()), bareKey, 3.0});
    }

    // Wine's own counters: what its heaps take counts, as it does for the bare control.
    const double peak = peakMemory(mib, false);
    const double barePeak = peakMemory(mib, true);
    std::printf("%-58s %8.2fx the document  goal <= 4.0x  %s  (bare control %.2fx)\n",
                ("peak private bytes of a load of " + std::to_string(mib) + " MiB").c_str(), peak,
                peak >= 0 && peak <= 4.0 ? "ok" : "MISSED", barePeak);
    return 0;
}
