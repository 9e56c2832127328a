#include "Errors.h"
#include "FileSlot.h"
#include "SaveText.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

} // namespace

TEST(SaveText, WritesBytesExactlyAndReplacesOldContent) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("doc.txt"));
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    SaveText::save(path, "old content");
    SaveText::save(path, all);
    EXPECT_EQ(readAll(path), all);
}

TEST(SaveText, FailuresNameTheFileAndKeepWhatWasThere) {
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("keep.txt"));
    SaveText::save(existing, "precious");
    const QString targets[] = {
        QStringLiteral("/proc/vemo-cannot-write.txt"),  // a folder nobody may write
        QStringLiteral("/proc/version"),                // a file nobody may write
        existing + QStringLiteral("/below-a-file.txt"), // a file where a folder should be
        dir.path(),                                     // a folder, not a file
        QStringLiteral("/dev/full"),                    // a full disk
    };
    for (const QString& target : targets) {
        try {
            SaveText::save(target, QByteArray(64 * 1024, 'x'));
            ADD_FAILURE() << "no error for " << target.toStdString();
        } catch (const FileError& e) {
            EXPECT_EQ(e.path(), target);
            EXPECT_TRUE(e.message().contains(target)) << e.message().toStdString();
            EXPECT_FALSE(e.reason().isEmpty());
        }
    }
    EXPECT_EQ(readAll(existing), QByteArray("precious"));
}

TEST(FileSlot, OpensClosesAndReportsFailures) {
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.txt"));
    const QString b = dir.filePath(QStringLiteral("b.txt"));
    SaveText::save(a, "a");
    SaveText::save(b, "b");

    FileSlot slot;
    slot.close();
    EXPECT_FALSE(slot.isOpen());
    slot.openForReading(a);
    EXPECT_EQ(slot.path(), a);
    slot.openForReading(b);
    EXPECT_EQ(slot.path(), b);

    const struct {
        QString path;
        QString reason;
    } failures[] = {
        {dir.filePath(QStringLiteral("missing.txt")), QStringLiteral("il file non esiste")},
        {dir.path(), QStringLiteral("è una cartella, non un file")},
    };
    for (const auto& f : failures) {
        try {
            slot.openForReading(f.path);
            ADD_FAILURE() << f.path.toStdString();
        } catch (const FileError& e) {
            EXPECT_EQ(e.reason(), f.reason);
            EXPECT_FALSE(slot.isOpen());
        }
    }
}
