#include "core/FileSlot.h"
#include "core/Errors.h"
#include "tests/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(FileSlot, HoldsOneFileAtATime) {
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.txt"));
    const QString b = dir.filePath(QStringLiteral("b.txt"));
    for (const QString& path : {a, b}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    FileSlot slot;
    slot.close();
    slot.openForReading(a.toStdString());
    EXPECT_TRUE(heldOpen(a));
    slot.openForReading(b.toStdString());
    EXPECT_FALSE(heldOpen(a));
    EXPECT_TRUE(heldOpen(b));
    EXPECT_THROW(slot.openForReading(dir.path().toStdString()), FileError);
    EXPECT_FALSE(heldOpen(b));
}
