#include "core/Design.h"
#include "core/SysInfo.h"
#include "tests/mock/FakeRegistry.h"
#include "tests/mock/FakeSysInfo.h"
#include "win32/Controls.h"
#include "win32/Form1.h"
#include "win32/Form2.h"
#include "win32/Handles.h"
#include "win32/Shell.h"
#include "win32/Wide.h"
#include "win32/Windows.h"
#include "win32/frmAbout.h"
#include "win32/pane/RichTextBox.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <oleacc.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::string text(HWND hwnd) {
    return Wide::toUtf8(Controls::text(hwnd));
}

// Messages are collected instead of shown, the end of the program counted instead of
// done, and the file chooser answers from `chosen`; every window goes afterwards.
class WindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Shell::services().messages = [this](const std::string& m) { messages.push_back(m); };
        Shell::services().exit = [this] { ++exits; };
        Shell::services().fileChooser = [this](Services::FileMode mode, const std::wstring&,
                                               const std::wstring& start) {
            asked.push_back(mode);
            return mode == Services::FileMode::Replace ? start : chosen;
        };
    }
    void TearDown() override {
        Shell::endProgram();
        Shell::processMessages();
        Shell::services() = Services{};
    }

    Form1& main() {
        Windows::form1().show();
        Shell::processMessages();
        return Windows::form1();
    }

    void click(HWND button) {
        SendMessageW(button, BM_CLICK, 0, 0);
        Shell::processMessages();
    }
    void menu(std::string_view entry) {
        SendMessageW(Windows::form1().hwnd(), WM_COMMAND, WPARAM(Form1::commandId(entry)), 0);
    }

    std::vector<std::string> messages;
    std::vector<Services::FileMode> asked;
    std::wstring chosen;
    int exits = 0;
};

// Each window shown as its menu entry or start-up shows it, and active: the window
// manager hands the focus over a moment later.
Shell::Window& shown(const Design::Window& design) {
    Shell::Window& window = [&]() -> Shell::Window& {
        if (&design == &Design::kForm2)
            return Windows::form2();
        if (&design == &Design::kAbout)
            return Windows::about();
        return Windows::form1();
    }();
    Windows::form1().show();
    window.show();
    for (int i = 0; i < 100 && GetActiveWindow() != window.hwnd(); ++i) {
        Sleep(20);
        Shell::processMessages();
    }
    Shell::processMessages();
    return window;
}

const Design::Window* const kDesigns[] = {&Design::kForm1, &Design::kForm2, &Design::kAbout};

// Pixels at 96 dots per inch, Wine's: the designs' twips divided by 15, rounded.
struct Placed {
    const Design::Window* window;
    std::string_view control; // empty: the window's client area, on the screen
    RECT pixels;
    std::string_view caption;
};

const Placed kPlaced[] = {
    {&Design::kForm1, "", {1, 42, 797, 568}, "VeMo V 1.0 By TaReX: La SiCuReZzA pRiMa Di TuTtO"},
    {&Design::kForm1, "Label1", {80, 8, 241, 41}, "Frase"},
    {&Design::kForm1, "Label2", {592, 8, 761, 41}, "Chiave"},
    {&Design::kForm1, "Command1", {344, 416, 473, 441}, "Cripta"},
    {&Design::kForm1, "lblFile", {56, 56, 297, 73}, "Inserire il testo da criptare/decriptare"},
    {&Design::kForm1, "RichTextBox1", {16, 72, 297, 505}, ""},
    {&Design::kForm1, "RichTextBox2", {496, 72, 785, 505}, ""},
    {&Design::kForm1, "Label3", {528, 56, 761, 73},
     "Inserire la chiave per criptare / decriptare il testo"},
    {&Design::kForm1, "Labelfd", {344, 64, 353, 105}, "Label4"},
    {&Design::kForm1, "Image1", {296, 200, 497, 397}, ""},
    {&Design::kForm2, "", {1, 282, 797, 400}, "Help on Line: Guida in Linea ad Vemo 1.0"},
    {&Design::kForm2, "Label1", {32, 8, 825, 73}, ""},
    {&Design::kForm2, "Command1", {120, 64, 209, 113}, "TORNA AL MENU'"},
    {&Design::kForm2, "Command2", {448, 64, 537, 113}, "ESCI DA VEMO"},
    {&Design::kAbout, "", {156, 129, 538, 366}, "Informazioni su Vemo"},
    {&Design::kAbout, "picIcon", {16, 16, 52, 52}, ""},
    {&Design::kAbout, "cmdOK", {283, 175, 367, 198}, "OK"},
    {&Design::kAbout, "cmdSysInfo", {284, 205, 367, 228}, "&System Info..."},
    {&Design::kAbout, "lblDescription", {72, 64, 331, 158}, ""},
    {&Design::kAbout, "lblTitle", {70, 24, 329, 40}, "Vemo"},
    {&Design::kAbout, "lblVersion", {70, 40, 329, 55}, "Versione 1.0.7"},
};

TEST_F(WindowsTest, EveryWindowAndControlStandsAtItsDesignedPlace) {
    ASSERT_EQ(Shell::dpi(), 96);
    for (const Placed& p : kPlaced) {
        SCOPED_TRACE(std::string(p.window->name) + " " + std::string(p.control));
        const HWND window = shown(*p.window).hwnd();
        RECT r;
        HWND hwnd = window;
        if (p.control.empty()) {
            GetClientRect(window, &r);
            MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
        } else {
            hwnd = GetDlgItem(window, Controls::id(*p.window, p.control));
            ASSERT_TRUE(hwnd);
            GetWindowRect(hwnd, &r);
            MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        }
        EXPECT_EQ(r.left, p.pixels.left);
        EXPECT_EQ(r.top, p.pixels.top);
        // The icon box takes its picture's size, and a frame around it.
        if (p.control != "picIcon") {
            EXPECT_EQ(r.right, p.pixels.right);
            EXPECT_EQ(r.bottom, p.pixels.bottom);
        }
        if (!p.caption.empty()) {
            EXPECT_EQ(text(hwnd), p.caption);
        }
    }
}

// The fonts of the design: the main window's headings, and the help window's buttons.
TEST_F(WindowsTest, HeadingsAndHelpButtonsHaveTheirDesignedFonts) {
    const struct {
        const Design::Window* window;
        std::string_view control;
        LONG height; // pixels at 96 dots per inch: 24 and 8.25 points
        LONG weight;
    } cases[] = {
        {&Design::kForm1, "Label1", -32, FW_BOLD},
        {&Design::kForm1, "Label2", -32, FW_BOLD},
        {&Design::kForm2, "Command1", -11, FW_BOLD},
        {&Design::kForm2, "Command2", -11, FW_BOLD},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.control));
        const auto font = reinterpret_cast<HFONT>(
            SendMessageW(shown(*c.window).control(c.control), WM_GETFONT, 0, 0));
        LOGFONTW f{};
        ASSERT_TRUE(font && GetObjectW(font, sizeof f, &f));
        // FreeSans where the system lacks the design's face, as Wine does here.
        const std::wstring face = f.lfFaceName;
        EXPECT_TRUE(face == L"MS Sans Serif" || face == L"FreeSans") << Wide::toUtf8(face);
        EXPECT_EQ(f.lfHeight, c.height);
        EXPECT_EQ(f.lfWeight, c.weight);
        EXPECT_FALSE(f.lfItalic || f.lfUnderline || f.lfStrikeOut);
    }
}

// Texts that must fit their controls on one line, in the font the control was given.
TEST_F(WindowsTest, DesignedTextsFitTheirPlaces) {
    const struct {
        const Design::Window* window;
        std::string_view control;
        const wchar_t* text;
        int room; // pixels at 96 dots per inch
    } cases[] = {
        // The help text's first sentence, in the part of its label the window shows.
        {&Design::kForm2, "Label1",
         L"Tavrin \u00e8 un programma di crittografia sicuro ed efficace, che permette di "
         L"criptare un qualunque testo tramite una parola chiave scelta dall'utente.",
         796 - 32},
        {&Design::kForm1, "Label3",
         L"Inserire la chiave per criptare / decriptare il testo", 233},
        {&Design::kForm2, "Command2", L"ESCI DA VEMO", 89 - 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.control));
        const HWND control = shown(*c.window).control(c.control);
        const Handles::WindowDc dc(control);
        const Handles::Selection font(
            dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
        SIZE size{};
        ASSERT_TRUE(GetTextExtentPoint32W(dc.get(), c.text, int(wcslen(c.text)), &size));
        EXPECT_LE(size.cx, c.room);
    }
}

// What a window shows, read back from its device context.
class Capture {
public:
    explicit Capture(HWND hwnd) {
        RECT client;
        GetClientRect(hwnd, &client);
        m_width = client.right;
        m_height = client.bottom;
        const Handles::WindowDc window(hwnd);
        const Handles::Dc memory(CreateCompatibleDC(window.get()));
        const Handles::Bitmap bitmap(CreateCompatibleBitmap(window.get(), m_width, m_height));
        {
            const Handles::Selection selected(memory.get(), bitmap.get());
            BitBlt(memory.get(), 0, 0, m_width, m_height, window.get(), 0, 0, SRCCOPY);
        }
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = m_width;
        info.bmiHeader.biHeight = -m_height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_pixels.resize(std::size_t(m_width) * std::size_t(m_height));
        GetDIBits(memory.get(), bitmap.get(), 0, UINT(m_height), m_pixels.data(), &info,
                  DIB_RGB_COLORS);
    }
    COLORREF at(int x, int y) const {
        const std::uint32_t p = m_pixels[std::size_t(y) * std::size_t(m_width) + std::size_t(x)];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    // The rows of `area` where some pixel has the colour `want`.
    int rowsWith(const RECT& area, COLORREF want) const {
        int rows = 0;
        for (int y = area.top; y < area.bottom; ++y) {
            bool found = false;
            for (int x = area.left; x < area.right && !found; ++x)
                found = alike(at(x, y), want);
            rows += found;
        }
        return rows;
    }
    static bool alike(COLORREF a, COLORREF b) {
        const auto close = [](int x, int y) { return std::abs(x - y) <= 24; };
        return close(GetRValue(a), GetRValue(b)) && close(GetGValue(a), GetGValue(b)) &&
               close(GetBValue(a), GetBValue(b));
    }

private:
    int m_width;
    int m_height;
    std::vector<std::uint32_t> m_pixels;
};

TEST_F(WindowsTest, EachWindowIsDrawnInItsDesignedColours) {
    const COLORREF black = RGB(0, 0, 0), yellow = RGB(255, 255, 0), white = RGB(255, 255, 255);
    const COLORREF face = GetSysColor(COLOR_BTNFACE), grey = RGB(128, 128, 128);
    // Points of the client area and their colours.
    const struct {
        const Design::Window* window;
        POINT at;
        COLORREF colour;
    } points[] = {
        {&Design::kForm1, {400, 30}, black},  {&Design::kForm1, {10, 300}, black},
        {&Design::kForm1, {150, 300}, white}, {&Design::kForm1, {640, 300}, white},
        {&Design::kForm2, {10, 100}, black},  {&Design::kAbout, {10, 120}, face},
        {&Design::kAbout, {100, 163}, grey},  {&Design::kAbout, {100, 164}, white},
        {&Design::kAbout, {100, 165}, white}, {&Design::kAbout, {100, 166}, face},
    };
    for (const auto& p : points) {
        SCOPED_TRACE(std::string(p.window->name) + " " + std::to_string(p.at.x) + "," +
                     std::to_string(p.at.y));
        const Capture shot(shown(*p.window).hwnd());
        EXPECT_TRUE(Capture::alike(shot.at(p.at.x, p.at.y), p.colour))
            << std::hex << shot.at(p.at.x, p.at.y);
    }
    // Yellow text as tall as the design's font draws it: 24 points, about 23 rows of
    // capitals, and the help text's lines.
    const struct {
        const Design::Window* window;
        RECT area;
        int minRows, maxRows;
    } texts[] = {
        {&Design::kForm1, {80, 8, 241, 41}, 20, 33},
        {&Design::kForm1, {592, 8, 761, 41}, 20, 33},
        {&Design::kForm2, {32, 8, 797, 64}, 20, 56},
    };
    for (const auto& t : texts) {
        const Capture shot(shown(*t.window).hwnd());
        const int rows = shot.rowsWith(t.area, yellow);
        EXPECT_GE(rows, t.minRows) << t.window->name;
        EXPECT_LE(rows, t.maxRows) << t.window->name;
    }
}

TEST_F(WindowsTest, TheMainWindowShowsItsPicturesAndPointers) {
    Form1& form1 = main();
    EXPECT_TRUE(SendMessageW(form1.hwnd(), WM_GETICON, ICON_BIG, 0));
    EXPECT_TRUE(SendMessageW(form1.control("Image1"), STM_GETIMAGE, IMAGE_BITMAP, 0));
    const HCURSOR arrow = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    const auto pointerOver = [&](HWND hwnd) {
        SetCursor(arrow);
        SendMessageW(form1.hwnd(), WM_SETCURSOR, WPARAM(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    };
    const HCURSOR pen = pointerOver(form1.hwnd());
    const HCURSOR padlock = pointerOver(form1.control("Command1"));
    EXPECT_TRUE(pen && padlock && pen != arrow && padlock != arrow && pen != padlock);
    EXPECT_EQ(pointerOver(form1.control("Label1")), pen);
    // The panes keep their fixed-pitch face, the one that draws the control codes.
    for (const char* pane : {"RichTextBox1", "RichTextBox2"}) {
        CHARFORMAT2W format{};
        format.cbSize = sizeof format;
        SendMessageW(form1.control(pane), EM_GETCHARFORMAT, SCF_DEFAULT,
                     reinterpret_cast<LPARAM>(&format));
        const std::wstring face = format.szFaceName;
        EXPECT_TRUE(face == L"FreeMono" || face == L"Consolas" || face == L"Courier New") << pane;
    }
}

TEST_F(WindowsTest, TabFollowsTheDesignedOrderFromTheFirstControl) {
    const struct {
        const Design::Window* design;
        std::vector<std::string_view> order;
    } cases[] = {
        {&Design::kForm1, {"Command1", "RichTextBox1", "RichTextBox2", "Command1"}},
        {&Design::kForm2, {"Command1", "Command2", "Command1"}},
        {&Design::kAbout, {"cmdOK", "picIcon", "cmdSysInfo", "cmdOK"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.design->name));
        Shell::Window& window = shown(*c.design);
        for (std::string_view name : c.order) {
            // Focus moves through the window manager too: on a busy machine it comes late.
            const HWND want = window.control(name);
            for (int i = 0; i < 100 && GetFocus() != want; ++i) {
                Sleep(20);
                Shell::processMessages();
            }
            EXPECT_EQ(GetFocus(), want) << name;
            PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
            Shell::processMessages();
        }
    }
}

TEST_F(WindowsTest, EachWindowExistsOnceAndComesBackAfresh) {
    Form1& form1 = main();
    menu("helponline2");
    const HWND help = Windows::form2().hwnd();
    menu("helponline2");
    EXPECT_EQ(Windows::form2().hwnd(), help);
    EXPECT_EQ(GetWindow(help, GW_OWNER), form1.hwnd());

    menu("about");
    frmAbout& about = Windows::about();
    const HWND version = about.control("lblVersion");
    EXPECT_EQ(text(about.hwnd()), "Informazioni su Vemo");
    EXPECT_EQ(text(version), "Versione 1.0.7");
    EXPECT_EQ(text(about.control("lblTitle")), "Vemo");
    SetWindowTextW(version, L"");
    menu("about");
    EXPECT_EQ(text(version), "") << "a second show runs no Form_Load";
    // Escape, then the close control: each closes, and the next show loads afresh.
    for (const UINT message : {UINT(WM_COMMAND), UINT(WM_CLOSE)}) {
        SendMessageW(about.hwnd(), message, message == WM_COMMAND ? IDCANCEL : 0, 0);
        EXPECT_FALSE(about.isOpen());
        menu("about");
        EXPECT_EQ(text(about.control("lblVersion")), "Versione 1.0.7");
    }

    // The main window closed: the others stay, and the program ends with the last one.
    SendMessageW(form1.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(form1.isOpen());
    EXPECT_TRUE(Windows::form2().isVisible());
    EXPECT_TRUE(about.isVisible());
    about.close();
    EXPECT_EQ(exits, 0);
    // Back from the help window opens a fresh main window, which owns the help again.
    click(Windows::form2().control("Command1"));
    EXPECT_FALSE(Windows::form2().isVisible());
    ASSERT_TRUE(form1.isVisible());
    EXPECT_EQ(text(form1.control("Command1")), "Cripta");
    EXPECT_EQ(GetWindow(help, GW_OWNER), form1.hwnd());
    // A hidden help window alone does not keep the program.
    SendMessageW(form1.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(exits, 1);
    EXPECT_FALSE(Windows::form2().isOpen());
    EXPECT_TRUE(messages.empty());
}

TEST_F(WindowsTest, EscapeInTheMainWindowKeepsItAndItsText) {
    Form1& form1 = main();
    form1.RichTextBox1()->setText("testo");
    form1.RichTextBox2()->setText("chiave");
    for (const char* name : {"RichTextBox1", "RichTextBox2", "Command1"}) {
        const HWND control = form1.control(name);
        SetFocus(control);
        PostMessageW(control, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        PostMessageW(control, WM_CHAR, 0x1B, 0x00010001);
        PostMessageW(control, WM_KEYUP, VK_ESCAPE, 0xC0010001);
        Shell::processMessages();
        ASSERT_TRUE(form1.isVisible()) << name;
    }
    EXPECT_EQ(form1.RichTextBox1()->Text(), "testo");
    EXPECT_EQ(form1.RichTextBox2()->Text(), "chiave");
    EXPECT_EQ(exits, 0);
}

TEST_F(WindowsTest, TheEndCommandsCloseEverything) {
    for (const bool fromHelp : {false, true}) {
        main();
        menu("helponline2");
        menu("about");
        if (fromHelp)
            click(Windows::form2().control("Command2"));
        else
            menu("exit");
        EXPECT_FALSE(Windows::form1().isOpen() || Windows::form2().isOpen() ||
                     Windows::about().isOpen());
    }
    EXPECT_EQ(exits, 2);
}

TEST_F(WindowsTest, SystemInfoStartsTheToolOrSaysItCannot) {
    const std::string tool = "C:\\Strumenti\\MSINFO32.EXE";
    for (const bool installed : {false, true}) {
        auto registry = std::make_shared<FakeRegistry>();
        auto programs = std::make_shared<FakeStarts>();
        if (installed) {
            registry->setString(Registry::kLocalMachine, SysInfo::kToolKey, SysInfo::kToolValue,
                                tool);
            programs->startable.insert(tool);
        }
        Shell::services().registry = registry;
        Shell::services().files = std::make_shared<FakeFiles>();
        Shell::services().programs = programs;
        main();
        menu("about");
        messages.clear();
        click(Windows::about().control("cmdSysInfo"));
        EXPECT_EQ(programs->started, installed ? std::vector{tool} : std::vector<std::string>{});
        EXPECT_EQ(messages, installed ? std::vector<std::string>{}
                                      : std::vector<std::string>{SysInfo::kUnavailable});
        EXPECT_TRUE(Windows::about().isVisible());
    }
}

TEST_F(WindowsTest, TheButtonGivesEveryByteBack) {
    Form1& form1 = main();
    std::string document;
    for (int b = 1; b < 256; ++b)
        document += char(b);
    form1.RichTextBox1()->setText(document);
    form1.RichTextBox2()->setText("chiave\xE8");
    const HWND button = form1.control("Command1");
    click(button);
    EXPECT_EQ(text(button), "Decripta");
    EXPECT_NE(form1.RichTextBox1()->Text(), document);
    click(button);
    EXPECT_EQ(text(button), "Cripta");
    EXPECT_EQ(form1.RichTextBox1()->Text(), document);
    EXPECT_EQ(form1.RichTextBox2()->Text(), "chiave\xE8");

    // No key: the caption stays and the user is told.
    form1.RichTextBox2()->setText("");
    click(button);
    EXPECT_EQ(text(button), "Cripta");
    EXPECT_EQ(form1.RichTextBox1()->Text(), document);
    EXPECT_EQ(messages, std::vector<std::string>{
                            "Per criptare o decriptare il documento serve una chiave: scrivila o "
                            "caricala nella casella \"Chiave\"."});
}

TEST_F(WindowsTest, LoadAndSaveKeepEveryByte) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / L"vemo prova è";
    std::filesystem::create_directories(folder);
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes += char(b);
    std::ofstream(folder / L"tutti.txt", std::ios::binary) << bytes;

    Form1& form1 = main();
    const struct {
        std::string_view load, save;
        RichTextBox* (Form1::*pane)() const;
        std::string_view loaded, saved;
    } cases[] = {
        {"docdacrypt", "docdacriptare", &Form1::RichTextBox1,
         " Il documento da criptare è stato caricato con successo",
         "Il documento da criptare è stato salvato con successo nel file \""},
        {"doccrypt", "docriptato", &Form1::RichTextBox1, {},
         "Il documento criptato è stato salvato con successo nel file \""},
        {"loadpubkey", "pubkey", &Form1::RichTextBox2,
         "La chiave pubblica è stata caricata con successo",
         "La chiave pubblica è stata salvata con successo nel file \""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.load));
        messages.clear();
        (form1.*c.pane)()->setText("");
        chosen.clear();
        menu(c.load);
        EXPECT_EQ((form1.*c.pane)()->Text(), "") << "a cancel changes nothing";
        chosen = (folder / L"tutti.txt").wstring();
        menu(c.load);
        EXPECT_EQ((form1.*c.pane)()->Text(), bytes);

        // Saved over an existing file after the question, then read back.
        const std::filesystem::path copy = folder / L"copia.txt";
        std::ofstream(copy) << "vecchio";
        chosen = copy.wstring();
        asked.clear();
        menu(c.save);
        EXPECT_EQ(asked, (std::vector{Services::FileMode::Save, Services::FileMode::Replace}));
        std::ifstream in(copy, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), bytes);
        std::vector<std::string> want;
        if (!c.loaded.empty())
            want.emplace_back(c.loaded);
        want.push_back(std::string(c.saved) + Wide::toUtf8(copy.wstring()) + "\".");
        EXPECT_EQ(messages, want);
    }
    Shell::endProgram();
    std::filesystem::remove_all(folder);
}

// A device's name is refused with its own message before any question, and nothing is
// written to the device or read from it.
TEST_F(WindowsTest, DeviceNamesAreRefusedBeforeAnyQuestion) {
    Form1& form1 = main();
    form1.RichTextBox1()->setText("documento");
    for (const std::wstring name : {L"NUL.txt", L"aux.txt", L"COM1.txt", L"CON.txt", L"lpt1.TXT"}) {
        const std::string path =
            Wide::toUtf8((std::filesystem::temp_directory_path() / name).wstring());
        chosen = Wide::fromUtf8(path);
        for (const auto& [entry, verb] :
             {std::pair{"docdacriptare", "salvare"}, std::pair{"docdacrypt", "aprire"}}) {
            asked.clear();
            messages.clear();
            menu(entry);
            EXPECT_EQ(asked.size(), 1u) << path;
            EXPECT_EQ(messages, std::vector<std::string>{"Impossibile " + std::string(verb) +
                                                         " il file \"" + path +
                                                         "\": è un dispositivo, non un file "
                                                         "normale."});
        }
    }
    EXPECT_EQ(form1.RichTextBox1()->Text(), "documento");
}

} // namespace

// What a screen reader hears through MSAA. Each pane has its heading right before it, where
// Windows looks for a control's label (the names given by annotation need a Windows that
// keeps them: Wine does not); the help window is heard by its caption.
TEST_F(WindowsTest, ScreenReadersFindEachPanesHeading) {
    Form1& form1 = main();
    const HMODULE oleacc = LoadLibraryW(L"oleacc.dll");
    ASSERT_TRUE(oleacc);
    using FromWindow = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
    const auto fromWindow = reinterpret_cast<FromWindow>(
        reinterpret_cast<void*>(GetProcAddress(oleacc, "AccessibleObjectFromWindow")));
    ASSERT_TRUE(fromWindow);
    const auto accName = [&](HWND hwnd) {
        IAccessible* accessible = nullptr;
        std::wstring name;
        if (SUCCEEDED(fromWindow(hwnd, DWORD(OBJID_CLIENT), IID_IAccessible,
                                 reinterpret_cast<void**>(&accessible)))) {
            VARIANT self{};
            self.vt = VT_I4;
            self.lVal = CHILDID_SELF;
            BSTR got = nullptr;
            if (accessible->get_accName(self, &got) == S_OK && got)
                name = got;
            SysFreeString(got);
            accessible->Release();
        }
        return Wide::toUtf8(name);
    };
    for (const auto& [pane, heading] :
         {std::pair{"RichTextBox1", "Frase"}, std::pair{"RichTextBox2", "Chiave"}}) {
        const HWND before = GetWindow(form1.control(pane), GW_HWNDPREV);
        EXPECT_EQ(accName(before), heading) << pane;
    }
    EXPECT_EQ(accName(shown(Design::kForm2).hwnd()), "Help on Line: Guida in Linea ad Vemo 1.0");
    FreeLibrary(oleacc);
}
