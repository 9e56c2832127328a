#include "TextFile.h"

#include "Errors.h"

#include <QFile>

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

constexpr qint64 kMiB = 1 << 20;
constexpr qint64 kSlice = 4 * kMiB;

[[noreturn]] void fail(Action action, const QString& path, int error) {
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
bool writeAll(int fd, const QString& path, QByteArrayView bytes, const Progress& progress) {
    const qint64 total = bytes.size();
    qint64 done = 0;
    while (done < total) {
        const ssize_t n = ::write(fd, bytes.data() + done, std::min(kSlice, total - done));
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

bool writeInPlace(const QString& path, const QByteArray& name, mode_t mode, QByteArrayView bytes,
                  const Progress& progress) {
    // Without O_NONBLOCK, opening a pipe waits until some program opens it for reading.
    const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
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

QByteArray folderOf(const QByteArray& name) {
    const qsizetype slash = name.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : name.left(slash);
}

mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

int openForReading(const QString& path) {
    constexpr Action action = Action::Open;
    if (path.isEmpty())
        throw FileError(action, path, Reason::NoName);
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        fail(action, path, errno);
    if (!S_ISREG(st.st_mode))
        throw FileError(action, path, kindOf(st.st_mode));
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        fail(action, path, errno);
    // The name may have been given to something else since it was looked at.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw FileError(action, path, kindOf(st.st_mode));
    }
    return fd;
}

std::optional<QByteArray> read(const QString& path, qint64 limit, const Progress& progress) {
    const Descriptor file(openForReading(path));
    struct stat st {};
    if (::fstat(file.get(), &st) != 0)
        fail(Action::Read, path, errno);
    const qint64 size = st.st_size;
    const auto tooLarge = [&] {
        return FileError(Action::Read, path, Reason::TooLarge, limit / kMiB);
    };
    if (size > limit)
        throw tooLarge();
    // One byte more than its size, to notice a file that grows while it is read.
    QByteArray data(size + 1, Qt::Uninitialized);
    qint64 done = 0;
    for (;;) {
        if (done == data.size()) {
            if (done > limit)
                throw tooLarge();
            data.resize(std::min(2 * done, limit + 1));
        }
        const ssize_t n =
            ::read(file.get(), data.data() + done, std::min(kSlice, data.size() - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(Action::Read, path, errno);
        }
        if (n == 0)
            break;
        done += n;
        if (progress && !progress(done, std::max(size, done)))
            return std::nullopt;
    }
    if (done > limit)
        throw tooLarge();
    data.truncate(done);
    return data;
}

bool save(const QString& path, QByteArrayView bytes, const Progress& progress) {
    constexpr Action action = Action::Write;
    if (path.isEmpty())
        throw FileError(action, path, Reason::NoName);
    QByteArray name = QFile::encodeName(path);
    struct stat st {};
    const bool exists = ::stat(name.constData(), &st) == 0;
    if (!exists && errno != ENOENT)
        fail(action, path, errno);
    if (exists && S_ISDIR(st.st_mode))
        throw FileError(action, path, Reason::IsFolder);
    if (exists && !S_ISREG(st.st_mode))
        return writeInPlace(path, name, st.st_mode, bytes, progress);
    if (exists) {
        // A link is followed: the file it leads to is the one replaced.
        if (char* real = ::realpath(name.constData(), nullptr)) {
            name = real;
            std::free(real);
        }
        if (::access(name.constData(), W_OK) != 0)
            fail(action, path, errno);
    }

    QByteArray temporary = folderOf(name) + "/.vemo-XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        fail(action, path, errno);
    Descriptor file(fd);
    bool replaced = false;
    struct RemoveUnlessReplaced {
        const QByteArray& name;
        const bool& replaced;
        ~RemoveUnlessReplaced() {
            if (!replaced)
                ::unlink(name.constData());
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
    if (::rename(temporary.constData(), name.constData()) != 0)
        fail(action, path, errno);
    replaced = true;
    return true;
}

} // namespace TextFile
