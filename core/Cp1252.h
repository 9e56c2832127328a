#pragma once

// Windows-1252 with a table of our own. The five bytes Windows leaves unassigned
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value, so every
// byte has a character and every such character its byte.
namespace Cp1252 {

char16_t toUnicode(unsigned char byte) noexcept;
// The byte for a UTF-16 unit, or -1 when Windows-1252 cannot hold it.
int fromUnicode(char16_t unit) noexcept;

} // namespace Cp1252
