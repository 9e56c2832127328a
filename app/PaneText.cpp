#include "PaneText.h"

#include "Cp1252.h"
#include "Errors.h"

#include <array>

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

// Appends display characters while keeping runs between breaks short.
class DisplayWriter {
public:
    explicit DisplayWriter(qsizetype expected) {
        m_out.resize(expected + expected / kSoftBreakInterval + 2);
        m_data = reinterpret_cast<char16_t*>(m_out.data());
    }
    void lineBreak() {
        reserve(1);
        m_data[m_size++] = kBreak;
        ++m_breaks;
        m_run = 0;
    }
    void put(char16_t c) {
        reserve(2);
        // Never between the two halves of a surrogate pair.
        if (m_run >= kSoftBreakInterval && !QChar::isLowSurrogate(c)) {
            m_soft.append(m_breaks++);
            m_data[m_size++] = kBreak;
            m_run = 0;
        }
        m_data[m_size++] = c;
        ++m_run;
    }
    Display take() {
        m_out.truncate(m_size);
        return {std::move(m_out), std::move(m_soft)};
    }

private:
    void reserve(qsizetype more) {
        if (m_size + more <= m_out.size())
            return;
        m_out.resize(2 * (m_size + more));
        m_data = reinterpret_cast<char16_t*>(m_out.data());
    }
    QString m_out;
    char16_t* m_data = nullptr;
    qsizetype m_size = 0;
    qsizetype m_run = 0;
    qsizetype m_breaks = 0;
    QList<qsizetype> m_soft;
};

// Walks the breaks of a display in order, telling soft from real.
class SoftBreaks {
public:
    explicit SoftBreaks(const QList<qsizetype>& soft)
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
    const QList<qsizetype>& m_soft;
    qsizetype m_next = 0;
    qsizetype m_ordinal = 0;
};

char32_t codeAt(QStringView s, qsizetype i) {
    const char16_t u = s[i].unicode();
    if (QChar::isHighSurrogate(u) && i + 1 < s.size() && s[i + 1].isLowSurrogate())
        return QChar::surrogateToUcs4(u, s[i + 1].unicode());
    return u;
}

template <typename Char> LineEnding mostUsedEnding(const Char* s, qsizetype n) noexcept {
    qsizetype lf = 0, crlf = 0, cr = 0;
    for (qsizetype i = 0; i < n; ++i) {
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
    if (lf >= crlf && lf >= cr)
        return LineEnding::Lf;
    return crlf >= cr ? LineEnding::CrLf : LineEnding::Cr;
}

} // namespace

LineEnding detectLineEnding(QByteArrayView text) noexcept {
    return mostUsedEnding(text.data(), text.size());
}

LineEnding detectLineEnding(QStringView text) noexcept {
    return mostUsedEnding(text.utf16(), text.size());
}

QByteArrayView lineEndingBytes(LineEnding ending) noexcept {
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

bool isStandIn(char16_t display) noexcept {
    return standInByte(display) >= 0;
}

bool isLookAlike(char16_t c) noexcept {
    return isStandIn(c) || c == kSoftBreakMark || c == kBreak || c == kLineSeparator;
}

char16_t displayChar(unsigned char byte) noexcept {
    return kDisplay[byte];
}

Display toDisplay(QByteArrayView text, LineEnding ending) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const qsizetype n = text.size();
    const unsigned char single = ending == LineEnding::Cr ? '\r' : '\n';
    DisplayWriter out(n);
    for (qsizetype i = 0; i < n; ++i) {
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
    return out.take();
}

QByteArray fromDisplay(QStringView display, const QList<qsizetype>& softBreaks, LineEnding ending) {
    const QByteArrayView eol = lineEndingBytes(ending);
    const auto* s = reinterpret_cast<const char16_t*>(display.data());
    const qsizetype n = display.size();
    QByteArray out(ending == LineEnding::CrLf ? 2 * n : n, Qt::Uninitialized);
    char* d = out.data();
    qsizetype o = 0;
    SoftBreaks soft(softBreaks);
    for (qsizetype i = 0; i < n; ++i) {
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
    out.truncate(o);
    return out;
}

Location locate(QStringView display, const QList<qsizetype>& softBreaks, qsizetype index) {
    Location at;
    SoftBreaks soft(softBreaks);
    for (qsizetype i = 0; i < index && i < display.size(); ++i) {
        const char16_t u = display[i].unicode();
        if ((u == kBreak && !soft.nextIsSoft()) || u == kLineSeparator) {
            ++at.line;
            at.column = 1;
        } else if (u != kBreak && !QChar::isLowSurrogate(u)) {
            ++at.column;
        }
    }
    return at;
}

QString displayToPlain(QStringView display, const QList<qsizetype>& softBreaks, LineEnding ending) {
    const QString eol = QString::fromLatin1(lineEndingBytes(ending));
    QString out;
    out.reserve(display.size());
    SoftBreaks soft(softBreaks);
    for (qsizetype i = 0; i < display.size(); ++i) {
        const char16_t u = display[i].unicode();
        if ((u == kBreak && !soft.nextIsSoft()) || u == kLineSeparator) {
            out += eol;
        } else if (u == kBreak) {
            continue;
        } else if (const int b = standInByte(u); b >= 0) {
            out += QChar(Cp1252::toUnicode(static_cast<unsigned char>(b)));
        } else {
            out += QChar(u);
        }
    }
    return out;
}

Display plainToDisplay(QStringView plain, LineEnding ending) {
    DisplayWriter out(plain.size());
    const qsizetype n = plain.size();
    Location at;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = plain[i].unicode();
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
        if (!QChar::isLowSurrogate(u))
            ++at.column;
        if (const int b = Cp1252::fromUnicode(u); b >= 0)
            out.put(kDisplay[static_cast<unsigned char>(b)]);
        else
            out.put(u);
    }
    return out.take();
}

} // namespace PaneText
