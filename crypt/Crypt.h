#pragma once

#include <string>
#include <string_view>

namespace Crypt {

// Keyed XOR over 8-bit codes: each text byte is XORed with the key byte at the same
// position (the key repeats from its start). Where the two bytes are equal the text
// byte is kept instead of the zero the XOR would give, so the transform is its own
// inverse for every text without a NUL.
// Throws std::invalid_argument for an empty key with a non-empty text.
std::string CryptText(std::string_view text, std::string_view key);

// The same transform into `out`, which must hold text.size() bytes.
void CryptInto(std::string_view text, std::string_view key, char* out);
// The same for the part of a longer text that starts at `offset`, so that a text can be
// transformed in pieces. `out` may be text.data().
void CryptInto(std::string_view text, std::string_view key, char* out, std::size_t offset);

} // namespace Crypt
