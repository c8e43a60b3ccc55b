#include "client/core/userlist.h"

#include "client/core/scrambler.h"
#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

struct UserFixture : ::testing::Test {
    ScratchDirs dirs;
    void folder(const std::string& name) const { dirs.write("windows/my friends/" + name + "/keep", ""); }
};

}  // namespace

TEST_F(UserFixture, AtMostTenUsersAreListed)
{
    for (int i = 11; i >= 0; --i)
        folder("user" + std::to_string(100 + i));
    const auto users = ListLocalUsers();
    ASSERT_EQ(users.size(), 10u);
    EXPECT_EQ(users.front(), "user100");
    EXPECT_EQ(users.back(), "user109");
}

TEST_F(UserFixture, UsersAreListedByNameWhateverTheLetterCase)
{
    folder("bob");
    folder("Alice");
    folder("carl");
    folder("Dora");
    EXPECT_EQ(ListLocalUsers(), (std::vector<std::string> { "Alice", "bob", "carl", "Dora" }));
}

TEST_F(UserFixture, AUserFolderIsFoundWhateverTheLetterCase)
{
    SaveUserFiles("Alice", SessionPassword("pw"), true);
    SaveUserFiles("alice", SessionPassword("other"), false);
    // One account, kept under the spelling typed first.
    EXPECT_EQ(ListLocalUsers(), (std::vector<std::string> { "Alice" }));
    EXPECT_FALSE(dirs.exists("windows/my friends/alice"));
    EXPECT_EQ(ReadStoredPassword("ALICE").scrambled, ScrambleText("other"));
    EXPECT_TRUE(UserDatExists("aLiCe"));
    DeleteUser("alice");
    EXPECT_FALSE(dirs.exists("windows/my friends/Alice"));
}

TEST_F(UserFixture, AUserIsNamedAsItsFolderIsSpelt)
{
    folder("Alice");
    EXPECT_EQ(UserFolderName("alice"), "Alice");
    EXPECT_EQ(UserFolderName("ALICE"), "Alice");
    EXPECT_EQ(UserFolderName("bob"), "bob");
    EXPECT_EQ(UserFolderName("a/b"), "a/b");
}

TEST_F(UserFixture, AFolderLinkedToOutsideIsNoUser)
{
    dirs.write("outside/user.dat", "[user]\r\npassword=1-\r\nSave=1\r\n");
    folder("alice");
    std::filesystem::create_symlink(dirs.root() + "/outside", dirs.windowsDir() + "/my friends/mallory");
    EXPECT_EQ(ListLocalUsers(), (std::vector<std::string> { "alice" }));
    EXPECT_TRUE(UserFolderLeadsOutside("mallory"));
    EXPECT_FALSE(UserDatExists("mallory"));
    EXPECT_EQ(ReadStoredPassword("mallory").scrambled, "");
    EXPECT_EQ(CheckUserId("mallory"), OutsideFolderMessage("mallory"));

    SaveUserFiles("mallory", SessionPassword("pw"), true);
    EXPECT_EQ(dirs.read("outside/user.dat"), "[user]\r\npassword=1-\r\nSave=1\r\n");
    EXPECT_FALSE(dirs.exists("outside/messages"));
}

TEST_F(UserFixture, DeletingALinkedUserLeavesWhatItLeadsTo)
{
    dirs.write("outside/user.dat", "[user]\r\n");
    dirs.write("outside/mail/new/m.txt", "x");
    folder("alice");
    std::filesystem::create_symlink(dirs.root() + "/outside", dirs.windowsDir() + "/my friends/mallory");
    DeleteUser("mallory");
    EXPECT_EQ(dirs.read("outside/user.dat"), "[user]\r\n");
    EXPECT_TRUE(dirs.exists("outside/mail/new/m.txt"));
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
    for (const char* bad : { "..", ".", "a.b", "messages", "MESSAGES" })
        EXPECT_EQ(CheckUserId(bad), BadUserIdMessage()) << bad;
    // Any other refused character is named.
    EXPECT_EQ(CheckUserId("a\tb"), "\rThe User Name holds a tab (character 9), which is not permitted. Please re-type.");
    EXPECT_EQ(CheckUserId("a\nb"), "\rThe User Name holds a line feed (character 10), which is not permitted. Please re-type.");
    EXPECT_EQ(CheckUserId("a\xA0" "b"),
              "\rThe User Name holds a no-break space (character 160), which is not permitted. Please re-type.");
    EXPECT_EQ(CheckUserId("a\xAD" "b"),
              "\rThe User Name holds a soft hyphen (character 173), which is not permitted. Please re-type.");
}

TEST_F(UserFixture, SignOnWritesUserDatAndLastUser)
{
    const std::string scrambled = SessionPassword("  Secret ");
    EXPECT_EQ(scrambled, ScrambleText("secret"));
    SaveUserFiles("alice", scrambled, false);
    RememberLastUser("alice");
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
