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

} // namespace

void save(const QString& path, const QByteArray& bytes) {
    using Action = FileError::Action;
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
