#include "qt/PrintQueue.h"

#include "core/Errors.h"
#include "core/Texts.h"
#include "qt/shell/Shell.h"

#include <cups/cups.h>

#include <QElapsedTimer>

#include <memory>
#include <string>

namespace PrintQueue {

namespace {

struct HttpClose {
    void operator()(http_t* http) const { httpClose(http); }
};
struct DestFree {
    void operator()(cups_dest_t* dest) const { cupsFreeDests(1, dest); }
};

QString option(const cups_dest_t* dest, const char* name) {
    return QString::fromUtf8(cupsGetOption(name, dest->num_options, dest->options));
}

// A connection to the print service on which no answer is awaited longer than
// kAnswerSeconds; `waiting` is called meanwhile. Null when the service cannot be reached.
class Connection {
public:
    explicit Connection(const Waiting& waiting)
        : m_waiting(waiting)
        , m_http(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                              kAnswerSeconds * 1000, nullptr)) {
        if (m_http)
            httpSetTimeout(m_http.get(), 0.25, &Connection::stillWaiting, this);
    }
    http_t* get() const { return m_http.get(); }
    // Whether the last request failed because the service kept its answer back.
    bool timedOut() const { return m_timedOut; }
    // Each request gets its own kAnswerSeconds.
    void request() {
        m_clock.start();
        m_timedOut = false;
    }

private:
    static int stillWaiting(http_t*, void* self) {
        auto* c = static_cast<Connection*>(self);
        if (c->m_waiting)
            c->m_waiting();
        c->m_timedOut = c->m_clock.hasExpired(kAnswerSeconds * 1000);
        return c->m_timedOut ? 0 : 1;
    }

    Waiting m_waiting;
    std::unique_ptr<http_t, HttpClose> m_http;
    QElapsedTimer m_clock;
    bool m_timedOut = false;
};

std::string seconds() {
    return std::to_string(kAnswerSeconds);
}

} // namespace

QString noDefaultPrinter() {
    return Shell::text(Texts::kNoDefaultPrinter);
}

QString serviceUnreachable() {
    return Shell::text(Texts::kPrintServiceDown);
}

QString refused(const QString& queue) {
    return Shell::text(Texts::kPrintQueueRefuses).arg(queue);
}

QString waitsInPausedQueue(const QString& queue) {
    return Shell::text(Texts::kPrintQueuePaused).arg(queue);
}

Queue defaultQueue(const Waiting& waiting) {
    Connection http(waiting);
    if (!http.get())
        throw PrinterError(serviceUnreachable().toStdString());
    http.request();
    const std::unique_ptr<cups_dest_t, DestFree> dest(
        cupsGetNamedDest(http.get(), nullptr, nullptr));
    if (!dest) {
        if (http.timedOut())
            throw PrinterError(Texts::with(Texts::kPrintNoAnswer, seconds()));
        const ipp_status_t status = cupsLastError();
        if (status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE || status == IPP_STATUS_ERROR_INTERNAL)
            throw PrinterError(serviceUnreachable().toStdString());
        throw PrinterError(noDefaultPrinter().toStdString());
    }
    Queue queue;
    queue.name = QString::fromUtf8(dest->name);
    queue.accepting = option(dest.get(), "printer-is-accepting-jobs") != QLatin1String("false");
    queue.paused = option(dest.get(), "printer-state").toInt() == IPP_PSTATE_STOPPED;
    return queue;
}

void submit(const QString& queue, const QString& path, const QString& title,
            const Waiting& waiting) {
    const std::string name = queue.toStdString();
    const auto failed = [&name](const std::string& reason) {
        return PrinterError(Texts::with(Texts::kPrintNotTaken, name, reason));
    };
    Connection http(waiting);
    if (!http.get())
        throw failed(std::string(Texts::kPrintServiceGone));
    http.request();
    // One Print-Job request on this connection: cupsPrintFile2 would open others, on which
    // no answer is awaited for a limited time.
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                     "/printers/%s", name.c_str());
    ipp_t* request = ippNewRequest(IPP_OP_PRINT_JOB);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr,
                 title.toUtf8().constData());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr,
                 "application/pdf");
    const std::string resource = "/printers/" + name;
    ipp_t* response =
        cupsDoFileRequest(http.get(), request, resource.c_str(), path.toLocal8Bit().constData());
    ipp_attribute_t* id =
        response ? ippFindAttribute(response, "job-id", IPP_TAG_INTEGER) : nullptr;
    const int job = id && cupsLastError() <= IPP_STATUS_OK_CONFLICTING ? ippGetInteger(id, 0) : 0;
    ippDelete(response);
    if (job <= 0) {
        const ipp_status_t status = cupsLastError();
        if (http.timedOut())
            throw failed(Texts::with(Texts::kPrintNoAnswerInJob, seconds()));
        if (status == IPP_STATUS_ERROR_NOT_FOUND)
            throw failed(std::string(Texts::kPrintQueueGone));
        if (status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE || status == IPP_STATUS_ERROR_INTERNAL)
            throw failed(std::string(Texts::kPrintServiceGone));
        throw failed(Texts::with(Texts::kPrintJobRefused, ippErrorString(status)));
    }
    // Taken: a job the service dropped at once (its queue removed meanwhile, say) says so now.
    cups_job_t* jobs = nullptr;
    http.request();
    const int count = cupsGetJobs2(http.get(), &jobs, name.c_str(), 0, CUPS_WHICHJOBS_ALL);
    ipp_jstate_t state = IPP_JSTATE_PENDING;
    for (int i = 0; i < count; ++i)
        if (jobs[i].id == job)
            state = jobs[i].state;
    cupsFreeJobs(count, jobs);
    if (state == IPP_JSTATE_CANCELED || state == IPP_JSTATE_ABORTED)
        throw failed(std::string(Texts::kPrintJobDropped));
}

} // namespace PrintQueue
