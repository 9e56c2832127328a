#pragma once

#include <QString>
#include <stdexcept>

// Every error the program reports carries its own Italian text for the user.
class VemoError : public std::runtime_error {
public:
    explicit VemoError(const QString& message);
    const QString& message() const noexcept { return m_message; }

private:
    QString m_message;
};

// A character that Windows-1252 cannot hold, or one that only looks like a character
// the pane shows for a byte.
class EncodingError : public VemoError {
public:
    // Line and column are 1-based and count characters as the user sees them. `place`
    // names where the text is, as in "del documento"; empty when there is no such name.
    EncodingError(char32_t character, qsizetype line, qsizetype column,
                  const QString& place = QString());
    char32_t character() const noexcept { return m_character; }
    qsizetype line() const noexcept { return m_line; }
    qsizetype column() const noexcept { return m_column; }
    // The same error with the place named.
    EncodingError in(const QString& place) const;

private:
    char32_t m_character;
    qsizetype m_line;
    qsizetype m_column;
};

class FileError : public VemoError {
public:
    enum class Action { Open, Read, Write };
    // Why a file could not be used, in the program's own terms; System carries an error
    // number that has no words of its own here.
    enum class Reason {
        NoName,
        NotFound,
        FolderNotFound,
        NotAFolder,
        IsFolder,
        Pipe,
        Socket,
        Device,
        NotRegular,
        NoReader,
        ReaderGone,
        AccessDenied,
        ReadOnlyFileSystem,
        NoSpace,
        QuotaExceeded,
        FileTooBig,
        NameTooLong,
        TooManyLinks,
        InUse,
        TooManyOpenFiles,
        NoMemory,
        NoDevice,
        IoError,
        TooLarge,
        Unsupported,
        System,
    };

    // `detail` is the limit in MiB for TooLarge and the error number for System.
    FileError(Action action, const QString& path, Reason reason, long long detail = 0);
    // The reason for an error number of the operating system.
    static Reason reasonOf(int error, Action action);

    const QString& path() const noexcept { return m_path; }
    Reason kind() const noexcept { return m_kind; }
    // The reason in Italian words, as the message shows it.
    const QString& reason() const noexcept { return m_reason; }

private:
    QString m_path;
    Reason m_kind;
    QString m_reason;
};

class PrinterError : public VemoError {
public:
    using VemoError::VemoError;
};
