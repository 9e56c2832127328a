#include "core/SysInfo.h"
#include "tests/mock/FakeRegistry.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace Registry;

TEST(FakeRegistry, QueryHonoursBufferAndReportedSize) {
    FakeRegistry reg;
    reg.setString(kLocalMachine, "K", "S", "abc");
    reg.setValue(kLocalMachine, "K", "Zero", rawValue(kString, "xyz", 0));
    reg.setString(kLocalMachine, "K", "Long", std::string(1024, 'L'));

    HKEY key = 0;
    ASSERT_EQ(reg.RegOpenKeyExA(kLocalMachine, "K", 0, kKeyRead, key), kSuccess);
    std::string buffer(1024, '\0');
    DWORD size = 1024, type = 0;
    ASSERT_EQ(reg.RegQueryValueExA(key, "S", 0, type, buffer, size), kSuccess);
    EXPECT_EQ(type, kString);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(buffer.substr(0, 4), std::string("abc\0", 4));
    size = 1024;
    ASSERT_EQ(reg.RegQueryValueExA(key, "Zero", 0, type, buffer, size), kSuccess);
    EXPECT_EQ(size, 0u);
    size = 1024;
    EXPECT_EQ(reg.RegQueryValueExA(key, "Long", 0, type, buffer, size), kMoreData);
    size = 1024;
    EXPECT_EQ(reg.RegQueryValueExA(key, "Missing", 0, type, buffer, size), kFileNotFound);
    EXPECT_EQ(reg.RegCloseKey(key), kSuccess);
    EXPECT_EQ(reg.openHandles(), 0);
    EXPECT_NE(reg.RegOpenKeyExA(kLocalMachine, "Other", 0, kKeyRead, key), kSuccess);
}

TEST(GetKeyValue, TrimsAndConverts) {
    const struct {
        const char* what;
        FakeValue value;
        std::string initial;
        std::string expected;
    } cases[] = {
        {"string with its NUL", rawValue(kString, std::string("abc\0", 4), 4), "", "abc"},
        {"string without a NUL", rawValue(kString, "abc", 3), "", "abc"},
        {"reported size shorter than the data", rawValue(kString, "abcdef", 2), "", "ab"},
        {"string replaces the caller's value", rawValue(kString, "abc", 3), "prima", "abc"},
        {"32-bit number", rawValue(kDword, std::string("\x07\0\0\0", 4), 4), "", "7"},
        {"32-bit number, all bits", rawValue(kDword, "\xff\xff\xff\xff", 4), "", "-1"},
        {"32-bit number 0x0102", rawValue(kDword, std::string("\x02\x01\0\0", 4), 4), "", "258"},
        // Appended to what the caller passed in; like any value, the data loses a last
        // byte of 0 to the trim rule.
        {"32-bit number after text", rawValue(kDword, std::string("\x07\0\0\0", 4), 4), "x",
         "&hx000007"},
        {"unknown type keeps the caller's value", rawValue(7, "zz", 2), "prima", "prima"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeRegistry registry;
        registry.setValue(kLocalMachine, "K", "V", c.value);
        std::string value = c.initial;
        EXPECT_TRUE(SysInfo::getKeyValue(registry, kLocalMachine, "K", "V", value));
        EXPECT_EQ(value, c.expected);
        EXPECT_EQ(registry.openHandles(), 0);
        EXPECT_EQ(registry.requestedRights(), std::vector<DWORD>{kKeyRead}) << "read rights only";
    }
}

TEST(GetKeyValue, FailuresEmptyTheValueAndCloseTheKey) {
    FakeRegistry registry;
    registry.setValue(kLocalMachine, "K", "Zero", rawValue(kString, "ab", 0));
    registry.setValue(kLocalMachine, "K", "Beyond", rawValue(kString, "ab", 2000));
    registry.setString(kLocalMachine, "Locked", "V", "x");
    registry.failOpen("Locked");
    const struct {
        const char* key;
        const char* name;
    } missing[] = {{"K", "missing"}, {"nokey", "V"}, {"Locked", "V"}};
    for (const auto& m : missing) {
        SCOPED_TRACE(m.key);
        std::string value = "prima";
        EXPECT_FALSE(SysInfo::getKeyValue(registry, kLocalMachine, m.key, m.name, value));
        EXPECT_TRUE(value.empty());
    }
    for (const char* name : {"Zero", "Beyond"}) {
        std::string value;
        EXPECT_THROW(SysInfo::getKeyValue(registry, kLocalMachine, "K", name, value),
                     std::out_of_range)
            << name;
    }
    EXPECT_EQ(registry.openHandles(), 0);
}
