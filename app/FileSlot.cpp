#include "FileSlot.h"

#include "Errors.h"

#include <QFile>
#include <QFileInfo>

QString describeOpenFailure(const QString& path, const QString& fallback) {
    const QFileInfo info(path);
    if (path.isEmpty())
        return QStringLiteral("nessun nome di file");
    if (!info.exists())
        return QStringLiteral("il file non esiste");
    if (info.isDir())
        return QStringLiteral("è una cartella, non un file");
    if (!info.isReadable())
        return QStringLiteral("accesso negato");
    return fallback;
}

FileSlot::FileSlot() = default;
FileSlot::~FileSlot() = default;

void FileSlot::close() noexcept {
    m_file.reset();
}

void FileSlot::openForReading(const QString& path) {
    close();
    auto file = std::make_unique<QFile>(path);
    if (QFileInfo(path).isDir() || !file->open(QIODevice::ReadOnly))
        throw FileError(FileError::Action::Open, path,
                        describeOpenFailure(path, file->errorString()));
    m_file = std::move(file);
}

bool FileSlot::isOpen() const noexcept {
    return m_file != nullptr;
}

QString FileSlot::path() const {
    return m_file ? m_file->fileName() : QString();
}
