#pragma once

#include "core/FileSlot.h"
#include "qt/shell/Services.h"

#include <QCloseEvent>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <string_view>
#include <utility>

// Window operations, the message box, the handler guard and the end of the program.
namespace Shell {

// One of the program's fixed texts (UTF-8).
inline QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

// Modal box: the text, one OK button that is also the default, no icon, caption "Vemo".
void MsgBox(const QString& text);

// Runs a handler; an error that escapes it becomes an Italian message box and the
// program goes on with its windows as they were at the failing step.
void guard(const std::function<void()>& handler);

// Connects a signal to a handler (a member function pointer) through the guard.
template <typename Sender, typename Signal, typename Receiver>
void connectHandler(Sender* sender, Signal signal, Receiver* receiver,
                    void (Receiver::*handler)()) {
    QObject::connect(sender, signal, receiver,
                     [receiver, handler] { guard([&] { (receiver->*handler)(); }); });
}

FileSlot& fileSlot1();

// The system as the windows reach it.
Services& services();

// Ends the program at once: every window goes without any handler running, file slot 1
// is closed, and the event loop exits with status 0.
void endProgram();

// Keys as on the original platform, in every window: Enter clicks a focused push button,
// Ctrl+Tab types a tab in a text pane, Alt with a key that is no access key types nothing.
void installKeyboardRules();

// Every message box, those of Qt's own dialogs too, shows its text as plain text: a file's
// name is never taken for markup.
void installPlainMessages();

class WindowSlotBase {
public:
    WindowSlotBase();
    virtual ~WindowSlotBase();
    WindowSlotBase(const WindowSlotBase&) = delete;
    WindowSlotBase& operator=(const WindowSlotBase&) = delete;

    bool isOpen() const { return !m_window.isNull(); }
    bool isVisible() const { return m_window && m_window->isVisible(); }
    void hide();
    void close();
    // Removes the window without a close event; used when the program ends.
    void discard();

    static void discardAll();

    // This window belongs to the owner's window while that is open: it stays above it, is
    // minimised with it and has no task-bar entry. Without an open owner it is a window of
    // its own, which the task bar and the window switcher list.
    void belongTo(WindowSlotBase& owner);

protected:
    QWidget* openWith(const std::function<QWidget*()>& create,
                      const std::function<void(QWidget*)>& load);
    QWidget* widget() const { return m_window.data(); }

    // Makes the window visible and active, whatever became of it: hidden, minimised or
    // covered by other windows.
    void present(QWidget* window);

    // Called by the window once it has accepted a close.
    void windowClosed(QWidget* window);

    template <typename W> friend class SlotWindow;

private:
    void followOwner();
    // An owned window has no task-bar button of its own while its owner is open.
    void updateTaskbarEntry();

    QPointer<QWidget> m_window;
    WindowSlotBase* m_owner = nullptr;
    Qt::WindowFlags m_ownedFlags;
};

// A window as its slot builds it: it tells the slot when a close has really happened, so
// that a close the window refuses leaves it open.
template <typename W> class SlotWindow final : public W {
public:
    explicit SlotWindow(WindowSlotBase* slot)
        : m_slot(slot) {}

protected:
    void closeEvent(QCloseEvent* event) override {
        W::closeEvent(event);
        if (event->isAccepted())
            m_slot->windowClosed(this);
    }

private:
    WindowSlotBase* m_slot;
};

// The program-wide reference to one window: the instance is built on first show, a
// close throws its on-screen window away, and the next show builds it afresh and runs
// its Form_Load.
template <typename W> class WindowSlot : public WindowSlotBase {
public:
    W* window() const { return static_cast<W*>(widget()); }

    W* open() {
        return static_cast<W*>(openWith([this] { return new SlotWindow<W>(this); },
                                        [](QWidget* w) {
                                            if constexpr (requires(W * f) { f->Form_Load(); })
                                                static_cast<W*>(w)->Form_Load();
                                        }));
    }

    W* show() {
        W* w = open();
        present(w);
        return w;
    }
};

} // namespace Shell
