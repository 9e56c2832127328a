#include "bench/Prose.h"

#include <iterator>
#include <random>

QByteArray prose(qsizetype size) {
    static const char* words[] = {"il",    "documento", "chiave",    "criptare", "testo",
                                  "della", "parola",    "sicurezza", "prima",    "di",
                                  "tutto", "\xe8",      "una"};
    std::mt19937 rng(80);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(words) - 1);
    QByteArray out;
    out.reserve(size + 100);
    qsizetype line = 0;
    while (out.size() < size) {
        const QByteArray w(words[pick(rng)]);
        if (line + w.size() + 1 > 80) {
            out += '\n';
            line = 0;
        } else if (line > 0) {
            out += ' ';
            ++line;
        }
        out += w;
        line += w.size();
    }
    out.truncate(size);
    return out;
}
