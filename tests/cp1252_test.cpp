#include "core/Cp1252.h"

#include <gtest/gtest.h>

#include <set>

TEST(Cp1252, KnownMappings) {
    const struct {
        unsigned char byte;
        char16_t unicode;
    } cases[] = {
        {0x00, 0x0000}, {0x41, 0x0041}, {0x7F, 0x007F}, {0x80, 0x20AC},
        {0x81, 0x0081}, {0x8A, 0x0160}, {0x8D, 0x008D}, {0x8F, 0x008F},
        {0x90, 0x0090}, {0x92, 0x2019}, {0x99, 0x2122}, {0x9D, 0x009D},
        {0x9F, 0x0178}, {0xA0, 0x00A0}, {0xE8, 0x00E8}, {0xFF, 0x00FF},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Cp1252::toUnicode(c.byte), c.unicode) << int(c.byte);
        EXPECT_EQ(Cp1252::fromUnicode(c.unicode), c.byte) << int(c.byte);
    }
}

TEST(Cp1252, EveryByteIsOneCharacterAndBack) {
    std::set<char16_t> seen;
    for (int b = 0; b < 256; ++b) {
        const char16_t u = Cp1252::toUnicode(static_cast<unsigned char>(b));
        seen.insert(u);
        EXPECT_EQ(Cp1252::fromUnicode(u), b);
    }
    EXPECT_EQ(seen.size(), 256u);
    EXPECT_EQ(Cp1252::fromUnicode(u'ł'), -1);
    EXPECT_EQ(Cp1252::fromUnicode(0x80), -1);
}
