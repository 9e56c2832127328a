#include "Errors.h"
#include "PaneText.h"
#include "RichTextBox.h"
#include "TextFile.h"
#include "TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <random>
#include <unistd.h>

namespace {

// What the pane's document holds, read without the pane's cached text.
QByteArray documentText(const RichTextBox& pane) {
    return PaneText::fromDisplay(pane.document()->toRawText(), pane.lineEnding());
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

TEST_F(PaneTest, PasteAndCopyCarryRealCharacters) {
    QClipboard* clipboard = QApplication::clipboard();
    pane.setText("x\r\ny");
    pane.moveCursor(QTextCursor::End);
    clipboard->setText(QStringLiteral("|a\nb\r\nc\u0001"));
    pane.paste();
    EXPECT_EQ(pane.Text(), QByteArray("x\r\ny|a\r\nb\r\nc\x01"));

    pane.setText(QByteArray("k\0\x1b\x81z", 5));
    pane.selectAll();
    pane.copy();
    EXPECT_EQ(clipboard->text(), QStringLiteral("k\u0000\u001b\u0081z"));
    // A copy pasted into a pane keeps every control code.
    pane.moveCursor(QTextCursor::End);
    pane.paste();
    EXPECT_EQ(pane.Text(), QByteArray("k\0\x1b\x81zk\0\x1b\x81z", 10));
}

TEST_F(PaneTest, CharacterOutsideWindows1252MakesReadingFail) {
    pane.setText("ab");
    pane.moveCursor(QTextCursor::End);
    typeText(&pane, QStringLiteral("ł"));
    try {
        (void)pane.Text();
        FAIL() << "no error";
    } catch (const EncodingError& e) {
        EXPECT_EQ(e.character(), U'ł');
        EXPECT_EQ(e.position(), 3);
        EXPECT_TRUE(e.message().contains(QStringLiteral("ł")));
    }
    QTest::keyClick(&pane, Qt::Key_Backspace);
    EXPECT_EQ(pane.Text(), QByteArray("ab"));
}

TEST_F(PaneTest, RandomEditSequencesMatchTheExpectedBytes) {
    std::mt19937 rng(44);
    std::uniform_int_distribution<int> op(0, 6);
    std::uniform_int_distribution<int> letter('a', 'z');
    for (int sequence = 0; sequence < 20; ++sequence) {
        QByteArray expected("start\x01\n\x7fmid\tend", 16);
        pane.setText(expected);
        pane.moveCursor(QTextCursor::Start);
        qsizetype cursor = 0;
        for (int step = 0; step < 150; ++step) {
            switch (op(rng)) {
            case 0:
            case 1: {
                const char c = static_cast<char>(letter(rng));
                QTest::keyClick(&pane, c);
                expected.insert(cursor++, c);
                break;
            }
            case 2:
                QTest::keyClick(&pane, Qt::Key_Return);
                expected.insert(cursor++, '\n');
                break;
            case 3:
                QTest::keyClick(&pane, Qt::Key_Backspace);
                if (cursor > 0)
                    expected.remove(--cursor, 1);
                break;
            case 4:
                QTest::keyClick(&pane, Qt::Key_Delete);
                if (cursor < expected.size())
                    expected.remove(cursor, 1);
                break;
            case 5:
                QTest::keyClick(&pane, Qt::Key_Left);
                cursor = qMax<qsizetype>(0, cursor - 1);
                break;
            default:
                QTest::keyClick(&pane, Qt::Key_Right);
                cursor = qMin(expected.size(), cursor + 1);
                break;
            }
        }
        ASSERT_EQ(pane.Text(), expected) << "sequence " << sequence;
    }
}

TEST_F(PaneTest, LoadFileReadsBytesExactly) {
    QTemporaryDir dir;
    const struct {
        const char* name;
        QByteArray content;
    } files[] = {
        {"all.txt", allBytes()},
        {"rtf.txt", "{\\rtf1\\ansi{\\b Ciao}}\r\n"},
        {"nul.bin", QByteArray("\0\0a\0", 4)},
        {"empty.txt", ""},
    };
    for (const auto& f : files) {
        const QString path = dir.filePath(QString::fromLatin1(f.name));
        TextFile::save(path, f.content);
        pane.setText("previous");
        pane.LoadFile(path, RichTextBox::kPlainText);
        EXPECT_EQ(pane.Text(), f.content) << f.name;
    }
}

TEST_F(PaneTest, LoadFileFailuresKeepTheContent) {
    QTemporaryDir dir;
    const QString big = dir.filePath(QStringLiteral("big.txt"));
    {
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(RichTextBox::kMaxFileSize + 1));
    }
    const QString ok = dir.filePath(QStringLiteral("ok.txt"));
    TextFile::save(ok, "ok");
    const struct {
        QString path;
        int type;
        QString reason;
    } cases[] = {
        {dir.filePath(QStringLiteral("missing.txt")), 1, QStringLiteral("il file non esiste")},
        {dir.path(), 1, QStringLiteral("è una cartella, non un file")},
        {big, 1, QStringLiteral("il file supera il limite di 256 MiB")},
        {ok, 0, QStringLiteral("formato di file non supportato")},
    };
    for (const auto& c : cases) {
        pane.setText("kept");
        try {
            pane.LoadFile(c.path, c.type);
            ADD_FAILURE() << c.path.toStdString();
        } catch (const FileError& e) {
            EXPECT_EQ(e.reason(), c.reason);
            EXPECT_TRUE(e.message().contains(c.path));
        }
        EXPECT_EQ(pane.Text(), QByteArray("kept"));
    }
}

TEST_F(PaneTest, UnreadableFileIsReported) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("secret.txt"));
    TextFile::save(path, "secret");
    QFile::setPermissions(path, QFileDevice::WriteOwner);
    pane.setText("kept");
    EXPECT_THROW(pane.LoadFile(path, 1), FileError);
    EXPECT_EQ(pane.Text(), QByteArray("kept"));
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

TEST_F(PaneTest, SelPrintFailureRaises) {
    pane.setText("x");
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QStringLiteral("/proc/no/such/dir/out.pdf"));
    EXPECT_THROW(pane.SelPrint(&printer), PrinterError);
    EXPECT_THROW(pane.SelPrint(nullptr), PrinterError);
}
