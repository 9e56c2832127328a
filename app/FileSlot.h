#pragma once

#include <QString>

#include <memory>

class QFile;

// The one file the program holds open for reading, between a load command and the
// next load, the key-saving command or the end of the program.
class FileSlot {
public:
    FileSlot();
    ~FileSlot();
    FileSlot(const FileSlot&) = delete;
    FileSlot& operator=(const FileSlot&) = delete;

    // Does nothing when the slot is already closed.
    void close() noexcept;
    // Throws FileError when the file cannot be opened for reading; the slot is then closed.
    void openForReading(const QString& path);

    bool isOpen() const noexcept;
    QString path() const;

private:
    std::unique_ptr<QFile> m_file;
};

// Italian reason for a failed open of `path`, worked out from the file system.
QString describeOpenFailure(const QString& path, const QString& fallback);
