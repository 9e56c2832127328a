#include "qt/Form1.h"
#include "qt/Windows.h"
#include "qt/pane/RichTextBox.h"
#include "qt/shell/Shell.h"
#include "tests/TestSupport.h"

#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

namespace {

class Form1Test : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        form = startMain();
        button = form->findChild<QPushButton*>(QStringLiteral("Command1"));
        document = form->RichTextBox1();
        key = form->RichTextBox2();
    }
    Form1* form = nullptr;
    QPushButton* button = nullptr;
    RichTextBox* document = nullptr;
    RichTextBox* key = nullptr;
};

QByteArray codes1To255() {
    QByteArray all;
    for (int b = 1; b < 256; ++b)
        all.append(static_cast<char>(b));
    return all;
}

} // namespace

TEST_F(Form1Test, WindowAndControlsStandWhereDesigned) {
    EXPECT_EQ(form->windowTitle(),
              QStringLiteral("VeMo V 1.0 By TaReX: La SiCuReZzA pRiMa Di TuTtO"));
    QWidget* client = form->centralWidget();
    EXPECT_EQ(client->size(), QSize(796, 526));
    EXPECT_EQ(client->mapToGlobal(QPoint(0, 0)), QPoint(1, 42));

    const struct {
        const char* name;
        QRect rect;
    } controls[] = {
        {"Label1", {80, 8, 161, 33}},         {"Label2", {592, 8, 169, 33}},
        {"Command1", {344, 416, 129, 25}},    {"lblFile", {56, 56, 241, 17}},
        {"RichTextBox1", {16, 72, 281, 433}}, {"RichTextBox2", {496, 72, 289, 433}},
        {"Label3", {528, 56, 233, 17}},       {"Labelfd", {344, 64, 9, 41}},
        {"Image1", {296, 200, 201, 197}},
    };
    for (const auto& c : controls) {
        QWidget* w = child(form, c.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->geometry(), c.rect) << c.name;
        EXPECT_EQ(w->parentWidget(), client) << c.name;
    }
    EXPECT_NE(form->findChild<QObject*>(QStringLiteral("CommonDialog1")), nullptr);
}

TEST_F(Form1Test, CaptionsColoursAndFonts) {
    const QColor yellow(255, 255, 0);
    const QPalette system = QApplication::palette();
    const QColor menuText = QApplication::palette("QMenu").color(QPalette::WindowText);
    const struct {
        const char* name;
        QString text;
        QColor fore;
        QColor back;
    } labels[] = {
        {"Label1", QStringLiteral("Frase"), yellow, Qt::black},
        {"Label2", QStringLiteral("Chiave"), yellow, Qt::black},
        {"lblFile", QStringLiteral("Inserire il testo da criptare/decriptare"),
         system.color(QPalette::HighlightedText), menuText},
        {"Label3", QStringLiteral("Inserire la chiave per criptare / decriptare il testo"),
         system.color(QPalette::HighlightedText), menuText},
        {"Labelfd", QStringLiteral("Label4"), system.color(QPalette::ButtonText), menuText},
    };
    for (const auto& l : labels) {
        auto* label = qobject_cast<QLabel*>(child(form, l.name));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), l.text) << l.name;
        EXPECT_EQ(label->palette().color(QPalette::WindowText), l.fore) << l.name;
        EXPECT_EQ(label->palette().color(QPalette::Window), l.back) << l.name;
        EXPECT_TRUE(label->wordWrap() && label->autoFillBackground()) << l.name;
        EXPECT_FALSE(label->text().contains(u'&'));
    }
    for (const char* name : {"Label1", "Label2"}) {
        const QFont font = child(form, name)->font();
        EXPECT_EQ(font.family(), QStringLiteral("MS Sans Serif"));
        EXPECT_EQ(font.pointSize(), 24);
        EXPECT_TRUE(font.bold());
        EXPECT_FALSE(font.italic() || font.underline() || font.strikeOut());
        // Where the Windows font is missing a sans-serif bold stands in.
        const QFontInfo shown(font);
        EXPECT_TRUE(shown.bold());
        EXPECT_FALSE(shown.family().contains(QStringLiteral("Serif")) &&
                     !shown.family().contains(QStringLiteral("Sans")))
            << shown.family().toStdString();
    }
    EXPECT_EQ(button->text(), QStringLiteral("Cripta"));
    const auto* logo = qobject_cast<QLabel*>(child(form, "Image1"));
    EXPECT_EQ(logo->pixmap().size(), QSize(201, 197));
    EXPECT_FALSE(logo->hasScaledContents());
    EXPECT_EQ(form->centralWidget()->palette().color(QPalette::Window), QColor(Qt::black));
}

TEST_F(Form1Test, FlagsPointersFocusAndTabOrder) {
    // A normal window with its frame, so that the task bar and the switcher list it.
    const Qt::WindowFlags flags = form->windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Window);
    EXPECT_FALSE(flags & Qt::FramelessWindowHint);
    EXPECT_TRUE((flags & Qt::WindowTitleHint) && (flags & Qt::WindowCloseButtonHint) &&
                (flags & Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(form->minimumSize(), form->maximumSize()) << "not resizable";
    EXPECT_FALSE(form->windowIcon().isNull());

    const QCursor pen = form->centralWidget()->cursor();
    EXPECT_EQ(pen.shape(), Qt::BitmapCursor);
    EXPECT_EQ(pen.hotSpot(), QPoint(5, 5));
    EXPECT_EQ(pen.pixmap().size(), QSize(32, 32));
    const QCursor padlock = button->cursor();
    EXPECT_EQ(padlock.shape(), Qt::BitmapCursor);
    EXPECT_EQ(padlock.hotSpot(), QPoint(16, 16));

    EXPECT_EQ(form->focusWidget(), button);
    EXPECT_EQ(tabOrder(button), (QList<QWidget*>{button, document, key}));
}

TEST_F(Form1Test, KeysAsOnTheOriginalPlatform) {
    const struct {
        QWidget* from;
        int key;
        Qt::KeyboardModifiers modifiers;
        QWidget* to;
    } moves[] = {
        {button, Qt::Key_Tab, Qt::NoModifier, document},
        {document, Qt::Key_Tab, Qt::NoModifier, key},
        {key, Qt::Key_Tab, Qt::NoModifier, button},
        {button, Qt::Key_Backtab, Qt::ShiftModifier, key},
        {key, Qt::Key_Backtab, Qt::ShiftModifier, document},
        {document, Qt::Key_Backtab, Qt::ShiftModifier, button},
    };
    for (const auto& m : moves) {
        m.from->setFocus();
        QTest::keyClick(m.from, Qt::Key(m.key), m.modifiers);
        EXPECT_EQ(form->focusWidget(), m.to) << m.from->objectName().toStdString();
    }
    EXPECT_TRUE(document->Text().isEmpty() && key->Text().isEmpty()) << "Tab types nothing";

    QTest::keyClicks(document, QStringLiteral("ab"));
    QTest::keyClick(document, Qt::Key_Tab, Qt::ControlModifier);
    QTest::keyClick(document, Qt::Key_X, Qt::AltModifier);
    QTest::keyClick(document, Qt::Key_Q, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(document->Text(), QByteArray("ab\t")) << "Ctrl+Tab types a tab, Alt+letter nothing";

    key->setText("k");
    QTest::keyClick(button, Qt::Key_Return);
    EXPECT_EQ(button->text(), QStringLiteral("Decripta"));
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_EQ(button->text(), QStringLiteral("Cripta"));
    EXPECT_EQ(document->Text(), QByteArray("ab\t"));
}

TEST_F(Form1Test, EveryCodeSurvivesTwoClicksThroughThePanes) {
    document->setText(codes1To255().repeated(3));
    key->setText("Chiave \x01\xff\x0d");
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_NE(document->Text(), codes1To255().repeated(3));
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_EQ(document->Text(), codes1To255().repeated(3));
}

TEST_F(Form1Test, CharacterOutsideWindows1252IsReportedAndNothingChanges) {
    document->setText("abc");
    document->moveCursor(QTextCursor::End);
    document->insertPlainText(QStringLiteral("ł"));
    key->setText("k");
    button->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.first().contains(QStringLiteral("ł")));
    EXPECT_EQ(button->text(), QStringLiteral("Cripta"));
    EXPECT_EQ(document->toPlainText(), QStringLiteral("abcł"));
}

TEST_F(Form1Test, ReopeningGivesTheDesignedState) {
    document->setText("testo");
    key->setText("k");
    button->click();
    form->close();
    EXPECT_FALSE(Windows::form1().isOpen());
    EXPECT_TRUE(visibleWindows().isEmpty());
    settle();
    Form1* again = Windows::form1().show();
    EXPECT_EQ(again->findChild<QPushButton*>(QStringLiteral("Command1"))->text(),
              QStringLiteral("Cripta"));
    EXPECT_TRUE(again->RichTextBox1()->Text().isEmpty());
    EXPECT_TRUE(again->RichTextBox2()->Text().isEmpty());
}
