#include "Errors.h"

#include <QDir>

VemoError::VemoError(const QString& message)
    : std::runtime_error(message.toStdString())
    , m_message(message) {}

namespace {

QString describeCharacter(char32_t c) {
    const QString hex = QString::number(static_cast<uint>(c), 16).toUpper().rightJustified(4, u'0');
    return QStringLiteral("«%1» (U+%2)").arg(QString::fromUcs4(&c, 1), hex);
}

QString fileMessage(FileError::Action action, const QString& path, const QString& reason) {
    const QString shown = QDir::toNativeSeparators(path);
    switch (action) {
    case FileError::Action::Open:
        return QStringLiteral("Impossibile aprire il file \"%1\": %2.").arg(shown, reason);
    case FileError::Action::Read:
        return QStringLiteral("Impossibile leggere il file \"%1\": %2.").arg(shown, reason);
    case FileError::Action::Write:
        return QStringLiteral("Impossibile salvare il file \"%1\": %2.").arg(shown, reason);
    }
    return {};
}

} // namespace

EncodingError::EncodingError(char32_t character, qsizetype position)
    : VemoError(QStringLiteral("Il carattere %1 alla posizione %2 non appartiene al set di "
                               "caratteri Windows-1252 e non può essere usato da Vemo.")
                    .arg(describeCharacter(character))
                    .arg(position))
    , m_character(character)
    , m_position(position) {}

FileError::FileError(Action action, const QString& path, const QString& reason)
    : VemoError(fileMessage(action, path, reason))
    , m_path(path)
    , m_reason(reason) {}
