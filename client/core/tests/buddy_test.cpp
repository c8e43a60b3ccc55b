#include "client/core/buddy.h"

#include "client/core/accountlimits.h"
#include "client/core/userlist.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

std::unique_ptr<Tbuddy> Named(const std::string& name)
{
    auto buddy = std::make_unique<Tbuddy>();
    buddy->Name = name;
    return buddy;
}

}  // namespace

TEST(BuddyStore, KeepsNamesSortedAndFindsThemWhateverTheCase)
{
    TBuddyStore store;
    store.Add(Named("zoe"));
    store.Add(Named("Adam"));
    store.Add(Named("mike"));
    ASSERT_EQ(store.Count(), 3);
    EXPECT_EQ(store.Item(0)->Name, "Adam");
    EXPECT_EQ(store.Item(1)->Name, "mike");
    EXPECT_EQ(store.Item(2)->Name, "zoe");
    EXPECT_EQ(store.LastIndex(), 2);
    ASSERT_NE(store.Find("MIKE"), nullptr);
    EXPECT_EQ(store.Find("MIKE")->Name, "mike");
    EXPECT_EQ(store.Add(Named("ZOE")), nullptr);
    EXPECT_EQ(store.Count(), 3);
    store.Remove("adam");
    EXPECT_EQ(store.Find("Adam"), nullptr);
    EXPECT_EQ(store.Count(), 2);
}

TEST(BuddyStore, HoldsAtMost256Buddies)
{
    TBuddyStore store;
    EXPECT_EQ(store.LastIndex(), -1);
    for (int i = 0; i < 256; ++i)
        ASSERT_NE(store.Add(Named("buddy" + std::to_string(i))), nullptr);
    EXPECT_TRUE(store.Full());
    EXPECT_EQ(store.Add(Named("one-too-many")), nullptr);
    EXPECT_EQ(store.Count(), 256);
    EXPECT_EQ(store.Find("one-too-many"), nullptr);
    EXPECT_NE(BuddyListFullText().find("256"), std::string::npos);
}

TEST(BuddyName, RefusesWhatCannotBeAUserIdOrAFileName)
{
    EXPECT_TRUE(IsValidBuddyName("alice"));
    EXPECT_TRUE(IsValidBuddyName("bob_99-x"));
    EXPECT_FALSE(IsValidBuddyName(""));
    EXPECT_FALSE(IsValidBuddyName(".."));
    EXPECT_FALSE(IsValidBuddyName("../evil"));
    EXPECT_FALSE(IsValidBuddyName("a/b"));
    EXPECT_FALSE(IsValidBuddyName("a\\b"));
    EXPECT_FALSE(IsValidBuddyName("two words"));
    EXPECT_FALSE(IsValidBuddyName("x=y"));
    EXPECT_FALSE(IsValidBuddyName("it's"));
    EXPECT_FALSE(IsValidBuddyName(std::string("nul\0x", 5)));
    EXPECT_FALSE(IsValidBuddyName("line\rbreak"));
    EXPECT_FALSE(IsValidBuddyName(std::string(101, 'a')));
    // The same limit as a user name at sign-up.
    EXPECT_TRUE(IsValidBuddyName(std::string(64, 'a')));
    EXPECT_FALSE(IsValidBuddyName(std::string(65, 'a')));
    // Look-alikes of "alice": a no-break space, a soft hyphen.
    EXPECT_FALSE(IsValidBuddyName("al\xA0ice"));
    EXPECT_FALSE(IsValidBuddyName("al\xADice"));
}

TEST(BuddyName, EachCharacterASignOnRefusesIsRefusedForABuddyToo)
{
    EXPECT_EQ(kForbiddenUserNameChars, " \\/:*?\"'<>|=");
    for (const char c : kForbiddenUserNameChars) {
        const std::string name = std::string("a") + c + "b";
        EXPECT_TRUE(HoldsForbiddenUserNameChar(name)) << name;
        EXPECT_FALSE(IsValidBuddyName(name)) << name;
        EXPECT_EQ(CheckUserId(name), BadUserIdMessage()) << name;
    }
    EXPECT_FALSE(HoldsForbiddenUserNameChar("bob_99-x"));
}
