// The POSIX side of reading and saving text files.
#include "core/TextFile.h"

#include "core/Errors.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/stat.h>
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
    std::string name = path;
    struct stat st {};
    const bool exists = ::stat(name.c_str(), &st) == 0;
    if (!exists && errno != ENOENT)
        fail(action, path, errno);
    if (exists && S_ISDIR(st.st_mode))
        throw FileError(action, path, Reason::IsFolder);
    if (exists && !S_ISREG(st.st_mode))
        return writeInPlace(path, st.st_mode, bytes, progress);
    if (exists) {
        // A link is followed: the file it leads to is the one replaced.
        if (char* real = ::realpath(name.c_str(), nullptr)) {
            name = real;
            std::free(real);
        }
        if (::access(name.c_str(), W_OK) != 0)
            fail(action, path, errno);
    }

    std::string temporary = folderOf(name) + "/.vemo-XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        fail(action, path, errno);
    Descriptor file(fd);
    bool replaced = false;
    struct RemoveUnlessReplaced {
        const std::string& name;
        const bool& replaced;
        ~RemoveUnlessReplaced() {
            if (!replaced)
                ::unlink(name.c_str());
        }
    } cleanup{temporary, replaced};

    if (exists) {
        // Best effort: only the superuser may give a file to someone else.
        [[maybe_unused]] const int owned = ::fchown(fd, st.st_uid, st.st_gid);
    }
    if (::fchmod(fd, exists ? st.st_mode & 07777 : newFileMode()) != 0)
        fail(action, path, errno);
    if (!writeAll(fd, path, bytes, progress))
        return false;
    if (::fsync(fd) != 0)
        fail(action, path, errno);
    if (const int error = file.close())
        fail(action, path, error);
    if (::rename(temporary.c_str(), name.c_str()) != 0)
        fail(action, path, errno);
    replaced = true;
    return true;
}

} // namespace TextFile
