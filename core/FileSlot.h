#pragma once

#include "core/TextFile.h"

#include <string>

// The one file the program holds open for reading, between a load command and the
// next load, the key-saving command or the end of the program.
class FileSlot {
public:
    // Does nothing when the slot is already closed.
    void close() noexcept;
    // Throws FileError when the file at `path` (UTF-8) cannot be opened for reading, or is
    // not a regular file (nothing is read from it then); the slot is then closed.
    void openForReading(const std::string& path);
    // The file held; the load commands read it through here rather than open it again.
    const TextFile::OpenFile& file() const noexcept { return m_file; }

private:
    TextFile::OpenFile m_file;
};
