#include "kit/qorlzrw.h"

#include "platform/rtl/exceptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes compress(const Bytes& input)
{
    Bytes out(input.size() + 6);
    const int length = LZRWCompress(input.data(), out.data(), static_cast<int>(input.size()));
    out.resize(static_cast<std::size_t>(length));
    return out;
}

Bytes decompress(const Bytes& block)
{
    Bytes out(kLZRWBlockSize);
    const int length = LZRWDecompress(block.data(), out.data(), static_cast<int>(block.size()));
    out.resize(static_cast<std::size_t>(length));
    return out;
}

}  // namespace

TEST(LZRW, FortyEqualBytesBecomeOneRun)
{
    const Bytes block = compress(Bytes(40, 'v'));
    EXPECT_EQ(block, (Bytes { 64, 0x80, 0x00, 0, 0, 24, 'v' }));
    EXPECT_EQ(decompress(block), Bytes(40, 'v'));
}

TEST(LZRW, ShortInputsAreStored)
{
    EXPECT_EQ(compress(bytesOf("abc")), (Bytes { 128, 'a', 'b', 'c' }));
    EXPECT_EQ(compress(bytesOf("ab")), (Bytes { 128, 'a', 'b' }));
    EXPECT_EQ(compress(bytesOf("a")), (Bytes { 128, 'a' }));
    EXPECT_EQ(compress(Bytes {}), (Bytes { 128 }));
}

TEST(LZRW, StoredBlockOfLengthOneDecodesToNothing)
{
    EXPECT_TRUE(decompress(Bytes { 128 }).empty());
}

TEST(LZRW, CopyOfOffsetOneRepeatsTheLastByte)
{
    // Literal q, then offset 1 length 10: (1 * 16 + 7) high byte first.
    EXPECT_EQ(decompress(Bytes { 64, 0x40, 0x00, 'q', 0x00, 0x17 }), Bytes(11, 'q'));
}

TEST(LZRW, ShortRunBecomesAnOverlappingCopy)
{
    // Ten x: a literal, then nine bytes copied from one back (1 * 16 + 9 - 3 = 0x0016).
    const Bytes block = compress(Bytes(10, 'x'));
    EXPECT_EQ(block, (Bytes { 64, 0x40, 0x00, 'x', 0x00, 0x16 }));
    EXPECT_EQ(decompress(block), Bytes(10, 'x'));
}

TEST(LZRW, RepeatedWordCopiesFromThreeBack)
{
    // Three literals, then nine bytes from offset 3: 3 * 16 + 6 = 0x0036.
    const Bytes block = compress(bytesOf("abcabcabcabc"));
    EXPECT_EQ(block, (Bytes { 64, 0x10, 0x00, 'a', 'b', 'c', 0x00, 0x36 }));
    EXPECT_EQ(decompress(block), bytesOf("abcabcabcabc"));
}

TEST(LZRW, SeventeenthItemStartsANewControlWord)
{
    // Sixteen literals fill the first control word (all zero bits); the copy of
    // sixteen bytes from sixteen back (16 * 16 + 13 = 0x010D) opens the next.
    const std::string letters = "ABCDEFGHIJKLMNOP";
    Bytes expected { 64, 0x00, 0x00 };
    expected.insert(expected.end(), letters.begin(), letters.end());
    expected.insert(expected.end(), { 0x80, 0x00, 0x01, 0x0D });
    const Bytes block = compress(bytesOf(letters + letters));
    EXPECT_EQ(block, expected);
    EXPECT_EQ(decompress(block), bytesOf(letters + letters));
}

TEST(LZRW, LongRunSplitsAtFourThousandNinetyFive)
{
    // 5000 = 4095 + 905: runs stored as length - 16 = 4079 (15, 239) and 889 (3, 121).
    const Bytes block = compress(Bytes(5000, 'z'));
    EXPECT_EQ(block, (Bytes { 64, 0xC0, 0x00, 0, 15, 239, 'z', 0, 3, 121, 'z' }));
    EXPECT_EQ(decompress(block), Bytes(5000, 'z'));
}

TEST(LZRW, ReadsNothingPastItsInput)
{
    // An area of exactly the input's size: the hash of the last two positions
    // must not look beyond it (the sanitizer build watches).
    const Bytes input = bytesOf("qwertyuiopqwertyuiopzx");
    const Bytes block = compress(input);
    EXPECT_EQ(block[0], 64);
    EXPECT_EQ(decompress(block), input);
}

TEST(LZRW, IncompressibleFullBlockIsStoredInAnAreaOfTheWorstCase)
{
    Bytes input(kLZRWBlockSize);
    std::uint32_t seed = 12345;
    for (auto& byte : input) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(seed >> 24);
    }
    Bytes out(kLZRWOutputSize);
    const int length = LZRWCompress(input.data(), out.data(), kLZRWBlockSize);
    EXPECT_EQ(length, kLZRWBlockSize + 1);
    EXPECT_EQ(out[0], 128);
    out.resize(static_cast<std::size_t>(length));
    EXPECT_EQ(decompress(out), input);
}

TEST(LZRW, RefusesBlocksOfImpossibleLength)
{
    Bytes area(kLZRWMaxBlock + 1, 128);
    Bytes out(kLZRWBlockSize);
    EXPECT_THROW(LZRWDecompress(area.data(), out.data(), 0), EReadError);
    EXPECT_THROW(LZRWDecompress(area.data(), out.data(), kLZRWMaxBlock + 1), EReadError);
    EXPECT_EQ(LZRWDecompress(area.data(), out.data(), kLZRWMaxBlock), kLZRWBlockSize);
}

TEST(LZRW, RefusesTruncatedControlWordsAndItems)
{
    EXPECT_THROW(decompress(Bytes { 64 }), EReadError);
    EXPECT_THROW(decompress(Bytes { 64, 0x80 }), EReadError);
    // A copy item with one of its two bytes.
    EXPECT_THROW(decompress(Bytes { 64, 0x80, 0x00, 0x00 }), EReadError);
    // A run item with three of its four bytes.
    EXPECT_THROW(decompress(Bytes { 64, 0x80, 0x00, 0x00, 0x00, 0x05 }), EReadError);
    // Sixteen literals, then one byte where the next control word should be.
    Bytes block { 64, 0x00, 0x00 };
    block.insert(block.end(), 16, 'l');
    block.push_back(0x00);
    EXPECT_THROW(decompress(block), EReadError);
    // Sixteen literals, then a second control word and nothing after it.
    block.push_back(0x00);
    EXPECT_THROW(decompress(block), EReadError);
}

TEST(LZRW, RefusesCopiesReachingBeforeTheOutput)
{
    EXPECT_THROW(decompress(Bytes { 64, 0x80, 0x00, 0x00, 0x10 }), EReadError);
    // One literal, then a copy from two back.
    EXPECT_THROW(decompress(Bytes { 64, 0x40, 0x00, 'a', 0x00, 0x20 }), EReadError);
}

TEST(LZRW, RefusesOutputBeyondOnePiece)
{
    // Nine runs of 4095 bytes would make 36855.
    Bytes block { 64, 0xFF, 0xFF };
    for (int i = 0; i < 9; ++i)
        block.insert(block.end(), { 0, 15, 239, 'r' });
    EXPECT_THROW(decompress(block), EReadError);
    // Eight runs fill 32760; literals beyond 32782 are refused too.
    Bytes literals { 64, 0xFF, 0x00 };
    for (int i = 0; i < 8; ++i)
        literals.insert(literals.end(), { 0, 15, 239, 'r' });
    literals.insert(literals.end(), 8, 'l');
    EXPECT_EQ(decompress(literals).size(), 32768u);
    Bytes tooMany = literals;
    // A further control word of 16 literals would pass the limit.
    tooMany.insert(tooMany.end(), { 0x00, 0x00 });
    tooMany.insert(tooMany.end(), 16, 'm');
    EXPECT_THROW(decompress(tooMany), EReadError);
}
