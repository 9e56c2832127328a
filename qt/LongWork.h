#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include "core/TextFile.h"

class QProgressDialog;
class QWidget;

// Feedback for work that may take long: the busy pointer at once and, from half a second
// on, a progress window that keeps the program's windows painted and, when the work can
// be given up, a button to do so. Everything returns to normal when it goes.
class LongWork {
public:
    LongWork(QWidget* parent, const QString& label, bool cancellable);
    ~LongWork();
    LongWork(const LongWork&) = delete;
    LongWork& operator=(const LongWork&) = delete;

    // Reports the share done; false when the user has given up.
    bool step(qint64 done, qint64 total);
    TextFile::Progress progress() {
        return [this](qint64 done, qint64 total) { return step(done, total); };
    }

private:
    QWidget* m_parent;
    QString m_label;
    bool m_cancellable;
    QElapsedTimer m_clock;
    qint64 m_lastStep = 0;
    QPointer<QProgressDialog> m_dialog;
};
