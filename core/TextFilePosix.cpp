// The POSIX side of reading and saving text files.
#include "core/TextFile.h"

#include "core/Errors.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <utility>

#include <cstring>
#include <optional>
#include <vector>

#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace TextFile {

namespace {

using Action = FileError::Action;
using Reason = FileError::Reason;

constexpr std::int64_t kSlice = std::int64_t(4) << 20;

[[noreturn]] void fail(Action action, const std::string& path, int error) {
    throw FileError(action, path, FileError::reasonOf(error, action), error);
}

Reason kindOf(mode_t mode) {
    if (S_ISDIR(mode))
        return Reason::IsFolder;
    if (S_ISFIFO(mode))
        return Reason::Pipe;
    if (S_ISSOCK(mode))
        return Reason::Socket;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return Reason::Device;
    return Reason::NotRegular;
}

class Descriptor {
public:
    explicit Descriptor(int fd)
        : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    // Closes now, so that a late write error is seen; returns the error number or 0.
    int close() {
        const int result = ::close(std::exchange(m_fd, -1));
        return result == 0 ? 0 : errno;
    }

private:
    int m_fd;
};

// A pipe whose reader has gone raises SIGPIPE, which would end the program: while it is
// blocked the write fails with EPIPE instead, and the pending signal is taken away.
class PipeSignalBlock {
public:
    PipeSignalBlock() {
        sigemptyset(&m_pipe);
        sigaddset(&m_pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &m_pipe, &m_old);
    }
    ~PipeSignalBlock() {
        const timespec now{};
        while (sigtimedwait(&m_pipe, nullptr, &now) == SIGPIPE) {
        }
        pthread_sigmask(SIG_SETMASK, &m_old, nullptr);
    }

private:
    sigset_t m_pipe;
    sigset_t m_old;
};

// False when given up. A full pipe is waited on in short steps, so that the caller can
// give up while the reader is slow.
bool writeAll(int fd, const std::string& path, std::string_view bytes, const Progress& progress) {
    const std::int64_t total = std::int64_t(bytes.size());
    std::int64_t done = 0;
    while (done < total) {
        const ssize_t n =
            ::write(fd, bytes.data() + done, std::size_t(std::min(kSlice, total - done)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN)
                fail(Action::Write, path, errno);
            pollfd wait{fd, POLLOUT, 0};
            ::poll(&wait, 1, 100);
        } else {
            done += n;
        }
        if (progress && !progress(done, total))
            return false;
    }
    return true;
}

bool writeInPlace(const std::string& path, mode_t mode, std::string_view bytes,
                  const Progress& progress) {
    // Without O_NONBLOCK, opening a pipe waits until some program opens it for reading.
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENXIO && S_ISFIFO(mode))
            throw FileError(Action::Write, path, Reason::NoReader);
        if (errno == ENXIO && S_ISSOCK(mode))
            throw FileError(Action::Write, path, Reason::Socket);
        fail(Action::Write, path, errno);
    }
    Descriptor file(fd);
    const PipeSignalBlock noSignal;
    if (!writeAll(fd, path, bytes, progress))
        return false;
    if (const int error = file.close())
        fail(Action::Write, path, error);
    return true;
}

std::string folderOf(const std::string& name) {
    const std::size_t slash = name.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : name.substr(0, slash);
}

mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::string baseOf(const std::string& name) {
    const std::size_t slash = name.rfind('/');
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

// What a save writes: the file that the name leads to through any links, also when the
// last link leads nowhere yet, and its status when it exists.
struct Target {
    std::string name;
    std::optional<struct stat> status;
};

Target targetOf(const std::string& path) {
    std::string name = path;
    for (int links = 0;; ++links) {
        struct stat st {};
        if (::lstat(name.c_str(), &st) != 0) {
            if (errno != ENOENT)
                fail(Action::Write, path, errno);
            return {name, std::nullopt};
        }
        if (!S_ISLNK(st.st_mode)) {
            if (links > 0 && ::stat(name.c_str(), &st) != 0)
                fail(Action::Write, path, errno);
            return {name, st};
        }
        if (links == 40)
            throw FileError(Action::Write, path, Reason::TooManyLinks);
        std::string to(std::size_t(st.st_size > 0 ? st.st_size : PATH_MAX) + 1, '\0');
        const ssize_t n = ::readlink(name.c_str(), to.data(), to.size());
        if (n < 0)
            fail(Action::Write, path, errno);
        to.resize(std::size_t(n));
        name = to.front() == '/' ? to : folderOf(name) + "/" + to;
    }
}

// The new text is written beside the file under a visible name made from the file's own,
// so that what a killed save leaves is found and understood; the next save of the same
// file removes it.
constexpr char kPartSuffix[] = ".vemo-XXXXXX";
// The copy of the old text that a save into the file itself keeps until it is done. A save
// never removes a copy it did not make: after a crash it may be all that is left.
constexpr char kCopySuffix[] = ".vemo-copia-XXXXXX";

// `base` cut so that it and `suffix` fit in a name, at a character boundary.
std::string nameBeside(const std::string& base, const char* suffix) {
    constexpr std::size_t kMaxName = 255;
    std::size_t keep = std::min(base.size(), kMaxName - std::strlen(suffix));
    while (keep > 0 && keep < base.size() &&
           (static_cast<unsigned char>(base[keep]) & 0xC0) == 0x80)
        --keep;
    return base.substr(0, keep) + suffix;
}

void removeStaleCopies(const std::string& name) {
    const std::string folder = folderOf(name);
    const std::string pattern = nameBeside(baseOf(name), kPartSuffix);
    const std::string prefix = pattern.substr(0, pattern.size() - 6);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view found = entry->d_name;
        if (found.size() != pattern.size() || found.substr(0, prefix.size()) != prefix)
            continue;
        const int fd = ::openat(::dirfd(dir), entry->d_name,
                                O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            continue;
        const Descriptor part(fd);
        struct stat st {};
        // A save still running holds its lock.
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

using Attributes = std::vector<std::pair<std::string, std::string>>;

// Every extended attribute of the file, its ACL among them; nothing when one cannot be
// read.
std::optional<Attributes> attributesOf(const std::string& name) {
    Attributes all;
    ssize_t size = ::llistxattr(name.c_str(), nullptr, 0);
    if (size < 0)
        return errno == ENOTSUP ? std::optional<Attributes>(all) : std::nullopt;
    std::string list(std::size_t(size), '\0');
    size = ::llistxattr(name.c_str(), list.data(), list.size());
    if (size < 0)
        return std::nullopt;
    list.resize(std::size_t(size));
    for (std::size_t at = 0; at < list.size(); at += std::strlen(list.c_str() + at) + 1) {
        const char* key = list.c_str() + at;
        const ssize_t n = ::lgetxattr(name.c_str(), key, nullptr, 0);
        if (n < 0)
            return std::nullopt;
        std::string value(std::size_t(n), '\0');
        const ssize_t got = ::lgetxattr(name.c_str(), key, value.data(), value.size());
        if (got < 0)
            return std::nullopt;
        value.resize(std::size_t(got));
        all.emplace_back(key, std::move(value));
    }
    return all;
}

// Gives the open file exactly these attributes; false when it cannot have them.
bool giveAttributes(int fd, const Attributes& wanted) {
    ssize_t size = ::flistxattr(fd, nullptr, 0);
    std::string list(size > 0 ? std::size_t(size) : 0, '\0');
    if (size > 0 && (size = ::flistxattr(fd, list.data(), list.size())) < 0)
        return false;
    list.resize(size > 0 ? std::size_t(size) : 0);
    for (std::size_t at = 0; at < list.size(); at += std::strlen(list.c_str() + at) + 1) {
        const std::string key = list.c_str() + at;
        const bool keep = std::any_of(wanted.begin(), wanted.end(),
                                      [&key](const auto& a) { return a.first == key; });
        if (!keep && ::fremovexattr(fd, key.c_str()) != 0)
            return false;
    }
    return std::all_of(wanted.begin(), wanted.end(), [fd](const auto& a) {
        return ::fsetxattr(fd, a.first.c_str(), a.second.data(), a.second.size(), 0) == 0;
    });
}

// The folder holds the new name only once it is written to the disk too.
void syncFolder(const std::string& path, const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    Descriptor dir(fd);
    if (::fsync(fd) != 0 && errno == EIO)
        fail(Action::Write, path, errno);
}

bool keptOut(int error) {
    return error == EACCES || error == EPERM || error == EROFS;
}

// Writes a new file beside the old one and renames it over it. Nothing when that would not
// keep what the old file is; it is then left as it was.
std::optional<bool> replace(const std::string& path, const Target& target, std::string_view bytes,
                            const Progress& progress) {
    constexpr Action action = Action::Write;
    const std::optional<struct stat>& old = target.status;
    std::optional<Attributes> attributes = Attributes{};
    if (old) {
        if (old->st_nlink != 1 || (old->st_uid != ::geteuid() && ::geteuid() != 0))
            return std::nullopt;
        if (!(attributes = attributesOf(target.name)))
            return std::nullopt;
    }
    const std::string folder = folderOf(target.name);
    std::string temporary = folder + "/" + nameBeside(baseOf(target.name), kPartSuffix);
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        if (old && keptOut(errno))
            return std::nullopt;
        fail(action, path, errno);
    }
    Descriptor file(fd);
    ::flock(fd, LOCK_EX | LOCK_NB);
    bool renamed = false;
    struct RemoveUnlessRenamed {
        const std::string& name;
        const bool& renamed;
        ~RemoveUnlessRenamed() {
            if (!renamed)
                ::unlink(name.c_str());
        }
    } cleanup{temporary, renamed};

    if (old) {
        struct stat now {};
        if ((old->st_uid != ::geteuid() || old->st_gid != ::getegid()) &&
            ::fchown(fd, old->st_uid, old->st_gid) != 0)
            return std::nullopt;
        if (::fchmod(fd, old->st_mode & 07777) != 0 || !giveAttributes(fd, *attributes) ||
            ::fstat(fd, &now) != 0 || now.st_uid != old->st_uid || now.st_gid != old->st_gid ||
            now.st_mode != old->st_mode)
            return std::nullopt;
    } else if (::fchmod(fd, newFileMode()) != 0) {
        fail(action, path, errno);
    }
    if (!writeAll(fd, path, bytes, progress))
        return false;
    if (::fsync(fd) != 0)
        fail(action, path, errno);
    if (::rename(temporary.c_str(), target.name.c_str()) != 0) {
        if (old && keptOut(errno))
            return std::nullopt;
        fail(action, path, errno);
    }
    renamed = true;
    syncFolder(path, folder);
    return true;
}

// Copies all of `from` into `to` from the start, and ends `to` there.
bool copyAll(int from, int to) {
    if (::lseek(from, 0, SEEK_SET) != 0 || ::lseek(to, 0, SEEK_SET) != 0)
        return false;
    std::vector<char> buffer(std::size_t(1) << 20);
    off_t done = 0;
    for (;;) {
        const ssize_t n = ::read(from, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        for (ssize_t put = 0; put < n;) {
            const ssize_t w = ::write(to, buffer.data() + put, std::size_t(n - put));
            if (w < 0 && errno != EINTR)
                return false;
            put += std::max<ssize_t>(w, 0);
        }
        done += n;
    }
    return ::ftruncate(to, done) == 0 && ::fsync(to) == 0;
}

// A copy of the file's text under a new name beside it, or in the temporary folder when
// its own cannot take one.
std::pair<std::string, int> copyAside(const std::string& path, const std::string& name, int from) {
    const char* temporaryFolder = std::getenv("TMPDIR");
    std::string copy;
    int fd = -1;
    for (const std::string& folder :
         {folderOf(name), std::string(temporaryFolder ? temporaryFolder : "/tmp")}) {
        copy = folder + "/" + nameBeside(baseOf(name), kCopySuffix);
        fd = ::mkostemp(copy.data(), O_CLOEXEC);
        if (fd >= 0 || !keptOut(errno))
            break;
    }
    if (fd < 0)
        fail(Action::Write, path, errno);
    if (!copyAll(from, fd)) {
        const int error = errno;
        ::close(fd);
        ::unlink(copy.c_str());
        fail(Action::Write, path, error);
    }
    return {copy, fd};
}

// Writes the new text into the file itself. Its old text is copied aside first and put
// back on any failure, or when given up.
bool overwrite(const std::string& path, const std::string& name, const struct stat& old,
               std::string_view bytes, const Progress& progress) {
    constexpr Action action = Action::Write;
    const int fd = ::open(name.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        fail(action, path, errno);
    Descriptor file(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_dev != old.st_dev || st.st_ino != old.st_ino)
        throw FileError(action, path, Reason::InUse);
    // Not a structured binding: clang 14 cannot capture one in a lambda.
    const std::pair<std::string, int> aside = copyAside(path, name, fd);
    const std::string& copy = aside.first;
    const int copyFd = aside.second;
    Descriptor saved(copyFd);
    // Puts the old text back; when even that fails, the message says where it is.
    const auto putBack = [&](const FileError& cause) {
        if (!copyAll(copyFd, fd))
            throw FileError(cause, copy);
        ::unlink(copy.c_str());
    };
    try {
        if (::lseek(fd, 0, SEEK_SET) != 0)
            fail(action, path, errno);
        if (!writeAll(fd, path, bytes, progress)) {
            putBack(FileError(action, path, Reason::IoError));
            return false;
        }
        if (::ftruncate(fd, off_t(bytes.size())) != 0 || ::fsync(fd) != 0)
            fail(action, path, errno);
    } catch (const FileError& e) {
        putBack(e);
        throw;
    }
    ::unlink(copy.c_str());
    return true;
}

} // namespace

OpenFile::OpenFile(std::intptr_t handle, const std::string& path)
    : m_handle(handle)
    , m_path(path) {}

void OpenFile::close() noexcept {
    if (m_handle >= 0)
        ::close(int(m_handle));
    m_handle = -1;
}

std::int64_t OpenFile::size() const {
    struct stat st {};
    if (::fstat(int(m_handle), &st) != 0)
        fail(Action::Read, m_path, errno);
    return st.st_size;
}

std::size_t OpenFile::readSome(char* out, std::size_t n) const {
    for (;;) {
        const ssize_t got = ::read(int(m_handle), out, n);
        if (got >= 0)
            return std::size_t(got);
        if (errno != EINTR)
            fail(Action::Read, m_path, errno);
    }
}

OpenFile openForReading(const std::string& path) {
    constexpr Action action = Action::Open;
    if (path.empty())
        throw FileError(action, path, Reason::NoName);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        fail(action, path, errno);
    if (!S_ISREG(st.st_mode))
        throw FileError(action, path, kindOf(st.st_mode));
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        fail(action, path, errno);
    OpenFile file(fd, path);
    // The name may have been given to something else since it was looked at.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        throw FileError(action, path, kindOf(st.st_mode));
    return file;
}

bool save(const std::string& path, std::string_view bytes, const Progress& progress) {
    constexpr Action action = Action::Write;
    if (path.empty())
        throw FileError(action, path, Reason::NoName);
    const Target target = targetOf(path);
    const std::optional<struct stat>& st = target.status;
    if (st && S_ISDIR(st->st_mode))
        throw FileError(action, path, Reason::IsFolder);
    if (st && !S_ISREG(st->st_mode))
        return writeInPlace(path, st->st_mode, bytes, progress);
    if (st && ::access(target.name.c_str(), W_OK) != 0)
        fail(action, path, errno);
    removeStaleCopies(target.name);
    const std::optional<bool> replaced = replace(path, target, bytes, progress);
    if (replaced)
        return *replaced;
    // Only the file itself keeps what it is: its owner, group, mode, ACL, attributes
    // and every name it has.
    return overwrite(path, target.name, *st, bytes, progress);
}

} // namespace TextFile
