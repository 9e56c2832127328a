#pragma once

#include "core/TextFile.h"

#include <QString>

// The one file the program holds open for reading, between a load command and the
// next load, the key-saving command or the end of the program.
class FileSlot {
public:
    // Does nothing when the slot is already closed.
    void close() noexcept;
    // Throws FileError when the file cannot be opened for reading, or is not a regular
    // file (it is never opened then); the slot is then closed.
    void openForReading(const QString& path);

private:
    TextFile::OpenFile m_file;
};
