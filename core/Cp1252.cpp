#include "core/Cp1252.h"

#include <array>
#include <cstdint>
#include <memory>

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

} // namespace

char16_t toUnicode(unsigned char byte) noexcept {
    return kDecode[byte];
}

int fromUnicode(char16_t unit) noexcept {
    return encodeTable()[unit];
}

} // namespace Cp1252
