#include "core/PaneText.h"

#include "core/Cp1252.h"
#include "core/Errors.h"

#include <array>
#include <cstdint>

namespace PaneText {

namespace {

constexpr std::array<unsigned char, 5> kUnassigned = {0x81, 0x8D, 0x8F, 0x90, 0x9D};

std::array<char16_t, 256> makeDisplayTable() {
    std::array<char16_t, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[b] = Cp1252::toUnicode(static_cast<unsigned char>(b));
    for (int b = 0; b < 0x20; ++b)
        table[b] = static_cast<char16_t>(0x2400 + b);
    table['\t'] = u'\t';
    table[0x7F] = 0x2421;
    for (std::size_t i = 0; i < kUnassigned.size(); ++i)
        table[kUnassigned[i]] = static_cast<char16_t>(0x2422 + i);
    return table;
}

const std::array<char16_t, 256> kDisplay = makeDisplayTable();

bool isHighSurrogate(char16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}

bool isLowSurrogate(char16_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

// The byte a stand-in stands for, or -1.
int standInByte(char16_t u) noexcept {
    if (u >= 0x2400 && u <= 0x241F)
        return u - 0x2400;
    if (u == 0x2421)
        return 0x7F;
    if (u >= 0x2422 && u <= 0x2426)
        return kUnassigned[u - 0x2422];
    return -1;
}

// Appends display characters while keeping runs between breaks short. `out` holds
// displayCapacity units of the input: a soft break comes after kSoftBreakInterval
// characters at the least.
class DisplayWriter {
public:
    DisplayWriter(char16_t* out, SoftBreaks& soft, std::ptrdiff_t interval,
                  std::ptrdiff_t paragraphLength)
        : m_data(out)
        , m_soft(soft)
        , m_interval(interval)
        , m_paragraphLength(paragraphLength) {
        m_soft.clear();
    }
    void lineBreak() {
        m_run = 0;
        if (m_paragraph < m_paragraphLength) {
            m_data[m_size++] = kLineSeparator;
            ++m_paragraph;
            return;
        }
        m_data[m_size++] = kBreak;
        ++m_breaks;
        m_paragraph = 0;
    }
    void put(char16_t c) {
        // Never between the two halves of a surrogate pair.
        if (m_run >= m_interval && !isLowSurrogate(c)) {
            m_soft.push_back(m_breaks++);
            m_data[m_size++] = kBreak;
            m_run = 0;
            m_paragraph = 0;
        }
        m_data[m_size++] = c;
        ++m_run;
        ++m_paragraph;
    }
    std::size_t size() const { return m_size; }

private:
    char16_t* m_data;
    SoftBreaks& m_soft;
    std::ptrdiff_t m_interval;
    std::ptrdiff_t m_paragraphLength;
    std::size_t m_size = 0;
    std::ptrdiff_t m_paragraph = 0;
    std::ptrdiff_t m_run = 0;
    std::ptrdiff_t m_breaks = 0;
};

// Walks the breaks of a display in order, telling soft from real.
class SoftBreakWalk {
public:
    explicit SoftBreakWalk(const SoftBreaks& soft)
        : m_soft(soft) {}
    // Whether the next U+2029 is soft.
    bool nextIsSoft() {
        const bool soft = m_next < m_soft.size() && m_soft[m_next] == m_ordinal;
        if (soft)
            ++m_next;
        ++m_ordinal;
        return soft;
    }

private:
    const SoftBreaks& m_soft;
    std::size_t m_next = 0;
    std::ptrdiff_t m_ordinal = 0;
};

constexpr std::ptrdiff_t kNoSoftBreaks = PTRDIFF_MAX;

char32_t codeAt(std::u16string_view s, std::size_t i) {
    const char16_t u = s[i];
    if (isHighSurrogate(u) && i + 1 < s.size() && isLowSurrogate(s[i + 1]))
        return 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(s[i + 1]) - 0xDC00);
    return u;
}

template <typename Char>
LineEnding mostUsedEnding(const Char* s, std::size_t n, LineEnding none) noexcept {
    std::size_t lf = 0, crlf = 0, cr = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (s[i] == '\n') {
            ++lf;
        } else if (s[i] == '\r') {
            if (i + 1 < n && s[i + 1] == '\n') {
                ++crlf;
                ++i;
            } else {
                ++cr;
            }
        }
    }
    if (lf + crlf + cr == 0)
        return none;
    if (lf >= crlf && lf >= cr)
        return LineEnding::Lf;
    return crlf >= cr ? LineEnding::CrLf : LineEnding::Cr;
}

} // namespace

LineEnding detectLineEnding(std::string_view text, LineEnding none) noexcept {
    return mostUsedEnding(text.data(), text.size(), none);
}

LineEnding detectLineEnding(std::u16string_view text, LineEnding none) noexcept {
    return mostUsedEnding(text.data(), text.size(), none);
}

std::string_view lineEndingBytes(LineEnding ending) noexcept {
    switch (ending) {
    case LineEnding::CrLf:
        return "\r\n";
    case LineEnding::Cr:
        return "\r";
    case LineEnding::Lf:
        break;
    }
    return "\n";
}

char16_t displayChar(unsigned char byte) noexcept {
    return kDisplay[byte];
}

bool isStandIn(char16_t display) noexcept {
    return standInByte(display) >= 0;
}

bool isLookAlike(char16_t c) noexcept {
    return isStandIn(c) || c == kSoftBreakMark || c == kBreak || c == kLineSeparator;
}

std::size_t displayCapacity(std::size_t n) noexcept {
    return n + n / kSoftBreakInterval + 2;
}

std::size_t byteCapacity(std::size_t n, LineEnding ending) noexcept {
    return ending == LineEnding::CrLf ? 2 * n : n;
}

namespace {

std::size_t bytesToDisplayEvery(std::string_view text, LineEnding ending, char16_t* display,
                                SoftBreaks& softBreaks, std::ptrdiff_t interval,
                                std::ptrdiff_t paragraphLength) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    const unsigned char single = ending == LineEnding::Cr ? '\r' : '\n';
    DisplayWriter out(display, softBreaks, interval, paragraphLength);
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char b = s[i];
        if (ending == LineEnding::CrLf) {
            if (b == '\r' && i + 1 < n && s[i + 1] == '\n') {
                out.lineBreak();
                ++i;
                continue;
            }
        } else if (b == single) {
            out.lineBreak();
            continue;
        }
        out.put(kDisplay[b]);
    }
    return out.size();
}

} // namespace

std::size_t toDisplay(std::string_view text, LineEnding ending, char16_t* display,
                      SoftBreaks& softBreaks, std::ptrdiff_t paragraphLength) {
    return bytesToDisplayEvery(text, ending, display, softBreaks, kSoftBreakInterval,
                               paragraphLength);
}

std::size_t toDisplay(std::string_view text, LineEnding ending, char16_t* display) {
    SoftBreaks none;
    return bytesToDisplayEvery(text, ending, display, none, kNoSoftBreaks, 0);
}

std::size_t fromDisplay(std::u16string_view display, const SoftBreaks& softBreaks,
                        LineEnding ending, char* d) {
    const std::string_view eol = lineEndingBytes(ending);
    const char16_t* s = display.data();
    const std::size_t n = display.size();
    std::size_t o = 0;
    SoftBreakWalk soft(softBreaks);
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t u = s[i];
        if ((u >= 0x20 && u < 0x7F) || u == u'\t') {
            d[o++] = static_cast<char>(u);
            continue;
        }
        if ((u == kBreak && !soft.nextIsSoft()) || u == kLineSeparator) {
            for (char c : eol)
                d[o++] = c;
            continue;
        }
        if (u == kBreak)
            continue;
        int b = standInByte(u);
        if (b < 0)
            b = Cp1252::fromUnicode(u);
        if (b < 0) {
            const Location at = locate(display, softBreaks, i);
            throw EncodingError(codeAt(display, i), at.line, at.column);
        }
        d[o++] = static_cast<char>(b);
    }
    return o;
}

Location locate(std::u16string_view display, const SoftBreaks& softBreaks, std::size_t index) {
    Location at;
    SoftBreakWalk soft(softBreaks);
    for (std::size_t i = 0; i < index && i < display.size(); ++i) {
        const char16_t u = display[i];
        if ((u == kBreak && !soft.nextIsSoft()) || u == kLineSeparator) {
            ++at.line;
            at.column = 1;
        } else if (u != kBreak && !isLowSurrogate(u)) {
            ++at.column;
        }
    }
    return at;
}

std::u16string displayToPlain(std::u16string_view display, const SoftBreaks& softBreaks,
                              LineEnding ending) {
    const std::string_view eolBytes = lineEndingBytes(ending);
    const std::u16string eol(eolBytes.begin(), eolBytes.end());
    std::u16string out;
    out.reserve(display.size());
    SoftBreakWalk soft(softBreaks);
    for (const char16_t u : display) {
        if ((u == kBreak && !soft.nextIsSoft()) || u == kLineSeparator) {
            out += eol;
        } else if (u == kBreak) {
            continue;
        } else if (const int b = standInByte(u); b >= 0) {
            out += Cp1252::toUnicode(static_cast<unsigned char>(b));
        } else {
            out += u;
        }
    }
    return out;
}

namespace {

std::size_t plainToDisplayEvery(std::u16string_view plain, LineEnding ending, char16_t* display,
                                SoftBreaks& softBreaks, std::ptrdiff_t interval,
                                std::ptrdiff_t paragraphLength) {
    DisplayWriter out(display, softBreaks, interval, paragraphLength);
    const std::size_t n = plain.size();
    Location at;
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t u = plain[i];
        const bool crlf = u == u'\r' && i + 1 < n && plain[i + 1] == u'\n';
        if ((ending == LineEnding::CrLf && crlf) || (ending == LineEnding::Lf && u == u'\n') ||
            (ending == LineEnding::Cr && u == u'\r')) {
            out.lineBreak();
            i += ending == LineEnding::CrLf ? 1 : 0;
            ++at.line;
            at.column = 1;
            continue;
        }
        if (isLookAlike(u))
            throw EncodingError(u, at.line, at.column);
        if (!isLowSurrogate(u))
            ++at.column;
        if (const int b = Cp1252::fromUnicode(u); b >= 0)
            out.put(kDisplay[static_cast<unsigned char>(b)]);
        else
            out.put(u);
    }
    return out.size();
}

} // namespace

std::size_t plainToDisplay(std::u16string_view plain, LineEnding ending, char16_t* display,
                           SoftBreaks& softBreaks, std::ptrdiff_t paragraphLength) {
    return plainToDisplayEvery(plain, ending, display, softBreaks, kSoftBreakInterval,
                               paragraphLength);
}

std::size_t plainToDisplay(std::u16string_view plain, LineEnding ending, char16_t* display) {
    SoftBreaks none;
    return plainToDisplayEvery(plain, ending, display, none, kNoSoftBreaks, 0);
}

} // namespace PaneText
