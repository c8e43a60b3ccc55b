#include "platform/ui/colortext.h"

#include "platform/rtl/exceptions.h"

#include <gtest/gtest.h>

TEST(ColorText, NamedColoursKeepTheirNames)
{
    EXPECT_EQ(ColorToString(clRed), "clRed");
    EXPECT_EQ(ColorToString(clWindowText), "clWindowText");
    EXPECT_EQ(StringToColor("clwindowtext"), clWindowText);
    EXPECT_EQ(StringToColor("clBtnFace"), clBtnFace);
}

TEST(ColorText, OtherColoursAreHexadecimal)
{
    EXPECT_EQ(ColorToString(RGB(1, 2, 3)), "$00030201");
    EXPECT_EQ(StringToColor("$00030201"), RGB(1, 2, 3));
    EXPECT_EQ(StringToColor("255"), clRed);
    EXPECT_EQ(StringToColor("$80000008"), clWindowText);
}

TEST(ColorText, UnreadableTextRaises)
{
    EXPECT_THROW(StringToColor("reddish"), EConvertError);
    EXPECT_THROW(StringToColor(""), EConvertError);
    EXPECT_THROW(StringToColor("$1FFFFFFFF"), EConvertError);
}
