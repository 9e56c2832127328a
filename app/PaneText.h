#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The mapping between a pane's text of record (Windows-1252 bytes) and what its text
// document displays. toDisplay and fromDisplay are exact inverses.
//
// In the display:
// - the pane's line ending is a paragraph separator (U+2029);
// - every other control code is a visible stand-in from the Control Pictures block
//   (U+2400-U+241F for 0x00-0x1F, U+2421 for DEL, U+2422-U+2426 for the five C1 codes
//   Windows leaves unassigned); TAB stays a TAB;
// - a run of more than kSoftBreakInterval characters without a break gets a soft break,
//   the mark U+21A9 followed by a paragraph separator, which reading drops.
namespace PaneText {

enum class LineEnding { Lf, CrLf, Cr };

inline constexpr char16_t kBreak = 0x2029;
inline constexpr char16_t kSoftBreakMark = 0x21A9;
inline constexpr qsizetype kSoftBreakInterval = 4096;

// The line ending the text uses most; LF when it has none.
LineEnding detectLineEnding(QByteArrayView text) noexcept;
QByteArrayView lineEndingBytes(LineEnding ending) noexcept;

// The display character of one byte outside any line ending.
char16_t displayChar(unsigned char byte) noexcept;
// Whether a display character stands in for a control code.
bool isStandIn(char16_t display) noexcept;

QString toDisplay(QByteArrayView text, LineEnding ending);
// Throws EncodingError for a character that Windows-1252 cannot hold; its position is
// the 1-based index in `display`.
QByteArray fromDisplay(QStringView display, LineEnding ending);

// For the clipboard: the real characters of a displayed stretch, breaks as the pane's
// line ending, soft breaks dropped. Characters Windows-1252 cannot hold are kept.
QString displayToPlain(QStringView display, LineEnding ending);
// For pasting: CR LF, LF (and CR in a CR pane) become breaks, control codes stand-ins.
QString plainToDisplay(QStringView plain, LineEnding ending);

} // namespace PaneText
