#include "Shell.h"

#include "AppInfo.h"
#include "Errors.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

#include <new>
#include <vector>

namespace Shell {

namespace {

MessageSink& messageSink() {
    static MessageSink sink;
    return sink;
}

std::function<void()>& exitHook() {
    static std::function<void()> hook;
    return hook;
}

std::vector<WindowSlotBase*>& allSlots() {
    static std::vector<WindowSlotBase*> registered;
    return registered;
}

} // namespace

void MsgBox(const QString& text) {
    if (messageSink()) {
        messageSink()(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(AppInfo::Title), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
}

void setMessageSink(MessageSink sink) {
    messageSink() = std::move(sink);
}

void guard(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const VemoError& e) {
        MsgBox(e.message());
    } catch (const std::bad_alloc&) {
        MsgBox(QStringLiteral("Memoria insufficiente per completare l'operazione."));
    } catch (const std::exception& e) {
        MsgBox(QStringLiteral("Si è verificato un errore imprevisto: %1")
                   .arg(QString::fromLocal8Bit(e.what())));
    } catch (...) {
        MsgBox(QStringLiteral("Si è verificato un errore imprevisto."));
    }
}

FileSlot& fileSlot1() {
    static FileSlot slot;
    return slot;
}

void endProgram() {
    WindowSlotBase::discardAll();
    fileSlot1().close();
    if (exitHook())
        exitHook()();
    else
        QCoreApplication::exit(0);
}

void setExitHook(std::function<void()> hook) {
    exitHook() = std::move(hook);
}

// Notices a window being closed, so that the slot counts it closed at once even though
// the widget itself goes away only when the event loop next runs.
class WindowSlotBase::CloseWatcher : public QObject {
public:
    explicit CloseWatcher(WindowSlotBase* slot)
        : m_slot(slot) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close && watched == m_slot->m_window) {
            m_slot->m_window.clear();
            watched->removeEventFilter(this);
            // The program lives while one of its windows is visible; the check waits until
            // the closing window has gone from the screen.
            QTimer::singleShot(0, qApp, [] {
                const auto& all = allSlots();
                if (std::none_of(all.begin(), all.end(),
                                 [](const WindowSlotBase* s) { return s->isVisible(); }))
                    QCoreApplication::exit(0);
            });
        }
        return false;
    }

private:
    WindowSlotBase* m_slot;
};

WindowSlotBase::WindowSlotBase()
    : m_watcher(new CloseWatcher(this)) {
    allSlots().push_back(this);
}

WindowSlotBase::~WindowSlotBase() {
    std::erase(allSlots(), this);
    delete m_watcher;
}

QWidget* WindowSlotBase::openWith(const std::function<QWidget*()>& create,
                                  const std::function<void(QWidget*)>& load) {
    if (m_window)
        return m_window;
    QWidget* w = create();
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->installEventFilter(m_watcher);
    m_window = w;
    load(w);
    return w;
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
        w->removeEventFilter(m_watcher);
        w->hide();
        w->deleteLater();
    }
}

void WindowSlotBase::discardAll() {
    for (WindowSlotBase* slot : allSlots())
        slot->discard();
}

} // namespace Shell
