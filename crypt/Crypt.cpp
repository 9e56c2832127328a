#include "crypt/Crypt.h"

#include <algorithm>
#include <stdexcept>

namespace Crypt {

namespace {

// Short keys are repeated into a block of at least this many bytes so that the inner
// loop always runs long enough to be vectorised, whatever the key length.
constexpr std::size_t kMinBlock = 4096;

void cryptBlock(const unsigned char* text, const unsigned char* key, unsigned char* out,
                std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char c = text[i] ^ key[i];
        out[i] = c == 0 ? text[i] : c;
    }
}

} // namespace

std::string CryptText(std::string_view text, std::string_view key) {
    if (text.empty())
        return {};
    std::string result(text.size(), ' ');
    CryptInto(text, key, result.data());
    return result;
}

void CryptInto(std::string_view text, std::string_view key, char* result) {
    const std::size_t n = text.size();
    if (n == 0)
        return;
    if (key.empty())
        throw std::invalid_argument("CryptText: empty key");

    std::string block;
    std::string_view pattern = key;
    if (key.size() < kMinBlock && key.size() < n) {
        const std::size_t copies = (kMinBlock + key.size() - 1) / key.size();
        block.reserve(copies * key.size());
        for (std::size_t c = 0; c < copies; ++c)
            block.append(key);
        pattern = block;
    }

    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    const auto* k = reinterpret_cast<const unsigned char*>(pattern.data());
    auto* out = reinterpret_cast<unsigned char*>(result);
    for (std::size_t pos = 0; pos < n; pos += pattern.size())
        cryptBlock(in + pos, k, out + pos, std::min(pattern.size(), n - pos));
}

void CryptInto(std::string_view text, std::string_view key, char* out, std::size_t offset) {
    if (text.empty())
        return;
    if (key.empty())
        throw std::invalid_argument("CryptText: empty key");
    // Up to the next start of the key by hand, then as a whole text.
    const std::size_t phase = offset % key.size();
    if (phase != 0) {
        const std::size_t head = std::min(text.size(), key.size() - phase);
        cryptBlock(reinterpret_cast<const unsigned char*>(text.data()),
                   reinterpret_cast<const unsigned char*>(key.data()) + phase,
                   reinterpret_cast<unsigned char*>(out), head);
        text.remove_prefix(head);
        out += head;
    }
    CryptInto(text, key, out);
}

} // namespace Crypt
