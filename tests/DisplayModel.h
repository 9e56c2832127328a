#pragma once

#include "core/Cp1252.h"
#include "core/PaneText.h"

#include <string>
#include <string_view>

// The display mapping's buffer-filling calls as plain values, for the tests and the fuzzer
// to compare.
namespace DisplayModel {

struct Shown {
    std::u16string text;
    PaneText::SoftBreaks soft;
};

inline Shown display(std::string_view bytes, PaneText::LineEnding ending,
                     std::ptrdiff_t paragraphLength = 0) {
    Shown d;
    d.text.resize(PaneText::displayCapacity(bytes.size()));
    d.text.resize(PaneText::toDisplay(bytes, ending, d.text.data(), d.soft, paragraphLength));
    return d;
}

inline Shown pasted(std::u16string_view plain, PaneText::LineEnding ending,
                    std::ptrdiff_t paragraphLength = 0) {
    Shown d;
    d.text.resize(PaneText::displayCapacity(plain.size()));
    d.text.resize(PaneText::plainToDisplay(plain, ending, d.text.data(), d.soft, paragraphLength));
    return d;
}

inline std::string bytes(std::u16string_view shown, const PaneText::SoftBreaks& soft,
                         PaneText::LineEnding ending) {
    std::string out(PaneText::byteCapacity(shown.size(), ending), '\0');
    out.resize(PaneText::fromDisplay(shown, soft, ending, out.data()));
    return out;
}

inline std::u16string decode(std::string_view text) {
    std::u16string out;
    for (const char c : text)
        out += Cp1252::toUnicode(static_cast<unsigned char>(c));
    return out;
}

} // namespace DisplayModel
