#include "Cp1252.h"
#include "Errors.h"

#include <QSet>

#include <gtest/gtest.h>

#include <random>

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
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString decoded = Cp1252::decode(all);
    ASSERT_EQ(decoded.size(), 256);
    EXPECT_EQ(QSet<QChar>(decoded.begin(), decoded.end()).size(), 256);
    EXPECT_EQ(Cp1252::encode(decoded), all);
}

TEST(Cp1252, RandomByteStringsSurviveDecodeThenEncode) {
    std::mt19937 rng(1252);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes(round * 7, Qt::Uninitialized);
        for (char& c : bytes)
            c = static_cast<char>(byte(rng));
        ASSERT_EQ(Cp1252::encode(Cp1252::decode(bytes)), bytes);
    }
}

TEST(Cp1252, UnencodableCharacterIsNamedWithItsPosition) {
    const struct {
        QString text;
        char32_t character;
        qsizetype column;
    } cases[] = {
        {QStringLiteral("ciao ł"), U'ł', 6},
        {QStringLiteral("€\u0080"), 0x80, 2},
        {QString::fromUtf8("ab\xF0\x9F\x98\x80z"), 0x1F600, 3},
        {QStringLiteral("\u2400"), 0x2400, 1},
        {QString(30, u'a') + QStringLiteral("ł") + QString(10, u'b'), U'ł', 31},
        {QString(20, u'a') + QStringLiteral("\u0080"), 0x80, 21},
        {QString(17, u'\u20AC') + QStringLiteral("\u0100"), 0x100, 18},
    };
    for (const auto& c : cases) {
        try {
            Cp1252::encode(c.text);
            ADD_FAILURE() << "no error for " << c.text.toStdString();
        } catch (const EncodingError& e) {
            EXPECT_EQ(e.character(), c.character);
            EXPECT_EQ(e.line(), 1);
            EXPECT_EQ(e.column(), c.column);
            EXPECT_TRUE(e.message().contains(QStringLiteral("riga 1, colonna %1").arg(c.column)));
            EXPECT_TRUE(e.message().contains(QString::fromUcs4(&c.character, 1)));
        }
    }
}
