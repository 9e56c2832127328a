#include "qt/pane/RichTextBox.h"

#include "core/Cp1252.h"
#include "core/Memory.h"
#include "core/Texts.h"
#include "qt/pane/PanePrint.h"
#include "qt/shell/Shell.h"

#include <QAbstractUndoItem>
#include <QApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPrinter>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <optional>
#include <vector>

namespace {

// Our own copies carry the exact characters again, because the platform's text format
// may rewrite line endings on the way (Windows does).
const QString kPrivateMime = QStringLiteral("application/x-vemo-text");

// Set on the character format of a break that is soft. The format travels with the
// separator itself: removing the break removes it, however Qt then merges the blocks,
// and undo brings it back.
constexpr int kSoftBreak = QTextFormat::UserProperty + 1;

bool isSoft(const QTextCharFormat& format) {
    return format.boolProperty(kSoftBreak);
}

std::string_view bytesOf(QByteArrayView bytes) {
    return {bytes.data(), std::size_t(bytes.size())};
}

std::u16string_view unitsOf(QStringView text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), std::size_t(text.size())};
}

// The display of bytes, or of pasted text, written straight into the QString that the
// document takes.
template <typename Input, typename Map>
RichTextBox::Display mapped(Input input, std::size_t size, Map map) {
    RichTextBox::Display display;
    display.text.resize(qsizetype(PaneText::displayCapacity(size)));
    display.text.truncate(qsizetype(
        map(input, reinterpret_cast<char16_t*>(display.text.data()), display.softBreaks)));
    return display;
}

RichTextBox::Display toDisplay(QByteArrayView bytes, PaneText::LineEnding ending) {
    return mapped(bytesOf(bytes), std::size_t(bytes.size()),
                  [ending](std::string_view in, char16_t* out, PaneText::SoftBreaks& soft) {
                      return PaneText::toDisplay(in, ending, out, soft, PaneText::kParagraphLength);
                  });
}

RichTextBox::Display plainToDisplay(QStringView plain, PaneText::LineEnding ending) {
    return mapped(unitsOf(plain), std::size_t(plain.size()),
                  [ending](std::u16string_view in, char16_t* out, PaneText::SoftBreaks& soft) {
                      return PaneText::plainToDisplay(in, ending, out, soft,
                                                      PaneText::kParagraphLength);
                  });
}

// Where a slice of `text` from `from` ends: after a line ending where one is near, so
// that the slices show as the whole text would; never between the CR and LF of one.
qsizetype sliceEnd(QByteArrayView text, qsizetype from, PaneText::LineEnding ending) {
    constexpr qsizetype kSlice = qsizetype(4) << 20;
    constexpr qsizetype kLook = qsizetype(64) << 10;
    qsizetype end = from + kSlice;
    if (end >= text.size())
        return text.size();
    const char eol = ending == PaneText::LineEnding::Cr ? '\r' : '\n';
    const qsizetype hit = text.sliced(end, std::min(kLook, text.size() - end)).indexOf(eol);
    if (hit >= 0)
        return end + hit + 1;
    if (text[end - 1] == '\r' && text[end] == '\n')
        ++end;
    return end;
}

// The memory that showing `size` bytes takes at most, as measured: the document's UTF-16
// text with its growth, a block for each paragraph (see PaneText::kParagraphLength, soft
// breaks end longer ones), and a slice being mapped.
std::size_t showingNeeds(qsizetype size) {
    constexpr std::size_t kPerByte = 5;
    constexpr std::size_t kPerBlock = 160;
    const auto blocks = std::size_t(size / PaneText::kParagraphLength + 1);
    return std::size_t(size) * kPerByte + blocks * kPerBlock + (std::size_t(32) << 20);
}

// A block's character format is that of the separator before it.
bool followsSoftBreak(const QTextBlock& block) {
    return block.isValid() && isSoft(block.charFormat());
}

// The ordinals of the soft breaks among the breaks after `first` up to `last`.
PaneText::SoftBreaks softBreaksBetween(const QTextBlock& first, const QTextBlock& last) {
    PaneText::SoftBreaks soft;
    if (first == last)
        return soft;
    int knownIndex = -1;
    bool knownSoft = false;
    qsizetype ordinal = 0;
    for (QTextBlock b = first.next(); b.isValid(); b = b.next(), ++ordinal) {
        // Separators share few formats; look each one up once.
        if (b.charFormatIndex() != knownIndex) {
            knownIndex = b.charFormatIndex();
            knownSoft = isSoft(b.charFormat());
        }
        if (knownSoft)
            soft.push_back(ordinal);
        if (b == last)
            break;
    }
    return soft;
}

// Inserts a break at the cursor, real or soft as asked whatever the text around it.
void insertBreak(QTextCursor& cursor, bool soft) {
    QTextCharFormat format = cursor.charFormat();
    if (soft)
        format.setProperty(kSoftBreak, true);
    else
        format.clearProperty(kSoftBreak);
    cursor.insertBlock(cursor.blockFormat(), format);
}

void insertDisplay(QTextCursor& cursor, const RichTextBox::Display& display) {
    std::size_t next = 0;
    std::ptrdiff_t ordinal = 0;
    const QStringView text(display.text);
    for (qsizetype at = 0;;) {
        const qsizetype end = text.indexOf(QChar(PaneText::kBreak), at);
        cursor.insertText(text.mid(at, (end < 0 ? text.size() : end) - at).toString());
        if (end < 0)
            break;
        const bool soft = next < display.softBreaks.size() && display.softBreaks[next] == ordinal;
        next += soft ? 1 : 0;
        ++ordinal;
        insertBreak(cursor, soft);
        at = end + 1;
    }
}

// The charset a "text/plain;charset=..." target names, lower case; empty for others.
QByteArray charsetOf(const QString& format) {
    const QList<QStringView> parts = QStringView(format).split(u';');
    if (parts.front().trimmed().compare(u"text/plain", Qt::CaseInsensitive) != 0)
        return {};
    for (const QStringView part : parts.mid(1)) {
        const QStringView p = part.trimmed();
        if (p.startsWith(u"charset=", Qt::CaseInsensitive)) {
            QStringView name = p.mid(8);
            if (name.size() >= 2 && name.front() == u'"' && name.back() == u'"')
                name = name.mid(1, name.size() - 2);
            return name.toLatin1().toLower();
        }
    }
    return {};
}

// Text offered in `charset` that is not valid there from its character `at` on.
VemoError undecodable(const QByteArray& charset, qsizetype at) {
    return VemoError(Texts::with(Texts::kPasteUndecodable, charset.toUpper().toStdString(),
                                 std::to_string(at + 1)));
}

// The text of bytes offered in `charset`, every byte decoded exactly; nullopt for a
// charset not known here. Throws VemoError at the first byte the charset does not allow.
std::optional<QString> decoded(const QByteArray& bytes, const QByteArray& charset) {
    const auto refuse = [&](qsizetype at) { return undecodable(charset, at); };
    QString text(bytes.size(), Qt::Uninitialized);
    if (charset == "windows-1252" || charset == "cp1252" || charset == "us-ascii" ||
        charset == "ascii") {
        const bool ascii = charset.contains("ascii");
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const auto byte = static_cast<unsigned char>(bytes[i]);
            if (ascii && byte > 0x7F)
                throw refuse(i);
            text[i] = QChar(Cp1252::toUnicode(byte));
        }
        return text;
    }
    QStringDecoder decoder(charset.constData(), QStringConverter::Flag::ConvertInitialBom);
    if (!decoder.isValid())
        return std::nullopt;
    text = decoder.decode(bytes);
    if (!decoder.hasError() && (decoder.decode(QByteArrayView()), !decoder.hasError()))
        return text;
    // Again a byte at a time, to count the characters before the first bad sequence.
    QStringDecoder probe(charset.constData(), QStringConverter::Flag::ConvertInitialBom);
    qsizetype bad = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const QString out = probe.decode(QByteArrayView(bytes).sliced(i, 1));
        if (probe.hasError())
            break;
        bad += out.size();
    }
    throw refuse(bad);
}

// What a paste inserts: Vemo's own copy, else the first text target the clipboard offers
// in a charset known here, decoded exactly, else the clipboard's plain text.
std::optional<QString> pastedText(const QMimeData* source) {
    if (source->hasFormat(kPrivateMime))
        return QString::fromUtf8(source->data(kPrivateMime));
    const QStringList formats = source->formats();
    QList<std::pair<QString, QByteArray>> charsets;
    for (const QString& format : formats) {
        const QByteArray charset = charsetOf(format);
        if (charset.isEmpty())
            continue;
        const bool utf8 = charset == "utf-8" || charset == "utf8";
        charsets.insert(utf8 ? 0 : charsets.size(), {format, charset});
    }
    for (const auto& [format, charset] : charsets)
        if (std::optional<QString> text = decoded(source->data(format), charset))
            return text;
    if (!source->hasText())
        return std::nullopt;
    // Qt decodes the X clipboard's own text targets itself, and gives U+FFFD for each
    // sequence that is not UTF-8. That character is none Vemo can hold either.
    QString text = source->text();
    const qsizetype bad = text.indexOf(QChar::ReplacementCharacter);
    if (bad >= 0)
        throw undecodable("utf-8", bad);
    return text;
}

} // namespace

// A paste that replaces everything brings its own line ending; undo and redo take it
// back and forth together with the text.
class RichTextBox::EndingChange : public QAbstractUndoItem {
public:
    EndingChange(RichTextBox* pane, PaneText::LineEnding from, PaneText::LineEnding to)
        : m_pane(pane)
        , m_from(from)
        , m_to(to) {}
    void undo() override { set(m_from); }
    void redo() override { set(m_to); }

private:
    void set(PaneText::LineEnding ending) {
        m_pane->m_lineEnding = ending;
        m_pane->m_textValid = false;
    }
    RichTextBox* m_pane;
    PaneText::LineEnding m_from;
    PaneText::LineEnding m_to;
};

RichTextBox::RichTextBox(QWidget* parent)
    : QPlainTextEdit(parent) {
    QFont paneFont;
    // FreeMono carries the Control Pictures used for control codes.
    paneFont.setFamilies({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("FreeMono")});
    paneFont.setStyleHint(QFont::Monospace);
    paneFont.setPointSize(10);
    setFont(paneFont);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setTabStopDistance(4 * QFontMetricsF(font()).horizontalAdvance(QLatin1Char(' ')));
    connect(document(), &QTextDocument::contentsChanged, this, [this] { m_textValid = false; });
}

QByteArray RichTextBox::readDocument() const {
    const QTextDocument* doc = document();
    QByteArray bytes(
        qsizetype(PaneText::byteCapacity(std::size_t(doc->characterCount()), m_lineEnding)),
        Qt::Uninitialized);
    const std::string_view eol = PaneText::lineEndingBytes(m_lineEnding);
    qsizetype size = 0;
    for (QTextBlock block = doc->firstBlock(); block.isValid(); block = block.next()) {
        if (block != doc->firstBlock() && !followsSoftBreak(block)) {
            std::copy(eol.begin(), eol.end(), bytes.data() + size);
            size += qsizetype(eol.size());
        }
        const QString text = block.text();
        try {
            size += qsizetype(
                PaneText::fromDisplay(unitsOf(text), {}, m_lineEnding, bytes.data() + size));
        } catch (const EncodingError& e) {
            throw located(e, block.position());
        }
    }
    bytes.truncate(size);
    return bytes;
}

RichTextBox::Display RichTextBox::displayOf(int from, int to) const {
    QTextCursor range(document());
    range.setPosition(from);
    range.setPosition(to, QTextCursor::KeepAnchor);
    if (!m_mayHaveSoftBreaks)
        return {range.selectedText(), {}};
    return {range.selectedText(),
            softBreaksBetween(document()->findBlock(from), document()->findBlock(to))};
}

EncodingError::Place RichTextBox::place() const {
    return m_role == Key ? EncodingError::Place::Key : EncodingError::Place::Document;
}

EncodingError RichTextBox::located(const EncodingError& error, int position) const {
    const Display before = displayOf(0, position);
    const PaneText::Location at =
        PaneText::locate(unitsOf(before.text), before.softBreaks, std::size_t(before.text.size()));
    const qsizetype column = error.line() == 1 ? at.column + error.column() - 1 : error.column();
    return EncodingError(error.character(), at.line + error.line() - 1, column, place());
}

QByteArray RichTextBox::Text() const {
    if (!m_textValid) {
        // The bytes of before the edits go first: the document and its bytes are enough.
        m_text = QByteArray();
        try {
            m_text = readDocument();
        } catch (const EncodingError& e) {
            throw e.in(place());
        }
        m_textValid = true;
    }
    return m_text;
}

void RichTextBox::setText(const QByteArray& text) {
    setText(text, [](qint64, qint64) { return true; });
}

bool RichTextBox::setText(QByteArray text, const TextFile::Progress& progress) {
    // Refused before the document changes: Qt's text document does not survive running
    // out of memory half-way.
    requireRoom(text.size());
    // Bytes that are held elsewhere too are kept as the text of record. Bytes the pane alone
    // holds go as they are shown, so that a large text is not held both as bytes and in the
    // document; reading takes them from the document again.
    const bool keep = !text.isDetached();
    // The old bytes and the old document go first: a large text is not held twice.
    m_text = keep ? text : QByteArray();
    m_textValid = false;
    m_lineEnding = PaneText::detectLineEnding(bytesOf(text));
    m_mayHaveSoftBreaks = false;
    std::vector<qsizetype> ends;
    for (qsizetype done = 0; done < text.size();)
        done = ends.emplace_back(sliceEnd(text, done, m_lineEnding));
    QTextDocument* doc = document();
    doc->setUndoRedoEnabled(false);
    doc->clear();
    // In slices, so that the window can paint and show progress between them; from the
    // last, each put in front of those shown, so that the bytes behind it can go.
    const qsizetype total = text.size();
    bool whole = true;
    for (auto end = ends.crbegin(); end != ends.crend() && whole; ++end) {
        const qsizetype from = std::next(end) == ends.crend() ? 0 : *std::next(end);
        const Display display =
            toDisplay(QByteArrayView(text).sliced(from, *end - from), m_lineEnding);
        // A plain format: after a soft break the cursor's own would make every break soft.
        QTextCursor(doc).insertText(display.text, QTextCharFormat());
        markSoftBreaks(0, display.softBreaks);
        if (!keep) {
            text.truncate(from);
            text.squeeze();
        }
        whole = progress(total - from, total);
    }
    doc->setUndoRedoEnabled(true);
    doc->setModified(false);
    moveCursor(QTextCursor::Start);
    m_textValid = whole && keep;
    return whole;
}

void RichTextBox::markSoftBreaks(int firstBlock, const PaneText::SoftBreaks& softBreaks) {
    if (softBreaks.empty())
        return;
    m_mayHaveSoftBreaks = true;
    QTextDocument* doc = document();
    QTextCursor separator(doc);
    separator.beginEditBlock();
    QTextCharFormat soft;
    soft.setProperty(kSoftBreak, true);
    for (const std::ptrdiff_t ordinal : softBreaks) {
        const int after = doc->findBlockByNumber(firstBlock + int(ordinal) + 1).position();
        separator.setPosition(after - 1);
        separator.setPosition(after, QTextCursor::KeepAnchor);
        separator.mergeCharFormat(soft);
    }
    separator.endEditBlock();
}

void RichTextBox::requireRoom(qsizetype size) const {
    // The document's own text goes back to the system when it is cleared, first.
    const auto freed = std::size_t(document()->characterCount()) * sizeof(QChar);
    const std::size_t needs = showingNeeds(size);
    constexpr std::size_t kLeast = std::size_t(32) << 20;
    Memory::require(needs > freed + kLeast ? needs - freed : kLeast);
}

void RichTextBox::changeText(const Change& change, const TextFile::Progress& progress) {
    constexpr qsizetype kPiece = qsizetype(64) << 10;
    QByteArray bytes = Text();
    requireRoom(bytes.size());
    // The pane lets go of its copy, so that the change is made in the one buffer; until the
    // document changes, Text reads it from there, also when `change` throws half-way.
    m_text = QByteArray();
    m_textValid = false;
    char* data = bytes.data();
    for (qsizetype from = 0; from < bytes.size(); from += kPiece)
        change(data + from, data + from, from, std::min(kPiece, bytes.size() - from));
    setText(std::move(bytes), progress);
}

bool RichTextBox::LoadFile(const TextFile::Reader& read, const TextFile::Progress& progress) {
    // Loading replaces the content whatever it holds. A content that cannot be read (a
    // character outside Windows-1252) cannot be put back either, so once the pane starts
    // filling such a load is no longer given up.
    std::optional<QByteArray> previous;
    try {
        previous = Text();
    } catch (const EncodingError&) {
    }
    const bool canGiveUp = previous.has_value();
    // Giving up shows the previous text again: the memory for that is asked for now too.
    if (canGiveUp)
        requireRoom(previous->size());
    // Once the file's size is known and there is room to show it, the old document goes,
    // before the file's bytes come in: a large file is never held beside the document it
    // replaces. Its text is set aside, to be shown again if the load does not come to an end.
    QByteArray content;
    bool emptied = false;
    const TextFile::Storage storage = [&](std::size_t size) {
        if (canGiveUp && !emptied) {
            requireRoom(qsizetype(size));
            m_text = QByteArray();
            m_textValid = false;
            document()->clear();
            emptied = true;
        }
        content.resize(qsizetype(size));
        return content.data();
    };
    const auto restore = [&] {
        if (emptied)
            setText(*previous);
    };
    const TextFile::Progress filling = [&progress, canGiveUp](qint64 done, qint64 total) {
        const bool goOn = !progress || progress(done, total);
        return goOn || !canGiveUp;
    };
    std::optional<std::size_t> size;
    try {
        size = read(storage);
        if (size) {
            content.truncate(qsizetype(*size));
            if (setText(std::move(content), filling))
                return true;
        }
    } catch (...) {
        restore();
        throw;
    }
    // Given up while reading, or while filling, which only a load that can give up does.
    if (size)
        setText(*previous);
    else
        restore();
    return false;
}

bool RichTextBox::SelPrint(QPrinter* printer, const TextFile::Progress& progress) {
    if (printer == nullptr || !printer->isValid())
        throw PrinterError(std::string(Texts::kPrinterUnavailable));
    const QByteArray text = Text();
    return PanePrint::print(text, m_lineEnding, font(), printer, progress);
}

void RichTextBox::insertPlain(const QString& plain) {
    QTextCursor cursor = textCursor();
    const bool whole =
        document()->isEmpty() ||
        (cursor.selectionStart() == 0 && cursor.selectionEnd() == document()->characterCount() - 1);
    const PaneText::LineEnding ending =
        whole ? PaneText::detectLineEnding(unitsOf(plain)) : m_lineEnding;
    Display display;
    try {
        display = plainToDisplay(plain, ending);
    } catch (const EncodingError& e) {
        throw located(e, cursor.selectionStart());
    }
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    if (ending != m_lineEnding) {
        document()->appendUndoItem(new EndingChange(this, m_lineEnding, ending));
        m_lineEnding = ending;
        m_textValid = false;
    }
    m_mayHaveSoftBreaks = m_mayHaveSoftBreaks || !display.softBreaks.empty();
    insertDisplay(cursor, display);
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
}

void RichTextBox::keyPressEvent(QKeyEvent* event) {
    if (!isReadOnly()) {
        if (event == QKeySequence::InsertParagraphSeparator) {
            QTextCursor cursor = textCursor();
            cursor.beginEditBlock();
            cursor.removeSelectedText();
            insertBreak(cursor, false);
            cursor.endEditBlock();
            setTextCursor(cursor);
            ensureCursorVisible();
            event->accept();
            return;
        }
        const QString typed = event->text();
        if (std::any_of(typed.cbegin(), typed.cend(),
                        [](QChar c) { return PaneText::isLookAlike(c.unicode()); })) {
            event->accept();
            Shell::guard([&] { insertPlain(typed); });
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

void RichTextBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QPlainTextEdit::mouseDoubleClickEvent(event);
    m_doubleClickAt = event->position().toPoint();
    m_sinceDoubleClick.start();
}

void RichTextBox::mousePressEvent(QMouseEvent* event) {
    const bool tripleClick = event->button() == Qt::LeftButton && m_sinceDoubleClick.isValid() &&
                             m_sinceDoubleClick.elapsed() < QApplication::doubleClickInterval() &&
                             (event->position().toPoint() - m_doubleClickAt).manhattanLength() <
                                 QApplication::startDragDistance();
    m_sinceDoubleClick.invalidate();
    QPlainTextEdit::mousePressEvent(event);
    if (!tripleClick)
        return;
    // Qt selects the paragraph, which here holds many short lines: the user meant one line,
    // with its line ending, as a paragraph is selected with its own.
    const QTextCursor at = cursorForPosition(event->position().toPoint());
    const QTextBlock block = at.block();
    const QString text = block.text();
    const int inBlock = at.positionInBlock();
    const int start =
        inBlock == 0 ? 0 : int(text.lastIndexOf(PaneText::kLineSeparator, inBlock - 1)) + 1;
    const qsizetype separator = text.indexOf(PaneText::kLineSeparator, inBlock);
    QTextCursor line(document());
    line.setPosition(block.position() + start);
    line.setPosition(block.position() + int(separator < 0 ? text.size() : separator),
                     QTextCursor::KeepAnchor);
    if (!line.atEnd())
        line.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
    setTextCursor(line);
}

void RichTextBox::inputMethodEvent(QInputMethodEvent* event) {
    // A commit with breaks, control codes or look-alikes goes the way of a paste.
    const QString commit = event->commitString();
    if (!isReadOnly() && std::any_of(commit.cbegin(), commit.cend(), [](QChar c) {
            return c.unicode() < 0x20 || PaneText::isLookAlike(c.unicode());
        })) {
        Shell::guard([&] { insertPlain(commit); });
        event->setCommitString(QString());
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void RichTextBox::paintEvent(QPaintEvent* event) {
    QPlainTextEdit::paintEvent(event);
    // Control codes get a tinted cell, so that they stand out from the text around them,
    // and a soft break its mark after the end of its line; only the blocks on screen
    // are looked at.
    const QColor controlTint(255, 140, 0, 80);
    const QColor markTint(0, 120, 255, 50);
    const QString mark = QString(QChar(PaneText::kSoftBreakMark));
    const qreal markWidth = fontMetrics().horizontalAdvance(mark);
    QPainter painter(viewport());
    const QPointF offset = contentOffset();
    const qreal bottom = event->rect().bottom();
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF box = blockBoundingGeometry(block).translated(offset);
        if (box.top() > bottom)
            break;
        if (!block.isVisible() || box.bottom() < event->rect().top())
            continue;
        const QString text = block.text();
        const QTextLayout* layout = block.layout();
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (!PaneText::isStandIn(text[i].unicode()))
                continue;
            const QTextLine line = layout->lineForTextPosition(int(i));
            if (!line.isValid())
                continue;
            const qreal left = line.cursorToX(int(i));
            const qreal right = line.cursorToX(int(i) + 1);
            painter.fillRect(
                QRectF(box.left() + left, box.top() + line.y(), right - left, line.height()),
                controlTint);
        }
        if (layout->lineCount() > 0 && followsSoftBreak(block.next())) {
            const QTextLine last = layout->lineAt(layout->lineCount() - 1);
            const qreal x = qMin(box.left() + last.x() + last.naturalTextWidth(),
                                 viewport()->width() - markWidth);
            const QRectF cell(x, box.top() + last.y(), markWidth, last.height());
            painter.fillRect(cell, markTint);
            painter.drawText(cell, Qt::AlignCenter, mark);
        }
    }
}

QMimeData* RichTextBox::createMimeDataFromSelection() const {
    auto* mime = new QMimeData;
    // Qt asks for this on every selection as well as for a copy; a selection too large for
    // the memory left is said so, and the clipboard stays empty.
    Shell::guard([&] {
        const QTextCursor cursor = textCursor();
        const Display selected = displayOf(cursor.selectionStart(), cursor.selectionEnd());
        const QString plain = QString::fromStdU16String(
            PaneText::displayToPlain(unitsOf(selected.text), selected.softBreaks, m_lineEnding));
        mime->setText(plain);
        mime->setData(kPrivateMime, plain.toUtf8());
    });
    return mime;
}

bool RichTextBox::canInsertFromMimeData(const QMimeData* source) const {
    const QStringList formats = source->formats();
    return source->hasText() || std::any_of(formats.cbegin(), formats.cend(), [](const QString& f) {
               return f == kPrivateMime || !charsetOf(f).isEmpty();
           });
}

void RichTextBox::insertFromMimeData(const QMimeData* source) {
    Shell::guard([&] {
        if (const std::optional<QString> plain = pastedText(source))
            insertPlain(*plain);
    });
}
