#include "qt/pane/PanePrint.h"

#include "core/Errors.h"
#include "core/Texts.h"

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QTextLayout>

#include <string>
#include <string_view>

namespace PanePrint {

namespace {

// Characters laid out at once; the unfinished last line of a piece is laid out again
// with the next one, so the pieces do not show in the printout.
constexpr qsizetype kPiece = 4096;

class PageWriter {
public:
    PageWriter(QPrinter* printer, const QFont& font, const TextFile::Progress& progress,
               qsizetype total)
        : m_printer(printer)
        , m_font(font, printer)
        , m_progress(progress)
        , m_total(total) {
        if (!m_painter.begin(printer))
            throw PrinterError(
                Texts::with(Texts::kPrinterRefusesJob, printerName(printer).toStdString()));
        m_page = printer->pageLayout().paintRectPixels(printer->resolution()).size();
        const QFontMetricsF metrics(m_font, printer);
        m_option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        m_option.setTabStopDistance(4 * metrics.horizontalAdvance(QLatin1Char(' ')));
        m_emptyLine = metrics.lineSpacing();
    }

    // Lays out one line of the text, [begin, end) of `bytes`. Returns false if cancelled.
    bool paragraph(const unsigned char* bytes, qsizetype begin, qsizetype end) {
        if (begin == end)
            return advance(m_emptyLine, end);
        QString piece;
        for (qsizetype at = begin; at < end;) {
            const qsizetype take = qMin(kPiece, end - at);
            const qsizetype carried = piece.size();
            piece.resize(carried + take);
            char16_t* out = reinterpret_cast<char16_t*>(piece.data()) + carried;
            for (qsizetype i = 0; i < take; ++i)
                out[i] = PaneText::displayChar(bytes[at + i]);
            at += take;
            const bool last = at == end;

            QTextLayout layout(piece, m_font, m_printer);
            layout.setTextOption(m_option);
            layout.beginLayout();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
                line.setLineWidth(m_page.width());
            layout.endLayout();
            const int lines = layout.lineCount();
            for (int i = 0; i < (last ? lines : lines - 1); ++i) {
                const QTextLine line = layout.lineAt(i);
                if (!advance(line.height(), at))
                    return false;
                line.draw(&m_painter, QPointF(0, m_y - line.y()));
                m_y += line.height();
            }
            piece =
                last || lines == 0 ? QString() : piece.mid(layout.lineAt(lines - 1).textStart());
        }
        return true;
    }

    void finish() {
        if (!m_painter.end() || m_printer->printerState() == QPrinter::Error)
            throw PrinterError(
                Texts::with(Texts::kPrintFailed, printerName(m_printer).toStdString()));
    }

    // Qt's PDF and CUPS engines cannot abort: their job ends at the last finished page,
    // and a PDF file is removed rather than left incomplete.
    void abort() {
        if (m_printer->abort())
            return;
        m_painter.end();
        if (m_printer->outputFormat() == QPrinter::PdfFormat)
            QFile::remove(m_printer->outputFileName());
    }

private:
    // Makes room for a line of `height`, on a new page if this one is full.
    bool advance(qreal height, qsizetype done) {
        if (m_y == 0 || m_y + height <= m_page.height())
            return true;
        if (m_progress && !m_progress(done, m_total))
            return false;
        if (!m_printer->newPage())
            throw PrinterError(Texts::with(Texts::kPrintStopped,
                                           printerName(m_printer).toStdString(),
                                           std::to_string(m_pageNumber + 1)));
        ++m_pageNumber;
        m_y = 0;
        return true;
    }

    QPrinter* m_printer;
    QFont m_font;
    const TextFile::Progress& m_progress;
    qsizetype m_total;
    QPainter m_painter;
    QSizeF m_page;
    QTextOption m_option;
    qreal m_emptyLine = 0;
    qreal m_y = 0;
    int m_pageNumber = 1;
};

} // namespace

QString printerName(const QPrinter* printer) {
    if (printer->outputFormat() == QPrinter::PdfFormat)
        return printer->outputFileName();
    return printer->printerName();
}

bool print(QByteArrayView text, PaneText::LineEnding ending, const QFont& font, QPrinter* printer,
           const TextFile::Progress& progress) {
    const std::string_view all(text.data(), std::size_t(text.size()));
    const std::string_view eol = PaneText::lineEndingBytes(ending);
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());

    PageWriter writer(printer, font, progress, text.size());
    for (std::size_t begin = 0;;) {
        const std::size_t found = all.find(eol, begin);
        const std::size_t end = found == std::string_view::npos ? all.size() : found;
        if (!writer.paragraph(bytes, qsizetype(begin), qsizetype(end))) {
            writer.abort();
            return false;
        }
        if (found == std::string_view::npos)
            break;
        begin = end + eol.size();
    }
    writer.finish();
    return true;
}

} // namespace PanePrint
