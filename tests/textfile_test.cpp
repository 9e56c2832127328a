#include "Errors.h"
#include "FileSlot.h"
#include "TextFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

QString makeFifo(const QTemporaryDir& dir) {
    const QString path = dir.filePath(QStringLiteral("pipe.txt"));
    ::mkfifo(QFile::encodeName(path).constData(), 0600);
    return path;
}

QString makeSocket(const QTemporaryDir& dir) {
    const QString path = dir.filePath(QStringLiteral("socket.txt"));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::close(fd);
    return path;
}

using Reason = FileError::Reason;

} // namespace

TEST(TextFile, WritesAndReadsBytesExactly) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("doc.txt"));
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    ASSERT_TRUE(TextFile::save(path, "old content"));
    ::chmod(QFile::encodeName(path).constData(), 0640);
    ASSERT_TRUE(TextFile::save(path, all));
    EXPECT_EQ(readAll(path), all);
    EXPECT_EQ(TextFile::read(path, 1000), all);
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "a replaced file keeps its permissions";
    // Given up half way: the old file stays.
    EXPECT_FALSE(
        TextFile::save(path, QByteArray(9 << 20, 'x'), [](qint64, qint64) { return false; }));
    EXPECT_EQ(readAll(path), all);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"doc.txt"});
}

TEST(TextFile, RefusesWhatIsNotARegularFileWithoutWaiting) {
    QTemporaryDir dir;
    const QString big = dir.filePath(QStringLiteral("big.txt"));
    ASSERT_TRUE(TextFile::save(big, QByteArray(2048, 'x')));
    const struct {
        QString path;
        Reason reason;
        QString words;
    } cases[] = {
        {makeFifo(dir), Reason::Pipe, QStringLiteral("è una pipe (FIFO), non un file normale")},
        {makeSocket(dir), Reason::Socket, QStringLiteral("è un socket, non un file normale")},
        {QStringLiteral("/dev/zero"), Reason::Device,
         QStringLiteral("è un dispositivo, non un file normale")},
        {dir.path(), Reason::IsFolder, QStringLiteral("è una cartella, non un file")},
        {dir.filePath(QStringLiteral("missing.txt")), Reason::NotFound,
         QStringLiteral("il file non esiste")},
        {big, Reason::TooLarge, QStringLiteral("il file supera il limite di 0 MiB")},
    };
    FileSlot slot;
    for (const auto& c : cases) {
        try {
            TextFile::read(c.path, 1024);
            ADD_FAILURE() << c.path.toStdString();
        } catch (const FileError& e) {
            EXPECT_EQ(e.kind(), c.reason) << c.path.toStdString();
            EXPECT_EQ(e.reason(), c.words);
            EXPECT_TRUE(e.message().contains(c.path));
        }
        if (c.reason == Reason::TooLarge)
            continue;
        EXPECT_THROW(slot.openForReading(c.path), FileError);
        EXPECT_FALSE(slot.isOpen());
    }
}

TEST(TextFile, SaveFailuresSayWhyAndKeepWhatWasThere) {
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("keep.txt"));
    TextFile::save(existing, "precious");
    const struct {
        QString path;
        Reason reason;
    } cases[] = {
        {existing + QStringLiteral("/below-a-file.txt"), Reason::NotAFolder},
        {dir.filePath(QStringLiteral("no/such/folder.txt")), Reason::FolderNotFound},
        {dir.path(), Reason::IsFolder},
        {dir.filePath(QString(300, u'n')), Reason::NameTooLong},
        {QStringLiteral("/dev/full"), Reason::NoSpace},
        {makeFifo(dir), Reason::NoReader},
        {makeSocket(dir), Reason::Socket},
        {QString(), Reason::NoName},
    };
    for (const auto& c : cases) {
        try {
            TextFile::save(c.path, QByteArray(64 * 1024, 'x'));
            ADD_FAILURE() << "no error for " << c.path.toStdString();
        } catch (const FileError& e) {
            EXPECT_EQ(e.kind(), c.reason) << c.path.toStdString();
            EXPECT_EQ(e.path(), c.path);
            EXPECT_TRUE(e.message().startsWith(QStringLiteral("Impossibile salvare il file")));
        }
    }
    EXPECT_EQ(readAll(existing), QByteArray("precious"));
}

// A real full disk: a small tmpfs, where the new file cannot be written whole.
TEST(TextFile, FullDiskKeepsTheOldFile) {
    QTemporaryDir dir;
    const QByteArray where = QFile::encodeName(dir.path());
    if (::mount("tmpfs", where.constData(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "mounting a tmpfs needs root";
    const QString path = dir.filePath(QStringLiteral("doc.txt"));
    TextFile::save(path, "vecchio");
    try {
        TextFile::save(path, QByteArray(1 << 20, 'x'));
        ADD_FAILURE() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(e.reason(), QStringLiteral("il disco è pieno"));
    }
    EXPECT_EQ(readAll(path), QByteArray("vecchio"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"doc.txt"});
    ::umount(where.constData());
}

TEST(TextFile, NoErrorNumberShowsTheSystemsEnglishWords) {
    for (int error = 1; error < 134; ++error) {
        const FileError e(FileError::Action::Write, QStringLiteral("x"),
                          FileError::reasonOf(error, FileError::Action::Write), error);
        EXPECT_FALSE(e.reason().isEmpty());
        EXPECT_FALSE(e.reason().contains(QString::fromLocal8Bit(std::strerror(error))));
    }
}

TEST(FileSlot, OpensAndCloses) {
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.txt"));
    const QString b = dir.filePath(QStringLiteral("b.txt"));
    TextFile::save(a, "a");
    TextFile::save(b, "b");
    FileSlot slot;
    slot.close();
    EXPECT_FALSE(slot.isOpen());
    slot.openForReading(a);
    EXPECT_EQ(slot.path(), a);
    slot.openForReading(b);
    EXPECT_EQ(slot.path(), b);
    slot.close();
    EXPECT_FALSE(slot.isOpen());
}
