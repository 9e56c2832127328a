#include "core/Cp1252.h"
#include "core/Texts.h"
#include "win32/pane/RichTextBox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <random>

namespace {

std::u16string decode(std::string_view bytes) {
    std::u16string text;
    for (const char b : bytes)
        text += Cp1252::toUnicode(static_cast<unsigned char>(b));
    return text;
}

std::string encode(std::u16string_view text) {
    std::string bytes;
    for (const char16_t u : text)
        bytes += static_cast<char>(Cp1252::fromUnicode(u));
    return bytes;
}

void setClipboard(HWND owner, const std::u16string& text) {
    const std::size_t size = (text.size() + 1) * sizeof(char16_t);
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(data), text.c_str(), size);
    GlobalUnlock(data);
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, data);
    CloseClipboard();
}

std::u16string clipboard(HWND owner) {
    std::u16string text;
    if (!OpenClipboard(owner))
        return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const char16_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

// Every byte from 1 to 255 once, in an order of the seed's choosing (0: ascending).
std::string allBytes(unsigned seed) {
    std::string bytes(255, '\0');
    std::iota(bytes.begin(), bytes.end(), '\x01');
    if (seed != 0) {
        std::mt19937 rng(seed);
        std::shuffle(bytes.begin(), bytes.end(), rng);
    }
    return bytes;
}

class Pane : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"VemoPaneTest";
        RegisterClassW(&windowClass);
        s_window = CreateWindowExW(0, L"VemoPaneTest", L"Vemo", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480,
                                   nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(s_window, nullptr);
    }

    void SetUp() override { m_pane.create(s_window, 100, RECT{10, 10, 610, 400}); }
    void TearDown() override { DestroyWindow(m_pane.hwnd()); }

    void select(LONG from, LONG to) { SendMessageW(m_pane.hwnd(), EM_SETSEL, from, to); }
    void type(char16_t c) { SendMessageW(m_pane.hwnd(), WM_CHAR, c, 0); }

    static inline HWND s_window = nullptr;
    std::vector<std::string> m_errors;
    RichTextBox m_pane{EncodingError::Place::Document,
                       [this](const std::string& message) { m_errors.push_back(message); }};
};

TEST_F(Pane, EveryByteAndLineEndingReadsBackExactly) {
    const std::string cases[] = {
        "",
        allBytes(0),
        allBytes(7) + "\r\n" + allBytes(8) + "\r\n" + allBytes(9),
        "one\rtwo\rthree\nfour\r\n" + allBytes(3) + "\r\r\r",
        "a\nb\n\r\n\r\n\n\n\r" + allBytes(4) + "\n",
        "\r\n\r\n",
        "\n\r\n\r",
        std::string("\0\x7f\x81\x8d\x8f\x90\x9d\xa0\xad", 9),
        "{\\rtf1\\ansi x}\r\n{\\urtf y}",
        std::string(100000, '\t') + "\r\n",
    };
    for (const std::string& text : cases) {
        m_pane.setText(text);
        EXPECT_EQ(m_pane.Text(), text) << testing::PrintToString(text.substr(0, 40));
    }
}

TEST_F(Pane, AFillGivenUpLeavesThePaneAsItWas) {
    m_pane.setText("prima\nseconda");
    const std::string large = allBytes(1) + std::string(1 << 20, 'x');
    for (const int answers : {0, 3}) {
        int asked = 0;
        EXPECT_FALSE(m_pane.LoadFile(large, [&](std::int64_t, std::int64_t) {
            return asked++ < answers;
        }));
        EXPECT_EQ(m_pane.Text(), "prima\nseconda");
    }
    // Filled to the end, the new text is the pane's, its line ending too.
    std::int64_t last = 0;
    EXPECT_TRUE(m_pane.LoadFile(large, [&](std::int64_t done, std::int64_t total) {
        last = done * 100 / total;
        return true;
    }));
    EXPECT_EQ(m_pane.Text(), large);
    EXPECT_GT(last, 90);
}

TEST_F(Pane, PasteArrivesExactWhereverItGoes) {
    const std::u16string pasted = u"{\\rtf1 x}\ry\nz\r\n" + decode(allBytes(5).substr(0, 120)) +
                                  decode("\x80\x81\x9f\xa0\xe8\xff") + u"\r\n";
    // Into an empty pane, the paste brings its own line ending.
    setClipboard(s_window, pasted);
    SendMessageW(m_pane.hwnd(), WM_PASTE, 0, 0);
    EXPECT_EQ(m_pane.Text(), encode(pasted));

    // Within a text, the pane keeps its own.
    for (const std::string& around : {std::string("ab\ncd\nef"), std::string("ab\r\ncd\r\nef")}) {
        m_pane.setText(around);
        select(3, 3);
        SendMessageW(m_pane.hwnd(), WM_PASTE, 0, 0);
        EXPECT_EQ(m_pane.Text(), around.substr(0, around.find('c')) + encode(pasted) +
                                     around.substr(around.find('c')));
    }
    EXPECT_TRUE(m_errors.empty());
}

TEST_F(Pane, CopyAndCutGiveTheRealCharacters) {
    const std::string text = "a\r\nb\r\nc\r\nd\re\nf\t\x01\x7f\x81\xe8" + allBytes(2);
    m_pane.setText(text);
    select(0, -1);
    SendMessageW(m_pane.hwnd(), WM_COPY, 0, 0);
    EXPECT_EQ(clipboard(s_window), decode(text));
    EXPECT_EQ(m_pane.Text(), text);

    select(0, 3);
    SendMessageW(m_pane.hwnd(), WM_CUT, 0, 0);
    EXPECT_EQ(clipboard(s_window), u"a\r\nb");
    EXPECT_EQ(m_pane.Text(), text.substr(4));

    // NUL bytes, which end CF_UNICODETEXT, still go from pane to pane.
    const std::string withNul("\0a\r\n\0\0b\0", 8);
    m_pane.setText(withNul);
    select(0, -1);
    SendMessageW(m_pane.hwnd(), WM_COPY, 0, 0);
    m_pane.setText("");
    SendMessageW(m_pane.hwnd(), WM_PASTE, 0, 0);
    EXPECT_EQ(m_pane.Text(), withNul);
}

TEST_F(Pane, TypingKeepsTheLineEndingAndRefusesLookAlikes) {
    // A text without a line ending of its own takes Windows' CR LF.
    for (const char* text : {"", "ab"}) {
        m_pane.setText(text);
        select(LONG(std::strlen(text)), LONG(std::strlen(text)));
        type(u'\r');
        EXPECT_EQ(m_pane.Text(), std::string(text) + "\r\n");
    }
    m_pane.setText("ab\r\ncd");
    select(6, 6);
    for (const char16_t c : std::u16string(u"\r\u00e8\n\u20ac"))
        type(c);
    EXPECT_EQ(m_pane.Text(), "ab\r\ncd\r\n\xe8\r\n\x80");
    EXPECT_TRUE(m_errors.empty());

    for (const char16_t c : {char16_t(0x2400), char16_t(0x2029), char16_t(0x21A9)}) {
        type(c);
        setClipboard(s_window, std::u16string(u"q") + c);
        SendMessageW(m_pane.hwnd(), WM_PASTE, 0, 0);
        SendMessageW(m_pane.hwnd(), WM_UNICHAR, c, 0);
    }
    EXPECT_EQ(m_pane.Text(), "ab\r\ncd\r\n\xe8\r\n\x80");
    ASSERT_EQ(m_errors.size(), 9u);
    EXPECT_EQ(m_errors[0], EncodingError(0x2400, 4, 2, EncodingError::Place::Document).message());
    EXPECT_EQ(m_errors[1], EncodingError(0x2400, 4, 3, EncodingError::Place::Document).message());
}

TEST_F(Pane, ReadingRefusesWhatWindows1252CannotHold) {
    m_pane.setText("ab\ncd");
    select(4, 4);
    type(u'\u0416');
    try {
        (void)m_pane.Text();
        FAIL() << "no error";
    } catch (const EncodingError& e) {
        EXPECT_EQ(e.message(),
                  EncodingError(0x416, 2, 2, EncodingError::Place::Document).message());
    }
}

TEST_F(Pane, PrintingOnADeviceThatTakesNoJobFails) {
    m_pane.setText("testo");
    HDC memory = CreateCompatibleDC(nullptr);
    try {
        m_pane.SelPrint(memory, "Memoria");
        FAIL() << "no error";
    } catch (const PrinterError& e) {
        EXPECT_EQ(e.message(), Texts::with(Texts::kPrinterRefusesJob, "Memoria"));
    }
    DeleteDC(memory);
}

// Run by print_test.sh, with a PDF printer as the default one: 150 lines make 3 pages.
TEST_F(Pane, PrintsEveryPageOnTheDefaultPrinter) {
    if (std::getenv("VEMO_PRINT_TEST") == nullptr)
        GTEST_SKIP() << "needs the printer of print_test.sh";
    std::string text;
    for (int i = 0; i < 150; ++i)
        text += "Riga " + std::to_string(i) + " \x01\x7f\x81\t\xe8\r\n";
    m_pane.setText(text);
    const DefaultPrinter printer;
    m_pane.SelPrint(printer.dc(), printer.name());
}

} // namespace
