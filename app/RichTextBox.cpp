#include "RichTextBox.h"

#include "Errors.h"
#include "TextFile.h"

#include <QAbstractTextDocumentLayout>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

namespace {

// Our own copies carry the display form, so that a paste into a pane keeps every
// control code as it was.
const QString kDisplayMime = QStringLiteral("application/x-vemo-display");

QString printerName(const QPrinter* printer) {
    if (printer->outputFormat() == QPrinter::PdfFormat)
        return printer->outputFileName();
    return printer->printerName();
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

} // namespace

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

QByteArray RichTextBox::Text() const {
    if (!m_textValid) {
        m_text = PaneText::fromDisplay(document()->toRawText(), m_lineEnding);
        m_textValid = true;
    }
    return m_text;
}

void RichTextBox::setText(const QByteArray& text) {
    setText(text, [](qint64, qint64) { return true; });
}

bool RichTextBox::setText(const QByteArray& text, const TextFile::Progress& progress) {
    // The old bytes and the old document go first: a large text is not held twice.
    m_text = text;
    m_lineEnding = PaneText::detectLineEnding(text);
    QTextDocument* doc = document();
    doc->setUndoRedoEnabled(false);
    doc->clear();
    // In slices, so that the window can paint and show progress between them.
    QTextCursor cursor(doc);
    bool whole = true;
    for (qsizetype done = 0; done < text.size() && whole;) {
        const qsizetype end = sliceEnd(text, done, m_lineEnding);
        cursor.insertText(
            PaneText::toDisplay(QByteArrayView(text).sliced(done, end - done), m_lineEnding));
        done = end;
        whole = progress(done, text.size());
    }
    doc->setUndoRedoEnabled(true);
    doc->setModified(false);
    moveCursor(QTextCursor::Start);
    m_textValid = whole;
    return whole;
}

bool RichTextBox::LoadFile(const QString& path, int type, const TextFile::Progress& progress) {
    if (type != kPlainText)
        throw FileError(FileError::Action::Read, path, FileError::Reason::Unsupported);
    // Reading is the first tenth of the work, showing the text the rest.
    const auto share = [&progress](qint64 from, qint64 part) {
        return [&progress, from, part](qint64 done, qint64 total) {
            return !progress || progress(from + (total > 0 ? done * part / total : part), 1000);
        };
    };
    const std::optional<QByteArray> data = TextFile::read(path, kMaxFileSize, share(0, 100));
    if (!data)
        return false;
    const QByteArray previous = Text();
    if (setText(*data, share(100, 900)))
        return true;
    setText(previous);
    return false;
}

void RichTextBox::SelPrint(QPrinter* printer) {
    if (printer == nullptr || !printer->isValid())
        throw PrinterError(QStringLiteral("La stampante non è disponibile."));

    // Printed as displayed, control pictures included; soft breaks keep their place so
    // that no printed paragraph grows beyond what the layout handles well.
    QString shown = document()->toRawText();
    shown.remove(QChar(PaneText::kSoftBreakMark));
    QTextDocument doc;
    doc.setDefaultFont(font());
    QTextOption option = doc.defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    doc.setDefaultTextOption(option);
    doc.setPlainText(shown);

    QPainter painter;
    if (!painter.begin(printer))
        throw PrinterError(QStringLiteral("Impossibile stampare su \"%1\": la stampante non "
                                          "accetta il lavoro di stampa.")
                               .arg(printerName(printer)));
    doc.documentLayout()->setPaintDevice(printer);
    const QRectF page = printer->pageLayout().paintRectPixels(printer->resolution());
    doc.setPageSize(page.size());
    const int pages = doc.pageCount();
    for (int i = 0; i < pages; ++i) {
        if (i > 0 && !printer->newPage())
            throw PrinterError(QStringLiteral("La stampa su \"%1\" si è interrotta a pagina %2.")
                                   .arg(printerName(printer))
                                   .arg(i + 1));
        painter.save();
        painter.translate(0, -i * page.height());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, i * page.height(), page.width(), page.height());
        doc.documentLayout()->draw(&painter, context);
        painter.restore();
    }
    if (!painter.end() || printer->printerState() == QPrinter::Error)
        throw PrinterError(
            QStringLiteral("La stampa su \"%1\" non è riuscita.").arg(printerName(printer)));
}

void RichTextBox::paintEvent(QPaintEvent* event) {
    QPlainTextEdit::paintEvent(event);
    // Control codes and soft-break marks get a tinted cell, so that they stand out from
    // the text around them; only the blocks on screen are looked at.
    const QColor controlTint(255, 140, 0, 80);
    const QColor markTint(0, 120, 255, 50);
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
            const char16_t u = text[i].unicode();
            const bool mark = u == PaneText::kSoftBreakMark;
            if (!mark && !PaneText::isStandIn(u))
                continue;
            const QTextLine line = layout->lineForTextPosition(int(i));
            if (!line.isValid())
                continue;
            const qreal left = line.cursorToX(int(i));
            const qreal right = line.cursorToX(int(i) + 1);
            painter.fillRect(
                QRectF(box.left() + left, box.top() + line.y(), right - left, line.height()),
                mark ? markTint : controlTint);
        }
    }
}

QMimeData* RichTextBox::createMimeDataFromSelection() const {
    const QString selected = textCursor().selectedText();
    auto* mime = new QMimeData;
    mime->setText(PaneText::displayToPlain(selected, m_lineEnding));
    mime->setData(kDisplayMime, selected.toUtf8());
    return mime;
}

bool RichTextBox::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasFormat(kDisplayMime) || source->hasText();
}

void RichTextBox::insertFromMimeData(const QMimeData* source) {
    QString display;
    if (source->hasFormat(kDisplayMime))
        display = QString::fromUtf8(source->data(kDisplayMime));
    else if (source->hasText())
        display = PaneText::plainToDisplay(source->text(), m_lineEnding);
    else
        return;
    textCursor().insertText(display);
    ensureCursorVisible();
}
