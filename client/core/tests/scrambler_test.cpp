#include "client/core/scrambler.h"

#include <gtest/gtest.h>

#include <string>

// Worked by hand from the key triple 37, 20619, 41857 (all arithmetic mod 65536):
//   'A' = 65, key 37:    37 >> 8 = 0,    c = 65 ^ 0 = 65            -> "65-"
//   key = (37 + 65) * 20619 + 41857 = 2144995 = 32 * 65536 + 47843 -> 47843
//   'B' = 66, key 47843: 47843 >> 8 = 186, c = 66 ^ 186 = 248       -> "248-"
//   key = (47843 + 248) * 20619 + 41857 = 991630186 = 15131 * 65536 + 4970 -> 4970
//   'C' = 67, key 4970:  4970 >> 8 = 19,  c = 67 ^ 19 = 80          -> "80-"
TEST(Scrambler, ScramblesByTheKeyedRoutine)
{
    EXPECT_EQ(ScrambleText("A"), "65-");
    EXPECT_EQ(ScrambleText("AB"), "65-248-");
    EXPECT_EQ(ScrambleText("ABC"), "65-248-80-");
}

TEST(Scrambler, UnscramblesHandWorkedCipher)
{
    EXPECT_EQ(UnscrambleText("65-248-80-"), "ABC");
}

TEST(Scrambler, EmptyTextStaysEmpty)
{
    EXPECT_EQ(ScrambleText(""), "");
    EXPECT_EQ(UnscrambleText(""), "");
}

TEST(Scrambler, EveryByteValueComesBack)
{
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(UnscrambleText(ScrambleText(one)), one) << "byte " << b;
        // A zero key byte leaves the first byte as it is, written in decimal.
        EXPECT_EQ(ScrambleText(one), std::to_string(b) + "-");
    }
}

TEST(Scrambler, LongestTextsComeBackWithBytesZeroAnd255)
{
    std::string low;
    std::string high;
    for (int b = 0; b < 255; ++b) {
        low += static_cast<char>(b);
        high += static_cast<char>(b + 1);
    }
    ASSERT_EQ(low.size(), 255u);
    EXPECT_EQ(UnscrambleText(ScrambleText(low)), low);
    EXPECT_EQ(UnscrambleText(ScrambleText(high)), high);
}

TEST(Scrambler, CipherHoldsOnlyDigitsAndDashes)
{
    const std::string cipher = ScrambleText("password");
    EXPECT_EQ(cipher.find_first_not_of("0123456789-"), std::string::npos);
    EXPECT_EQ(UnscrambleText(cipher), "password");
}

TEST(Scrambler, TextLongerThan255IsRefused)
{
    EXPECT_THROW(ScrambleText(std::string(256, 'x')), EScrambleError);
    std::string pieces;
    for (int i = 0; i < 256; ++i)
        pieces += "1-";
    EXPECT_THROW(UnscrambleText(pieces), EScrambleError);
}

TEST(Scrambler, DigitsAfterLastDashAreIgnored)
{
    EXPECT_EQ(UnscrambleText("65-248-80"), "AB");
    EXPECT_EQ(UnscrambleText("65"), "");
}

TEST(Scrambler, DamagedInputRaisesConversionError)
{
    EXPECT_THROW(UnscrambleText("65--80-"), EConvertError);
    EXPECT_THROW(UnscrambleText("-"), EConvertError);
    EXPECT_THROW(UnscrambleText("6x5-"), EConvertError);
}

TEST(Scrambler, PiecesAboveAByteKeepTheirLowEightBits)
{
    // 321 = 256 + 65: the low 8 bits are 65, so the first byte is 'A'.
    EXPECT_EQ(UnscrambleText("321-"), "A");
}
