#pragma once

#include "core/Errors.h"
#include "core/PaneText.h"
#include "core/TextFile.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QPlainTextEdit>

#include <functional>

class QPrinter;

// A multi-line text pane whose text of record is Windows-1252 bytes. What the user sees
// and edits is derived from it (see PaneText), so every byte string written through
// Text is read back unchanged.
//
// Short lines share a block, joined by line separators: Qt's document keeps a record of
// some hundred bytes for each block, and a block for each line made a document of short
// lines several times its size. A soft break is a block separator whose character format
// carries a property; its mark is painted, never stored. Removing a soft break joins two
// lines and removes no byte; every break the user enters is a real one.
class RichTextBox : public QPlainTextEdit {
    Q_OBJECT
    Q_PROPERTY(Role role READ role WRITE setRole)

public:
    // Which text the pane holds; error messages name it.
    enum Role { Document, Key };
    Q_ENUM(Role)

    // A displayed text and its soft breaks (see PaneText).
    struct Display {
        QString text;
        PaneText::SoftBreaks softBreaks;
    };

    explicit RichTextBox(QWidget* parent = nullptr);

    // The whole text; throws EncodingError, naming the pane, the line and the column,
    // when the user entered a character that Windows-1252 cannot hold.
    QByteArray Text() const;
    // Throws std::bad_alloc, with the pane unchanged, when the memory that showing the
    // text takes cannot be had.
    void setText(const QByteArray& text);
    // The same in slices, calling `progress` between them so that the window can paint.
    // When it gives up, the pane holds only part of the text and false is returned.
    bool setText(QByteArray text, const TextFile::Progress& progress);

    // Writes the bytes of [from, from + n) of a text, changed, to `out`; `out` may be `in`.
    using Change = std::function<void(const char* in, char* out, qsizetype from, qsizetype n)>;
    // Replaces the text by its bytes changed in place, piece by piece, and shows the result;
    // no second copy of the text is made. What `change` throws, and std::bad_alloc when
    // showing the result would not fit in memory, leave the pane unchanged.
    void changeText(const Change& change, const TextFile::Progress& progress);

    // Replaces the whole content with a file's bytes, read as plain text. Returns false, the
    // content kept, when `read` or `progress` gives up; what `read` throws keeps it too.
    bool LoadFile(const TextFile::Reader& read, const TextFile::Progress& progress = {});

    // Prints the whole text on `printer`, paginated, in the pane's font. A character
    // that Text refuses is refused before the job starts. `progress` hears after each
    // page how much is printed; when it gives up, the job is aborted and SelPrint
    // returns false. Throws PrinterError when the printer cannot take the job.
    bool SelPrint(QPrinter* printer, const TextFile::Progress& progress = {});

    PaneText::LineEnding lineEnding() const { return m_lineEnding; }
    Role role() const { return m_role; }
    void setRole(Role role) { m_role = role; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    class EndingChange;

    // The display of [from, to) of the document with its soft breaks.
    Display displayOf(int from, int to) const;
    // The bytes of the whole document, read a block at a time: the display is never copied
    // whole.
    QByteArray readDocument() const;
    // Marks soft the breaks of a display inserted from block `firstBlock` on.
    void markSoftBreaks(int firstBlock, const PaneText::SoftBreaks& softBreaks);
    // Inserts text as a paste does: exact bytes, the pasted line ending when it replaces
    // everything. Throws EncodingError for a look-alike, before anything changes.
    void insertPlain(const QString& plain);
    EncodingError located(const EncodingError& error, int position) const;
    // Throws std::bad_alloc unless there is room to show `size` bytes in place of what the
    // pane shows now.
    void requireRoom(qsizetype size) const;
    EncodingError::Place place() const;

    // Where and when the last double click was: a press there soon after is a triple click.
    QPoint m_doubleClickAt;
    QElapsedTimer m_sinceDoubleClick;
    PaneText::LineEnding m_lineEnding = PaneText::LineEnding::Lf;
    Role m_role = Document;
    mutable QByteArray m_text;
    mutable bool m_textValid = true;
    // False while no soft break was made since the last setText: reading then need not
    // look at every block.
    bool m_mayHaveSoftBreaks = false;
};
