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

// A character that Windows-1252 cannot hold.
class EncodingError : public VemoError {
public:
    EncodingError(char32_t character, qsizetype position);
    char32_t character() const noexcept { return m_character; }
    // 1-based position, counted in UTF-16 units of the text that was encoded.
    qsizetype position() const noexcept { return m_position; }

private:
    char32_t m_character;
    qsizetype m_position;
};

class FileError : public VemoError {
public:
    enum class Action { Open, Read, Write };
    FileError(Action action, const QString& path, const QString& reason);
    const QString& path() const noexcept { return m_path; }
    const QString& reason() const noexcept { return m_reason; }

private:
    QString m_path;
    QString m_reason;
};

class PrinterError : public VemoError {
public:
    using VemoError::VemoError;
};
