#pragma once

#include "FileSlot.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <utility>

// Window operations, the message box, the handler guard and the end of the program.
namespace Shell {

// Modal box: the text, one OK button that is also the default, no icon, caption "Vemo".
void MsgBox(const QString& text);

// Tests route messages here instead of showing a box; an empty sink restores the box.
using MessageSink = std::function<void(const QString&)>;
void setMessageSink(MessageSink sink);

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

// Ends the program at once: every window goes without any handler running, file slot 1
// is closed, and the event loop exits with status 0.
void endProgram();
// Tests replace the final exit; an empty hook restores QCoreApplication::exit(0).
void setExitHook(std::function<void()> hook);

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

protected:
    QWidget* openWith(const std::function<QWidget*()>& create,
                      const std::function<void(QWidget*)>& load);
    QWidget* widget() const { return m_window.data(); }

private:
    class CloseWatcher;
    QPointer<QWidget> m_window;
    CloseWatcher* m_watcher = nullptr;
};

// The program-wide reference to one window: the instance is built on first show, a
// close throws its on-screen window away, and the next show builds it afresh and runs
// its Form_Load.
template <typename W> class WindowSlot : public WindowSlotBase {
public:
    W* window() const { return static_cast<W*>(widget()); }

    W* open() {
        return static_cast<W*>(openWith([] { return new W; },
                                        [](QWidget* w) {
                                            if constexpr (requires(W * f) { f->Form_Load(); })
                                                static_cast<W*>(w)->Form_Load();
                                        }));
    }

    W* show() {
        W* w = open();
        w->show();
        w->raise();
        w->activateWindow();
        return w;
    }
};

} // namespace Shell
