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

std::string describePlace(EncodingError::Place place) {
    switch (place) {
    case EncodingError::Place::Document:
        return " del documento";
    case EncodingError::Place::Key:
        return " della chiave";
    case EncodingError::Place::Unnamed:
        break;
    }
    return {};
}

std::string describe(FileError::Reason reason, long long detail) {
    using R = FileError::Reason;
    switch (reason) {
    case R::NoName:
        return "nessun nome di file";
    case R::NotFound:
        return "il file non esiste";
    case R::FolderNotFound:
        return "la cartella non esiste";
    case R::NotAFolder:
        return "una parte del percorso non è una cartella";
    case R::IsFolder:
        return "è una cartella, non un file";
    case R::Pipe:
        return "è una pipe (FIFO), non un file normale";
    case R::Socket:
        return "è un socket, non un file normale";
    case R::Device:
        return "è un dispositivo, non un file normale";
    case R::NotRegular:
        return "non è un file normale";
    case R::NoReader:
        return "nessun programma sta leggendo dalla pipe";
    case R::ReaderGone:
        return "il programma che leggeva dalla pipe l'ha chiusa";
    case R::AccessDenied:
        return "accesso negato";
    case R::ReadOnlyFileSystem:
        return "il disco è di sola lettura";
    case R::NoSpace:
        return "il disco è pieno";
    case R::QuotaExceeded:
        return "lo spazio concesso sul disco è esaurito";
    case R::FileTooBig:
        return "il file è troppo grande per il disco";
    case R::NameTooLong:
        return "il nome del file è troppo lungo";
    case R::InvalidName:
        return "il nome del file non è valido";
    case R::TooManyLinks:
        return "troppi collegamenti simbolici nel percorso";
    case R::InUse:
        return "il file è in uso";
    case R::TooManyOpenFiles:
        return "troppi file aperti";
    case R::NoMemory:
        return "memoria insufficiente";
    case R::NoDevice:
        return "il dispositivo non è disponibile";
    case R::IoError:
        return "errore di lettura o scrittura sul dispositivo";
    case R::TooLarge:
        return "il file supera il limite di " + std::to_string(detail) + " MiB";
    case R::Unsupported:
        return "formato di file non supportato";
    case R::NotWritten:
        return "il file scritto non contiene il testo";
    case R::System:
        break;
    }
    return "errore del sistema numero " + std::to_string(detail);
}

std::string fileMessage(FileError::Action action, const std::string& path,
                        const std::string& reason) {
    const char* verb = "aprire";
    switch (action) {
    case FileError::Action::Open:
        break;
    case FileError::Action::Read:
        verb = "leggere";
        break;
    case FileError::Action::Write:
        verb = "salvare";
        break;
    }
    return std::string("Impossibile ") + verb + " il file \"" + path + "\": " + reason + ".";
}

} // namespace

EncodingError::EncodingError(char32_t character, std::int64_t line, std::int64_t column,
                             Place place)
    : VemoError("Il carattere " + describeCharacter(character) + " alla riga " +
                std::to_string(line) + ", colonna " + std::to_string(column) +
                describePlace(place) +
                " non appartiene al set di caratteri Windows-1252 e non può essere usato da "
                "Vemo.")
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
    : VemoError(cause.message() + " Il testo che il file aveva prima è conservato in \"" + copy +
                "\".")
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
