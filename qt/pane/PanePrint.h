#pragma once

#include "core/PaneText.h"
#include "core/TextFile.h"

#include <QByteArrayView>

class QFont;
class QPrinter;

// Prints a pane's text as the pane shows it: control codes as their stand-ins, each
// line ending a new line, long lines wrapped at the page width. The text is laid out
// a few thousand characters at a time and each page is painted as soon as it is full,
// so time and memory do not depend on how the text is split into lines.
namespace PanePrint {

// Returns false when `progress`, told after each finished page how many bytes are
// printed, gives up: the job is then aborted where the printer allows it. Throws
// PrinterError when the printer refuses or fails.
bool print(QByteArrayView text, PaneText::LineEnding ending, const QFont& font, QPrinter* printer,
           const TextFile::Progress& progress);

// How a printer is named in messages: its queue, or the file it writes.
QString printerName(const QPrinter* printer);

} // namespace PanePrint
