#include "app/FileSlot.h"

void FileSlot::close() noexcept {
    m_file.close();
}

void FileSlot::openForReading(const QString& path) {
    close();
    m_file = TextFile::openForReading(path.toStdString());
}
