#include "FileSlot.h"

#include "core/Errors.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(FileSlot, OpensAndCloses) {
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.txt"));
    const QString b = dir.filePath(QStringLiteral("b.txt"));
    for (const QString& path : {a, b}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    FileSlot slot;
    slot.close();
    EXPECT_FALSE(slot.isOpen());
    slot.openForReading(a);
    EXPECT_EQ(slot.path(), a);
    slot.openForReading(b);
    EXPECT_EQ(slot.path(), b);
    EXPECT_THROW(slot.openForReading(dir.path()), FileError);
    EXPECT_FALSE(slot.isOpen());
}
