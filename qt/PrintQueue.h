#pragma once

#include <QString>

#include <functional>

// The system's default print queue as the print service (CUPS) describes it, the job
// handed to it, and the words for what can go wrong on the way to it.
namespace PrintQueue {

// How long the service may keep an answer back before it is taken as not answering.
inline constexpr int kAnswerSeconds = 5;

// Called a few times a second while the service is being waited for.
using Waiting = std::function<void()>;

struct Queue {
    QString name;
    bool accepting = true;
    // Stopped by its administrator: jobs wait in it until it is started again.
    bool paused = false;
};

// Throws PrinterError when the print service does not answer or names no default queue.
Queue defaultQueue(const Waiting& waiting = {});

// Hands the finished file `path` to `queue` as one job named `title`, and checks that the
// service took it and did not drop it at once. Throws PrinterError saying why not.
void submit(const QString& queue, const QString& path, const QString& title,
            const Waiting& waiting = {});

QString noDefaultPrinter();
QString serviceUnreachable();
QString refused(const QString& queue);
QString waitsInPausedQueue(const QString& queue);

} // namespace PrintQueue
