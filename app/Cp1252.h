#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Windows-1252 with a table of our own. The five bytes Windows leaves unassigned
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value, so every
// byte string survives decode then encode unchanged.
namespace Cp1252 {

char16_t toUnicode(unsigned char byte) noexcept;
// The byte for a UTF-16 unit, or -1 when Windows-1252 cannot hold it.
int fromUnicode(char16_t unit) noexcept;

QString decode(QByteArrayView bytes);
// Throws EncodingError naming the first character that has no byte.
QByteArray encode(QStringView text);

// The same into caller's buffers of bytes.size() and text.size() units.
void decodeInto(QByteArrayView bytes, char16_t* out) noexcept;
void encodeInto(QStringView text, char* out);

} // namespace Cp1252
