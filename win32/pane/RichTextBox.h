#pragma once

#include "core/Errors.h"
#include "core/PaneText.h"
#include "core/TextFile.h"
#include "win32/pane/PanePrint.h"

#include <windows.h>

#include <richedit.h>

#include <functional>
#include <string>
#include <string_view>

// A multi-line text pane over a RichEdit control, whose text of record is Windows-1252
// bytes. The control holds the display of those bytes (see PaneText) with each break as
// a paragraph, so every byte string written through setText is read back unchanged.
//
// Typing and the clipboard go through the pane: a character that looks like one the pane
// shows for a byte is refused, a paste arrives byte-exact and a copy carries the real
// characters. Refusals are reported to the error sink; the pane shows no window of its own.
// Its text is written through setText only, never with WM_SETTEXT.
class RichTextBox {
public:
    // Receives the Italian message of an input the pane refused.
    using ErrorSink = std::function<void(const std::string& message)>;

    // `place` names the pane in error messages.
    RichTextBox(EncodingError::Place place, ErrorSink onError);
    ~RichTextBox();
    RichTextBox(const RichTextBox&) = delete;
    RichTextBox& operator=(const RichTextBox&) = delete;

    // Creates the control as child `controlId` of `parent`, at `pixels` in its client area.
    // Throws VemoError when Windows cannot make it.
    void create(HWND parent, int controlId, const RECT& pixels);
    HWND hwnd() const { return m_hwnd; }

    // The whole text; throws EncodingError, naming the pane, the line and the column, for
    // a character that Windows-1252 cannot hold.
    std::string Text() const;
    // The same, calling `progress` as it is read out; nothing when it gives up.
    std::optional<std::string> Text(const TextFile::Progress& progress) const;
    // Replaces the whole content; the text's own line ending becomes the pane's.
    void setText(std::string_view bytes);
    // The same in slices, calling `progress` between them; when it gives up the pane
    // keeps what it had and false is returned.
    bool setText(std::string_view bytes, const TextFile::Progress& progress);
    // Replaces the whole content with a plain-text file's bytes, read by the caller.
    bool LoadFile(std::string_view bytes, const TextFile::Progress& progress = {});

    // Prints the whole text on `printer`, page by page, as the pane shows it, in a job of
    // its own. `printerName` (UTF-8) is for the messages. Throws EncodingError before the
    // job starts when Text would, PrinterError when the printer fails. `progress` hears
    // between lines how much is printed; when it gives up the job is cancelled and false
    // is returned.
    bool SelPrint(HDC printer, const std::string& printerName,
                  const TextFile::Progress& progress = {});

    // The clipboard commands that the keys and WM_PASTE, WM_COPY and WM_CUT run; public for
    // a menu. paste throws EncodingError for a look-alike, before anything changes.
    void paste();
    void copy() const;
    void cut();

private:
    // A control of the pane's kind, hidden, over the same parent at the same place.
    HWND makeControl(HWND parent, int controlId, const RECT& pixels, bool wrap) const;
    static LRESULT CALLBACK subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR self);
    // Handle an input message; false leaves it to the control.
    bool handleChar(char16_t c);
    bool handleKey(WPARAM key);
    void insertPlain(const std::u16string& plain);
    // The text an input method has just committed.
    std::u16string committed() const;
    void replaceSelection(const std::u16string& display);
    std::u16string display(LONG from, LONG to) const;
    LONG length() const;
    CHARRANGE selection() const;
    EncodingError located(const EncodingError& error, LONG position) const;
    // Runs an input action, turning what it throws into a message for the sink: an
    // exception must not leave a window procedure.
    template <typename Action> void guarded(Action action);

    EncodingError::Place m_place;
    ErrorSink m_onError;
    HWND m_hwnd = nullptr;
    // Windows' own line ending until a text brings another.
    PaneText::LineEnding m_lineEnding = PaneText::LineEnding::CrLf;
};
