#pragma once

#include <QImage>

#include <cstdint>
#include <string>
#include <string_view>

class TStream;
class TMemoryStream;
class TStringList;

// Typed values and blobs on streams: how list items and sounds are stored.
// Integers are 32-bit little-endian. Every reader refuses what the stream does
// not hold with EReadError, so a damaged file can neither overrun memory nor
// make the reader allocate what the file cannot back.

void WriteInteger(TStream& stream, std::int32_t value);
std::int32_t ReadInteger(TStream& stream);
void WriteByte(TStream& stream, std::uint8_t value);
std::uint8_t ReadByte(TStream& stream);
// A length byte and the characters; a longer text is cut to 255 characters.
void WriteShortString(TStream& stream, std::string_view text);
void ReadShortString(TStream& stream, std::string& text);

// A raw blob: a 32-bit count, then the bytes.
void WriteRawBlob(TStream& stream, std::string_view bytes);
std::string ReadRawBlob(TStream& stream);

// Compresses count bytes from source's position into a compressed blob: a
// 32-bit total, then pieces of one LZRW1-KH block each (32782 input bytes but
// the last). EReadError when source holds fewer than count bytes.
void WriteCompressed(TMemoryStream& source, TStream& dest, std::int64_t count);
// Decodes a compressed blob and appends its bytes to dest; dest is untouched
// when the blob is refused.
void ReadCompressed(TStream& source, TMemoryStream& dest);

// The blob body either way, as the caller knows whether it is compressed.
void WriteBlob(TStream& stream, std::string_view bytes, bool compressed);
std::string ReadBlob(TStream& stream, bool compressed);

void WriteStringList(TStream& stream, const TStringList& list, bool compressed);
void ReadStringList(TStream& stream, TStringList& list, bool compressed);

// colors: -1 keeps the bitmap's own depth (1, 8 or 24 bits), 2, 16 or 256
// reduce it to the fixed palettes (black and white; the 16 VGA colours; a
// 6 x 6 x 6 cube and greys).
void WriteBitmap(TStream& stream, const QImage& bitmap, bool compressed, int colors);
// An empty blob gives an empty bitmap; bytes that are no bitmap raise
// EInvalidGraphic "Bitmap image is not valid" and leave bitmap as it was.
void ReadBitmap(TStream& stream, QImage& bitmap, bool compressed);

// A BMP file image of bitmap at colors 2, 16 or 256, or 0 for its own depth.
// Exception "Bitmap image is not valid" for an empty bitmap.
std::string BuildDIBImage(const QImage& bitmap, int colors);
void WriteDIBImage(TStream& stream, const QImage& bitmap, int colors, bool withSize);

// Monochrome bitmaps are 1-bit images whose index 0 is black and 1 white.
bool IsMonochrome(const QImage& bitmap);
