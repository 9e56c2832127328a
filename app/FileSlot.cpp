#include "FileSlot.h"

#include "TextFile.h"

#include <unistd.h>

FileSlot::~FileSlot() {
    close();
}

void FileSlot::close() noexcept {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_path.clear();
}

void FileSlot::openForReading(const QString& path) {
    close();
    m_fd = TextFile::openForReading(path);
    m_path = path;
}
