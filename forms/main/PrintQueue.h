#pragma once

#include <QString>

// The system's default print queue as the print service (CUPS) describes it, and the
// words for what can go wrong on the way to it.
namespace PrintQueue {

struct Queue {
    QString name;
    bool accepting = true;
    // Stopped by its administrator: jobs wait in it until it is started again.
    bool paused = false;
};

// Throws PrinterError when the print service does not answer or names no default queue.
Queue defaultQueue();

QString noDefaultPrinter();
QString serviceUnreachable();
QString refused(const QString& queue);
QString waitsInPausedQueue(const QString& queue);

} // namespace PrintQueue
