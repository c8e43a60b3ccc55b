#include "platform/rtl/codepage.h"

#include <gtest/gtest.h>

TEST(Codepage, EveryByteSurvivesTheTripThroughUnicodeAndUtf8)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(codepage::FromUnicode(codepage::ToUnicode(all)), all);
    EXPECT_EQ(codepage::FromUtf8(codepage::ToUtf8(all)), all);
}

TEST(Codepage, HighBytesAreTheCodePagesCharacters)
{
    EXPECT_EQ(codepage::ToUnicode("\x80"), QString(QChar(0x20AC)));
    EXPECT_EQ(codepage::ToUtf8("\xAE"), "\xC2\xAE");
    EXPECT_EQ(Ansi("KORVO®"), "KORVO\xAE");
    EXPECT_EQ(Ansi("ö"), "\xF6");
}

TEST(Codepage, UnrepresentableAndBrokenInputBecomesQuestionMarks)
{
    EXPECT_EQ(codepage::FromUnicode(QString::fromUtf8("a\xE4\xB8\xAD" "b")), "a?b");
    EXPECT_EQ(codepage::FromUtf8("a\xFF" "b"), "a?b");
    EXPECT_EQ(codepage::FromUtf8("ab\xC3"), "ab?");
}
