#include "core/Errors.h"
#include "qt/shell/Shell.h"
#include "tests/TestSupport.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

class Probe : public QWidget {
public:
    Probe() { edit = new QLineEdit(this); }
    void Form_Load() { ++loads; }
    QLineEdit* edit;
    static inline int loads = 0;
    static inline bool refuseClose = false;

protected:
    void closeEvent(QCloseEvent* event) override { event->setAccepted(!refuseClose); }
};

class NoLoad : public QWidget {};

class Owned : public QWidget {
public:
    Owned() { setWindowFlags(Qt::Tool | Qt::FramelessWindowHint); }
};

Shell::WindowSlot<Owned>& owned() {
    static Shell::WindowSlot<Owned> slot;
    return slot;
}

Shell::WindowSlot<Probe>& probe() {
    static Shell::WindowSlot<Probe> slot;
    return slot;
}

Shell::WindowSlot<NoLoad>& noLoad() {
    static Shell::WindowSlot<NoLoad> slot;
    return slot;
}

class ShellTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        Probe::loads = 0;
        Probe::refuseClose = false;
    }
};

} // namespace

TEST_F(ShellTest, WindowSlotFollowsTheStateTable) {
    EXPECT_FALSE(probe().isOpen());
    Probe* first = probe().show();
    EXPECT_EQ(Probe::loads, 1);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(probe().show(), first) << "show of an open window gives the same window";
    EXPECT_EQ(Probe::loads, 1);

    first->edit->setText(QStringLiteral("kept"));
    probe().hide();
    EXPECT_TRUE(probe().isOpen());
    EXPECT_FALSE(first->isVisible());
    EXPECT_EQ(probe().show(), first);
    EXPECT_EQ(first->edit->text(), QStringLiteral("kept"));
    EXPECT_EQ(Probe::loads, 1) << "showing a hidden window runs no Load";

    Probe::refuseClose = true;
    first->close();
    EXPECT_TRUE(probe().isOpen() && first->isVisible()) << "a refused close leaves it open";
    Probe::refuseClose = false;
    first->close(); // as a close request of the window system
    EXPECT_FALSE(probe().isOpen());
    EXPECT_FALSE(first->isVisible());
    settle();
    Probe* second = probe().show();
    EXPECT_EQ(Probe::loads, 2);
    EXPECT_TRUE(second->edit->text().isEmpty()) << "a reopened window is built afresh";

    probe().close();
    EXPECT_FALSE(probe().isOpen() || second->isVisible());
    EXPECT_TRUE(noLoad().show()->isVisible()) << "a window without Load opens too";
}

TEST_F(ShellTest, OwnedWindowFollowsItsOwner) {
    owned().belongTo(noLoad());
    auto ownerOf = [](QWidget* w) {
        return w->windowHandle() ? w->windowHandle()->transientParent() : nullptr;
    };
    QWidget* owner = noLoad().show();
    Owned* w = owned().show();
    EXPECT_EQ(w->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_EQ(ownerOf(w), owner->windowHandle());

    owner->close();
    EXPECT_TRUE(w->isVisible()) << "left alone, it stays on screen";
    EXPECT_EQ(w->windowFlags() & Qt::WindowType_Mask, Qt::Window) << "a window of its own";
    EXPECT_TRUE(w->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(ownerOf(w), nullptr);
    settle();

    owner = noLoad().show();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_EQ(ownerOf(w), owner->windowHandle());

    // Minimised by the window manager, it comes back with the next show.
    w->setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(w->isMinimized());
    EXPECT_EQ(owned().show(), w);
    EXPECT_FALSE(w->isMinimized());
    EXPECT_TRUE(w->isVisible());
}

TEST_F(ShellTest, KeyboardRules) {
    QWidget window;
    auto* button = new QPushButton(QStringLiteral("&Prova"), &window);
    auto* pane = new QPlainTextEdit(&window);
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    window.show();

    QTest::keyClick(button, Qt::Key_Return);
    QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(clicks, 2) << "Enter clicks a focused button that is not the default";

    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        QString typed;
    } keys[] = {
        {Qt::Key_X, Qt::NoModifier, QStringLiteral("x")},
        {Qt::Key_X, Qt::AltModifier, QString()},
        {Qt::Key_X, Qt::AltModifier | Qt::ShiftModifier, QString()},
        {Qt::Key_Tab, Qt::ControlModifier, QStringLiteral("\t")},
        {Qt::Key_X, Qt::GroupSwitchModifier, QStringLiteral("x")}, // AltGr
    };
    for (const auto& k : keys) {
        pane->clear();
        QTest::keyClick(pane, Qt::Key(k.key), k.modifiers);
        EXPECT_EQ(pane->toPlainText(), k.typed) << k.key << " " << k.modifiers;
    }
}

TEST_F(ShellTest, MessageBoxIsModalWithOneOkButtonNoIconAndTheTitle) {
    Shell::services().messages = {};
    QWidget owner;
    owner.setWindowTitle(QStringLiteral("another caption"));
    owner.show();
    bool inspected = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        inspected = true;
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Vemo"));
        EXPECT_EQ(box->text(), QStringLiteral(" testo con spazi "));
        EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
        EXPECT_EQ(box->buttons().size(), 1);
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Ok));
        // A file's name such as "<b>x.txt" is shown as it is.
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        box->defaultButton()->click();
    });
    Shell::MsgBox(QStringLiteral(" testo con spazi "));
    EXPECT_TRUE(inspected);
}

TEST_F(ShellTest, GuardTurnsEscapingErrorsIntoItalianMessages) {
    const struct {
        std::function<void()> handler;
        QString expected;
    } cases[] = {
        {[] { throw FileError(FileError::Action::Open, "/x/y.txt", FileError::Reason::NotFound); },
         QStringLiteral("Impossibile aprire il file \"/x/y.txt\": il file non esiste.")},
        {[] { throw std::runtime_error("boom"); },
         QStringLiteral("Si è verificato un errore imprevisto: boom")},
        {[] { throw 42; }, QStringLiteral("Si è verificato un errore imprevisto.")},
        {[] { throw std::bad_alloc(); },
         QStringLiteral("Memoria insufficiente per completare l'operazione.")},
    };
    for (const auto& c : cases) {
        messages.clear();
        Shell::guard(c.handler);
        EXPECT_EQ(messages, QStringList{c.expected});
    }

    // Through a connected handler the steps before the failure stay done.
    struct Target : QObject {
        int steps = 0;
        void handler() {
            ++steps;
            throw VemoError("fallito");
        }
    } target;
    QPushButton button;
    messages.clear();
    Shell::connectHandler(&button, &QPushButton::clicked, &target, &Target::handler);
    button.click();
    button.click();
    EXPECT_EQ(target.steps, 2);
    EXPECT_EQ(messages, (QStringList{QStringLiteral("fallito"), QStringLiteral("fallito")}));
}

TEST_F(ShellTest, EndProgramRemovesEveryWindowAndClosesTheFileSlot) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("open.txt"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    Shell::fileSlot1().openForReading(path.toStdString());
    Shell::fileSlot1().openForReading(path.toStdString()); // reuse of the slot
    probe().show();
    noLoad().show();
    noLoad().hide();

    Shell::endProgram();
    EXPECT_EQ(exits, 1);
    EXPECT_FALSE(probe().isOpen());
    EXPECT_FALSE(noLoad().isOpen());
    EXPECT_FALSE(heldOpen(path));
    settle();
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty() ||
                std::none_of(QApplication::topLevelWidgets().begin(),
                             QApplication::topLevelWidgets().end(),
                             [](QWidget* w) { return w->isVisible(); }));
    EXPECT_EQ(Probe::loads, 1) << "no handler runs while the program ends";
}
