#include "app/Italian.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>

namespace {

QtMessageHandler previousHandler = nullptr;

void startHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    // The platform plugins' own complaints come before the failure and are in English.
    if (context.category && QByteArrayView(context.category).startsWith("qt.qpa."))
        return;
    if (type == QtFatalMsg && message.contains(QLatin1String("platform plugin"))) {
        std::fputs("Vemo: impossibile aprire una finestra. Serve una sessione grafica (X11 o "
                   "Wayland): avviare Vemo da un terminale del desktop.\n",
                   stderr);
        std::_Exit(1);
    }
    previousHandler(type, context, message);
}

} // namespace

void installItalian() {
    const QLocale italian(QLocale::Italian, QLocale::Italy);
    QLocale::setDefault(italian);
    // Owned by the application, so that it lives as long as the texts it gives.
    auto* qtItalian = new QTranslator(QCoreApplication::instance());
    if (qtItalian->load(italian, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qtItalian);
}

QtMessageHandler installItalianStartFailure() {
    previousHandler = qInstallMessageHandler(startHandler);
    return previousHandler;
}
