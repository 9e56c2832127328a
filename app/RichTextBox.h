#pragma once

#include "PaneText.h"
#include "TextFile.h"

#include <QByteArray>
#include <QPlainTextEdit>

class QPrinter;

// A multi-line text pane whose text of record is Windows-1252 bytes. What the user sees
// and edits is derived from it (see PaneText), so every byte string written through
// Text is read back unchanged.
class RichTextBox : public QPlainTextEdit {
    Q_OBJECT

public:
    // Files larger than this are refused by LoadFile.
    static constexpr qint64 kMaxFileSize = qint64(256) * 1024 * 1024;
    static constexpr int kPlainText = 1;

    explicit RichTextBox(QWidget* parent = nullptr);

    // The whole text; throws EncodingError when the user entered a character that
    // Windows-1252 cannot hold.
    QByteArray Text() const;
    void setText(const QByteArray& text);
    // The same in slices, calling `progress` between them so that the window can paint.
    // When it gives up, the pane holds only part of the text and false is returned.
    bool setText(const QByteArray& text, const TextFile::Progress& progress);

    // Replaces the whole content with the file's bytes. Only plain text (type 1) is
    // supported. Throws FileError and leaves the content as it was on any failure; returns
    // false, the content kept, when `progress` gives up.
    bool LoadFile(const QString& path, int type, const TextFile::Progress& progress = {});

    // Prints the whole text on `printer`, paginated, in the pane's font. Throws
    // PrinterError when the printer cannot take the job.
    void SelPrint(QPrinter* printer);

    PaneText::LineEnding lineEnding() const { return m_lineEnding; }

protected:
    void paintEvent(QPaintEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    PaneText::LineEnding m_lineEnding = PaneText::LineEnding::Lf;
    mutable QByteArray m_text;
    mutable bool m_textValid = true;
};
