#pragma once

#include "core/Texts.h"

#include <span>
#include <string_view>

// The designs of the three windows: where each control stands, in twips (1/1440 inch; 15
// twips make a pixel at 96 dots per inch), what it shows when the window opens, and its
// place in the tab order. Fonts and colours belong to each front end.
namespace Design {

struct Rect {
    int left;
    int top;
    int width;
    int height;
};

// Twips to pixels at `dpi` dots per inch, rounded to the nearest pixel.
constexpr int pixels(int twips, int dpi = 96) {
    return (twips * dpi + (twips >= 0 ? 720 : -720)) / 1440;
}

enum class Kind { Label, Button, Pane, Picture, IconBox };

struct Control {
    std::string_view name;
    Kind kind;
    Rect rect;
    std::string_view caption;
    int tabIndex; // -1: takes no part in the tab order
};

// A straight line from (x1, y1) to (x2, y2), `width` pixels wide.
struct Line {
    std::string_view name;
    int x1, y1, x2, y2;
    int width;
    unsigned char red, green, blue;
};

// The main window's menu bar, in display order; `depth` 0 is a menu on the bar, and an
// entry followed by deeper ones opens a submenu.
struct MenuEntry {
    std::string_view name;
    std::string_view caption;
    int depth;
};

struct Window {
    std::string_view name;
    std::string_view caption;
    // The client area: its top-left corner on the screen, and its size.
    Rect client;
    std::span<const Control> controls;
    std::span<const Line> lines;
    std::span<const MenuEntry> menu;
};

inline constexpr MenuEntry kMenu[] = {
    {"file", "&File", 0},
    {"save", "&Salva", 1},
    {"pubkey", "&Chiave pubblica", 2},
    {"docdacriptare", "&Documento da criptare", 2},
    {"docriptato", "D&ocumento criptato", 2},
    {"carge", "&Carica", 1},
    {"loadpubkey", "&Chiave pubblica", 2},
    {"docdacrypt", "&Documento da criptare ", 2},
    {"doccrypt", "D&ocumento criptato", 2},
    {"printcrdecr", "&Stampa Testo criptato/decriptato", 1},
    {"printkey", "&Stampa chiave pubblica", 1},
    {"exit", "&Esci da Vemo", 1},
    {"helponline", "&Guida in Linea", 0},
    {"helponline2", "&Guida in Linea", 1},
    {"about", "&About", 1},
    {"specialt", "&Special thanks", 1},
};

inline constexpr Control kForm1Controls[] = {
    {"Label1", Kind::Label, {1200, 120, 2415, 495}, Texts::kFrase, 0},
    {"Label2", Kind::Label, {8880, 120, 2535, 495}, Texts::kChiave, 1},
    {"Command1", Kind::Button, {5160, 6240, 1935, 375}, Texts::kCripta, 2},
    {"lblFile", Kind::Label, {840, 840, 3615, 255}, Texts::kDocumentHint, 3},
    {"RichTextBox1", Kind::Pane, {240, 1080, 4215, 6495}, {}, 4},
    {"RichTextBox2", Kind::Pane, {7440, 1080, 4335, 6495}, {}, 5},
    {"Label3", Kind::Label, {7920, 840, 3495, 255}, Texts::kKeyHint, 6},
    {"Labelfd", Kind::Label, {5160, 960, 135, 615}, Texts::kLabel4, 7},
    {"Image1", Kind::Picture, {4440, 3000, 3015, 2955}, {}, -1},
};

inline constexpr Window kForm1 = {
    "Form1", Texts::kForm1Caption, {15, 630, 11940, 7890}, kForm1Controls, {}, kMenu};

inline constexpr Control kForm2Controls[] = {
    {"Label1", Kind::Label, {480, 120, 11895, 975}, Texts::kHelp, 0},
    {"Command1", Kind::Button, {1800, 960, 1335, 735}, Texts::kBack, 1},
    {"Command2", Kind::Button, {6720, 960, 1335, 735}, Texts::kExit, 2},
};

inline constexpr Window kForm2 = {
    "Form2", Texts::kForm2Caption, {15, 4230, 11940, 1770}, kForm2Controls, {}, {}};

// The caption, title and version are written when the box opens.
inline constexpr Control kAboutControls[] = {
    {"picIcon", Kind::IconBox, {240, 240, 540, 540}, {}, 1},
    {"cmdOK", Kind::Button, {4245, 2625, 1260, 345}, Texts::kOK, 0},
    {"cmdSysInfo", Kind::Button, {4260, 3075, 1245, 345}, Texts::kSysInfo, 2},
    {"lblDescription", Kind::Label, {1080, 960, 3885, 1410}, Texts::kDescription, 3},
    {"lblTitle", Kind::Label, {1050, 360, 3885, 240}, {}, 4},
    {"lblVersion", Kind::Label, {1050, 600, 3885, 225}, {}, 5},
};

// An etched rule: the grey line, and just below it the wider white one.
inline constexpr Line kAboutLines[] = {
    {"Line1_1", 90, 2445, 5654, 2445, 1, 128, 128, 128},
    {"Line1_0", 105, 2460, 5654, 2460, 2, 255, 255, 255},
};

inline constexpr Window kAbout = {"frmAbout",     {},          {2340, 1935, 5730, 3555},
                                  kAboutControls, kAboutLines, {}};

} // namespace Design
