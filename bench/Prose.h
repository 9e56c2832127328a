#pragma once

#include <cstddef>
#include <iterator>
#include <random>
#include <string_view>

// Italian-looking Windows-1252 prose in lines of at most 80 characters, each ended by
// `lineEnd`, the same for a given size on every run. `Bytes` is QByteArray or std::string.
template <typename Bytes>
Bytes prose(std::size_t size, std::string_view lineEnd = "\n") {
    static const std::string_view words[] = {"il",    "documento", "chiave",    "criptare",
                                             "testo", "della",     "parola",    "sicurezza",
                                             "prima", "di",        "tutto",     "\xe8",
                                             "una"};
    std::mt19937 rng(80);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(words) - 1);
    Bytes out;
    out.reserve(decltype(out.size())(size + 100));
    std::size_t line = 0;
    while (std::size_t(out.size()) < size) {
        const std::string_view w = words[pick(rng)];
        if (line + w.size() + 1 > 80) {
            out.append(lineEnd.data(), decltype(out.size())(lineEnd.size()));
            line = 0;
        } else if (line > 0) {
            out += ' ';
            ++line;
        }
        out.append(w.data(), decltype(out.size())(w.size()));
        line += w.size();
    }
    out.resize(decltype(out.size())(size));
    return out;
}
