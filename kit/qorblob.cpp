#include "kit/qorblob.h"

#include "kit/qorlzrw.h"
#include "kit/qorprocs.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/stringlist.h"

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;

std::int64_t remaining(TStream& stream) { return stream.Size() - stream.Position(); }

void putLE(std::string& block, std::size_t at, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        block[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::vector<QRgb> fixedPalette(int colors)
{
    std::vector<QRgb> table;
    if (colors == 2) {
        table = { qRgb(0, 0, 0), qRgb(255, 255, 255) };
    } else if (colors == 16) {
        table = { qRgb(0, 0, 0), qRgb(128, 0, 0), qRgb(0, 128, 0), qRgb(128, 128, 0),
                  qRgb(0, 0, 128), qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
                  qRgb(128, 128, 128), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(255, 255, 0),
                  qRgb(0, 0, 255), qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255) };
    } else {
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    table.push_back(qRgb(r * 51, g * 51, b * 51));
        // The cube already holds black and white; the greys fill the rest between them.
        for (int i = 1; table.size() < 256; ++i)
            table.push_back(qRgb(i * 255 / 41, i * 255 / 41, i * 255 / 41));
    }
    return table;
}

int nearest(const std::vector<QRgb>& table, QRgb colour)
{
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (int i = 0; i < static_cast<int>(table.size()); ++i) {
        const int dr = qRed(table[static_cast<std::size_t>(i)]) - qRed(colour);
        const int dg = qGreen(table[static_cast<std::size_t>(i)]) - qGreen(colour);
        const int db = qBlue(table[static_cast<std::size_t>(i)]) - qBlue(colour);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

}  // namespace

void WriteInteger(TStream& stream, std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    const std::uint8_t bytes[4] = { static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                                    static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24) };
    stream.WriteBuffer(bytes, 4);
}

std::int32_t ReadInteger(TStream& stream)
{
    std::uint8_t bytes[4];
    stream.ReadBuffer(bytes, 4);
    return static_cast<std::int32_t>(bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24));
}

void WriteByte(TStream& stream, std::uint8_t value) { stream.WriteBuffer(&value, 1); }

std::uint8_t ReadByte(TStream& stream)
{
    std::uint8_t value = 0;
    stream.ReadBuffer(&value, 1);
    return value;
}

void WriteShortString(TStream& stream, std::string_view text)
{
    // A length byte cannot say 256; cutting keeps the start of the text rather than none of it.
    const std::size_t length = std::min<std::size_t>(text.size(), 255);
    WriteByte(stream, static_cast<std::uint8_t>(length));
    stream.WriteBuffer(text.data(), static_cast<std::int64_t>(length));
}

void ReadShortString(TStream& stream, std::string& text)
{
    const int length = ReadByte(stream);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    stream.ReadBuffer(bytes.data(), length);
    text = std::move(bytes);
}

void WriteRawBlob(TStream& stream, std::string_view bytes)
{
    if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw EWriteError("Stream write error");
    WriteInteger(stream, static_cast<std::int32_t>(bytes.size()));
    stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

std::string ReadRawBlob(TStream& stream)
{
    const std::int32_t count = ReadInteger(stream);
    if (count < 0 || count > remaining(stream))
        throw EReadError("Stream read error");
    std::string bytes(static_cast<std::size_t>(count), '\0');
    stream.ReadBuffer(bytes.data(), count);
    return bytes;
}

void WriteCompressed(TMemoryStream& source, TStream& dest, std::int64_t count)
{
    const std::int64_t start = dest.Position();
    WriteInteger(dest, 0);
    std::vector<std::uint8_t> input(kLZRWBlockSize);
    std::vector<std::uint8_t> output(kLZRWOutputSize);
    std::int64_t total = 0;
    std::int64_t left = std::max<std::int64_t>(count, 0);
    while (left > 0) {
        const int want = static_cast<int>(std::min<std::int64_t>(left, kLZRWBlockSize));
        // A count beyond the source would otherwise never run out.
        if (source.Read(input.data(), want) != want)
            throw EReadError("Stream read error");
        const int length = LZRWCompress(input.data(), output.data(), want);
        WriteInteger(dest, length);
        dest.WriteBuffer(output.data(), length);
        total += length + 4;
        if (total > std::numeric_limits<std::int32_t>::max())
            throw EWriteError("Stream write error");
        left -= want;
    }
    const std::int64_t end = dest.Position();
    dest.SetPosition(start);
    WriteInteger(dest, static_cast<std::int32_t>(total));
    dest.SetPosition(end);
}

void ReadCompressed(TStream& source, TMemoryStream& dest)
{
    std::int64_t total = ReadInteger(source);
    if (total < 0 || total > remaining(source))
        throw EReadError("Stream read error");
    std::vector<std::uint8_t> piece(kLZRWMaxBlock);
    std::vector<std::uint8_t> block(kLZRWBlockSize);
    std::string decoded;
    while (total > 0) {
        const std::int32_t length = ReadInteger(source);
        if (length < 1 || length > kLZRWMaxBlock || length + 4 > total)
            throw EReadError("Compressed block is damaged: length out of range");
        source.ReadBuffer(piece.data(), length);
        const int produced = LZRWDecompress(piece.data(), block.data(), length);
        decoded.append(reinterpret_cast<const char*>(block.data()), static_cast<std::size_t>(produced));
        total -= length + 4;
    }
    dest.WriteBuffer(decoded.data(), static_cast<std::int64_t>(decoded.size()));
}

void WriteBlob(TStream& stream, std::string_view bytes, bool compressed)
{
    if (!compressed) {
        WriteRawBlob(stream, bytes);
        return;
    }
    TStringStream source(bytes);
    WriteCompressed(source, stream, static_cast<std::int64_t>(bytes.size()));
}

std::string ReadBlob(TStream& stream, bool compressed)
{
    if (!compressed)
        return ReadRawBlob(stream);
    TStringStream decoded;
    ReadCompressed(stream, decoded);
    return decoded.DataString();
}

void WriteStringList(TStream& stream, const TStringList& list, bool compressed)
{
    WriteBlob(stream, list.Text(), compressed);
}

void ReadStringList(TStream& stream, TStringList& list, bool compressed)
{
    list.SetText(ReadBlob(stream, compressed));
}

bool IsMonochrome(const QImage& bitmap)
{
    return !bitmap.isNull() && (bitmap.format() == QImage::Format_Mono || bitmap.format() == QImage::Format_MonoLSB);
}

std::string BuildDIBImage(const QImage& bitmap, int colors)
{
    if (bitmap.isNull())
        throw Exception(qorprocs::ResText("Bitmap image is not valid"));
    int bits = 24;
    std::vector<QRgb> table;
    bool ownIndices = false;
    if (colors == 2 || colors == 16 || colors == 256) {
        bits = colors == 2 ? 1 : colors == 16 ? 4 : 8;
        table = fixedPalette(colors);
    } else if (bitmap.depth() == 1 || bitmap.format() == QImage::Format_Indexed8) {
        // Its own depth: the pixels keep their indices into its own colour table.
        bits = bitmap.depth();
        const QList<QRgb> own = bitmap.colorTable();
        table.assign(own.begin(), own.end());
        table.resize(std::size_t { 1 } << bits, qRgb(0, 0, 0));
        ownIndices = true;
    }
    const int width = bitmap.width();
    const int height = bitmap.height();
    const std::int64_t stride = ((static_cast<std::int64_t>(width) * bits + 31) / 32) * 4;
    const std::int64_t imageSize = stride * height;
    const std::int64_t tableSize = bits == 24 ? 0 : (std::int64_t { 1 } << bits) * 4;
    const std::int64_t bitsOffset = kFileHeaderSize + kInfoHeaderSize + tableSize;
    const std::int64_t total = bitsOffset + imageSize;
    if (total > std::numeric_limits<std::int32_t>::max())
        throw Exception(qorprocs::ResText("Bitmap image is not valid"));

    std::string block(static_cast<std::size_t>(total), '\0');
    block[0] = 'B';
    block[1] = 'M';
    putLE(block, 2, static_cast<std::uint32_t>(total), 4);
    putLE(block, 10, static_cast<std::uint32_t>(bitsOffset), 4);
    putLE(block, 14, kInfoHeaderSize, 4);
    putLE(block, 18, static_cast<std::uint32_t>(width), 4);
    putLE(block, 22, static_cast<std::uint32_t>(height), 4);
    putLE(block, 26, 1, 2);
    putLE(block, 28, static_cast<std::uint32_t>(bits), 2);
    putLE(block, 34, static_cast<std::uint32_t>(imageSize), 4);
    for (std::size_t i = 0; i < table.size() && bits != 24; ++i) {
        const std::size_t at = static_cast<std::size_t>(kFileHeaderSize + kInfoHeaderSize) + i * 4;
        block[at] = static_cast<char>(qBlue(table[i]));
        block[at + 1] = static_cast<char>(qGreen(table[i]));
        block[at + 2] = static_cast<char>(qRed(table[i]));
    }

    const QImage source = ownIndices ? bitmap : bitmap.convertToFormat(QImage::Format_RGB32);
    std::vector<int> cache;
    for (int y = 0; y < height; ++y) {
        // Rows run from the bottom up.
        auto* row = reinterpret_cast<std::uint8_t*>(block.data()) + bitsOffset + stride * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            if (bits == 24) {
                const QRgb colour = source.pixel(x, y);
                row[x * 3] = static_cast<std::uint8_t>(qBlue(colour));
                row[x * 3 + 1] = static_cast<std::uint8_t>(qGreen(colour));
                row[x * 3 + 2] = static_cast<std::uint8_t>(qRed(colour));
                continue;
            }
            const int index = ownIndices ? source.pixelIndex(x, y) : nearest(table, source.pixel(x, y));
            if (bits == 8)
                row[x] = static_cast<std::uint8_t>(index);
            else if (bits == 4)
                row[x / 2] |= static_cast<std::uint8_t>(x % 2 == 0 ? index << 4 : index);
            else if (index != 0)
                row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
    }
    return block;
}

void WriteDIBImage(TStream& stream, const QImage& bitmap, int colors, bool withSize)
{
    const std::string block = BuildDIBImage(bitmap, colors);
    if (withSize)
        WriteInteger(stream, static_cast<std::int32_t>(block.size()));
    stream.WriteString(block);
}

void WriteBitmap(TStream& stream, const QImage& bitmap, bool compressed, int colors)
{
    if (compressed && IsMonochrome(bitmap))
        colors = 2;
    if (colors != 2 && colors != 16 && colors != 256)
        colors = 0;
    // An empty bitmap stores as nothing at its own depth, as a bitmap stream of it is empty.
    const std::string image = bitmap.isNull() && colors == 0 ? std::string() : BuildDIBImage(bitmap, colors);
    WriteBlob(stream, image, compressed);
}

void ReadBitmap(TStream& stream, QImage& bitmap, bool compressed)
{
    const std::string bytes = ReadBlob(stream, compressed);
    if (bytes.empty()) {
        bitmap = QImage();
        return;
    }
    QImage loaded;
    if (!loaded.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()), "BMP"))
        throw EInvalidGraphic(qorprocs::ResText("Bitmap image is not valid"));
    // 1-bit images keep black at index 0, as masks expect.
    if (loaded.depth() == 1 && loaded.colorCount() == 2 && loaded.color(0) == qRgb(255, 255, 255) && loaded.color(1) == qRgb(0, 0, 0)) {
        loaded.invertPixels();
        loaded.setColorTable({ qRgb(0, 0, 0), qRgb(255, 255, 255) });
    }
    bitmap = loaded;
}
