#include "Cp1252.h"
#include "Errors.h"
#include "PaneText.h"

#include <QList>

#include <gtest/gtest.h>

#include <random>

using namespace PaneText;

namespace {

// Random bytes biased toward control codes and line breaks.
QByteArray randomText(std::mt19937& rng, qsizetype maxLength) {
    static const char pool[] = {'\r',       '\n',       '\t',       '\0',       0x7F,
                                char(0x81), char(0x8D), char(0x8F), char(0x90), char(0x9D),
                                char(0xA0), ' ',        'a'};
    std::uniform_int_distribution<qsizetype> length(0, maxLength);
    std::uniform_int_distribution<int> kind(0, 3);
    std::uniform_int_distribution<int> any(0, 255);
    std::uniform_int_distribution<std::size_t> pick(0, sizeof pool - 1);
    QByteArray out(length(rng), Qt::Uninitialized);
    for (char& c : out)
        c = kind(rng) == 0 ? static_cast<char>(any(rng)) : pool[pick(rng)];
    return out;
}

} // namespace

TEST(PaneText, LineEndingIsTheOneUsedMost) {
    const struct {
        QByteArray text;
        LineEnding expected;
    } cases[] = {
        {"", LineEnding::Lf},
        {"plain", LineEnding::Lf},
        {"a\r\nb\r\nc\nd", LineEnding::CrLf},
        {"a\rb\rc\r\nd", LineEnding::Cr},
        {"a\nb\rc", LineEnding::Lf},
        {"a\n\rb\n\r", LineEnding::Lf},
        {"\r\n\r", LineEnding::CrLf},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(detectLineEnding(c.text), c.expected) << c.text.toStdString();
        EXPECT_EQ(detectLineEnding(QString::fromLatin1(c.text)), c.expected);
    }
}

TEST(PaneText, DisplayOfLineEndingsAndControls) {
    const QChar br(kBreak);
    const struct {
        QByteArray text;
        LineEnding ending;
        QString display;
    } cases[] = {
        {"a\nb", LineEnding::Lf, QStringLiteral("a") + br + QStringLiteral("b")},
        {"a\rb", LineEnding::Lf, QStringLiteral("a\u240Db")},
        {"a\r\nb", LineEnding::CrLf, QStringLiteral("a") + br + QStringLiteral("b")},
        {"a\nb", LineEnding::CrLf, QStringLiteral("a\u240Ab")},
        {"\r\r\n", LineEnding::CrLf, QStringLiteral("\u240D") + br},
        {"\n\r", LineEnding::Cr, QStringLiteral("\u240A") + br},
        {QByteArray("\0\t\x1b\x7f", 4), LineEnding::Lf, QStringLiteral("\u2400\t\u241B\u2421")},
        {"\x81\x8d\x8f\x90\x9d", LineEnding::Lf, QStringLiteral("\u2422\u2423\u2424\u2425\u2426")},
        {"\x80\xa0\xe8", LineEnding::Lf, QStringLiteral("\u20AC\u00A0\u00E8")},
    };
    for (const auto& c : cases) {
        const Display d = toDisplay(c.text, c.ending);
        EXPECT_EQ(d.text, c.display) << c.text.toStdString();
        EXPECT_TRUE(d.softBreaks.isEmpty());
        EXPECT_EQ(fromDisplay(c.display, {}, c.ending), c.text);
    }
}

// Writing, and pasting the same bytes as text into a pane of any line ending, both read
// back as exactly those bytes.
TEST(PaneText, RandomByteStringsRoundTripExactly) {
    std::mt19937 rng(12);
    for (int round = 0; round < 10000; ++round) {
        const QByteArray text = randomText(rng, round % 10 == 0 ? 9000 : 64);
        const LineEnding ending = detectLineEnding(text);
        const Display display = toDisplay(text, ending);
        ASSERT_EQ(fromDisplay(display.text, display.softBreaks, ending), text) << round;
        // The display holds no character that a text document would turn into a break.
        ASSERT_FALSE(display.text.contains(QLatin1Char('\n')) ||
                     display.text.contains(QLatin1Char('\r')) ||
                     display.text.contains(QChar(kLineSeparator)));
        const QString plain = Cp1252::decode(text);
        for (LineEnding pane : {LineEnding::Lf, LineEnding::CrLf, LineEnding::Cr}) {
            const Display pasted = plainToDisplay(plain, pane);
            ASSERT_EQ(fromDisplay(pasted.text, pasted.softBreaks, pane), text) << round;
            ASSERT_EQ(displayToPlain(pasted.text, pasted.softBreaks, pane), plain) << round;
        }
    }
}

TEST(PaneText, LongRunsGetSoftBreaksThatReadingDrops) {
    const QByteArray line(3 * kSoftBreakInterval + 10, 'x');
    const Display display = toDisplay(line, LineEnding::Lf);
    EXPECT_EQ(display.text.count(QChar(kBreak)), 3);
    EXPECT_EQ(display.softBreaks, QList<qsizetype>({0, 1, 2}));
    for (const QStringView block : QStringView(display.text).split(QChar(kBreak)))
        EXPECT_LE(block.size(), kSoftBreakInterval);
    EXPECT_EQ(fromDisplay(display.text, display.softBreaks, LineEnding::Lf), line);

    const QString two = QStringLiteral("ab") + QChar(kBreak) + QStringLiteral("cd") +
                        QChar(kBreak) + QStringLiteral("ef");
    EXPECT_EQ(fromDisplay(two, {0}, LineEnding::CrLf), QByteArray("abcd\r\nef"));
    EXPECT_EQ(fromDisplay(two, {1}, LineEnding::CrLf), QByteArray("ab\r\ncdef"));
    EXPECT_EQ(displayToPlain(two, {1}, LineEnding::Lf), QStringLiteral("ab\ncdef"));
}

TEST(PaneText, UnencodableCharacterIsLocatedAsTheUserSeesIt) {
    const QChar br(kBreak);
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    const struct {
        QString display;
        QList<qsizetype> soft;
        char32_t character;
        qsizetype line, column;
    } cases[] = {
        {QStringLiteral("ab") + br + QStringLiteral("cł"), {}, U'ł', 2, 2},
        {QStringLiteral("ab") + br + QStringLiteral("cł"), {0}, U'ł', 1, 4},
        {QStringLiteral("a") + br + QStringLiteral("b") + br + QStringLiteral("éł"),
         {1},
         U'ł',
         2,
         3},
        {QStringLiteral("x") + emoji, {}, 0x1F600, 1, 2},
    };
    for (const auto& c : cases) {
        try {
            fromDisplay(c.display, c.soft, LineEnding::Lf);
            ADD_FAILURE() << "no error";
        } catch (const EncodingError& e) {
            EXPECT_EQ(e.character(), c.character);
            EXPECT_EQ(e.line(), c.line);
            EXPECT_EQ(e.column(), c.column);
        }
    }
}

TEST(PaneText, PastedLookAlikesAreRefusedWhereTheyStand) {
    const struct {
        QString plain;
        LineEnding ending;
        char32_t character;
        qsizetype line, column;
    } cases[] = {
        {QStringLiteral("ab\u2400"), LineEnding::Lf, 0x2400, 1, 3},
        {QStringLiteral("a\r\nb\u21A9"), LineEnding::CrLf, 0x21A9, 2, 2},
        {QStringLiteral("a\r\nb\u21A9"), LineEnding::Lf, 0x21A9, 2, 2},
        {QStringLiteral("a\nb\u2029"), LineEnding::CrLf, 0x2029, 1, 4},
        {QStringLiteral("\u2028"), LineEnding::Lf, 0x2028, 1, 1},
        {QStringLiteral("\u2426"), LineEnding::Lf, 0x2426, 1, 1},
    };
    for (const auto& c : cases) {
        try {
            plainToDisplay(c.plain, c.ending);
            ADD_FAILURE() << "no error for " << c.plain.toStdString();
        } catch (const EncodingError& e) {
            EXPECT_EQ(e.character(), c.character);
            EXPECT_EQ(e.line(), c.line);
            EXPECT_EQ(e.column(), c.column);
        }
    }
    // Characters Windows-1252 cannot hold but that look like no stand-in are kept, and
    // reading refuses them.
    const Display kept = plainToDisplay(QStringLiteral("ł\u2420"), LineEnding::Lf);
    EXPECT_EQ(kept.text, QStringLiteral("ł\u2420"));
    EXPECT_THROW(fromDisplay(kept.text, kept.softBreaks, LineEnding::Lf), EncodingError);
}
