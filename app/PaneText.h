#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

// The mapping between a pane's text of record (Windows-1252 bytes) and what its text
// document displays. toDisplay and fromDisplay are exact inverses.
//
// In the display:
// - every break is a paragraph separator (U+2029); a real one stands for the pane's line
//   ending, a soft one for nothing;
// - every other control code is a visible stand-in from the Control Pictures block
//   (U+2400-U+241F for 0x00-0x1F, U+2421 for DEL, U+2422-U+2426 for the five C1 codes
//   Windows leaves unassigned); TAB stays a TAB;
// - a run of more than kSoftBreakInterval characters without a break gets a soft break.
// Which breaks are soft is kept beside the text, so that no character of the display
// can be mistaken for one: the pane paints the mark of a soft break, it never stores it.
namespace PaneText {

enum class LineEnding { Lf, CrLf, Cr };

inline constexpr char16_t kBreak = 0x2029;
inline constexpr char16_t kLineSeparator = 0x2028;
inline constexpr char16_t kSoftBreakMark = 0x21A9;
inline constexpr qsizetype kSoftBreakInterval = 4096;

// A displayed text and, in increasing order, the ordinals (from 0) of its U+2029
// breaks that are soft.
struct Display {
    QString text;
    QList<qsizetype> softBreaks;
};

// Where a character is as the user sees it: 1-based line and column, soft breaks not
// counted, a surrogate pair one column.
struct Location {
    qsizetype line = 1;
    qsizetype column = 1;
};

// The line ending the text uses most; LF when it has none.
LineEnding detectLineEnding(QByteArrayView text) noexcept;
LineEnding detectLineEnding(QStringView text) noexcept;
QByteArrayView lineEndingBytes(LineEnding ending) noexcept;

// The display character of one byte outside any line ending.
char16_t displayChar(unsigned char byte) noexcept;
// Whether a display character stands in for a control code.
bool isStandIn(char16_t display) noexcept;
// Whether a typed or pasted character would look like something the pane shows for a
// byte or a break: a stand-in, the soft-break mark or a break character. Such input is
// refused, so that every stand-in in a pane is one the pane made.
bool isLookAlike(char16_t c) noexcept;

Display toDisplay(QByteArrayView text, LineEnding ending);
// Throws EncodingError for a character that Windows-1252 cannot hold.
QByteArray fromDisplay(QStringView display, const QList<qsizetype>& softBreaks, LineEnding ending);
Location locate(QStringView display, const QList<qsizetype>& softBreaks, qsizetype index);

// For the clipboard: the real characters of a displayed stretch, breaks as the pane's
// line ending, soft breaks dropped. Characters Windows-1252 cannot hold are kept.
QString displayToPlain(QStringView display, const QList<qsizetype>& softBreaks, LineEnding ending);
// For pasting: each line ending of the pane's kind becomes a break, every other
// character the display of its byte, so that reading gives back the pasted text's
// Windows-1252 bytes exactly. Characters Windows-1252 cannot hold are kept (reading
// refuses them); a look-alike throws EncodingError, located within `plain`.
Display plainToDisplay(QStringView plain, LineEnding ending);

} // namespace PaneText
