#include "core/Cp1252.h"
#include "core/Errors.h"
#include "core/PaneText.h"
#include "tests/DisplayModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace PaneText;

namespace {

using namespace DisplayModel;

// Random bytes biased toward control codes and line breaks.
std::string randomText(std::mt19937& rng, std::size_t maxLength) {
    static const char pool[] = {'\r',       '\n',       '\t',       '\0',       0x7F,
                                char(0x81), char(0x8D), char(0x8F), char(0x90), char(0x9D),
                                char(0xA0), ' ',        'a'};
    std::uniform_int_distribution<std::size_t> length(0, maxLength);
    std::uniform_int_distribution<int> kind(0, 3);
    std::uniform_int_distribution<int> any(0, 255);
    std::uniform_int_distribution<std::size_t> pick(0, sizeof pool - 1);
    std::string out(length(rng), '\0');
    for (char& c : out)
        c = kind(rng) == 0 ? static_cast<char>(any(rng)) : pool[pick(rng)];
    return out;
}

const std::u16string br(1, kBreak);

} // namespace

TEST(PaneText, LineEndingIsTheOneUsedMost) {
    const struct {
        std::string text;
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
        EXPECT_EQ(detectLineEnding(c.text), c.expected) << c.text;
        EXPECT_EQ(detectLineEnding(decode(c.text)), c.expected);
    }
}

TEST(PaneText, DisplayOfLineEndingsAndControls) {
    const struct {
        std::string text;
        LineEnding ending;
        std::u16string display;
    } cases[] = {
        {"a\nb", LineEnding::Lf, u"a" + br + u"b"},
        {"a\rb", LineEnding::Lf, u"a\u240Db"},
        {"a\r\nb", LineEnding::CrLf, u"a" + br + u"b"},
        {"a\nb", LineEnding::CrLf, u"a\u240Ab"},
        {"\r\r\n", LineEnding::CrLf, u"\u240D" + br},
        {"\n\r", LineEnding::Cr, u"\u240A" + br},
        {std::string("\0\t\x1b\x7f", 4), LineEnding::Lf, u"\u2400\t\u241B\u2421"},
        {"\x81\x8d\x8f\x90\x9d", LineEnding::Lf, u"\u2422\u2423\u2424\u2425\u2426"},
        {"\x80\xa0\xe8", LineEnding::Lf, u"\u20AC\u00A0\u00E8"},
    };
    for (const auto& c : cases) {
        const Shown d = display(c.text, c.ending);
        EXPECT_EQ(d.text, c.display) << c.text;
        EXPECT_TRUE(d.soft.empty());
        EXPECT_EQ(bytes(c.display, {}, c.ending), c.text);
    }
}

// Writing, and pasting the same bytes as text into a pane of any line ending, both read
// back as exactly those bytes.
TEST(PaneText, RandomByteStringsRoundTripExactly) {
    std::mt19937 rng(12);
    for (int round = 0; round < 10000; ++round) {
        const std::string text = randomText(rng, round % 10 == 0 ? 9000 : 64);
        const LineEnding ending = detectLineEnding(text);
        const Shown d = display(text, ending);
        ASSERT_EQ(bytes(d.text, d.soft, ending), text) << round;
        // The display holds no character that a text control would turn into a break.
        ASSERT_EQ(d.text.find_first_of(u"\n\r\u2028"), std::u16string::npos);
        const std::u16string plain = decode(text);
        for (LineEnding pane : {LineEnding::Lf, LineEnding::CrLf, LineEnding::Cr}) {
            const Shown p = pasted(plain, pane);
            ASSERT_EQ(bytes(p.text, p.soft, pane), text) << round;
            ASSERT_EQ(displayToPlain(p.text, p.soft, pane), plain) << round;
        }
    }
}

TEST(PaneText, ShortLinesShareAParagraph) {
    const std::u16string ls(1, kLineSeparator);
    const struct {
        std::string text;
        std::u16string display;
    } cases[] = {
        {"ab\ncd\nefgh\nij", u"ab" + ls + u"cd" + br + u"efgh" + br + u"ij"},
        {"\n\n\n\n\n", ls + ls + ls + ls + br},
        {"abcdefg\nh", u"abcdefg" + br + u"h"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(display(c.text, LineEnding::Lf, 4).text, c.display) << c.text;
        EXPECT_EQ(pasted(decode(c.text), LineEnding::Lf, 4).text, c.display) << c.text;
    }
    // Grouped or not, the breaks are in the same places and read back the same bytes; soft
    // breaks end a paragraph and are counted among the paragraph separators alone.
    std::mt19937 rng(7);
    for (int round = 0; round < 2000; ++round) {
        const std::string text = randomText(rng, round % 10 == 0 ? 9000 : 64) + "\n\n";
        const Shown each = display(text, LineEnding::Lf);
        const Shown grouped = display(text, LineEnding::Lf, 16);
        ASSERT_EQ(bytes(grouped.text, grouped.soft, LineEnding::Lf), text) << round;
        std::u16string separated = grouped.text;
        std::replace(separated.begin(), separated.end(), kLineSeparator, kBreak);
        ASSERT_EQ(separated, each.text) << round;
    }
}

TEST(PaneText, LongRunsGetSoftBreaksThatReadingDrops) {
    const std::string line(3 * kSoftBreakInterval + 10, 'x');
    const Shown d = display(line, LineEnding::Lf);
    EXPECT_EQ(std::count(d.text.begin(), d.text.end(), kBreak), 3);
    EXPECT_EQ(d.soft, SoftBreaks({0, 1, 2}));
    for (std::size_t from = 0; from < d.text.size();) {
        const std::size_t end = std::min(d.text.find(kBreak, from), d.text.size());
        EXPECT_LE(std::ptrdiff_t(end - from), kSoftBreakInterval);
        from = end + 1;
    }
    EXPECT_EQ(bytes(d.text, d.soft, LineEnding::Lf), line);

    // Asked for none, the display holds only the real breaks, as a paste does.
    const std::string lines = line + "\n" + line;
    std::u16string bare(displayCapacity(lines.size()), u'\0');
    bare.resize(toDisplay(lines, LineEnding::Lf, bare.data()));
    EXPECT_EQ(bare, decode(line) + br + decode(line));
    std::u16string bareCopy(displayCapacity(lines.size()), u'\0');
    bareCopy.resize(plainToDisplay(decode(lines), LineEnding::Lf, bareCopy.data()));
    EXPECT_EQ(bareCopy, bare);

    const std::u16string two = u"ab" + br + u"cd" + br + u"ef";
    EXPECT_EQ(bytes(two, {0}, LineEnding::CrLf), "abcd\r\nef");
    EXPECT_EQ(bytes(two, {1}, LineEnding::CrLf), "ab\r\ncdef");
    EXPECT_EQ(displayToPlain(two, {1}, LineEnding::Lf), u"ab\ncdef");
}

TEST(PaneText, UnencodableCharacterIsLocatedAsTheUserSeesIt) {
    const struct {
        std::u16string display;
        SoftBreaks soft;
        char32_t character;
        std::int64_t line, column;
        std::string named;
    } cases[] = {
        {u"ab" + br + u"cł", {}, U'ł', 2, 2, "«ł» (U+0142) alla riga 2, colonna 2 non"},
        {u"ab" + br + u"cł", {0}, U'ł', 1, 4, "«ł» (U+0142) alla riga 1, colonna 4 non"},
        {u"a" + br + u"b" + br + u"éł", {1}, U'ł', 2, 3, "alla riga 2, colonna 3"},
        {u"x\U0001F600", {}, 0x1F600, 1, 2, "«😀» (U+1F600) alla riga 1, colonna 2"},
        {u"\u0080", {}, 0x80, 1, 1, "(U+0080)"},
    };
    for (const auto& c : cases) {
        try {
            bytes(c.display, c.soft, LineEnding::Lf);
            ADD_FAILURE() << "no error";
        } catch (const EncodingError& e) {
            EXPECT_EQ(e.character(), c.character);
            EXPECT_EQ(e.line(), c.line);
            EXPECT_EQ(e.column(), c.column);
            EXPECT_NE(e.message().find(c.named), std::string::npos) << e.message();
            EXPECT_NE(e.in(EncodingError::Place::Key).message().find("della chiave non"),
                      std::string::npos);
        }
    }
}

TEST(PaneText, PastedLookAlikesAreRefusedWhereTheyStand) {
    const struct {
        std::u16string plain;
        LineEnding ending;
        char32_t character;
        std::int64_t line, column;
    } cases[] = {
        {u"ab\u2400", LineEnding::Lf, 0x2400, 1, 3},
        {u"a\r\nb\u21A9", LineEnding::CrLf, 0x21A9, 2, 2},
        {u"a\r\nb\u21A9", LineEnding::Lf, 0x21A9, 2, 2},
        {u"a\nb\u2029", LineEnding::CrLf, 0x2029, 1, 4},
        {u"\u2028", LineEnding::Lf, 0x2028, 1, 1},
        {u"\u2426", LineEnding::Lf, 0x2426, 1, 1},
    };
    for (const auto& c : cases) {
        try {
            pasted(c.plain, c.ending);
            ADD_FAILURE() << "no error";
        } catch (const EncodingError& e) {
            EXPECT_EQ(e.character(), c.character);
            EXPECT_EQ(e.line(), c.line);
            EXPECT_EQ(e.column(), c.column);
        }
    }
    // Characters Windows-1252 cannot hold but that look like no stand-in are kept, and
    // reading refuses them.
    const Shown kept = pasted(u"ł\u2420", LineEnding::Lf);
    EXPECT_EQ(kept.text, u"ł\u2420");
    EXPECT_THROW(bytes(kept.text, kept.soft, LineEnding::Lf), EncodingError);
}
