#pragma once

#include <cstdint>
#include <exception>
#include <stdexcept>
#include <string>

// Every error the program reports carries its own Italian text for the user, in UTF-8.
class VemoError : public std::runtime_error {
public:
    explicit VemoError(const std::string& message)
        : std::runtime_error(message) {}
    std::string message() const { return what(); }
};

// A character that Windows-1252 cannot hold, or one that only looks like a character
// the pane shows for a byte.
class EncodingError : public VemoError {
public:
    // Which text holds the character; the message names it.
    enum class Place { Unnamed, Document, Key };

    // Line and column are 1-based and count characters as the user sees them.
    EncodingError(char32_t character, std::int64_t line, std::int64_t column,
                  Place place = Place::Unnamed);
    char32_t character() const noexcept { return m_character; }
    std::int64_t line() const noexcept { return m_line; }
    std::int64_t column() const noexcept { return m_column; }
    // The same error with the place named.
    EncodingError in(Place place) const;

private:
    char32_t m_character;
    std::int64_t m_line;
    std::int64_t m_column;
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
        InvalidName,
        TooManyLinks,
        InUse,
        TooManyOpenFiles,
        NoMemory,
        NoDevice,
        IoError,
        TooLarge,
        Unsupported,
        NotWritten,
        System,
    };

    // `path` is UTF-8, as the message shows it. `detail` is the limit in MiB for TooLarge
    // and the error number for System.
    FileError(Action action, const std::string& path, Reason reason, long long detail = 0);
    // `cause`, whose file's old text could not be put back: the message says where a copy
    // of it is.
    FileError(const FileError& cause, const std::string& copy);
    // The reason for an error number of the C library.
    static Reason reasonOf(int error, Action action);

    const std::string& path() const noexcept { return m_path; }
    Reason kind() const noexcept { return m_kind; }
    // The reason in Italian words, as the message shows it.
    const std::string& reason() const noexcept { return m_reason; }

private:
    std::string m_path;
    Reason m_kind;
    std::string m_reason;
};

class PrinterError : public VemoError {
public:
    using VemoError::VemoError;
};

// The Italian text for the user of an error that escaped a command, whatever it is.
std::string errorMessage(const std::exception_ptr& error);
