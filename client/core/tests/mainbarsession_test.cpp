#include "client/core/buddytoast.h"
#include "client/core/mainbar.h"
#include "client/core/mainbargeometry.h"
#include "client/core/session.h"
#include "client/core/sessionchain.h"
#include "client/core/signon.h"
#include "platform/testing/loopback.h"
#include "platform/testing/scratch.h"
#include "platform/ui/dialogs.h"
#include "platform/win/sound.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

// A user "me" whose folder is in place, as a good sign-on leaves it.
class MainBarSession : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A session listens for buddies on 8096: at an address of this test's own.
        setenv("KORVO_LOCAL_ADDRESS", LoopbackHost(1).c_str(), 1);
        Session() = TSession();
        Session().userId = "me";
        dirs.write("windows/my friends/me/user.dat", "[user]\r\n");
    }
    void TearDown() override
    {
        if (Form1)
            Form1->Free();
        if (TSignon* signon = Signon())
            signon->Free();
        unsetenv("KORVO_LOCAL_ADDRESS");
    }
    ScratchDirs dirs;
};

}  // namespace

TEST_F(MainBarSession, AfterSignOnTheBarShowsDockedWithAnEmptyBuddyList)
{
    OpenSession();
    ASSERT_NE(Form1, nullptr);
    EXPECT_TRUE(Form1->Visible());
    EXPECT_EQ(Form1->Left(), mainbar::DockedLeft(Screen::Width()));
    EXPECT_EQ(Form1->Width(), 123);
    EXPECT_EQ(Form1->SpeedButton2->Caption(), "\xF9" "EXIT   ");
    EXPECT_EQ(Form1->FriendsListBox.Count(), 0);
    EXPECT_EQ(Form1->BuddyCanvas.PictureHeight(), 150);
    EXPECT_TRUE(Form1->Timer2->isActive());
    EXPECT_NE(Form13, nullptr);
}

TEST_F(MainBarSession, SignOnLoadsTheBuddiesAndExitSignsOff)
{
    dirs.write("windows/my friends/me/ann.cnt", "[Friend]\r\nUserID=ann\r\nonline=1\r\n");
    dirs.write("windows/my friends/me/bob.cnt", "[Friend]\r\nUserID=bob\r\n");
    OpenSession();
    ASSERT_NE(Form1, nullptr);
    EXPECT_EQ(Form1->FriendsListBox.Count(), 2);
    EXPECT_EQ(Form1->BuddyCanvas.PictureHeight(), 44);
    EXPECT_NE(dirs.read("windows/my friends/me/ann.cnt").find("online=0"), std::string::npos);

    Form1->SpeedButton2->click();
    Application::ProcessMessagesUntil([] { return Form1 == nullptr; }, 2000);
    EXPECT_EQ(Form1, nullptr);
    EXPECT_EQ(Form13, nullptr);
    EXPECT_NE(Signon(), nullptr);
}

TEST_F(MainBarSession, TheCloseBoxSignsOffToo)
{
    OpenSession();
    ASSERT_NE(Form1, nullptr);
    Form1->close();
    Application::ProcessMessagesUntil([] { return Form1 == nullptr; }, 2000);
    EXPECT_EQ(Form1, nullptr);
    EXPECT_NE(Signon(), nullptr);
}

TEST_F(MainBarSession, ClosingTheBarGoesBackToSignOnWithItsSound)
{
    std::vector<std::string> sounds;
    sound::SetObserver([&](const std::string& file, unsigned) { sounds.push_back(file.substr(file.find_last_of('/') + 1)); });
    dirs.write("app/Channels.ini", "[Settings]\r\nSound=1\r\n");
    // Offline, so no log-on plays its own sound.
    setenv("KORVO_LOCAL_ADDRESS", "127.0.0.1", 1);
    OpenSession();
    ASSERT_NE(Form1, nullptr);
    Form1->SpeedButton2->click();
    Application::ProcessMessagesUntil([] { return Form1 == nullptr; }, 2000);
    sound::SetObserver(nullptr);
    EXPECT_NE(Signon(), nullptr);
    EXPECT_EQ(sounds, (std::vector<std::string> { "alert3.wav" }));
}

TEST_F(MainBarSession, UnwritableChannelsIniStillSignsOffWholeAndSaysSoOnce)
{
    std::filesystem::create_directories(dirs.appDir() + "/Channels.ini");
    // Offline, so no log-on asks for the missing password.
    setenv("KORVO_LOCAL_ADDRESS", "127.0.0.1", 1);
    dialogs::ClearHistory();
    for (int round = 0; round < 2; ++round) {
        OpenSession();
        ASSERT_NE(Form1, nullptr);
        Form1->SpeedButton2->click();
        ASSERT_TRUE(Application::ProcessMessagesUntil([] { return Form1 == nullptr; }, 2000));
        EXPECT_EQ(Form13, nullptr);
        ASSERT_NE(Signon(), nullptr);
        Signon()->Free();
    }
    // Offline sessions share 127.0.0.1:8096 with whatever else runs offline here, so a
    // warning that the buddy port is taken may come too; the write failure is told once.
    std::vector<std::string> told;
    for (const auto& record : dialogs::History())
        if (record.request.text.find("port 8096") == std::string::npos)
            told.push_back(record.request.text);
    EXPECT_EQ(told, (std::vector<std::string> { "\rUnable to write to " + dirs.appDir() + "/Channels.ini" }));
}
