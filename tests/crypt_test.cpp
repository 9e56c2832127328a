#include "crypt/Crypt.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>

using Crypt::CryptText;

namespace {

std::string bytes(std::initializer_list<int> codes) {
    std::string s;
    for (int c : codes)
        s.push_back(static_cast<char>(c));
    return s;
}

struct Example {
    std::string text;
    std::string key;
    std::string result;
};

std::string randomBytes(std::mt19937& rng, std::size_t n, int low) {
    std::uniform_int_distribution<int> byte(low, 255);
    std::string s(n, '\0');
    for (char& c : s)
        c = static_cast<char>(byte(rng));
    return s;
}

} // namespace

TEST(CryptText, WorkedExamples) {
    const Example examples[] = {
        {"Ciao", " ", "cIAO"},
        {"abc", "k", bytes({10, 9, 8})},
        {"casa", "a", bytes({2, 97, 18, 97})},
        {"aba", "ab", "aba"},
        {"ab", "xyz", bytes({25, 27})},
        {"", "", ""},
        {"", "chiave", ""},
        {bytes({0, 0}), "k", "kk"},
        {bytes({0xE8, 0xFF}), bytes({0xFF, 0xFF}), bytes({0x17, 0xFF})},
    };
    for (const Example& e : examples) {
        SCOPED_TRACE(e.text + " / " + e.key);
        const std::string once = CryptText(e.text, e.key);
        EXPECT_EQ(once, e.result);
        if (e.text.find('\0') == std::string::npos) {
            EXPECT_EQ(CryptText(once, e.key), e.text);
        }
    }
}

TEST(CryptText, EmptyKeyWithTextIsAnInvalidArgument) {
    EXPECT_THROW(CryptText("x", ""), std::invalid_argument);
    EXPECT_THROW(CryptText(std::string(10000, 'a'), ""), std::invalid_argument);
}

TEST(CryptText, KeyAdvancesAtEveryPositionAndRepeats) {
    // Every text position i uses key position i mod m, the zero rule included.
    std::mt19937 rng(7);
    for (std::size_t m : {1u, 2u, 3u, 7u, 64u, 1000u, 4097u, 9000u}) {
        const std::string key = randomBytes(rng, m, 1);
        const std::string text = randomBytes(rng, 3 * m + 5000, 0);
        const std::string out = CryptText(text, key);
        ASSERT_EQ(out.size(), text.size());
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char k = key[i % m];
            const char expected = text[i] == k ? text[i] : static_cast<char>(text[i] ^ k);
            ASSERT_EQ(out[i], expected) << "key length " << m << ", position " << i;
        }
    }
}

TEST(CryptText, RoundTripOverRandomInput) {
    std::mt19937 rng(2026);
    std::uniform_int_distribution<std::size_t> length(0, 3000);
    std::uniform_int_distribution<std::size_t> keyLength(1, 80);
    for (int round = 0; round < 500; ++round) {
        const std::string text = randomBytes(rng, length(rng), 1);
        const std::string key = randomBytes(rng, keyLength(rng), 0);
        const std::string once = CryptText(text, key);
        ASSERT_EQ(once.size(), text.size());
        // A key byte of 0 leaves its text bytes as they are, so the second pass restores
        // every text without NUL whatever the key holds.
        ASSERT_EQ(CryptText(once, key), text) << "round " << round;
    }
}

TEST(CryptText, NulComesBackAsItsKeyCharacter) {
    std::mt19937 rng(99);
    for (int round = 0; round < 200; ++round) {
        const std::string key = randomBytes(rng, 1 + round % 13, 1);
        std::string text = randomBytes(rng, 200, 0);
        const std::string twice = CryptText(CryptText(text, key), key);
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char expected = text[i] == '\0' ? key[i % key.size()] : text[i];
            ASSERT_EQ(twice[i], expected);
        }
    }
}

// Transformed in place, piece by piece at random cuts, a text gives what one call gives.
TEST(CryptText, PiecesInPlaceMatchTheWhole) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<std::size_t> keyLength(1, 9000);
    for (int round = 0; round < 40; ++round) {
        const std::string text = randomBytes(rng, 20000, 0);
        const std::string key = randomBytes(rng, keyLength(rng), 0);
        std::string pieces = text;
        std::uniform_int_distribution<std::size_t> cut(0, 5000);
        for (std::size_t at = 0; at < pieces.size();) {
            const std::size_t n = std::min(cut(rng), pieces.size() - at);
            Crypt::CryptInto(std::string_view(pieces).substr(at, n), key, pieces.data() + at, at);
            at += n;
        }
        ASSERT_EQ(pieces, CryptText(text, key)) << "round " << round;
    }
}
