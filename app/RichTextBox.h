#pragma once

#include "core/Errors.h"
#include "core/PaneText.h"
#include "core/TextFile.h"

#include <QByteArray>
#include <QPlainTextEdit>

class QPrinter;

// A multi-line text pane whose text of record is Windows-1252 bytes. What the user sees
// and edits is derived from it (see PaneText), so every byte string written through
// Text is read back unchanged.
//
// A soft break is a block separator whose character format carries a property; its
// mark is painted, never stored. Removing a soft break joins two lines and removes no
// byte; every break the user enters is a real one.
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
    void setText(const QByteArray& text);
    // The same in slices, calling `progress` between them so that the window can paint.
    // When it gives up, the pane holds only part of the text and false is returned.
    bool setText(const QByteArray& text, const TextFile::Progress& progress);

    // Replaces the whole content with a file's bytes, read as plain text. Returns false, the
    // content kept, when `progress` gives up.
    bool LoadFile(const QByteArray& content, const TextFile::Progress& progress = {});

    // Prints the whole text on `printer`, paginated, in the pane's font. A character
    // that Text refuses is refused before the job starts. `progress` hears after each
    // page how much is printed; when it gives up, the job is aborted and SelPrint
    // returns. Throws PrinterError when the printer cannot take the job.
    void SelPrint(QPrinter* printer, const TextFile::Progress& progress = {});

    PaneText::LineEnding lineEnding() const { return m_lineEnding; }
    Role role() const { return m_role; }
    void setRole(Role role) { m_role = role; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    class EndingChange;

    // The display of [from, to) of the document with its soft breaks.
    Display displayOf(int from, int to) const;
    Display wholeDisplay() const;
    // Marks soft the breaks of a display inserted from block `firstBlock` on.
    void markSoftBreaks(int firstBlock, const PaneText::SoftBreaks& softBreaks);
    // Inserts text as a paste does: exact bytes, the pasted line ending when it replaces
    // everything. Throws EncodingError for a look-alike, before anything changes.
    void insertPlain(const QString& plain);
    EncodingError located(const EncodingError& error, int position) const;
    EncodingError::Place place() const;

    PaneText::LineEnding m_lineEnding = PaneText::LineEnding::Lf;
    Role m_role = Document;
    mutable QByteArray m_text;
    mutable bool m_textValid = true;
    // False while no soft break was made since the last setText: reading then need not
    // look at every block.
    bool m_mayHaveSoftBreaks = false;
};
