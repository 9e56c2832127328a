#include "core/AppInfo.h"
#include "core/Design.h"
#include "core/SysInfo.h"
#include "core/Texts.h"
#include "tests/mock/FakeRegistry.h"
#include "tests/mock/FakeSysInfo.h"
#include "win32/Controls.h"
#include "win32/Form1.h"
#include "win32/Form2.h"
#include "win32/Shell.h"
#include "win32/Wide.h"
#include "win32/Windows.h"
#include "win32/frmAbout.h"
#include "win32/pane/RichTextBox.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <oleacc.h>

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

TEST_F(WindowsTest, EveryWindowAndControlStandsAtItsDesignedPlace) {
    const int dpi = Shell::dpi();
    for (const Design::Window* design : kDesigns) {
        SCOPED_TRACE(std::string(design->name));
        const HWND hwnd = shown(*design).hwnd();
        const RECT want = Controls::place(design->client, dpi);
        POINT origin{0, 0};
        ClientToScreen(hwnd, &origin);
        RECT client;
        GetClientRect(hwnd, &client);
        EXPECT_EQ(origin.x, want.left);
        EXPECT_EQ(origin.y, want.top);
        EXPECT_EQ(client.right, want.right - want.left);
        EXPECT_EQ(client.bottom, want.bottom - want.top);
        for (const Design::Control& c : design->controls) {
            SCOPED_TRACE(std::string(c.name));
            const HWND control = GetDlgItem(hwnd, Controls::id(*design, c.name));
            ASSERT_TRUE(control);
            RECT r;
            GetWindowRect(control, &r);
            MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
            const RECT place = Controls::place(c.rect, dpi);
            EXPECT_EQ(r.left, place.left);
            EXPECT_EQ(r.top, place.top);
            // Pictures take their picture's own size.
            if (c.kind != Design::Kind::Picture && c.kind != Design::Kind::IconBox) {
                EXPECT_EQ(r.right, place.right);
                EXPECT_EQ(r.bottom, place.bottom);
            }
            if (!c.caption.empty()) {
                EXPECT_EQ(text(control), c.caption);
            }
        }
    }
    EXPECT_EQ(text(Windows::form1().hwnd()), Texts::kForm1Caption);
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
    EXPECT_EQ(text(about.control("lblTitle")), AppInfo::Title);
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
    EXPECT_EQ(text(form1.control("Command1")), Texts::kCripta);
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
    EXPECT_EQ(text(button), Texts::kDecripta);
    EXPECT_NE(form1.RichTextBox1()->Text(), document);
    click(button);
    EXPECT_EQ(text(button), Texts::kCripta);
    EXPECT_EQ(form1.RichTextBox1()->Text(), document);
    EXPECT_EQ(form1.RichTextBox2()->Text(), "chiave\xE8");

    // No key: the caption stays and the user is told.
    form1.RichTextBox2()->setText("");
    click(button);
    EXPECT_EQ(text(button), Texts::kCripta);
    EXPECT_EQ(form1.RichTextBox1()->Text(), document);
    EXPECT_EQ(messages, std::vector<std::string>{std::string(Texts::kKeyNeeded)});
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
        {"docdacrypt", "docdacriptare", &Form1::RichTextBox1, Texts::kPlainLoaded,
         Texts::kPlainSaved},
        {"doccrypt", "docriptato", &Form1::RichTextBox1, {}, Texts::kCryptedSaved},
        {"loadpubkey", "pubkey", &Form1::RichTextBox2, Texts::kKeyLoaded, Texts::kKeySaved},
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
        want.push_back(Texts::with(c.saved, Wide::toUtf8(copy.wstring())));
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
         {std::pair{"RichTextBox1", Texts::kFrase}, std::pair{"RichTextBox2", Texts::kChiave}}) {
        const HWND before = GetWindow(form1.control(pane), GW_HWNDPREV);
        EXPECT_EQ(accName(before), heading) << pane;
    }
    EXPECT_EQ(accName(shown(Design::kForm2).hwnd()), Texts::kForm2Caption);
    FreeLibrary(oleacc);
}
