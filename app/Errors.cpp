#include "Errors.h"

#include <QDir>

#include <cerrno>

VemoError::VemoError(const QString& message)
    : std::runtime_error(message.toStdString())
    , m_message(message) {}

namespace {

QString describeCharacter(char32_t c) {
    const QString hex = QString::number(static_cast<uint>(c), 16).toUpper().rightJustified(4, u'0');
    return QStringLiteral("«%1» (U+%2)").arg(QString::fromUcs4(&c, 1), hex);
}

QString describe(FileError::Reason reason, long long detail) {
    using R = FileError::Reason;
    switch (reason) {
    case R::NoName:
        return QStringLiteral("nessun nome di file");
    case R::NotFound:
        return QStringLiteral("il file non esiste");
    case R::FolderNotFound:
        return QStringLiteral("la cartella non esiste");
    case R::NotAFolder:
        return QStringLiteral("una parte del percorso non è una cartella");
    case R::IsFolder:
        return QStringLiteral("è una cartella, non un file");
    case R::Pipe:
        return QStringLiteral("è una pipe (FIFO), non un file normale");
    case R::Socket:
        return QStringLiteral("è un socket, non un file normale");
    case R::Device:
        return QStringLiteral("è un dispositivo, non un file normale");
    case R::NotRegular:
        return QStringLiteral("non è un file normale");
    case R::NoReader:
        return QStringLiteral("nessun programma sta leggendo dalla pipe");
    case R::ReaderGone:
        return QStringLiteral("il programma che leggeva dalla pipe l'ha chiusa");
    case R::AccessDenied:
        return QStringLiteral("accesso negato");
    case R::ReadOnlyFileSystem:
        return QStringLiteral("il disco è di sola lettura");
    case R::NoSpace:
        return QStringLiteral("il disco è pieno");
    case R::QuotaExceeded:
        return QStringLiteral("lo spazio concesso sul disco è esaurito");
    case R::FileTooBig:
        return QStringLiteral("il file è troppo grande per il disco");
    case R::NameTooLong:
        return QStringLiteral("il nome del file è troppo lungo");
    case R::TooManyLinks:
        return QStringLiteral("troppi collegamenti simbolici nel percorso");
    case R::InUse:
        return QStringLiteral("il file è in uso");
    case R::TooManyOpenFiles:
        return QStringLiteral("troppi file aperti");
    case R::NoMemory:
        return QStringLiteral("memoria insufficiente");
    case R::NoDevice:
        return QStringLiteral("il dispositivo non è disponibile");
    case R::IoError:
        return QStringLiteral("errore di lettura o scrittura sul dispositivo");
    case R::TooLarge:
        return QStringLiteral("il file supera il limite di %1 MiB").arg(detail);
    case R::Unsupported:
        return QStringLiteral("formato di file non supportato");
    case R::System:
        break;
    }
    return QStringLiteral("errore del sistema numero %1").arg(detail);
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

EncodingError::EncodingError(char32_t character, qsizetype line, qsizetype column,
                             const QString& place)
    : VemoError(QStringLiteral("Il carattere %1 alla riga %2, colonna %3%4 non appartiene al "
                               "set di caratteri Windows-1252 e non può essere usato da Vemo.")
                    .arg(describeCharacter(character))
                    .arg(line)
                    .arg(column)
                    .arg(place.isEmpty() ? QString() : QLatin1Char(' ') + place))
    , m_character(character)
    , m_line(line)
    , m_column(column) {}

EncodingError EncodingError::in(const QString& place) const {
    return EncodingError(m_character, m_line, m_column, place);
}

FileError::FileError(Action action, const QString& path, Reason reason, long long detail)
    : VemoError(fileMessage(action, path, describe(reason, detail)))
    , m_path(path)
    , m_kind(reason)
    , m_reason(describe(reason, detail)) {}

FileError::Reason FileError::reasonOf(int error, Action action) {
    switch (error) {
    case ENOENT:
        return action == Action::Write ? Reason::FolderNotFound : Reason::NotFound;
    case ENOTDIR:
        return Reason::NotAFolder;
    case EISDIR:
        return Reason::IsFolder;
    case EACCES:
    case EPERM:
        return Reason::AccessDenied;
    case EROFS:
        return Reason::ReadOnlyFileSystem;
    case ENOSPC:
        return Reason::NoSpace;
    case EDQUOT:
        return Reason::QuotaExceeded;
    case EFBIG:
        return Reason::FileTooBig;
    case ENAMETOOLONG:
        return Reason::NameTooLong;
    case ELOOP:
        return Reason::TooManyLinks;
    case EBUSY:
    case ETXTBSY:
        return Reason::InUse;
    case EMFILE:
    case ENFILE:
        return Reason::TooManyOpenFiles;
    case ENOMEM:
        return Reason::NoMemory;
    case ENXIO:
    case ENODEV:
        return Reason::NoDevice;
    case EPIPE:
        return Reason::ReaderGone;
    case EIO:
        return Reason::IoError;
    }
    return Reason::System;
}
