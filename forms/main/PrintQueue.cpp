#include "forms/main/PrintQueue.h"

#include "app/Shell.h"
#include "core/Errors.h"
#include "core/Texts.h"

#include <cups/cups.h>

#include <memory>

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

} // namespace

QString noDefaultPrinter() {
    return Shell::text(Texts::kNoDefaultPrinter);
}

QString serviceUnreachable() {
    return QStringLiteral("Impossibile stampare: il servizio di stampa del sistema (CUPS) non "
                          "risponde. Controlla che sia avviato, poi riprova.");
}

QString refused(const QString& queue) {
    return QStringLiteral("Impossibile stampare: la stampante \"%1\" rifiuta i lavori di "
                          "stampa. Nulla è stato stampato.")
        .arg(queue);
}

QString waitsInPausedQueue(const QString& queue) {
    return QStringLiteral("Il lavoro di stampa è stato accettato, ma la stampante \"%1\" è in "
                          "pausa: il lavoro resta in attesa nella sua coda finché la stampa non "
                          "riprende.")
        .arg(queue);
}

Queue defaultQueue() {
    const std::unique_ptr<http_t, HttpClose> http(httpConnect2(
        cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 5000, nullptr));
    if (!http)
        throw PrinterError(serviceUnreachable().toStdString());
    const std::unique_ptr<cups_dest_t, DestFree> dest(
        cupsGetNamedDest(http.get(), nullptr, nullptr));
    if (!dest) {
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

} // namespace PrintQueue
