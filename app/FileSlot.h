#pragma once

#include <QString>

// The one file the program holds open for reading, between a load command and the
// next load, the key-saving command or the end of the program.
class FileSlot {
public:
    FileSlot() = default;
    ~FileSlot();
    FileSlot(const FileSlot&) = delete;
    FileSlot& operator=(const FileSlot&) = delete;

    // Does nothing when the slot is already closed.
    void close() noexcept;
    // Throws FileError when the file cannot be opened for reading, or is not a regular
    // file (it is never opened then); the slot is then closed.
    void openForReading(const QString& path);

    bool isOpen() const noexcept { return m_fd >= 0; }
    QString path() const { return m_path; }

private:
    int m_fd = -1;
    QString m_path;
};
