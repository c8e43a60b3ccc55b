#include "client/core/userlist.h"

#include "client/core/scrambler.h"
#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

struct UserFixture : ::testing::Test {
    ScratchDirs dirs;
    void folder(const std::string& name) const { dirs.write("windows/my friends/" + name + "/keep", ""); }
};

}  // namespace

TEST_F(UserFixture, AtMostTenUsersAreListed)
{
    std::set<std::string> made;
    for (int i = 0; i < 12; ++i) {
        const std::string name = "user" + std::to_string(100 + i);
        folder(name);
        made.insert(name);
    }
    const auto users = ListLocalUsers();
    ASSERT_EQ(users.size(), 10u);
    for (const auto& user : users)
        EXPECT_TRUE(made.count(user)) << user;
    EXPECT_EQ(std::set<std::string>(users.begin(), users.end()).size(), 10u);
}

TEST_F(UserFixture, DottedAndMessagesFoldersAreNeverUsers)
{
    folder("alice");
    folder("a.b");
    folder("Messages");
    dirs.write("windows/my friends/plainfile", "x");
    EXPECT_EQ(ListLocalUsers(), (std::vector<std::string> { "alice" }));
}

TEST_F(UserFixture, NoFriendsFolderMeansNoUsers) { EXPECT_TRUE(ListLocalUsers().empty()); }

TEST_F(UserFixture, ForbiddenCharactersGiveTheMessage)
{
    const std::string message =
        "\rSpaces or  \\/:*?\"'<>|= characters are not permitted in your user name. Please retry.";
    EXPECT_EQ(BadUserIdMessage(), message);
    for (const char* bad : { "a b", "a\\b", "a/b", "a:b", "a*b", "a?b", "a\"b", "a'b", "a<b", "a>b", "a|b", "a=b" })
        EXPECT_EQ(CheckUserId(bad), message) << bad;
    EXPECT_EQ(CheckUserId("alice"), "");
}

TEST_F(UserFixture, DotsMessagesAndControlBytesAreRefusedToo)
{
    for (const char* bad : { "..", ".", "a.b", "messages", "MESSAGES", "a\tb", "a\rb" })
        EXPECT_EQ(CheckUserId(bad), BadUserIdMessage()) << bad;
}

TEST_F(UserFixture, SignOnWritesUserDatAndLastUser)
{
    const std::string scrambled = SessionPassword("  Secret ");
    EXPECT_EQ(scrambled, ScrambleText("secret"));
    SaveUserFiles("alice", scrambled, false);
    EXPECT_EQ(dirs.read("windows/my friends/alice/user.dat"),
              "[user]\r\npassword=" + ScrambleText("secret") + "\r\nSave=0\r\n");
    EXPECT_EQ(dirs.read("windows/larkspire.ini"), "[MAIN]\r\nuserLoginName=alice\r\n");
    EXPECT_TRUE(dirs.exists("windows/my friends/alice/messages"));
    EXPECT_TRUE(dirs.exists("windows/my friends/alice/tasks"));
    EXPECT_TRUE(dirs.exists("windows/my friends/alice/mail"));
    EXPECT_TRUE(UserDatExists("alice"));
}

TEST_F(UserFixture, UnsavedPasswordIsStoredButNotShown)
{
    SaveUserFiles("bob", SessionPassword("pw"), false);
    const StoredPassword stored = ReadStoredPassword("bob");
    EXPECT_EQ(stored.scrambled, ScrambleText("pw"));
    EXPECT_FALSE(stored.save);
    EXPECT_EQ(ShownPassword(stored), "");
}

TEST_F(UserFixture, SavedPasswordIsShown)
{
    SaveUserFiles("bob", SessionPassword("pw"), true);
    EXPECT_EQ(ShownPassword(ReadStoredPassword("bob")), "pw");
}

TEST_F(UserFixture, DamagedPasswordReadsAsEmpty)
{
    dirs.write("windows/my friends/carol/user.dat", "[user]\r\npassword=12--x-\r\nSave=1\r\n");
    const StoredPassword stored = ReadStoredPassword("carol");
    EXPECT_TRUE(stored.save);
    EXPECT_EQ(ShownPassword(stored), "");
}

TEST_F(UserFixture, MissingUserDatGivesDefaults)
{
    folder("dave");
    const StoredPassword stored = ReadStoredPassword("dave");
    EXPECT_EQ(stored.scrambled, "");
    EXPECT_FALSE(stored.save);
    EXPECT_FALSE(UserDatExists("dave"));
}

TEST_F(UserFixture, DeletingAUserRemovesItsFoldersAndFiles)
{
    SaveUserFiles("erin", SessionPassword("pw"), true);
    dirs.write("windows/my friends/erin/Pal.cnt", "x");
    dirs.write("windows/my friends/erin/messages/n1.txt", "x");
    dirs.write("windows/my friends/erin/mail/new/m.txt", "x");
    dirs.write("windows/my friends/erin/mail/outbox/o.txt", "x");
    DeleteUser("erin");
    EXPECT_FALSE(dirs.exists("windows/my friends/erin"));
    EXPECT_TRUE(dirs.exists("windows/my friends"));
}

TEST_F(UserFixture, DeletingLeavesUnknownSubfoldersBehind)
{
    SaveUserFiles("fay", SessionPassword("pw"), true);
    dirs.write("windows/my friends/fay/extra/file.txt", "x");
    DeleteUser("fay");
    EXPECT_FALSE(dirs.exists("windows/my friends/fay/user.dat"));
    EXPECT_FALSE(dirs.exists("windows/my friends/fay/extra/file.txt"));
    EXPECT_TRUE(dirs.exists("windows/my friends/fay/extra"));
}

TEST_F(UserFixture, DeletingNeverReachesOutsideTheFriendsFolder)
{
    dirs.write("windows/larkspire.ini", "[MAIN]\r\n");
    DeleteUser("..");
    DeleteUser("");
    EXPECT_TRUE(dirs.exists("windows/larkspire.ini"));
}
