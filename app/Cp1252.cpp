#include "Cp1252.h"

#include "Errors.h"

#include <array>

namespace Cp1252 {

namespace {

constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr std::array<char16_t, 256> makeDecodeTable() {
    std::array<char16_t, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[b] = static_cast<char16_t>(b);
    for (int b = 0x80; b < 0xA0; ++b)
        table[b] = kHighControls[b - 0x80];
    return table;
}

constexpr auto kDecode = makeDecodeTable();

// Reverse lookup for the 27 characters above U+00FF; everything at or below U+00FF
// maps to itself except the C1 range, which is handled through kHighControls.
int fromUnicodeSlow(char16_t unit) noexcept {
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] == unit)
            return 0x80 + i;
    }
    return -1;
}

[[noreturn]] void throwUnencodable(QStringView text, qsizetype index) {
    const char16_t unit = text[index].unicode();
    char32_t code = unit;
    if (QChar::isHighSurrogate(unit) && index + 1 < text.size() &&
        text[index + 1].isLowSurrogate())
        code = QChar::surrogateToUcs4(unit, text[index + 1].unicode());
    throw EncodingError(code, index + 1);
}

} // namespace

char16_t toUnicode(unsigned char byte) noexcept { return kDecode[byte]; }

int fromUnicode(char16_t unit) noexcept {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return unit;
    return fromUnicodeSlow(unit);
}

QString decode(QByteArrayView bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    auto* dst = reinterpret_cast<char16_t*>(out.data());
    const auto* src = reinterpret_cast<const unsigned char*>(bytes.data());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        dst[i] = kDecode[src[i]];
    return out;
}

QByteArray encode(QStringView text) {
    QByteArray out(text.size(), Qt::Uninitialized);
    const auto* src = reinterpret_cast<const char16_t*>(text.data());
    char* dst = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = src[i];
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            dst[i] = static_cast<char>(u);
            continue;
        }
        const int b = fromUnicodeSlow(u);
        if (b < 0)
            throwUnencodable(text, i);
        dst[i] = static_cast<char>(b);
    }
    return out;
}

} // namespace Cp1252
