#include "client/features/modifyaccount.h"

#include <gtest/gtest.h>

namespace {

TEST(ModifyAccountRequest, EveryValueIsTrimmedAndEscaped)
{
    TAccountChange change;
    change.userId = " alice ";
    change.scrambledPassword = "112-243-";
    change.newUserId = "alice";
    change.email = "a&mod_userid=eve@x.org";
    change.phone = "(555) 123-4567";
    change.newScrambledPassword = "1-2-";
    change.publicKey = "k+y=";
    EXPECT_EQ(ModifyAccountUrl("127.0.0.1:81", change),
              "http://127.0.0.1:81/modify.asp?userid=alice&password=112-243-&mod_userid=alice"
              "&mod_useremail=a%26mod_userid%3Deve%40x.org&mod_userphone=%28555%29%20123-4567"
              "&mod_userpassword=1-2-&mod_publickey=k%2By%3D");
}

TEST(ModifyAccountReply, OnlyAFirstLineOfSuccessCounts)
{
    EXPECT_TRUE(ModifyAccountSucceeded(" success \r\nmore\r\n"));
    EXPECT_TRUE(ModifyAccountSucceeded("success"));
    EXPECT_FALSE(ModifyAccountSucceeded("nil\r\nsuccess\r\n"));
    EXPECT_FALSE(ModifyAccountSucceeded("successful\r\n"));
    EXPECT_FALSE(ModifyAccountSucceeded(""));
}

}  // namespace
