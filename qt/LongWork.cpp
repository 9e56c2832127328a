#include "qt/LongWork.h"

#include "core/AppInfo.h"
#include "core/Texts.h"
#include "qt/shell/Shell.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressDialog>

namespace {

// Escape and the close button hide a progress window, and with it the modality that holds
// the other windows still. Work that can be given up is given up; work that cannot keeps
// its window until it ends, so that nothing else can touch the text meanwhile.
class ProgressWindow : public QProgressDialog {
public:
    ProgressWindow(const QString& label, bool cancellable, QWidget* parent)
        : QProgressDialog(label, QString(), 0, 1000, parent)
        , m_cancellable(cancellable) {}

    void reject() override {
        if (m_cancellable)
            cancel();
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        if (m_cancellable)
            QProgressDialog::closeEvent(event);
        else
            event->ignore();
    }

private:
    bool m_cancellable;
};

} // namespace

LongWork::LongWork(QWidget* parent, const QString& label, bool cancellable)
    : m_parent(parent)
    , m_label(label)
    , m_cancellable(cancellable) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // Shows the pointer now and repaints what a closed dialog uncovered; the user's
    // clicks and keys wait until the work is done.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_clock.start();
}

LongWork::~LongWork() {
    delete m_dialog.data();
    QApplication::restoreOverrideCursor();
}

bool LongWork::step(qint64 done, qint64 total) {
    const qint64 now = m_clock.elapsed();
    if (now < Shell::services().progressDelay ||
        (m_dialog && now - m_lastStep < 40 && done < total))
        return !(m_cancellable && m_dialog && m_dialog->wasCanceled());
    m_lastStep = now;
    if (!m_dialog) {
        m_dialog = new ProgressWindow(m_label, m_cancellable, m_parent);
        // The label names a file: as it is, never as markup.
        auto* label = new QLabel(m_dialog);
        label->setTextFormat(Qt::PlainText);
        m_dialog->setLabel(label);
        m_dialog->setLabelText(m_label);
        if (m_cancellable)
            m_dialog->setCancelButtonText(Shell::text(Texts::kCancel));
        m_dialog->setWindowTitle(QString::fromLatin1(AppInfo::Title));
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->setMinimumDuration(0);
        m_dialog->setAutoReset(false);
        m_dialog->setAutoClose(false);
        m_dialog->show();
    }
    // No total: a moving bar without a share.
    if (total <= 0)
        m_dialog->setRange(0, 0);
    else {
        m_dialog->setRange(0, 1000);
        m_dialog->setValue(int(done * 1000 / total));
    }
    // The window is modal: only its own button takes the user's clicks meanwhile.
    QCoreApplication::processEvents();
    return !(m_cancellable && m_dialog->wasCanceled());
}
