#include "localservice/fields.h"

#include <gtest/gtest.h>

#include <string>

TEST(Fields, ANewUserNameRefusesWhatTheClientRefusesAndADotOrAnAmpersand)
{
    for (const char c : kForbiddenUserNameChars)
        EXPECT_FALSE(IsValidNewUserName(std::string("car") + c + "ol")) << c;
    EXPECT_FALSE(IsValidNewUserName("car.ol"));
    EXPECT_FALSE(IsValidNewUserName("car&ol"));
    EXPECT_TRUE(IsValidNewUserName("carol_99-x"));
}
