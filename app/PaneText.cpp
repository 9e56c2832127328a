#include "PaneText.h"

#include "Cp1252.h"
#include "Errors.h"

#include <array>

namespace PaneText {

namespace {

constexpr char16_t kLineSeparator = 0x2028;
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
        m_out.resize(expected + 2 * (expected / kSoftBreakInterval) + 2);
        m_data = reinterpret_cast<char16_t*>(m_out.data());
    }
    void lineBreak() {
        reserve(1);
        m_data[m_size++] = kBreak;
        m_run = 0;
    }
    void put(char16_t c) {
        reserve(3);
        if (m_run == kSoftBreakInterval) {
            m_data[m_size++] = kSoftBreakMark;
            m_data[m_size++] = kBreak;
            m_run = 0;
        }
        m_data[m_size++] = c;
        ++m_run;
    }
    QString take() {
        m_out.truncate(m_size);
        return std::move(m_out);
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
};

} // namespace

LineEnding detectLineEnding(QByteArrayView text) noexcept {
    qsizetype lf = 0, crlf = 0, cr = 0;
    const qsizetype n = text.size();
    const char* s = text.data();
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

char16_t displayChar(unsigned char byte) noexcept {
    return kDisplay[byte];
}

QString toDisplay(QByteArrayView text, LineEnding ending) {
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

QByteArray fromDisplay(QStringView display, LineEnding ending) {
    const QByteArrayView eol = lineEndingBytes(ending);
    const auto* s = reinterpret_cast<const char16_t*>(display.data());
    const qsizetype n = display.size();
    QByteArray out(ending == LineEnding::CrLf ? 2 * n : n, Qt::Uninitialized);
    char* d = out.data();
    qsizetype o = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = s[i];
        if ((u >= 0x20 && u < 0x7F) || u == u'\t') {
            d[o++] = static_cast<char>(u);
            continue;
        }
        if (u == kBreak || u == kLineSeparator) {
            for (char c : eol)
                d[o++] = c;
            continue;
        }
        if (u == kSoftBreakMark) {
            if (i + 1 < n && s[i + 1] == kBreak)
                ++i;
            continue;
        }
        int b = standInByte(u);
        if (b < 0)
            b = Cp1252::fromUnicode(u);
        if (b < 0) {
            char32_t code = u;
            if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(s[i + 1]))
                code = QChar::surrogateToUcs4(u, s[i + 1]);
            throw EncodingError(code, i + 1);
        }
        d[o++] = static_cast<char>(b);
    }
    out.truncate(o);
    return out;
}

QString displayToPlain(QStringView display, LineEnding ending) {
    const QString eol = QString::fromLatin1(lineEndingBytes(ending));
    QString out;
    out.reserve(display.size());
    for (qsizetype i = 0; i < display.size(); ++i) {
        const char16_t u = display[i].unicode();
        if (u == kBreak || u == kLineSeparator) {
            out += eol;
        } else if (u == kSoftBreakMark) {
            if (i + 1 < display.size() && display[i + 1] == QChar(kBreak))
                ++i;
        } else if (const int b = standInByte(u); b >= 0) {
            out += QChar(Cp1252::toUnicode(static_cast<unsigned char>(b)));
        } else {
            out += QChar(u);
        }
    }
    return out;
}

QString plainToDisplay(QStringView plain, LineEnding ending) {
    DisplayWriter out(plain.size());
    const qsizetype n = plain.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = plain[i].unicode();
        if (u == u'\r' && i + 1 < n && plain[i + 1] == u'\n') {
            out.lineBreak();
            ++i;
        } else if (u == u'\n' || u == kBreak || u == kLineSeparator ||
                   (u == u'\r' && ending == LineEnding::Cr)) {
            out.lineBreak();
        } else if (const int b = Cp1252::fromUnicode(u); b >= 0) {
            out.put(kDisplay[static_cast<unsigned char>(b)]);
        } else {
            out.put(u);
        }
    }
    return out.take();
}

} // namespace PaneText
