#include "SaveText.h"

#include "Errors.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace SaveText {

namespace {

QString reasonForOpen(const QString& path, const QSaveFile& file) {
    const QFileInfo info(path);
    const QFileInfo folder(info.absolutePath());
    if (info.isDir())
        return QStringLiteral("è una cartella, non un file");
    if (!folder.exists())
        return QStringLiteral("la cartella non esiste");
    if (!folder.isDir())
        return QStringLiteral("il percorso non indica una cartella");
    if (info.exists() && !info.isWritable())
        return QStringLiteral("il file è di sola lettura");
    if (!folder.isWritable())
        return QStringLiteral("non si hanno i permessi per scrivere nella cartella");
    return QStringLiteral("il file non può essere scritto (%1)").arg(file.errorString());
}

QString reasonForWrite(const QSaveFile& file) {
    return QStringLiteral("errore di scrittura, forse il disco è pieno (%1)")
        .arg(file.errorString());
}

// A device or pipe cannot be replaced by a new file: it is written in place.
void writeInPlace(const QString& path, const QByteArray& bytes) {
    using Action = FileError::Action;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw FileError(
            Action::Write, path,
            QStringLiteral("il file non può essere scritto (%1)").arg(file.errorString()));
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw FileError(Action::Write, path,
                        QStringLiteral("errore di scrittura, forse il disco è pieno (%1)")
                            .arg(file.errorString()));
}

} // namespace

void save(const QString& path, const QByteArray& bytes) {
    using Action = FileError::Action;
    const QFileInfo info(path);
    const QFileInfo target(info.isSymLink() ? info.symLinkTarget() : path);
    if (target.exists() && !target.isDir() && !target.isFile()) {
        writeInPlace(path, bytes);
        return;
    }
    QSaveFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::WriteOnly))
        throw FileError(Action::Write, path, reasonForOpen(path, file));
    if (file.write(bytes) != bytes.size()) {
        const QString reason = reasonForWrite(file);
        file.cancelWriting();
        throw FileError(Action::Write, path, reason);
    }
    if (!file.commit())
        throw FileError(Action::Write, path, reasonForWrite(file));
}

} // namespace SaveText
