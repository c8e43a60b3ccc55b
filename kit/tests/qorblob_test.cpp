#include "kit/qorblob.h"
#include "kit/tests/le32.h"

#include "kit/qorlzrw.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/stringlist.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

std::string randomBytes(std::size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (auto& c : s)
        c = static_cast<char>(rng() & 0xFF);
    return s;
}

std::string textBytes(std::size_t n)
{
    static const char* words[] = { "korvo ", "buddy ", "list ", "the ", "image ", "strip\r\n", "and ", "sound " };
    std::mt19937 rng(7);
    std::string s;
    while (s.size() < n)
        s += words[rng() % 8];
    s.resize(n);
    return s;
}

std::string runBytes(std::size_t n)
{
    std::mt19937 rng(3);
    std::string s;
    while (s.size() < n)
        s.append(rng() % 5000 + 1, static_cast<char>(rng() % 4));
    s.resize(n);
    return s;
}

std::string compressedBlob(const std::string& bytes)
{
    TStringStream out;
    WriteBlob(out, bytes, true);
    return out.DataString();
}

std::string decode(const std::string& blob)
{
    TStringStream in(blob);
    TStringStream out;
    ReadCompressed(in, out);
    return out.DataString();
}

}  // namespace

TEST(QorBlob, TypedValuesAreLittleEndian)
{
    TStringStream s;
    WriteInteger(s, -2);
    WriteByte(s, 0xB6);
    WriteShortString(s, "abc");
    EXPECT_EQ(s.DataString(), std::string("\xFE\xFF\xFF\xFF\xB6\x03" "abc", 9));
    s.SetPosition(0);
    EXPECT_EQ(ReadInteger(s), -2);
    EXPECT_EQ(ReadByte(s), 0xB6);
    std::string text;
    ReadShortString(s, text);
    EXPECT_EQ(text, "abc");
}

TEST(QorBlob, LongShortStringKeepsItsFirst255Characters)
{
    TStringStream s;
    WriteShortString(s, std::string(256, 'd'));
    EXPECT_EQ(s.DataString(), "\xFF" + std::string(255, 'd'));
}

TEST(QorBlob, ValuesPastTheEndAreRefused)
{
    TStringStream s(std::string("\x01\x02", 2));
    EXPECT_THROW(ReadInteger(s), EReadError);
    TStringStream shortText(std::string("\x05" "ab", 3));
    std::string text = "kept";
    EXPECT_THROW(ReadShortString(shortText, text), EReadError);
    EXPECT_EQ(text, "kept");
    TStringStream empty;
    EXPECT_THROW(ReadByte(empty), EReadError);
}

TEST(QorBlob, RawBlobCountBeyondTheStreamIsRefused)
{
    TStringStream big(le32(1000000000) + "abc");
    EXPECT_THROW(ReadRawBlob(big), EReadError);
    TStringStream negative(le32(-1));
    EXPECT_THROW(ReadRawBlob(negative), EReadError);
}

TEST(QorBlob, StringListOfTwoLinesIsSixBytes)
{
    TStringList list;
    list.Add("a");
    list.Add("b");
    TStringStream s;
    WriteStringList(s, list, false);
    EXPECT_EQ(s.DataString(), le32(6) + "a\r\nb\r\n");
    s.SetPosition(0);
    TStringList back;
    ReadStringList(s, back, false);
    ASSERT_EQ(back.Count(), 2);
    EXPECT_EQ(back[1], "b");
}

TEST(QorBlob, CompressedStringListRoundTrips)
{
    TStringList list;
    for (int i = 0; i < 500; ++i)
        list.Add("line " + std::to_string(i % 7));
    TStringStream s;
    WriteStringList(s, list, true);
    EXPECT_LT(s.Size(), static_cast<std::int64_t>(list.Text().size()));
    s.SetPosition(0);
    TStringList back;
    ReadStringList(s, back, true);
    EXPECT_EQ(back.Text(), list.Text());
}

TEST(QorBlob, EmptySourceIsATotalOfZero)
{
    EXPECT_EQ(compressedBlob(""), le32(0));
    EXPECT_EQ(decode(le32(0)), "");
}

TEST(QorBlob, SeventyThousandBytesMakeThreePieces)
{
    const std::string source = textBytes(70000);
    const std::string blob = compressedBlob(source);
    TStringStream in(blob);
    const std::int32_t total = ReadInteger(in);
    EXPECT_EQ(total, static_cast<std::int32_t>(blob.size()) - 4);
    std::vector<int> pieces;
    std::string joined;
    while (in.Position() < in.Size()) {
        const std::int32_t length = ReadInteger(in);
        std::vector<std::uint8_t> block(static_cast<std::size_t>(length));
        in.ReadBuffer(block.data(), length);
        std::vector<std::uint8_t> out(kLZRWBlockSize);
        const int produced = LZRWDecompress(block.data(), out.data(), length);
        pieces.push_back(produced);
        joined.append(out.begin(), out.begin() + produced);
    }
    EXPECT_EQ(pieces, (std::vector<int> { 32782, 32782, 4436 }));
    EXPECT_EQ(joined, source);
}

TEST(QorBlob, RandomTextAndRunsRoundTripAtEverySize)
{
    for (std::size_t n : { 0u, 1u, 2u, 3u, 17u, 1000u, 32781u, 32782u, 32783u, 65564u, 70000u, 200000u }) {
        for (const std::string& source : { randomBytes(n, static_cast<unsigned>(n)), textBytes(n), runBytes(n) }) {
            EXPECT_EQ(decode(compressedBlob(source)), source) << n;
            TStringStream raw;
            WriteBlob(raw, source, false);
            raw.SetPosition(0);
            EXPECT_EQ(ReadBlob(raw, false), source);
        }
    }
}

TEST(QorBlob, CompressingMoreThanTheSourceHoldsIsRefused)
{
    TStringStream source("twelve bytes");
    TStringStream dest;
    EXPECT_THROW(WriteCompressed(source, dest, 100), EReadError);
}

TEST(QorBlob, HostilePiecesAreRefusedAndNothingIsAppended)
{
    const std::string stored = std::string("\x80") + "abc";
    const std::string good = le32(8) + le32(4) + stored;
    EXPECT_EQ(decode(good), "abc");

    const std::vector<std::string> hostile {
        le32(4) + le32(0),                                       // piece of length 0
        le32(32788) + le32(32784) + std::string(32784, '\x80'),  // piece longer than a block
        le32(6) + le32(4) + stored,                              // total shorter than the piece
        le32(12) + le32(4) + stored,                             // total longer than the pieces
        le32(1000000) + le32(4) + stored,                        // total beyond the file
        le32(-5),                                                // negative total
        le32(8) + le32(4) + "\x80" "a",                         // piece cut short
        le32(9) + le32(5) + std::string("\x40\x80\x00\x00\x10", 5),  // copy before the start
    };
    for (const std::string& blob : hostile) {
        TStringStream in(blob);
        TStringStream out("before");
        out.SetPosition(out.Size());
        EXPECT_THROW(ReadCompressed(in, out), EReadError);
        EXPECT_EQ(out.DataString(), "before");
    }
}

TEST(QorBlob, TwoColourDibOfEightByTwo)
{
    QImage image(8, 2, QImage::Format_RGB32);
    image.fill(qRgb(0, 0, 0));
    for (int x = 0; x < 8; ++x)
        image.setPixel(x, 1, qRgb(250, 250, 250));
    image.setPixel(0, 0, qRgb(255, 255, 255));
    const std::string dib = BuildDIBImage(image, 2);
    std::string expected = "BM" + le32(70) + le32(0) + le32(62);
    expected += le32(40) + le32(8) + le32(2) + std::string("\x01\x00\x01\x00", 4) + le32(0) + le32(8) + le32(0) + le32(0) + le32(0) + le32(0);
    expected += std::string("\x00\x00\x00\x00\xFF\xFF\xFF\x00", 8);
    // Bottom row first: all white; then the top row, white only at x 0.
    expected += std::string("\xFF\x00\x00\x00\x80\x00\x00\x00", 8);
    EXPECT_EQ(dib, expected);
}

TEST(QorBlob, EmptyBitmapHasNoReducedImage)
{
    EXPECT_THROW(BuildDIBImage(QImage(), 16), Exception);
}

TEST(QorBlob, BitmapsRoundTripAtEachColourCount)
{
    // Each count with colours its palette holds exactly.
    const std::vector<std::pair<int, std::vector<QRgb>>> cases {
        { -1, { qRgb(17, 99, 201), qRgb(1, 2, 3), qRgb(250, 128, 7) } },
        { 2, { qRgb(0, 0, 0), qRgb(255, 255, 255) } },
        { 16, { qRgb(0, 0, 0), qRgb(128, 0, 0), qRgb(0, 128, 128), qRgb(192, 192, 192), qRgb(255, 0, 0), qRgb(0, 0, 255) } },
        { 256, { qRgb(0, 51, 102), qRgb(153, 204, 255), qRgb(255, 0, 51), qRgb(255, 255, 255) } },
    };
    for (const auto& [colors, colours] : cases) {
        QImage image(13, 5, QImage::Format_RGB32);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 13; ++x)
                image.setPixel(x, y, colours[static_cast<std::size_t>(x + y * 3) % colours.size()]);
        for (bool compressed : { false, true }) {
            TStringStream s;
            WriteBitmap(s, image, compressed, colors);
            s.SetPosition(0);
            QImage back;
            ReadBitmap(s, back, compressed);
            ASSERT_EQ(back.size(), image.size()) << colors;
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < 13; ++x)
                    EXPECT_EQ(back.pixel(x, y) & 0xFFFFFF, image.pixel(x, y) & 0xFFFFFF) << colors << " " << x << "," << y;
            EXPECT_EQ(s.Position(), s.Size());
        }
    }
    // 24-bit colours survive only at their own depth; at 256 they take the nearest cube colour.
    QImage odd(2, 1, QImage::Format_RGB32);
    odd.setPixel(0, 0, qRgb(17, 99, 201));
    odd.setPixel(1, 0, qRgb(52, 50, 49));
    TStringStream own, cube;
    WriteBitmap(own, odd, false, -1);
    WriteBitmap(cube, odd, false, 256);
    own.SetPosition(0);
    cube.SetPosition(0);
    QImage ownBack, cubeBack;
    ReadBitmap(own, ownBack, false);
    ReadBitmap(cube, cubeBack, false);
    EXPECT_EQ(ownBack.pixel(0, 0) & 0xFFFFFF, 0x1163C9u);
    EXPECT_EQ(cubeBack.pixel(0, 0) & 0xFFFFFF, 0x0066CCu);
    EXPECT_EQ(cubeBack.pixel(1, 0) & 0xFFFFFF, 0x333333u);
}

TEST(QorBlob, MonochromeBitmapStaysMonochromeAtTwoColours)
{
    QImage mask(20, 3, QImage::Format_Mono);
    mask.setColorTable({ qRgb(0, 0, 0), qRgb(255, 255, 255) });
    mask.fill(1);
    mask.setPixel(4, 1, 0);
    for (bool compressed : { false, true }) {
        TStringStream s;
        WriteBitmap(s, mask, compressed, -1);
        s.SetPosition(0);
        QImage back;
        ReadBitmap(s, back, compressed);
        EXPECT_TRUE(IsMonochrome(back));
        EXPECT_EQ(back.pixelIndex(4, 1), 0);
        EXPECT_EQ(back.pixelIndex(5, 1), 1);
        EXPECT_EQ(back.pixel(4, 1) & 0xFFFFFF, 0u);
    }
}

TEST(QorBlob, BytesThatAreNoBitmapLeaveTheBitmapAsItWas)
{
    QImage bitmap(3, 3, QImage::Format_RGB32);
    bitmap.fill(qRgb(1, 2, 3));
    TStringStream s;
    WriteRawBlob(s, "BMnot a bitmap at all");
    s.SetPosition(0);
    EXPECT_THROW(ReadBitmap(s, bitmap, false), EInvalidGraphic);
    EXPECT_EQ(bitmap.width(), 3);
    TStringStream empty(le32(0));
    ReadBitmap(empty, bitmap, false);
    EXPECT_TRUE(bitmap.isNull());
}
