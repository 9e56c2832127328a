#include "core/Cp1252.h"
#include "core/Errors.h"
#include "core/PaneText.h"
#include "core/TextFile.h"
#include "qt/pane/PanePrint.h"
#include "qt/pane/RichTextBox.h"
#include "tests/TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMimeData>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <random>

namespace {

QString decode(const QByteArray& bytes) {
    QString text;
    for (const char c : bytes)
        text += QChar(Cp1252::toUnicode(static_cast<unsigned char>(c)));
    return text;
}

// The display of bytes as the pane shows them.
std::u16string display(const QByteArray& bytes, PaneText::LineEnding ending,
                       PaneText::SoftBreaks& soft) {
    std::u16string out(PaneText::displayCapacity(std::size_t(bytes.size())), u'\0');
    out.resize(PaneText::toDisplay(std::string_view(bytes.constData(), std::size_t(bytes.size())),
                                   ending, out.data(), soft));
    return out;
}

PaneText::LineEnding endingOf(const QByteArray& bytes) {
    return PaneText::detectLineEnding(bytes.toStdString());
}

QString messageOf(const VemoError& e) {
    return QString::fromStdString(e.message());
}

// What the pane's document holds, read without the pane's cached text.
QByteArray documentText(RichTextBox& pane) {
    Q_EMIT pane.document()->contentsChanged();
    return pane.Text();
}

QByteArray allBytes() {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    return all;
}

// Types text as key presses, characters outside ASCII included.
void typeText(QWidget* w, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// Reads `bytes` as if from a file.
TextFile::Reader readerOf(const QByteArray& bytes) {
    return [bytes](const TextFile::Storage& storage) {
        std::copy(bytes.begin(), bytes.end(), storage(std::size_t(bytes.size()) + 1));
        return std::optional<std::size_t>(std::size_t(bytes.size()));
    };
}

class PaneTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        pane.resize(300, 400);
        pane.show();
        pane.setFocus();
    }
    RichTextBox pane;
};

} // namespace

TEST_F(PaneTest, TextWrittenIsTextRead) {
    const QByteArray cases[] = {
        "",
        "a\rb",
        "a\nb",
        "a\r\nb",
        "a\n\rb",
        "\r\n\r\r\n\n",
        QByteArray("nul\0in the middle\0", 19),
        "tab\tdel\x7f nbsp\xa0 shy\xad",
        "\x81\x8d\x8f\x90\x9d\x80\x9f",
        "\xe8 \x85",
        allBytes(),
        allBytes().repeated(40),
        QByteArray(3 * PaneText::kSoftBreakInterval + 1, '*'),
    };
    for (const QByteArray& text : cases) {
        pane.setText(text);
        EXPECT_EQ(pane.Text(), text);
        EXPECT_EQ(documentText(pane), text);
    }
}

TEST_F(PaneTest, RandomByteStringsThroughTheDocument) {
    std::mt19937 rng(3);
    const char pool[] = {'\r', '\n', '\t', '\0', 'x', ' ', char(0xA0), char(0x81)};
    std::uniform_int_distribution<int> any(0, 255);
    std::uniform_int_distribution<int> coin(0, 2);
    std::uniform_int_distribution<std::size_t> pick(0, sizeof pool - 1);
    std::uniform_int_distribution<int> length(0, 40);
    for (int round = 0; round < 10000; ++round) {
        QByteArray text(length(rng), Qt::Uninitialized);
        for (char& c : text)
            c = coin(rng) == 0 ? static_cast<char>(any(rng)) : pool[pick(rng)];
        pane.setText(text);
        ASSERT_EQ(documentText(pane), text) << "round " << round;
    }
}

TEST_F(PaneTest, TypingEnterBackspaceDeleteAndUndo) {
    QTest::keyClicks(&pane, QStringLiteral("ciao"));
    QTest::keyClick(&pane, Qt::Key_Return);
    typeText(&pane, QStringLiteral("mondo è"));
    EXPECT_EQ(pane.Text(), QByteArray("ciao\nmondo \xe8"));
    QTest::keyClick(&pane, Qt::Key_Backspace);
    QTest::keyClick(&pane, Qt::Key_Home);
    QTest::keyClick(&pane, Qt::Key_Delete);
    EXPECT_EQ(pane.Text(), QByteArray("ciao\nondo "));
    QTest::keyClick(&pane, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(pane.Text(), QByteArray("ciao\nmondo "));

    // Enter gives the pane's own line ending.
    pane.setText("uno\r\ndue");
    pane.moveCursor(QTextCursor::End);
    QTest::keyClick(&pane, Qt::Key_Return);
    QTest::keyClicks(&pane, QStringLiteral("tre"));
    EXPECT_EQ(pane.Text(), QByteArray("uno\r\ndue\r\ntre"));
}

TEST_F(PaneTest, CopyCarriesRealCharacters) {
    QClipboard* clipboard = QApplication::clipboard();
    pane.setText(QByteArray("k\0\x1b\x81z\r\n", 7));
    pane.selectAll();
    pane.copy();
    EXPECT_EQ(clipboard->text(), QStringLiteral("k\u0000\u001b\u0081z\r\n"));
    // A copy that never left the program goes back through the private format.
    pane.moveCursor(QTextCursor::End);
    pane.paste();
    EXPECT_EQ(pane.Text(), QByteArray("k\0\x1b\x81z\r\nk\0\x1b\x81z\r\n", 14));
}

// Short lines share a paragraph of Qt's document; a triple click still means one line.
TEST_F(PaneTest, TripleClickSelectsTheLineUnderThePointer) {
    pane.setText("uno\ndue\ntre");
    QWidget* view = pane.viewport();
    for (const auto& [word, line] : {std::pair{"uno", "uno\n"}, {"due", "due\n"}, {"tre", "tre"}}) {
        const QPoint on =
            pane.cursorRect(pane.document()->find(QString::fromLatin1(word))).center();
        QTest::mouseDClick(view, Qt::LeftButton, {}, on);
        QTest::mousePress(view, Qt::LeftButton, {}, on);
        QTest::mouseRelease(view, Qt::LeftButton, {}, on);
        pane.copy();
        EXPECT_EQ(QApplication::clipboard()->text(), QString::fromLatin1(line)) << word;
        QTest::qWait(QApplication::doubleClickInterval());
    }
}

TEST_F(PaneTest, DropFollowsThePasteRule) {
    const auto drop = [&](const QString& text) {
        QMimeData mime;
        mime.setText(text);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pane.viewport(), &enter);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pane.viewport(), &drop);
    };
    pane.clear();
    drop(QStringLiteral("a\r\nb\rc"));
    EXPECT_EQ(pane.Text(), QByteArray("a\r\nb\rc"));
    EXPECT_EQ(pane.lineEnding(), PaneText::LineEnding::CrLf);
    drop(QStringLiteral("\n"));
    EXPECT_EQ(pane.Text(), QByteArray("\na\r\nb\rc"));
}

// Pasting any text through the plain-text path puts exactly its bytes in place; a paste
// that replaces everything takes the pasted line ending, and undo takes both back.
TEST_F(PaneTest, PastedBytesArriveExactly) {
    QClipboard* clipboard = QApplication::clipboard();
    const QByteArray base = "uno\r\ndue\r\ntre\x01quattro";
    std::mt19937 rng(10);
    std::uniform_int_distribution<int> any(0, 255);
    std::uniform_int_distribution<int> kind(0, 2);
    std::uniform_int_distribution<int> length(0, 30);
    const char pool[] = {'\r', '\n', '\r', '\n', '\0', '\t', 'a'};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof pool - 1);
    std::uniform_int_distribution<qsizetype> offset(0, base.size());
    for (int round = 0; round < 600; ++round) {
        QByteArray bytes(length(rng), Qt::Uninitialized);
        for (char& c : bytes)
            c = kind(rng) == 0 ? static_cast<char>(any(rng)) : pool[pick(rng)];
        clipboard->setText(decode(bytes));

        pane.clear();
        pane.paste();
        ASSERT_EQ(pane.Text(), bytes) << round;
        ASSERT_EQ(pane.lineEnding(), endingOf(bytes));

        // Into the middle, or over a selection, of a CR LF text.
        qsizetype from = offset(rng), to = offset(rng);
        if (from > to)
            std::swap(from, to);
        for (qsizetype* at : {&from, &to})
            if (*at > 0 && base[*at - 1] == '\r' && base[*at] == '\n')
                --*at;
        const auto displayed = [&](qsizetype n) {
            PaneText::SoftBreaks soft;
            return int(display(base.left(n), PaneText::LineEnding::CrLf, soft).size());
        };
        pane.setText(base);
        QTextCursor cursor = pane.textCursor();
        cursor.setPosition(displayed(from));
        cursor.setPosition(displayed(to), QTextCursor::KeepAnchor);
        pane.setTextCursor(cursor);
        pane.paste();
        ASSERT_EQ(pane.Text(), base.left(from) + bytes + base.mid(to)) << round;

        pane.selectAll();
        pane.paste();
        ASSERT_EQ(pane.Text(), bytes) << round;
        ASSERT_EQ(pane.lineEnding(), endingOf(bytes));
        pane.undo();
        ASSERT_EQ(pane.Text(), base.left(from) + bytes + base.mid(to)) << round;
        ASSERT_EQ(pane.lineEnding(),
                  from == 0 && to == base.size() ? endingOf(bytes) : PaneText::LineEnding::CrLf);
    }
}

// A text offered only in a charset of its own arrives exactly; bytes that charset does not
// allow are refused with the message and insert nothing.
TEST_F(PaneTest, PasteTakesEveryTextTargetInItsCharset) {
    const struct {
        const char* format;
        QByteArray offered;
        QByteArray expected; // the pane after the paste
        const char* refused; // in the message, or nullptr
    } cases[] = {
        {"text/plain;charset=ISO-8859-1", "caff\xe8 \xa9", "[caff\xe8 \xa9]", nullptr},
        {"text/plain; charset=\"utf-8\"", "caff\xc3\xa8 \xe2\x82\xac", "[caff\xe8 \x80]", nullptr},
        {"text/plain;charset=windows-1252", "\x80\x81\x9d", "[\x80\x81\x9d]", nullptr},
        {"text/plain;charset=UTF-16LE", QByteArray("o\0k\0", 4), "[ok]", nullptr},
        {"text/plain;charset=utf-8", "ok \xe8 no", "[]",
         "codifica UTF-8 con cui è offerto (dal carattere 4)"},
        {"text/plain", "a\xef\xbf\xbd", "[]", "codifica UTF-8 con cui è offerto (dal carattere 2)"},
        {"text/plain;charset=us-ascii", "ab\xe8", "[]",
         "codifica US-ASCII con cui è offerto (dal carattere 3)"},
    };
    for (const auto& c : cases) {
        messages.clear();
        pane.setText("[]");
        QTextCursor cursor = pane.textCursor();
        cursor.setPosition(1);
        pane.setTextCursor(cursor);
        auto* mime = new QMimeData;
        mime->setData(QString::fromLatin1(c.format), c.offered);
        QApplication::clipboard()->setMimeData(mime);
        pane.paste();
        EXPECT_EQ(pane.Text(), c.expected) << c.format;
        if (c.refused) {
            ASSERT_EQ(messages.size(), 1) << c.format;
            EXPECT_TRUE(messages[0].contains(QString::fromUtf8(c.refused)))
                << messages[0].toStdString();
        } else {
            EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
        }
    }
}

TEST_F(PaneTest, LookAlikesAreRefusedAtInputWithTheirPlace) {
    const struct {
        RichTextBox::Role role;
        QString input;
        bool paste;
        QString expected;
    } cases[] = {
        {RichTextBox::Document, QStringLiteral("\u2400"), false,
         QStringLiteral("«\u2400» (U+2400) alla riga 2, colonna 3 del documento")},
        {RichTextBox::Key, QStringLiteral("\u21A9"), false,
         QStringLiteral("«\u21A9» (U+21A9) alla riga 2, colonna 3 della chiave")},
        {RichTextBox::Document, QStringLiteral("ok\r\nx\u240D"), true,
         QStringLiteral("«\u240D» (U+240D) alla riga 3, colonna 2 del documento")},
        {RichTextBox::Key, QStringLiteral("\u2029"), true,
         QStringLiteral("(U+2029) alla riga 2, colonna 3 della chiave")},
    };
    for (const auto& c : cases) {
        messages.clear();
        pane.setRole(c.role);
        pane.setText("ab\r\ncd");
        pane.moveCursor(QTextCursor::End);
        if (c.paste) {
            QApplication::clipboard()->setText(c.input);
            pane.paste();
        } else {
            typeText(&pane, c.input);
        }
        EXPECT_EQ(pane.Text(), QByteArray("ab\r\ncd"));
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].contains(c.expected)) << messages[0].toStdString();
    }
}

TEST_F(PaneTest, ReadingLocatesACharacterAmongManyShortLines) {
    // Short lines share blocks; the place counts every line all the same.
    const QByteArray lines = QByteArray("123456789\n").repeated(500);
    const struct {
        int position;
        const char* place;
    } cases[] = {
        {0, "riga 1, colonna 1 "},
        {2503, "riga 251, colonna 4 "},
        {5000, "riga 501, colonna 1 "},
    };
    for (const auto& c : cases) {
        pane.setText(lines);
        QTextCursor cursor = pane.textCursor();
        cursor.setPosition(c.position);
        pane.setTextCursor(cursor);
        typeText(&pane, QStringLiteral("ł"));
        try {
            (void)pane.Text();
            ADD_FAILURE() << "no error at " << c.position;
        } catch (const EncodingError& e) {
            EXPECT_TRUE(messageOf(e).contains(QString::fromUtf8(c.place))) << e.message();
        }
    }
}

TEST_F(PaneTest, CharacterOutsideWindows1252MakesReadingFail) {
    // Soft breaks do not count: the character typed after 5000 others is in column 5001.
    pane.setText(QByteArray(5000, 'x'));
    pane.moveCursor(QTextCursor::End);
    typeText(&pane, QStringLiteral("ł"));
    try {
        (void)pane.Text();
        FAIL() << "no error";
    } catch (const EncodingError& e) {
        EXPECT_EQ(e.character(), U'ł');
        EXPECT_TRUE(messageOf(e).contains(QStringLiteral("«ł» (U+0142) alla riga 1, colonna 5001 "
                                                         "del documento")))
            << e.message();
    }
    QTest::keyClick(&pane, Qt::Key_Backspace);
    EXPECT_EQ(pane.Text(), QByteArray(5000, 'x'));

    pane.setRole(RichTextBox::Key);
    pane.setText("a\nb");
    pane.moveCursor(QTextCursor::End);
    QTest::sendKeyEvent(QTest::Click, &pane, Qt::Key_unknown, QString::fromUtf8("\xF0\x9F\x98\x80"),
                        Qt::NoModifier);
    EXPECT_THROW(
        try { (void)pane.Text(); } catch (const EncodingError& e) {
            EXPECT_TRUE(
                messageOf(e).contains(QStringLiteral("alla riga 2, colonna 2 della chiave")));
            throw;
        },
        EncodingError);
}

// One unit per cursor position: a byte, or a soft break that stands for nothing.
struct EditModel {
    static constexpr int kSoft = -1;
    std::vector<int> units;
    qsizetype cursor = 0;

    explicit EditModel(const QByteArray& text) {
        PaneText::SoftBreaks soft;
        const std::u16string shown = display(text, PaneText::LineEnding::Lf, soft);
        std::ptrdiff_t ordinal = 0;
        for (const char16_t c : shown) {
            char byte = 0;
            if (c != PaneText::kBreak)
                units.push_back(static_cast<unsigned char>(
                    (PaneText::fromDisplay(std::u16string_view(&c, 1), {}, {}, &byte), byte)));
            else
                units.push_back(std::count(soft.begin(), soft.end(), ordinal++) ? kSoft : '\n');
        }
    }
    void remove(qsizetype from, qsizetype to) {
        units.erase(units.begin() + from, units.begin() + to);
        cursor = from;
    }
    void insert(const QByteArray& bytes) {
        for (const char c : bytes)
            units.insert(units.begin() + cursor++, static_cast<unsigned char>(c));
    }
    QByteArray bytes() const {
        QByteArray out;
        for (const int u : units)
            if (u != kSoft)
                out.append(static_cast<char>(u));
        return out;
    }
};

TEST_F(PaneTest, RandomEditsAroundSoftBreaksMatchAByteModel) {
    std::mt19937 rng(44);
    std::uniform_int_distribution<int> op(0, 8);
    std::uniform_int_distribution<int> span(1, 6);
    const char pool[] = {'a', 'z', '\r', '\n', '\t', '\0', char(0x81), char(0xE8)};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof pool - 1);
    for (int sequence = 0; sequence < 12; ++sequence) {
        QByteArray start(2 * PaneText::kSoftBreakInterval + 50, 'x');
        start[100] = '\n';
        EditModel model(start);
        pane.setText(start);
        model.cursor = PaneText::kSoftBreakInterval + 99;
        QTextCursor c = pane.textCursor();
        c.setPosition(int(model.cursor));
        pane.setTextCursor(c);
        for (int step = 0; step < 150; ++step) {
            const qsizetype size = qsizetype(model.units.size());
            int action = op(rng);
            if (action == 8) {
                // Select a few positions to the right; the next action replaces them.
                const int n = int(qMin<qsizetype>(span(rng), size - model.cursor));
                for (int i = 0; i < n; ++i)
                    QTest::keyClick(&pane, Qt::Key_Right, Qt::ShiftModifier);
                const qsizetype from = model.cursor;
                model.remove(from, from + n);
                action = std::uniform_int_distribution<int>(0, 4)(rng);
                if (action == 2 || action == 3) {
                    QTest::keyClick(&pane, action == 2 ? Qt::Key_Backspace : Qt::Key_Delete);
                    action = -1;
                }
            } else if (action == 2 && model.cursor > 0) {
                model.remove(model.cursor - 1, model.cursor);
            } else if (action == 3 && model.cursor < size) {
                model.remove(model.cursor, model.cursor + 1);
            }
            switch (action) {
            case 0: {
                const char letter = pool[pick(rng) % 2];
                QTest::keyClick(&pane, letter);
                model.insert(QByteArray(1, letter));
                break;
            }
            case 1:
                QTest::keyClick(&pane, Qt::Key_Return);
                model.insert("\n");
                break;
            case 2:
                QTest::keyClick(&pane, Qt::Key_Backspace);
                break;
            case 3:
                QTest::keyClick(&pane, Qt::Key_Delete);
                break;
            case 4: {
                QByteArray bytes;
                for (int i = span(rng); i > 0; --i)
                    bytes.append(pool[pick(rng)]);
                QApplication::clipboard()->setText(decode(bytes));
                pane.paste();
                model.insert(bytes);
                break;
            }
            case 5:
            case 6:
                QTest::keyClick(&pane, Qt::Key_Left);
                model.cursor = qMax<qsizetype>(0, model.cursor - 1);
                break;
            case 7:
                QTest::keyClick(&pane, Qt::Key_Right);
                model.cursor = qMin(size, model.cursor + 1);
                break;
            default:
                break;
            }
            ASSERT_EQ(pane.textCursor().position(), model.cursor) << sequence << "/" << step;
            ASSERT_EQ(pane.Text(), model.bytes()) << sequence << "/" << step;
        }
        // Undo takes every edit back, soft breaks included.
        while (pane.document()->isUndoAvailable())
            pane.undo();
        ASSERT_EQ(pane.Text(), start);
    }
}

TEST_F(PaneTest, EnterAndBackspaceAtASoftBreakChangeNothing) {
    const QByteArray line(5000, 'x');
    const int afterSoftBreak = int(PaneText::kSoftBreakInterval) + 1;
    pane.setText(line);
    QTextCursor c = pane.textCursor();
    c.setPosition(afterSoftBreak);
    pane.setTextCursor(c);
    QTest::keyClick(&pane, Qt::Key_Return);
    EXPECT_EQ(pane.Text(), line.left(4096) + '\n' + line.mid(4096));
    QTest::keyClick(&pane, Qt::Key_Backspace);
    EXPECT_EQ(pane.Text(), line);
    // Deleting the soft break itself joins the lines and removes no byte.
    QTest::keyClick(&pane, Qt::Key_Backspace);
    EXPECT_EQ(pane.Text(), line);
    EXPECT_EQ(pane.document()->blockCount(), 1);
}

TEST_F(PaneTest, LoadFileTakesTheBytesExactly) {
    const QByteArray contents[] = {allBytes(), "{\\rtf1\\ansi{\\b Ciao}}\r\n",
                                   QByteArray("\0\0a\0", 4), ""};
    for (const QByteArray& content : contents) {
        pane.setText("previous");
        pane.LoadFile(readerOf(content));
        EXPECT_EQ(pane.Text(), content);
    }
    // What the pane held before does not matter, not even a character it cannot read.
    typeText(&pane, QStringLiteral("ł"));
    pane.LoadFile(readerOf(allBytes()));
    EXPECT_EQ(pane.Text(), allBytes());
}

TEST_F(PaneTest, SelPrintPrintsTheWholeTextAsDisplayed) {
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    QByteArray text = "Prima riga con \xe8\nSeconda\x01riga\n";
    for (int i = 0; i < 200; ++i)
        text += "riga numero " + QByteArray::number(i) + "\n";
    text += "FINE";
    pane.setText(text);
    pane.moveCursor(QTextCursor::Start);
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    pane.SelPrint(&printer);
    const QString printed = pdfText(pdf);
    EXPECT_TRUE(printed.contains(QStringLiteral("Prima riga con è")))
        << printed.left(200).toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("Seconda\u2401riga")));
    EXPECT_TRUE(printed.contains(QStringLiteral("riga numero 199")));
    EXPECT_TRUE(printed.contains(QStringLiteral("FINE")));
    EXPECT_GT(pdfPages(pdf), 1);
    EXPECT_EQ(pane.Text(), text);
}

namespace {

QString pdfPage(const QString& pdf, int page) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"),
            {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
             QString::number(page), QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString numbered(qsizetype line) {
    return QStringLiteral("riga %1").arg(line, 7, 10, QLatin1Char('0'));
}

} // namespace

// Beyond what one text layout holds (about 10 MiB): every page is there, in order. The
// sanitizers make printing several times slower, so their build prints less, and a busy
// machine must still finish well within the time limit; that the time grows linearly with
// larger texts is measured by the benchmark.
#if defined(__SANITIZE_ADDRESS__)
constexpr qsizetype kPrintedMebibytes = 2;
#else
constexpr qsizetype kPrintedMebibytes = 12;
#endif

TEST_F(PaneTest, SelPrintPrintsALargeTextInOrder) {
    constexpr qsizetype kLines = kPrintedMebibytes * 1024 * 1024 / 64 + 1;
    QByteArray text;
    text.reserve(kLines * 64);
    for (qsizetype i = 0; i < kLines; ++i) {
        const QByteArray line = numbered(i).toLatin1() + " \x01\xe8";
        text += line + QByteArray(63 - line.size(), '.') + (i + 1 < kLines ? "\n" : "");
    }
    pane.setText(text);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("big.pdf"));
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    pane.SelPrint(&printer);

    const QString first = pdfPage(pdf, 1);
    const qsizetype perPage = first.count(QStringLiteral("riga "));
    ASSERT_GT(perPage, 10);
    EXPECT_TRUE(first.contains(numbered(0) + QStringLiteral(" \u2401è...")));
    const qsizetype pages = (kLines + perPage - 1) / perPage;
    ASSERT_EQ(pdfPages(pdf), pages);
    for (const qsizetype page : {pages / 2, pages}) {
        const QString printed = pdfPage(pdf, int(page));
        const qsizetype firstLine = (page - 1) * perPage;
        const qsizetype lastLine = qMin(kLines, page * perPage) - 1;
        EXPECT_EQ(printed.count(QStringLiteral("riga ")), lastLine - firstLine + 1) << page;
        EXPECT_TRUE(printed.contains(numbered(firstLine)) && printed.contains(numbered(lastLine)))
            << page << printed.left(300).toStdString();
    }
}

TEST_F(PaneTest, PrintingRefusesOrCancelsWithoutAFile) {
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    pane.setText("ab\ncd");
    pane.moveCursor(QTextCursor::End);
    typeText(&pane, QStringLiteral("ł"));
    try {
        pane.SelPrint(&printer);
        ADD_FAILURE() << "printed";
    } catch (const EncodingError& e) {
        EXPECT_TRUE(messageOf(e).contains(QStringLiteral("alla riga 2, colonna 3 del documento")));
    }
    EXPECT_FALSE(QFile::exists(pdf));

    const QByteArray text = QByteArray("riga\n").repeated(1000);
    int calls = 0;
    EXPECT_FALSE(PanePrint::print(text, PaneText::LineEnding::Lf, pane.font(), &printer,
                                  [&](qint64 done, qint64 total) {
                                      EXPECT_LT(done, total);
                                      return ++calls < 3;
                                  }));
    EXPECT_EQ(calls, 3);
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(PaneTest, SelPrintFailureRaises) {
    pane.setText("x");
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QStringLiteral("/proc/no/such/dir/out.pdf"));
    EXPECT_THROW(pane.SelPrint(&printer), PrinterError);
    EXPECT_THROW(pane.SelPrint(nullptr), PrinterError);
}
