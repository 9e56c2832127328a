// libFuzzer target for the pane: every byte string survives the display mapping and a
// paste, no display text, however odd, crashes the reverse mapping, and a sequence of
// keys and pastes around soft breaks leaves exactly the bytes a simple model predicts.

#include "core/Cp1252.h"
#include "core/Errors.h"
#include "core/PaneText.h"
#include "qt/pane/RichTextBox.h"
#include "qt/shell/Shell.h"
#include "tests/DisplayModel.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

using namespace PaneText;

RichTextBox* thePane = nullptr;

using namespace DisplayModel;

QString decode(const QByteArray& bytes) {
    return QString::fromStdU16String(DisplayModel::decode(bytes.toStdString()));
}

std::u16string unitsOf(const QString& text) {
    return text.toStdU16String();
}

void mappings(const QByteArray& bytes) {
    const std::string text = bytes.toStdString();
    for (LineEnding ending :
         {detectLineEnding(text), LineEnding::Lf, LineEnding::CrLf, LineEnding::Cr}) {
        const Shown shown = display(text, ending);
        if (DisplayModel::bytes(shown.text, shown.soft, ending) != text)
            std::abort();
        const Shown paste = pasted(DisplayModel::decode(text), ending);
        if (DisplayModel::bytes(paste.text, paste.soft, ending) != text)
            std::abort();
        // Short lines joined into paragraphs, as the pane shows them, read back the same.
        const Shown grouped = display(text, ending, 5);
        if (DisplayModel::bytes(grouped.text, grouped.soft, ending) != text)
            std::abort();
    }

    const std::u16string odd(reinterpret_cast<const char16_t*>(text.data()), text.size() / 2);
    const SoftBreaks soft = {0, 2, 3};
    try {
        (void)DisplayModel::bytes(odd, soft, LineEnding::CrLf);
    } catch (const EncodingError&) {
    }
    try {
        (void)pasted(displayToPlain(odd, soft, LineEnding::Lf), LineEnding::Cr);
    } catch (const EncodingError&) {
    }
}

// What the pane shows, one unit per cursor position: a byte, a real break or a soft one.
class Model {
public:
    static constexpr int kReal = -1;
    static constexpr int kSoft = -2;

    Model(const QByteArray& text, LineEnding ending)
        : m_ending(ending) {
        m_units = unitsOf(display(text.toStdString(), ending));
    }
    qsizetype size() const { return qsizetype(m_units.size()); }
    qsizetype cursor = 0;

    void remove(qsizetype from, qsizetype to) {
        m_units.erase(m_units.begin() + from, m_units.begin() + to);
        cursor = from;
    }
    void insertBreak() { m_units.insert(m_units.begin() + cursor++, kReal); }
    void insertByte(char c) { m_units.insert(m_units.begin() + cursor++, (unsigned char)c); }
    void paste(const QString& plain, bool whole) {
        if (whole) {
            m_units.clear();
            cursor = 0;
            m_ending = detectLineEnding(::unitsOf(plain));
        }
        const std::vector<int> added = unitsOf(pasted(::unitsOf(plain), m_ending));
        m_units.insert(m_units.begin() + cursor, added.begin(), added.end());
        cursor += qsizetype(added.size());
    }
    QByteArray bytes() const {
        QByteArray out;
        for (const int u : m_units) {
            if (u == kReal)
                out += QByteArray::fromStdString(std::string(lineEndingBytes(m_ending)));
            else if (u >= 0)
                out += static_cast<char>(u);
        }
        return out;
    }

private:
    std::vector<int> unitsOf(const Shown& d) const {
        std::vector<int> units;
        std::ptrdiff_t ordinal = 0;
        for (const char16_t c : d.text) {
            if (c == kBreak) {
                const bool soft = std::count(d.soft.begin(), d.soft.end(), ordinal++);
                units.push_back(soft ? kSoft : kReal);
            } else {
                const std::string b = DisplayModel::bytes(std::u16string_view(&c, 1), {}, m_ending);
                units.push_back(static_cast<unsigned char>(b[0]));
            }
        }
        return units;
    }
    LineEnding m_ending;
    std::vector<int> m_units;
};

void press(QWidget* w, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
           const QString& text = QString()) {
    QKeyEvent down(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(w, &down);
    QKeyEvent up(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(w, &up);
}

// The input: one byte picks the length of a start text near a soft break, then the
// start text's own bytes, then operations, each a byte and an argument.
void edits(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return;
    RichTextBox* pane = thePane;
    const qsizetype seeded = qMin<qsizetype>(data[0] % 32, qsizetype(size) - 1);
    QByteArray start(reinterpret_cast<const char*>(data + 1), seeded);
    start += QByteArray(kSoftBreakInterval + 16 - start.size(), 'x');
    pane->setText(start);
    Model model(start, pane->lineEnding());
    model.cursor = qMin<qsizetype>(kSoftBreakInterval - 4, model.size());
    QTextCursor c = pane->textCursor();
    c.setPosition(int(model.cursor));
    pane->setTextCursor(c);

    for (std::size_t i = 1 + std::size_t(seeded); i + 1 < size; i += 2) {
        const int op = data[i] % 8;
        const int arg = data[i + 1];
        qsizetype selected = 0;
        if (op == 6) {
            selected = qMin<qsizetype>(arg % 8, model.size() - model.cursor);
            for (qsizetype k = 0; k < selected; ++k)
                press(pane, Qt::Key_Right, Qt::ShiftModifier);
        }
        if (selected > 0)
            model.remove(model.cursor, model.cursor + selected);
        switch (op) {
        case 0:
            press(pane, Qt::Key_A + arg % 26, Qt::NoModifier, QString(QChar(u'a' + arg % 26)));
            model.insertByte(char('a' + arg % 26));
            break;
        case 1:
            press(pane, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
            model.insertBreak();
            break;
        case 2:
            press(pane, Qt::Key_Backspace);
            if (model.cursor > 0)
                model.remove(model.cursor - 1, model.cursor);
            break;
        case 3:
            press(pane, Qt::Key_Delete);
            if (model.cursor < model.size())
                model.remove(model.cursor, model.cursor + 1);
            break;
        case 4:
            press(pane, Qt::Key_Left);
            model.cursor = qMax<qsizetype>(0, model.cursor - 1);
            break;
        case 5:
            press(pane, Qt::Key_Right);
            model.cursor = qMin(model.size(), model.cursor + 1);
            break;
        case 6:
            // The selection goes, by Delete or by typing over it.
            if (selected > 0 && arg % 2 == 0) {
                press(pane, Qt::Key_Delete);
            } else if (selected > 0) {
                press(pane, Qt::Key_Z, Qt::NoModifier, QStringLiteral("z"));
                model.insertByte('z');
            }
            break;
        default: {
            const QByteArray bytes(reinterpret_cast<const char*>(data + i + 1),
                                   qMin<qsizetype>(arg % 8, qsizetype(size - i - 1)));
            QApplication::clipboard()->setText(decode(bytes));
            pane->paste();
            model.paste(decode(bytes), model.size() == 0);
            break;
        }
        }
        if (pane->textCursor().position() != model.cursor || pane->Text() != model.bytes())
            std::abort();
    }
}

} // namespace

// Fontconfig keeps what it allocates for each font it first falls back to, and the
// application and pane live until the process ends: none of it is a leak.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: libFuzzer ends the process with exit(), and Qt's own globals are
    // gone by the time a static application would be.
    new QApplication(*argc, *argv);
    Shell::services().messages = [](const QString&) { std::abort(); };
    thePane = new RichTextBox;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    mappings(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    edits(data, size);
    return 0;
}
