// The Win32 side of reading and saving text files.
#include "core/TextFile.h"

#include "core/Errors.h"

#include <algorithm>
#include <utility>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace TextFile {

namespace {

using Action = FileError::Action;
using Reason = FileError::Reason;

constexpr std::int64_t kSlice = std::int64_t(4) << 20;
constexpr std::size_t kMaxName = 255;
// What a replaced file keeps of its old attributes; read-only it cannot be.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
// Others may read, write, rename or delete a file that is held open here, as on POSIX: the
// file slot must not stop the program itself from saving over the file it loaded.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// ERROR_DISK_QUOTA_EXCEEDED, which mingw-w64's headers lack.
constexpr DWORD kDiskQuotaExceeded = 1295;

// The one place where Win32 error codes become the program's reasons.
Reason reasonOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        return Reason::NotFound;
    case ERROR_PATH_NOT_FOUND:
        return Reason::FolderNotFound;
    case ERROR_DIRECTORY:
        return Reason::NotAFolder;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
        return Reason::AccessDenied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
    case ERROR_PIPE_BUSY:
    // What Windows says when another program holds the file that a save replaces.
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
        return Reason::InUse;
    case ERROR_WRITE_PROTECT:
        return Reason::ReadOnlyFileSystem;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return Reason::NoSpace;
    case kDiskQuotaExceeded:
        return Reason::QuotaExceeded;
    case ERROR_FILE_TOO_LARGE:
        return Reason::FileTooBig;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW:
        return Reason::NameTooLong;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_NO_UNICODE_TRANSLATION:
        return Reason::InvalidName;
    case ERROR_CANT_RESOLVE_FILENAME:
        return Reason::TooManyLinks;
    case ERROR_TOO_MANY_OPEN_FILES:
        return Reason::TooManyOpenFiles;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
    case ERROR_NO_SYSTEM_RESOURCES:
        return Reason::NoMemory;
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_READY:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return Reason::NoDevice;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
        return Reason::ReaderGone;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE:
        return Reason::IoError;
    }
    return Reason::System;
}

[[noreturn]] void fail(Action action, const std::string& path, DWORD error) {
    throw FileError(action, path, reasonOf(error), static_cast<long long>(error));
}

[[noreturn]] void failLast(Action action, const std::string& path) {
    fail(action, path, GetLastError());
}

// The last part of a path as Windows reads it for its device names: without a folder or
// a drive, up to the first dot or colon, trailing blanks dropped.
std::wstring_view deviceStem(std::wstring_view path) {
    std::wstring_view name = path.substr(path.find_last_of(L"\\/") + 1);
    if (name.size() >= 2 && name[1] == L':' && path.size() == name.size())
        name.remove_prefix(2);
    name = name.substr(0, name.find_first_of(L".:"));
    while (!name.empty() && name.back() == L' ')
        name.remove_suffix(1);
    return name;
}

bool namesADevice(std::wstring_view path) {
    const std::wstring_view stem = deviceStem(path);
    std::wstring upper(stem);
    for (wchar_t& c : upper)
        if (c >= L'a' && c <= L'z')
            c = wchar_t(c - L'a' + L'A');
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
        if (upper == device)
            return true;
    // COM1 to COM9 and LPT1 to LPT9, the digits also as superscripts ¹ ² ³.
    return upper.size() == 4 &&
           (upper.compare(0, 3, L"COM") == 0 || upper.compare(0, 3, L"LPT") == 0) &&
           ((upper[3] >= L'1' && upper[3] <= L'9') || upper[3] == L'\u00B9' ||
            upper[3] == L'\u00B2' || upper[3] == L'\u00B3');
}

std::wstring widen(Action action, const std::string& path) {
    if (path.empty())
        throw FileError(action, path, Reason::NoName);
    const int size = static_cast<int>(path.size());
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), size, nullptr, 0);
    if (n <= 0)
        failLast(action, path);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), size, wide.data(), n);
    // A 0 in the name would cut it short where Windows reads it.
    if (wide.find(L'\0') != std::wstring::npos)
        throw FileError(action, path, Reason::InvalidName);
    // Windows' file systems hold names of up to 255 characters; said here, as not every
    // system says it itself.
    std::size_t begin = 0;
    for (std::size_t end; (end = wide.find_first_of(L"\\/", begin)) != std::wstring::npos;
         begin = end + 1) {
        if (end - begin > kMaxName)
            throw FileError(action, path, Reason::NameTooLong);
    }
    if (wide.size() - begin > kMaxName)
        throw FileError(action, path, Reason::NameTooLong);
    // Opening one would reach the device itself: a serial port, a printer, the console.
    if (namesADevice(wide))
        throw FileError(action, path, Reason::Device);
    return wide;
}

Reason kindOf(DWORD fileType) {
    switch (fileType) {
    case FILE_TYPE_CHAR:
        return Reason::Device;
    case FILE_TYPE_PIPE:
        return Reason::Pipe;
    }
    return Reason::NotRegular;
}

bool isFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class Handle {
public:
    explicit Handle(HANDLE handle)
        : m_handle(handle) {}
    ~Handle() {
        if (m_handle != INVALID_HANDLE_VALUE)
            CloseHandle(m_handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return m_handle; }
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE release() { return std::exchange(m_handle, INVALID_HANDLE_VALUE); }
    // Closes now; false when closing failed.
    bool close() { return CloseHandle(release()) != 0; }

private:
    HANDLE m_handle;
};

// False when given up.
bool writeAll(HANDLE file, const std::string& path, std::string_view bytes,
              const Progress& progress) {
    const std::int64_t total = std::int64_t(bytes.size());
    std::int64_t done = 0;
    while (done < total) {
        const auto slice = static_cast<DWORD>(std::min(kSlice, total - done));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, slice, &written, nullptr))
            failLast(Action::Write, path);
        done += written;
        if (progress && !progress(done, total))
            return false;
    }
    return true;
}

// The folder part of a full path, without its last separator.
std::wstring folderOf(const std::wstring& name) {
    const std::size_t separator = name.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring(L".") : name.substr(0, separator);
}

std::wstring fullPathOf(const std::wstring& name, const std::string& path) {
    const DWORD n = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
    std::wstring full(n, L'\0');
    const DWORD got = n ? GetFullPathNameW(name.c_str(), n, full.data(), nullptr) : 0;
    if (got == 0 || got >= n)
        failLast(Action::Write, path);
    full.resize(got);
    return full;
}

// The file a name leads to, links followed, as the replace must name it.
std::wstring finalPathOf(HANDLE file, const std::wstring& name, const std::string& path) {
    const DWORD n = GetFinalPathNameByHandleW(file, nullptr, 0, FILE_NAME_NORMALIZED);
    if (n == 0)
        return fullPathOf(name, path);
    std::wstring final(n, L'\0');
    const DWORD got = GetFinalPathNameByHandleW(file, final.data(), n, FILE_NAME_NORMALIZED);
    if (got == 0 || got >= n)
        return fullPathOf(name, path);
    final.resize(got);
    return final;
}

// A new file of its own in `folder`, with a name that no other file there has.
std::pair<std::wstring, HANDLE> createTemporary(const std::wstring& folder,
                                                const std::string& path) {
    static unsigned counter = 0;
    for (int attempt = 0;; ++attempt) {
        const std::wstring name = folder + L"\\~vemo-" + std::to_wstring(GetCurrentProcessId()) +
                                  L"-" + std::to_wstring(GetTickCount64() % 1000000) + L"-" +
                                  std::to_wstring(++counter) + L".tmp";
        const HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            return {name, file};
        if (GetLastError() != ERROR_FILE_EXISTS || attempt == 100)
            failLast(Action::Write, path);
    }
}

// Puts `temporary` in the place of `target`. The old file is kept aside under `backup`
// until the new one is in place, so that no failure can lose both.
void replace(const std::wstring& target, const std::wstring& temporary, const std::string& path) {
    const std::wstring backup = temporary.substr(0, temporary.size() - 4) + L".bak";
    if (ReplaceFileW(target.c_str(), temporary.c_str(), backup.c_str(),
                     REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr,
                     nullptr)) {
        DeleteFileW(backup.c_str());
        return;
    }
    const DWORD error = GetLastError();
    // The old file went aside but the new one did not take its place: put it back.
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
        MoveFileExW(backup.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
    fail(Action::Write, path, error);
}

bool writeInPlace(HANDLE file, const std::string& path, std::string_view bytes,
                  const Progress& progress) {
    Handle device(file);
    if (!writeAll(device.get(), path, bytes, progress))
        return false;
    if (!device.close())
        failLast(Action::Write, path);
    return true;
}

// Reads back what a save wrote, before it takes the old file's place: a save is only
// reported when the file holds every byte.
void verify(const std::wstring& name, std::string_view bytes, const std::string& path) {
    Handle file(CreateFileW(name.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!file.valid() || !GetFileSizeEx(file.get(), &size))
        failLast(Action::Write, path);
    if (size.QuadPart != std::int64_t(bytes.size()))
        throw FileError(Action::Write, path, Reason::NotWritten);
    std::string slice(std::size_t(std::min<std::int64_t>(kSlice, std::int64_t(bytes.size()))),
                      '\0');
    for (std::size_t done = 0; done < bytes.size();) {
        DWORD got = 0;
        const auto want = DWORD(std::min(slice.size(), bytes.size() - done));
        if (!ReadFile(file.get(), slice.data(), want, &got, nullptr))
            failLast(Action::Write, path);
        if (got == 0 || bytes.compare(done, got, slice.data(), got) != 0)
            throw FileError(Action::Write, path, Reason::NotWritten);
        done += got;
    }
}

// Puts the text of `temporary` into `target` itself, which other names share: a new file
// in its place would leave them the old text. Copying over an existing file writes into it.
// The old text is copied aside first and copied back on a failure; it stays aside when
// even that fails.
void writeInto(const std::wstring& target, const std::wstring& temporary, std::string_view bytes,
               const std::string& path) {
    const std::wstring backup = temporary.substr(0, temporary.size() - 4) + L".bak";
    if (!CopyFileW(target.c_str(), backup.c_str(), TRUE))
        failLast(Action::Write, path);
    try {
        if (!CopyFileW(temporary.c_str(), target.c_str(), FALSE))
            failLast(Action::Write, path);
        verify(target, bytes, path);
    } catch (...) {
        if (CopyFileW(backup.c_str(), target.c_str(), FALSE))
            DeleteFileW(backup.c_str());
        throw;
    }
    DeleteFileW(backup.c_str());
}

} // namespace

bool isDeviceName(const std::string& path) {
    const int size = static_cast<int>(path.size());
    const int n = MultiByteToWideChar(CP_UTF8, 0, path.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(n, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, path.data(), size, wide.data(), n);
    return namesADevice(wide);
}

OpenFile::OpenFile(std::intptr_t handle, const std::string& path)
    : m_handle(handle)
    , m_path(path) {}

void OpenFile::close() noexcept {
    if (m_handle != -1)
        CloseHandle(reinterpret_cast<HANDLE>(m_handle));
    m_handle = -1;
}

std::int64_t OpenFile::size() const {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(reinterpret_cast<HANDLE>(m_handle), &size))
        failLast(Action::Read, m_path);
    return size.QuadPart;
}

std::size_t OpenFile::readSome(char* out, std::size_t n) const {
    DWORD got = 0;
    const auto slice = static_cast<DWORD>(std::min<std::size_t>(n, std::size_t(kSlice)));
    if (!ReadFile(reinterpret_cast<HANDLE>(m_handle), out, slice, &got, nullptr))
        failLast(Action::Read, m_path);
    return got;
}

OpenFile openForReading(const std::string& path) {
    constexpr Action action = Action::Open;
    const std::wstring name = widen(action, path);
    Handle file(CreateFileW(name.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid()) {
        const DWORD error = GetLastError();
        // Windows refuses to open a folder as a file, and says only that access is denied.
        if (error == ERROR_ACCESS_DENIED && isFolder(name))
            throw FileError(action, path, Reason::IsFolder);
        fail(action, path, error);
    }
    // Nothing is read from a device or a pipe, which could wait for ever.
    const DWORD type = GetFileType(file.get());
    if (type != FILE_TYPE_DISK)
        throw FileError(action, path, kindOf(type));
    return OpenFile(reinterpret_cast<std::intptr_t>(file.release()), path);
}

bool save(const std::string& path, std::string_view bytes, const Progress& progress) {
    constexpr Action action = Action::Write;
    const std::wstring name = widen(action, path);
    if (isFolder(name))
        throw FileError(action, path, Reason::IsFolder);

    // Opening what is there for writing says whether it may be written, and what it is.
    std::wstring target;
    DWORD attributes = 0;
    DWORD links = 1;
    {
        Handle existing(CreateFileW(name.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (existing.valid()) {
            if (GetFileType(existing.get()) != FILE_TYPE_DISK)
                return writeInPlace(existing.release(), path, bytes, progress);
            target = finalPathOf(existing.get(), name, path);
            BY_HANDLE_FILE_INFORMATION info{};
            if (GetFileInformationByHandle(existing.get(), &info)) {
                attributes = info.dwFileAttributes & kKeptAttributes;
                links = info.nNumberOfLinks;
            }
        } else if (const DWORD error = GetLastError(); error != ERROR_FILE_NOT_FOUND) {
            fail(action, path, error);
        } else if (path.rfind("\\\\.\\", 0) == 0) {
            // A device name, such as a pipe that no program serves: nothing to create.
            throw FileError(action, path, Reason::NoReader);
        }
    }
    const bool exists = !target.empty();
    if (!exists)
        target = fullPathOf(name, path);

    auto [temporary, handle] = createTemporary(folderOf(target), path);
    Handle file(handle);
    bool replaced = false;
    struct RemoveUnlessReplaced {
        const std::wstring& name;
        Handle& file;
        const bool& replaced;
        ~RemoveUnlessReplaced() {
            if (file.valid())
                file.close();
            if (!replaced)
                DeleteFileW(name.c_str());
        }
    } cleanup{temporary, file, replaced};

    if (!writeAll(file.get(), path, bytes, progress))
        return false;
    if (!FlushFileBuffers(file.get()) || !file.close())
        failLast(action, path);
    verify(temporary, bytes, path);
    // The replace keeps the old file's security and creation time; not every system keeps
    // its attributes as well.
    if (exists && links > 1) {
        writeInto(target, temporary, bytes, path);
        return true;
    }
    if (attributes)
        SetFileAttributesW(temporary.c_str(), attributes);
    if (exists)
        replace(target, temporary, path);
    else if (!MoveFileExW(temporary.c_str(), target.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        failLast(action, path);
    replaced = true;
    WIN32_FILE_ATTRIBUTE_DATA after{};
    if (!GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &after))
        failLast(action, path);
    if ((std::uint64_t(after.nFileSizeHigh) << 32 | after.nFileSizeLow) != bytes.size())
        throw FileError(action, path, Reason::NotWritten);
    return true;
}

} // namespace TextFile
