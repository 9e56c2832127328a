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
    for (const auto& c : cases)
        EXPECT_EQ(detectLineEnding(c.text), c.expected) << c.text.toStdString();
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
        EXPECT_EQ(toDisplay(c.text, c.ending), c.display) << c.text.toStdString();
        EXPECT_EQ(fromDisplay(c.display, c.ending), c.text);
    }
}

TEST(PaneText, RandomByteStringsRoundTripExactly) {
    std::mt19937 rng(12);
    for (int round = 0; round < 10000; ++round) {
        const QByteArray text = randomText(rng, round % 10 == 0 ? 9000 : 64);
        const LineEnding ending = detectLineEnding(text);
        const QString display = toDisplay(text, ending);
        ASSERT_EQ(fromDisplay(display, ending), text) << "round " << round;
        // The display holds no character that a text document would turn into a break.
        ASSERT_FALSE(display.contains(QLatin1Char('\n')) || display.contains(QLatin1Char('\r')) ||
                     display.contains(QChar(0x2028)));
    }
}

TEST(PaneText, LongRunsGetSoftBreaksThatReadingDrops) {
    const QByteArray line(3 * kSoftBreakInterval + 10, 'x');
    const QString display = toDisplay(line, LineEnding::Lf);
    EXPECT_EQ(display.count(QChar(kBreak)), 3);
    EXPECT_EQ(display.count(QChar(kSoftBreakMark)), 3);
    for (const QStringView block : QStringView(display).split(QChar(kBreak)))
        EXPECT_LE(block.size(), kSoftBreakInterval + 1);
    EXPECT_EQ(fromDisplay(display, LineEnding::Lf), line);

    // A soft break whose break the user removed reads as nothing; a break typed after
    // a mark is a real one.
    const QString joined = QStringLiteral("ab") + QChar(kSoftBreakMark) + QStringLiteral("cd");
    EXPECT_EQ(fromDisplay(joined, LineEnding::Lf), QByteArray("abcd"));
    const QString typed = QStringLiteral("ab") + QChar(kSoftBreakMark) + QChar(kBreak) +
                          QChar(kBreak) + QStringLiteral("cd");
    EXPECT_EQ(fromDisplay(typed, LineEnding::CrLf), QByteArray("ab\r\ncd"));
}

TEST(PaneText, UnencodableCharacterReportsItsDisplayPosition) {
    try {
        fromDisplay(QStringLiteral("ab") + QChar(kBreak) + QStringLiteral("cł"), LineEnding::Lf);
        FAIL() << "no error";
    } catch (const EncodingError& e) {
        EXPECT_EQ(e.character(), U'ł');
        EXPECT_EQ(e.position(), 5);
    }
}

TEST(PaneText, ClipboardFormsUseRealCharacters) {
    const QString display = toDisplay(QByteArray("a\r\nb\x01\n\x8d", 7), LineEnding::CrLf);
    EXPECT_EQ(displayToPlain(display, LineEnding::CrLf), QStringLiteral("a\r\nb\u0001\n\u008D"));

    const struct {
        QString plain;
        LineEnding ending;
        QByteArray text;
    } pastes[] = {
        {QStringLiteral("a\r\nb\nc"), LineEnding::CrLf, "a\r\nb\r\nc"},
        {QStringLiteral("a\r\nb\nc"), LineEnding::Lf, "a\nb\nc"},
        {QStringLiteral("a\rb"), LineEnding::Lf, "a\rb"},
        {QStringLiteral("a\rb\r\n"), LineEnding::Cr, "a\rb\r"},
        {QStringLiteral("\u0000\u001b\u20ac"), LineEnding::Lf, QByteArray("\0\x1b\x80", 3)},
    };
    for (const auto& p : pastes)
        EXPECT_EQ(fromDisplay(plainToDisplay(p.plain, p.ending), p.ending), p.text);
    // A character Windows-1252 cannot hold is pasted as it is, so reading reports it.
    EXPECT_THROW(fromDisplay(plainToDisplay(QStringLiteral("ł"), LineEnding::Lf), LineEnding::Lf),
                 EncodingError);
}
