#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The mapping between a pane's text of record (Windows-1252 bytes) and what its text
// control displays. toDisplay and fromDisplay are exact inverses.
//
// In the display:
// - every break is a paragraph separator (U+2029); a real one stands for the pane's line
//   ending, a soft one for nothing. Asked for paragraphs of a length, real breaks are line
//   separators (U+2028) until the paragraph holds that many units: a text control that
//   keeps a record for each paragraph then keeps one for many short lines;
// - every other control code is a visible stand-in from the Control Pictures block
//   (U+2400-U+241F for 0x00-0x1F, U+2421 for DEL, U+2422-U+2426 for the five C1 codes
//   Windows leaves unassigned); TAB stays a TAB;
// - a run of more than kSoftBreakInterval characters without a break gets a soft break.
// Which breaks are soft is kept beside the text, so that no character of the display
// can be mistaken for one: the pane paints the mark of a soft break, it never stores it.
//
// Displays are written into the caller's buffers, so that a front end can hand its own
// string storage over and no large text is copied on the way.
namespace PaneText {

enum class LineEnding { Lf, CrLf, Cr };

inline constexpr char16_t kBreak = 0x2029;
inline constexpr char16_t kLineSeparator = 0x2028;
inline constexpr char16_t kSoftBreakMark = 0x21A9;
inline constexpr std::ptrdiff_t kSoftBreakInterval = 4096;
// The paragraph length a pane over Qt's text document asks for: short enough that laying
// out the paragraph under the caret again on each keystroke stays cheap.
inline constexpr std::ptrdiff_t kParagraphLength = 2048;

// In increasing order, the ordinals (from 0) of the U+2029 breaks of a display that are
// soft.
using SoftBreaks = std::vector<std::ptrdiff_t>;

// Where a character is as the user sees it: 1-based line and column, soft breaks not
// counted, a surrogate pair one column.
struct Location {
    std::ptrdiff_t line = 1;
    std::ptrdiff_t column = 1;
};

// The line ending the text uses most; `none` when it has none.
LineEnding detectLineEnding(std::string_view text, LineEnding none = LineEnding::Lf) noexcept;
LineEnding detectLineEnding(std::u16string_view text, LineEnding none = LineEnding::Lf) noexcept;
std::string_view lineEndingBytes(LineEnding ending) noexcept;

// The display character of one byte outside any line ending.
char16_t displayChar(unsigned char byte) noexcept;
// Whether a display character stands in for a control code.
bool isStandIn(char16_t display) noexcept;
// Whether a typed or pasted character would look like something the pane shows for a
// byte or a break: a stand-in, the soft-break mark or a break character. Such input is
// refused, so that every stand-in in a pane is one the pane made.
bool isLookAlike(char16_t c) noexcept;

// The most display units that `n` bytes or pasted units give.
std::size_t displayCapacity(std::size_t n) noexcept;
// The most bytes that a display of `n` units gives.
std::size_t byteCapacity(std::size_t n, LineEnding ending) noexcept;

// Writes the display of `text` into `out`, which holds displayCapacity(text.size())
// units, and its soft breaks into `softBreaks`; returns the units written. A
// `paragraphLength` of 0 makes every real break a U+2029.
std::size_t toDisplay(std::string_view text, LineEnding ending, char16_t* out,
                      SoftBreaks& softBreaks, std::ptrdiff_t paragraphLength = 0);
// The same without soft breaks, for a text control that lays out long lines well itself.
std::size_t toDisplay(std::string_view text, LineEnding ending, char16_t* out);
// Writes the bytes of a display into `out`, which holds byteCapacity(display.size())
// bytes; returns the bytes written. Throws EncodingError for a character that
// Windows-1252 cannot hold.
std::size_t fromDisplay(std::u16string_view display, const SoftBreaks& softBreaks,
                        LineEnding ending, char* out);
Location locate(std::u16string_view display, const SoftBreaks& softBreaks, std::size_t index);

// For the clipboard: the real characters of a displayed stretch, breaks as the pane's
// line ending, soft breaks dropped. Characters Windows-1252 cannot hold are kept.
std::u16string displayToPlain(std::u16string_view display, const SoftBreaks& softBreaks,
                              LineEnding ending);
// For pasting, into `out` as toDisplay: each line ending of the pane's kind becomes a
// break, every other character the display of its byte, so that reading gives back the
// pasted text's Windows-1252 bytes exactly. Characters Windows-1252 cannot hold are kept
// (reading refuses them); a look-alike throws EncodingError, located within `plain`.
std::size_t plainToDisplay(std::u16string_view plain, LineEnding ending, char16_t* out,
                           SoftBreaks& softBreaks, std::ptrdiff_t paragraphLength = 0);
std::size_t plainToDisplay(std::u16string_view plain, LineEnding ending, char16_t* out);

} // namespace PaneText
