#include "qt/shell/Shell.h"

#include "core/AppInfo.h"
#include "core/Errors.h"
#include "core/Texts.h"
#include "qt/shell/Desktop.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <algorithm>

#include <vector>

namespace Shell {

namespace {

void exitEventLoop() {
    if (services().exit)
        services().exit();
    else
        QCoreApplication::exit(0);
}

std::vector<WindowSlotBase*>& allSlots() {
    static std::vector<WindowSlotBase*> registered;
    return registered;
}

} // namespace

void MsgBox(const QString& text) {
    if (services().messages) {
        services().messages(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(AppInfo::Title), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    // Names and reasons are shown as they are, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
}

void guard(const std::function<void()>& handler) {
    try {
        handler();
    } catch (...) {
        MsgBox(QString::fromStdString(errorMessage(std::current_exception())));
    }
}

FileSlot& fileSlot1() {
    static FileSlot slot;
    return slot;
}

void endProgram() {
    WindowSlotBase::discardAll();
    fileSlot1().close();
    exitEventLoop();
}

Services& services() {
    static Services held;
    return held;
}

namespace {

// The keys as the original platform has them, for every window of the program.
class KeyboardRules : public QObject {
public:
    bool eventFilter(QObject* target, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !target->isWidgetType())
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        auto* widget = static_cast<QWidget*>(target);

        // Enter clicks the push button that has the focus, default button or not.
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            modifiers == Qt::NoModifier) {
            if (auto* button = qobject_cast<QPushButton*>(widget)) {
                if (!key->isAutoRepeat())
                    button->click();
                return true;
            }
        }
        // Ctrl+Tab types a tab in a text pane, where Tab moves the focus.
        if (key->key() == Qt::Key_Tab && modifiers == Qt::ControlModifier) {
            auto* pane = qobject_cast<QPlainTextEdit*>(widget);
            if (pane && !pane->isReadOnly()) {
                pane->insertPlainText(QStringLiteral("\t"));
                return true;
            }
        }
        // Access keys are shortcuts and never get here: Alt with any other key types
        // nothing. AltGr, which types the third level of a keyboard, is no Alt here.
        if ((modifiers & Qt::AltModifier) && !(modifiers & Qt::ControlModifier) &&
            widget->testAttribute(Qt::WA_InputMethodEnabled) && !key->text().isEmpty() &&
            key->text().front().isPrint())
            return true;
        return false;
    }
};

} // namespace

void installKeyboardRules() {
    static KeyboardRules rules;
    qApp->installEventFilter(&rules);
}

namespace {

class PlainMessages : public QObject {
public:
    bool eventFilter(QObject* target, QEvent* event) override {
        if (event->type() == QEvent::Show)
            if (auto* box = qobject_cast<QMessageBox*>(target))
                box->setTextFormat(Qt::PlainText);
        return false;
    }
};

} // namespace

void installPlainMessages() {
    static PlainMessages plain;
    qApp->installEventFilter(&plain);
}

WindowSlotBase::WindowSlotBase() {
    allSlots().push_back(this);
}

WindowSlotBase::~WindowSlotBase() {
    std::erase(allSlots(), this);
}

QWidget* WindowSlotBase::openWith(const std::function<QWidget*()>& create,
                                  const std::function<void(QWidget*)>& load) {
    if (m_window)
        return m_window;
    QWidget* w = create();
    w->setAttribute(Qt::WA_DeleteOnClose);
    m_window = w;
    m_ownedFlags = w->windowFlags();
    followOwner();
    for (WindowSlotBase* slot : allSlots())
        if (slot->m_owner == this)
            slot->followOwner();
    load(w);
    return w;
}

void WindowSlotBase::windowClosed(QWidget* window) {
    if (m_window != window)
        return;
    m_window.clear();
    for (WindowSlotBase* slot : allSlots())
        if (slot->m_owner == this)
            slot->followOwner();
    // The program lives while one of its windows is visible; the check waits until the
    // closing window has gone from the screen.
    QTimer::singleShot(0, qApp, [] {
        const auto& all = allSlots();
        if (std::none_of(all.begin(), all.end(),
                         [](const WindowSlotBase* s) { return s->isVisible(); }))
            exitEventLoop();
    });
}

void WindowSlotBase::belongTo(WindowSlotBase& owner) {
    m_owner = &owner;
    followOwner();
}

void WindowSlotBase::followOwner() {
    QWidget* w = m_window.data();
    if (w == nullptr || m_owner == nullptr)
        return;
    QWidget* owner = m_owner->m_window.data();
    const Qt::WindowFlags flags =
        owner ? m_ownedFlags : (m_ownedFlags & ~Qt::WindowType_Mask) | Qt::Window;
    const bool visible = w->isVisible();
    if (w->windowFlags() != flags) {
        const QRect at = w->geometry();
        w->setWindowFlags(flags); // hides the window
        w->setGeometry(at);
    }
    // The window system learns of the owner when the window is mapped.
    QWindow* ownerHandle = nullptr;
    if (owner) {
        owner->winId();
        ownerHandle = owner->windowHandle();
    }
    w->winId();
    w->windowHandle()->setTransientParent(ownerHandle);
    updateTaskbarEntry();
    if (visible && !w->isVisible()) {
        w->show();
        updateTaskbarEntry();
    }
}

void WindowSlotBase::updateTaskbarEntry() {
    if (m_window && m_owner)
        Desktop::setSkipTaskbar(m_window, m_owner->isOpen());
}

void WindowSlotBase::present(QWidget* window) {
    // Told before it is mapped, and again after, when the window manager owns the state.
    updateTaskbarEntry();
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
    updateTaskbarEntry();
}

void WindowSlotBase::hide() {
    if (m_window)
        m_window->hide();
}

void WindowSlotBase::close() {
    if (m_window)
        m_window->close();
}

void WindowSlotBase::discard() {
    if (QWidget* w = m_window.data()) {
        m_window.clear();
        w->hide();
        w->deleteLater();
    }
}

void WindowSlotBase::discardAll() {
    for (WindowSlotBase* slot : allSlots())
        slot->discard();
}

} // namespace Shell
