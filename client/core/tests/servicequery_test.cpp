#include "client/core/servicequery.h"

#include <gtest/gtest.h>

namespace {

TEST(ServiceQuery, PlainValuesGoOutUnchanged)
{
    EXPECT_EQ(EncodeServiceValue("Carol-Day_1.2~x"), "Carol-Day_1.2~x");
    EXPECT_EQ(EncodeServiceValue(""), "");
}

TEST(ServiceQuery, BlanksAndQuerySeparatorsCannotBreakTheAddress)
{
    EXPECT_EQ(EncodeServiceValue("San Jose"), "San%20Jose");
    EXPECT_EQ(EncodeServiceValue("k=1&UserName=eve"), "k%3D1%26UserName%3Deve");
    EXPECT_EQ(EncodeServiceValue("a@b.org"), "a%40b.org");
}

TEST(ServiceQuery, CodePageBytesAreEncodedAsTheyAre)
{
    EXPECT_EQ(EncodeServiceValue("M\xFC" "nchen"), "M%FCnchen");
    EXPECT_EQ(EncodeServiceValue("+%"), "%2B%25");
}

}  // namespace
