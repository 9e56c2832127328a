#include "qt/shell/Italian.h"

#include "core/Texts.h"

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
        std::fwrite(Texts::kNoDisplay.data(), 1, Texts::kNoDisplay.size(), stderr);
        std::_Exit(1);
    }
    previousHandler(type, context, message);
}

// The texts that Qt's Italian catalogue lacks; asked after the catalogue.
class MissingItalian : public QTranslator {
public:
    using QTranslator::QTranslator;

    bool isEmpty() const override { return false; }

    QString translate(const char* context, const char* source, const char* disambiguation,
                      int) const override {
        if (context == nullptr || source == nullptr)
            return {};
        const std::string_view note = disambiguation ? disambiguation : "";
        for (const Texts::QtText& text : Texts::kQtItalian) {
            if (text.context == context && text.source == source && text.disambiguation == note)
                return QString::fromUtf8(text.italian.data(), qsizetype(text.italian.size()));
        }
        return {};
    }
};

} // namespace

void installItalian() {
    const QLocale italian(QLocale::Italian, QLocale::Italy);
    QLocale::setDefault(italian);
    // Translators installed later are asked first.
    QCoreApplication::installTranslator(new MissingItalian(QCoreApplication::instance()));
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
