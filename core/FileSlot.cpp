#include "core/FileSlot.h"

void FileSlot::close() noexcept {
    m_file.close();
}

void FileSlot::openForReading(const std::string& path) {
    close();
    m_file = TextFile::openForReading(path);
}
