#include "Registry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Registry;

TEST(MemoryBackend, QueryHonoursBufferAndReportedSize) {
    MemoryBackend reg;
    reg.setString(HKEY_LOCAL_MACHINE, "K", "S", "abc");
    Value odd;
    odd.type = REG_SZ;
    odd.data = "xyz";
    odd.overrideSize = true;
    odd.reportedSize = 0;
    reg.setValue(HKEY_LOCAL_MACHINE, "K", "Zero", odd);
    reg.setString(HKEY_LOCAL_MACHINE, "K", "Long", std::string(1024, 'L'));

    HKEY key = 0;
    ASSERT_EQ(reg.RegOpenKeyEx(HKEY_LOCAL_MACHINE, "K", 0, KEY_READ, key), ERROR_SUCCESS);
    std::string buffer(1024, '\0');
    DWORD size = 1024, type = 0;
    ASSERT_EQ(reg.RegQueryValueEx(key, "S", 0, type, buffer, size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(buffer.substr(0, 4), std::string("abc\0", 4));
    size = 1024;
    ASSERT_EQ(reg.RegQueryValueEx(key, "Zero", 0, type, buffer, size), ERROR_SUCCESS);
    EXPECT_EQ(size, 0u);
    size = 1024;
    EXPECT_EQ(reg.RegQueryValueEx(key, "Long", 0, type, buffer, size), ERROR_MORE_DATA);
    size = 1024;
    EXPECT_EQ(reg.RegQueryValueEx(key, "Missing", 0, type, buffer, size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(reg.RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(reg.openHandles(), 0);
    EXPECT_NE(reg.RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Other", 0, KEY_READ, key), ERROR_SUCCESS);
}

TEST(SystemBackend, NamesTheFirstToolOnTheSearchPath) {
    QTemporaryDir dir;
    for (const char* name : {"gnome-system-monitor", "kinfocenter"}) {
        QFile tool(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(tool.open(QIODevice::WriteOnly));
        tool.write("#!/bin/sh\n");
        tool.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                            QFileDevice::ExeOwner);
    }
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", dir.path().toLocal8Bit());
    SystemBackend reg;
    qputenv("PATH", savedPath);

    HKEY key = 0;
    // Write rights are refused, as for an ordinary Windows user.
    EXPECT_EQ(reg.RegOpenKeyEx(HKEY_LOCAL_MACHINE, kSysInfoKey, 0, KEY_ALL_ACCESS_NO_DELETE, key),
              ERROR_ACCESS_DENIED);
    ASSERT_EQ(reg.RegOpenKeyEx(HKEY_LOCAL_MACHINE, kSysInfoKey, 0, KEY_READ, key), ERROR_SUCCESS);
    std::string buffer(1024, '\0');
    DWORD size = 1024, type = 0;
    ASSERT_EQ(reg.RegQueryValueEx(key, kSysInfoValue, 0, type, buffer, size), ERROR_SUCCESS);
    const std::string expected = dir.filePath(QStringLiteral("kinfocenter")).toStdString();
    EXPECT_EQ(buffer.substr(0, size), expected + '\0');
    reg.RegCloseKey(key);
    EXPECT_NE(reg.RegOpenKeyEx(HKEY_LOCAL_MACHINE, kSysInfoLocationKey, 0, KEY_READ, key),
              ERROR_SUCCESS);
}
