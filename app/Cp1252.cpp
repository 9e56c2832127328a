#include "Cp1252.h"

#include "Errors.h"

#include <array>
#include <cstdint>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The byte of every UTF-16 unit, -1 where there is none.
const std::array<std::int16_t, 65536>& encodeTable() {
    static const auto table = [] {
        auto t = std::make_unique<std::array<std::int16_t, 65536>>();
        t->fill(-1);
        for (int b = 0; b < 256; ++b)
            (*t)[kDecode[b]] = static_cast<std::int16_t>(b);
        return t;
    }();
    return *table;
}

[[noreturn]] void throwUnencodable(QStringView text, qsizetype index) {
    const char16_t unit = text[index].unicode();
    char32_t code = unit;
    if (QChar::isHighSurrogate(unit) && index + 1 < text.size() && text[index + 1].isLowSurrogate())
        code = QChar::surrogateToUcs4(unit, text[index + 1].unicode());
    // Lines end at LF, CR LF or a lone CR; a surrogate pair is one column.
    qsizetype line = 1;
    qsizetype column = 1;
    for (qsizetype i = 0; i < index; ++i) {
        const QChar c = text[i];
        if (c == u'\n' || (c == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n'))) {
            ++line;
            column = 1;
        } else if (c != u'\r' && !c.isLowSurrogate()) {
            ++column;
        }
    }
    throw EncodingError(code, line, column);
}

} // namespace

char16_t toUnicode(unsigned char byte) noexcept {
    return kDecode[byte];
}

int fromUnicode(char16_t unit) noexcept {
    return encodeTable()[unit];
}

void decodeInto(QByteArrayView bytes, char16_t* dst) noexcept {
    const auto* src = reinterpret_cast<const unsigned char*>(bytes.data());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        dst[i] = kDecode[src[i]];
}

void encodeInto(QStringView text, char* dst) {
    const auto& table = encodeTable();
    const auto* src = reinterpret_cast<const char16_t*>(text.data());
    const qsizetype n = text.size();
    qsizetype i = 0;
    // Blocks of 16 with one error check each: a negative entry sets the sign bit of acc.
    [[maybe_unused]] int skipDirectTest = 0;
    for (; i + 16 <= n; i += 16) {
#if defined(__SSE2__)
        // A block of units up to U+00FF outside the C1 range is its own bytes. Where that
        // test fails (text like ciphertext), it rests for a few blocks.
        if (skipDirectTest > 0) {
            --skipDirectTest;
        } else {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i + 8));
            const __m128i zero = _mm_setzero_si128();
            const __m128i high = _mm_and_si128(_mm_or_si128(a, b), _mm_set1_epi16(short(0xFF00)));
            const __m128i top3 = _mm_set1_epi16(0xE0);
            const __m128i c1 = _mm_set1_epi16(0x80);
            const __m128i inC1 = _mm_or_si128(_mm_cmpeq_epi16(_mm_and_si128(a, top3), c1),
                                              _mm_cmpeq_epi16(_mm_and_si128(b, top3), c1));
            if (_mm_movemask_epi8(_mm_cmpeq_epi16(high, zero)) == 0xFFFF &&
                _mm_movemask_epi8(inC1) == 0) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(a, b));
                continue;
            }
            skipDirectTest = 8;
        }
#endif
        std::int16_t acc = 0;
        for (int k = 0; k < 16; ++k) {
            const std::int16_t b = table[src[i + k]];
            acc = static_cast<std::int16_t>(acc | b);
            dst[i + k] = static_cast<char>(b);
        }
        if (acc < 0)
            break;
    }
    for (; i < n; ++i) {
        const std::int16_t b = table[src[i]];
        if (b < 0)
            throwUnencodable(text, i);
        dst[i] = static_cast<char>(b);
    }
}

QString decode(QByteArrayView bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    decodeInto(bytes, reinterpret_cast<char16_t*>(out.data()));
    return out;
}

QByteArray encode(QStringView text) {
    QByteArray out(text.size(), Qt::Uninitialized);
    encodeInto(text, out.data());
    return out;
}

} // namespace Cp1252
