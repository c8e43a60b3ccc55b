#include "signup/accountstore.h"

#include "client/core/scrambler.h"
#include "platform/rtl/inifile.h"
#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

#include <QDir>

#include <string>

namespace {

SignupFields account()
{
    SignupFields f;
    f.firstName = "Ada";
    f.lastName = "Lovelace";
    f.email = "ada@example.org";
    f.address = "nil";
    f.city = "London";
    f.state = "United Kingdom";
    f.zip = "SW1Y";
    f.userName = " ada ";
    f.publicKey = " key ";
    return f;
}

struct AccountStore : ::testing::Test {
    ScratchDirs dirs;
    void SetUp() override { dirs.write("windows/my friends/.keep", ""); }
};

TEST_F(AccountStore, StoringWritesTheSettingsKeysInOrderWithCrLf)
{
    dirs.write("windows/larkspire.ini", "[MAIN]\r\nVersion=3\r\n");
    StoreAccount(account(), "127.0.0.1:8096", StoredPasswordOf("Secret"));
    EXPECT_EQ(dirs.read("windows/larkspire.ini"),
              "[MAIN]\r\nVersion=3\r\nuserName=Ada\r\nuserEmail=ada@example.org\r\nuserZipcode=SW1Y\r\n"
              "userState=United Kingdom\r\nuserAddress=nil\r\nuserCity=London\r\nils=127.0.0.1:8096\r\n"
              "userLastName=Lovelace\r\nuserLoginName=ada\r\nuserPublicKey=key\r\nuserRegistered=1\r\n");
    EXPECT_EQ(dirs.read("windows/my friends/ada/user.dat"), "[user]\r\npassword=115-19-231-157-31-111-\r\n");
    EXPECT_EQ(dirs.read("windows/my friends/ada/ada.cnt"), "[user]\r\nEMAIL=ada@example.org\r\n");
}

TEST_F(AccountStore, AnExistingFolderInAnotherCaseIsReused)
{
    dirs.write("windows/my friends/ADA/notes.txt", "kept");
    StoreAccount(account(), "h", StoredPasswordOf("pw"));
    EXPECT_TRUE(dirs.exists("windows/my friends/ADA/user.dat"));
    EXPECT_FALSE(dirs.exists("windows/my friends/ada"));
    EXPECT_EQ(dirs.read("windows/my friends/ADA/notes.txt"), "kept");
}

TEST_F(AccountStore, AFileInTheUserFoldersPlaceIsAWriteError)
{
    dirs.write("windows/my friends/ada", "not a folder");
    EXPECT_THROW(StoreAccount(account(), "h", StoredPasswordOf("pw")), EIniFileException);
    EXPECT_EQ(dirs.read("windows/my friends/ada"), "not a folder");
    EXPECT_FALSE(dirs.exists("windows/larkspire.ini"));
}

TEST_F(AccountStore, BuddiesComeFromEveryScreenNameAndHostileLinesAreSkipped)
{
    dirs.write("windows/my friends/ada/user.dat", "");
    dirs.write("windows/my friends/ada/ada.cnt", "[user]\r\nEMAIL=ada@example.org\r\n");
    dirs.write("windows/aim95/adascreen/buddy.lst",
               "group \"Buddies\"\r\n  buddy \"Charles Babbage\"\r\nbuddy \"..\"\r\nbuddy \"../../evil\"\r\n"
               "buddy \"a/b\"\r\nbuddy \"x:y\"\r\nbuddy \"\"\r\nbuddy\r\nbuddy \"Mary\"\r\nbuddy \"A da\"\r\n");
    dirs.write("windows/aim95/other/BUDDY.LST", "buddy \"Tom\"\n");
    EXPECT_EQ(ImportMessengerBuddies(" ada "), 3);
    EXPECT_EQ(dirs.read("windows/my friends/ada/CharlesBabbage.cnt"), "[FRIEND]\r\nEMAIL=CharlesBabbage@aol.com\r\n");
    EXPECT_TRUE(dirs.exists("windows/my friends/ada/Mary.cnt"));
    EXPECT_TRUE(dirs.exists("windows/my friends/ada/Tom.cnt"));
    EXPECT_FALSE(dirs.exists("windows/evil.cnt"));
    // The user's own card is no buddy's.
    EXPECT_EQ(dirs.read("windows/my friends/ada/ada.cnt"), "[user]\r\nEMAIL=ada@example.org\r\n");
    EXPECT_EQ(QDir(QString::fromStdString(dirs.windowsDir() + "/my friends/ada")).entryList(QDir::Files).size(), 5);
}

TEST_F(AccountStore, AnUnreadableBuddyListSkipsThatFolderOnly)
{
    dirs.write("windows/my friends/ada/user.dat", "");
    QDir().mkpath(QString::fromStdString(dirs.windowsDir() + "/aim95/a/buddy.lst"));
    dirs.write("windows/aim95/b/buddy.lst", "buddy \"Tom\"\r\n");
    EXPECT_EQ(ImportMessengerBuddies("ada"), 1);
}

TEST_F(AccountStore, TheMessengersSuggestNames)
{
    EXPECT_EQ(MessengerScreenName(), "");
    dirs.write("windows/aim95/zed/buddy.lst", "");
    dirs.write("windows/aim95/Bob/buddy.lst", "");
    EXPECT_EQ(MessengerScreenName(), "Bob");

    EXPECT_EQ(IcqNickname(), "");
    dirs.write("icq/b.UIN", "[ICQ User]\r\nNickName=second\r\n");
    dirs.write("icq/a.uin", "[ICQ User]\r\nFirstName=Ada\r\nUIN=1234\r\n");
    dirs.write("windows/registry.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Mirabilis\\ICQ\\DefaultPrefs]\r\n"
                                       "\"UIN Dir\"=\"" + dirs.root() + "/icq\"\r\n");
    EXPECT_EQ(IcqNickname(), "Ada1234");
}

}  // namespace
