#include "core/Errors.h"

#include "core/Texts.h"

#include <cerrno>
#include <cstdio>
#include <new>

namespace {

std::string utf8(char32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        c = 0xFFFD;
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

std::string describeCharacter(char32_t c) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(c));
    return "«" + utf8(c) + "» (U+" + hex + ")";
}

std::string_view describePlace(EncodingError::Place place) {
    switch (place) {
    case EncodingError::Place::Document:
        return Texts::kOfDocument;
    case EncodingError::Place::Key:
        return Texts::kOfKey;
    case EncodingError::Place::Unnamed:
        break;
    }
    return {};
}

std::string describe(FileError::Reason reason, long long detail) {
    using R = FileError::Reason;
    switch (reason) {
    case R::NoName:
        return std::string(Texts::kFileNoName);
    case R::NotFound:
        return std::string(Texts::kFileNotFound);
    case R::FolderNotFound:
        return std::string(Texts::kFileFolderNotFound);
    case R::NotAFolder:
        return std::string(Texts::kFileNotAFolder);
    case R::IsFolder:
        return std::string(Texts::kFileIsFolder);
    case R::Pipe:
        return std::string(Texts::kFilePipe);
    case R::Socket:
        return std::string(Texts::kFileSocket);
    case R::Device:
        return std::string(Texts::kFileDevice);
    case R::NotRegular:
        return std::string(Texts::kFileNotRegular);
    case R::NoReader:
        return std::string(Texts::kFileNoReader);
    case R::ReaderGone:
        return std::string(Texts::kFileReaderGone);
    case R::AccessDenied:
        return std::string(Texts::kFileAccessDenied);
    case R::ReadOnlyFileSystem:
        return std::string(Texts::kFileReadOnlyFileSystem);
    case R::NoSpace:
        return std::string(Texts::kFileNoSpace);
    case R::QuotaExceeded:
        return std::string(Texts::kFileQuotaExceeded);
    case R::FileTooBig:
        return std::string(Texts::kFileFileTooBig);
    case R::NameTooLong:
        return std::string(Texts::kFileNameTooLong);
    case R::InvalidName:
        return std::string(Texts::kFileInvalidName);
    case R::TooManyLinks:
        return std::string(Texts::kFileTooManyLinks);
    case R::InUse:
        return std::string(Texts::kFileInUse);
    case R::TooManyOpenFiles:
        return std::string(Texts::kFileTooManyOpenFiles);
    case R::NoMemory:
        return std::string(Texts::kFileNoMemory);
    case R::NoDevice:
        return std::string(Texts::kFileNoDevice);
    case R::IoError:
        return std::string(Texts::kFileIoError);
    case R::TooLarge:
        return Texts::with(Texts::kFileTooLarge, std::to_string(detail));
    case R::Unsupported:
        return std::string(Texts::kFileUnsupported);
    case R::NotWritten:
        return std::string(Texts::kFileNotWritten);
    case R::System:
        break;
    }
    return Texts::with(Texts::kFileSystemError, std::to_string(detail));
}

std::string fileMessage(FileError::Action action, const std::string& path,
                        const std::string& reason) {
    std::string_view pattern = Texts::kCannotOpen;
    switch (action) {
    case FileError::Action::Open:
        break;
    case FileError::Action::Read:
        pattern = Texts::kCannotRead;
        break;
    case FileError::Action::Write:
        pattern = Texts::kCannotSave;
        break;
    }
    return Texts::with(pattern, path, reason);
}

} // namespace

EncodingError::EncodingError(char32_t character, std::int64_t line, std::int64_t column,
                             Place place)
    : VemoError(Texts::with(
          Texts::kNotWindows1252, describeCharacter(character),
          Texts::with(Texts::kLineAndColumn, std::to_string(line), std::to_string(column)) +
              std::string(describePlace(place))))
    , m_character(character)
    , m_line(line)
    , m_column(column) {}

EncodingError EncodingError::in(Place place) const {
    return EncodingError(m_character, m_line, m_column, place);
}

FileError::FileError(Action action, const std::string& path, Reason reason, long long detail)
    : VemoError(fileMessage(action, path, describe(reason, detail)))
    , m_path(path)
    , m_kind(reason)
    , m_reason(describe(reason, detail)) {}

FileError::FileError(const FileError& cause, const std::string& copy)
    : VemoError(cause.message() + Texts::with(Texts::kOldTextKeptIn, copy))
    , m_path(cause.m_path)
    , m_kind(cause.m_kind)
    , m_reason(cause.m_reason) {}

FileError::Reason FileError::reasonOf(int error, Action action) {
    switch (error) {
    case ENOENT:
        return action == Action::Write ? Reason::FolderNotFound : Reason::NotFound;
    case ENOTDIR:
        return Reason::NotAFolder;
    case EISDIR:
        return Reason::IsFolder;
    case EACCES:
    case EPERM:
        return Reason::AccessDenied;
    case EROFS:
        return Reason::ReadOnlyFileSystem;
    case ENOSPC:
        return Reason::NoSpace;
#ifdef EDQUOT
    case EDQUOT:
        return Reason::QuotaExceeded;
#endif
    case EFBIG:
        return Reason::FileTooBig;
    case ENAMETOOLONG:
        return Reason::NameTooLong;
    case ELOOP:
        return Reason::TooManyLinks;
    case EBUSY:
    case ETXTBSY:
        return Reason::InUse;
    case EMFILE:
    case ENFILE:
        return Reason::TooManyOpenFiles;
    case ENOMEM:
        return Reason::NoMemory;
    case ENXIO:
    case ENODEV:
        return Reason::NoDevice;
    case EPIPE:
        return Reason::ReaderGone;
    case EIO:
        return Reason::IoError;
    }
    return Reason::System;
}

std::string errorMessage(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const VemoError& e) {
        return e.message();
    } catch (const std::bad_alloc&) {
        return std::string(Texts::kOutOfMemory);
    } catch (const std::exception& e) {
        return Texts::with(Texts::kUnexpectedWith, e.what());
    } catch (...) {
        return std::string(Texts::kUnexpected);
    }
}
